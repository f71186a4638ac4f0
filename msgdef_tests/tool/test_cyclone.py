"""velmsg among other middleware: a Cyclone DDS participant (ROS 2 Galactic's
default) takes what velmsg publishes and publishes to velmsg's echo, every
type, intact. Each publisher is a fresh participant that meets a running
subscriber, or waits for a subscriber that joins it, ROUNDS times per type and
case, so a first message lost 1 time in 16 fails (54 starts: 97 %); velmsg's
own echo (Fast-DDS) likewise. A QoS or type mismatch with Cyclone is named.
Cyclone stays on 127.0.0.1 (CYCLONEDDS_URI below: no multicast, unicast peers
127.0.0.1), and velmsg too (ROS_LOCALHOST_ONLY unset)."""
import concurrent.futures
import os
import signal
import subprocess
import time

import pytest

import ros2_bag
from test_dds import ENV, message_args
from velmsg_driver import VELMSG, ok, run, shipped_types

PEER = os.environ["CYCLONE_PEER"]
MESSAGES, _ = shipped_types()
ROUNDS = 6

CONFIG = """<CycloneDDS><Domain Id="any">
  <General><Interfaces><NetworkInterface address="127.0.0.1"/></Interfaces>
    <AllowMulticast>false</AllowMulticast></General>
  <Discovery><ParticipantIndex>auto</ParticipantIndex><MaxAutoParticipantIndex>32</MaxAutoParticipantIndex>
    <Peers><Peer address="127.0.0.1"/></Peers></Discovery>
</Domain></CycloneDDS>
"""


@pytest.fixture(scope="module")
def env(tmp_path_factory):
    config = tmp_path_factory.mktemp("cyclone") / "cyclone.xml"
    config.write_text(CONFIG)
    return dict(ENV, CYCLONEDDS_URI=config.as_uri())


def dds_names(type_name, topic):
    package, folder, name = type_name.split("/")
    return "rt/" + topic, f"{package}::{folder}::dds_::{name}_"


def topic_of(type_name, direction):
    return f"velmsg_cyclone/{direction}_{type_name.split('/')[-1].lower()}"


def each_type(check):
    """check(type_name) for every type, five types at a time on topics of their own."""
    with concurrent.futures.ThreadPoolExecutor(5) as pool:
        list(pool.map(check, MESSAGES))  # raises the first failure


def subscriber(kind, type_name, topic, env, count):
    if kind == "cyclone":
        command = [PEER, "sub", *dds_names(type_name, topic), str(count), "30"]
    else:
        command = [VELMSG, "echo", topic, type_name, "--count", str(count), "--timeout", "30"]
    return subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env)


def received(sub, kind, type_name):
    """The messages a subscriber got, as velmsg decodes them, once it ends."""
    try:
        out, err = sub.communicate(timeout=60)
    finally:
        sub.kill()
        sub.wait()
    assert sub.returncode == 0, f"{type_name}: {err.decode()}"
    if kind == "cyclone":
        # the payload as it travelled, read back by velmsg (DDS may pad it to a multiple of 4)
        return [ok("decode", type_name, input=line).text for line in out.split()]
    return out.decode().split("---\n")[:-1]


def published(topic, type_name, args, env):
    return subprocess.Popen([VELMSG, "pub", topic, type_name, *args, "--once", "--wait", "10"],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env)


def check_publisher(pub):
    _, err = pub.communicate(timeout=30)
    assert pub.returncode == 0 and b"warning" not in err, err.decode()


@pytest.mark.parametrize("kind,order", [("cyclone", "subscriber-first"), ("cyclone", "publisher-first"),
                                        ("velmsg", "subscriber-first")])
def test_every_velmsg_pub_reaches_a_subscriber(kind, order, env):
    def check(type_name):
        args = message_args(type_name)
        expected = ok("decode", type_name, input=ok("encode", type_name, *args).out).text
        topic = topic_of(type_name, f"to_{kind}_{order.split('-')[0]}")
        if order == "subscriber-first":
            # one subscriber that meets a new publisher each round
            sub = subscriber(kind, type_name, topic, env, ROUNDS)
            for _ in range(ROUNDS):
                check_publisher(published(topic, type_name, args, env))
            assert received(sub, kind, type_name) == [expected] * ROUNDS, type_name
        else:
            # a new subscriber that joins a waiting publisher each round
            for _ in range(ROUNDS):
                pub = published(topic, type_name, args, env)
                time.sleep(0.1)
                sub = subscriber(kind, type_name, topic, env, 1)
                assert received(sub, kind, type_name) == [expected], type_name
                check_publisher(pub)
    each_type(check)


def test_every_cyclone_publisher_reaches_a_running_echo(env):
    def check(type_name):
        args = message_args(type_name)
        encoded = ok("encode", type_name, *args).text
        expected = ok("decode", type_name, input=encoded.encode()).text
        topic = topic_of(type_name, "from_cyclone")
        echo = subprocess.Popen([VELMSG, "echo", topic, "--count", str(ROUNDS), "--timeout", "60"],
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env)
        try:
            for _ in range(ROUNDS):
                # echo learns the type from the first publisher
                peer = subprocess.run([PEER, "pub", *dds_names(type_name, topic), "".join(encoded.split()), "10"],
                                      capture_output=True, env=env, timeout=30)
                assert peer.returncode == 0, f"{type_name}: {peer.stderr.decode()}"
            out, err = echo.communicate(timeout=60)
        finally:
            echo.kill()
            echo.wait()
        assert echo.returncode == 0, f"{type_name}: {err.decode()}"
        assert out.decode().split("---\n") == [expected] * ROUNDS + [""], type_name
    each_type(check)


NUM, CONTROL = "velmari_messages/msg/Num", "velmari_messages/msg/Control"


@pytest.mark.parametrize("velmsg_side,peer_side,named", [
    (["pub", NUM, "--qos-reliability", "best_effort"], ["sub", NUM],
     "incompatible QoS policy reliability: the subscriber asks for reliable, velmsg offers best_effort"),
    (["echo", NUM], ["pub", NUM, "best_effort"],
     "incompatible QoS policy reliability: the publisher offers best_effort, velmsg asks for reliable"),
    (["pub", CONTROL], ["sub", NUM],
     "a subscriber on /velmsg_cyclone/mismatch has type velmari_messages/msg/Num, not velmari_messages/msg/Control"),
], ids=["pub-best-effort", "echo-reliable", "type"])
def test_a_cyclone_peer_that_cannot_match_is_named(velmsg_side, peer_side, named, env):
    topic = "velmsg_cyclone/mismatch"
    command, type_name, *flags = velmsg_side
    peer_command, peer_type, *peer_flags = peer_side
    peer_args = {"sub": ["1"], "pub": [ok("encode", peer_type).text.replace(" ", "").replace("\n", "")]}[peer_command]
    peer = subprocess.Popen([PEER, peer_command, *dds_names(peer_type, topic), *peer_args, "4", *peer_flags],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env)
    try:
        limit = ["--wait", "2", "--once"] if command == "pub" else ["--timeout", "2"]
        result = run(command, topic, type_name, *flags, *limit, env=env, timeout=30)
    finally:
        peer.kill()
        peer.wait()
    assert named in result.err, result.err
    assert "ROS_LOCALHOST_ONLY=0" not in result.err  # a participant was found: not a network matter


def test_bags_go_both_ways_with_cyclone(env, tmp_path):
    # what a Cyclone publisher sends is recorded as it arrived, and played back to a Cyclone subscriber unchanged
    topic = "velmsg_cyclone/bag"
    data = ok("encode", CONTROL, "--fill", "header.frame_id=odom", "--raw", "--out", "-").out
    recorder = subprocess.Popen([VELMSG, "bag", "record", "-o", str(tmp_path / "rec"), topic],
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env)
    try:
        peer = subprocess.run([PEER, "pub", *dds_names(CONTROL, topic), data.hex(), "20"], capture_output=True,
                              env=env, timeout=30)
        recorder.send_signal(signal.SIGINT)
        _, err = recorder.communicate(timeout=20)
    finally:
        recorder.kill()
        recorder.wait()
    assert (peer.returncode, recorder.returncode) == (0, 0), peer.stderr.decode() + err.decode()
    _, topics, messages = ros2_bag.read_bag(tmp_path / "rec")
    assert [m[2].rstrip(b"\0") for m in messages] == [data.rstrip(b"\0")]  # up to DDS's padding to 4 bytes
    assert [p["reliability"] for p in topics["/" + topic]["offered_qos_profiles"]] == [1]
    sub = subscriber("cyclone", CONTROL, topic, env, 1)
    play = run("bag", "play", str(tmp_path / "rec"), "--wait", "10", env=env, timeout=30)
    out, err = sub.communicate(timeout=30)
    assert play.code == 0 and sub.returncode == 0, play.err + err.decode()
    assert bytes.fromhex(out.decode()) == messages[0][2]
