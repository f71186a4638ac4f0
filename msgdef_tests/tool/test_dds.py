"""velmsg pub/echo over Fast-DDS on the loopback interface: N messages of every
type arrive intact, across the C and C++ flavours; ROS 2 topic names; echo's
ends. Every participant stays on 127.0.0.1 (ROS_LOCALHOST_ONLY is never 0 here);
how fast pub finds an echo is measured by bench/velmsg_pub_latency.sh."""
import os
import pathlib
import random
import signal
import struct
import subprocess
import sys
import time

import pytest

import ros2_bag
from velmsg_driver import VELMSG, ok, python_messages, run, shipped_types

MESSAGES, _ = shipped_types()
COUNT = 5
ENV = dict(os.environ, ROS_DOMAIN_ID=str(random.randint(100, 232)))
ENV.pop("ROS_LOCALHOST_ONLY", None)


def message_args(type_name):
    args = ["--fill"]
    if "header" in ok("show", type_name).text:
        # longer than any preallocated payload: the payload has to grow
        args.append("header.frame_id=" + "f" * 3000)
    return args


@pytest.mark.parametrize("type_name", MESSAGES)
@pytest.mark.parametrize("pub_flags,echo_flags", [([], ["--cpp"]), (["--cpp"], [])], ids=["c-to-cpp", "cpp-to-c"])
def test_every_message_arrives_intact(type_name, pub_flags, echo_flags):
    args = message_args(type_name)
    expected = ok("decode", type_name, input=ok("encode", type_name, *args).out).text
    topic = f"velmsg_test/{type_name.split('/')[-1].lower()}_{len(pub_flags)}"
    echo = subprocess.Popen([VELMSG, "echo", topic, type_name, "--count", str(COUNT), "--timeout", "20",
                             *echo_flags], stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=ENV)
    try:
        pub = run("pub", topic, type_name, *args, *pub_flags, "--times", str(COUNT), "-r", "50",
                  "--wait", "10", env=ENV, timeout=40)
        out, err = echo.communicate(timeout=30)
    finally:
        echo.kill()
        echo.wait()
    assert pub.code == 0, pub.err
    assert pub.text.count("published ") == COUNT
    assert echo.returncode == 0, err.decode()
    assert out.decode().split("---\n") == [expected] * COUNT + [""]


BEST_EFFORT = ["--qos-reliability", "best_effort"]


@pytest.mark.parametrize("pub_flags,echo_flags,arrives,named", [
    ([], BEST_EFFORT, True, None), (["--qos-profile", "sensor_data"], BEST_EFFORT, True, None),
    (BEST_EFFORT, [], False, "reliability: the publisher offers best_effort, velmsg asks for reliable "
     "(give --qos-reliability best_effort)"),
    ([], ["--qos-durability", "transient_local"], False, "durability: the publisher offers volatile, "
     "velmsg asks for transient_local (give --qos-durability volatile)"),
    (["--qos-durability", "transient_local", "--qos-depth", "1"], ["--qos-durability", "transient_local"], True,
     None)],
    ids=["reliable-to-best-effort", "best-effort", "best-effort-to-reliable", "volatile-to-transient-local",
         "transient-local"])
def test_qos_matches_as_in_dds_and_a_mismatch_is_named_on_both_sides(pub_flags, echo_flags, arrives, named):
    topic = "velmsg_test/qos_" + "".join(flag.strip("-")[:3] for flag in pub_flags + ["_"] + echo_flags)
    echo = subprocess.Popen([VELMSG, "echo", topic, "velmari_messages/msg/Num", "--count", "1", "--timeout",
                             "10" if arrives else "3", *echo_flags],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=ENV)
    try:
        # a few messages: best effort may drop the first before the reader knows the writer
        pub = run("pub", topic, "velmari_messages/msg/Num", "num=3", "--times", "10", "-r", "20",
                  "--wait", "2" if arrives else "1", *pub_flags, env=ENV, timeout=30)
        out, err = echo.communicate(timeout=20)
    finally:
        echo.kill()
        echo.wait()
    assert pub.code == 0, pub.err
    assert (echo.returncode, out) == ((0, b"num: 3\n---\n") if arrives else (4, b""))
    if named:
        assert "incompatible QoS policy " + named in err.decode()
        # the publisher's side of the same policy, and no word of the network
        assert "incompatible QoS policy " + named.split(":")[0] + ": the subscriber asks for" in pub.err
        assert "ROS_LOCALHOST_ONLY" not in pub.err + err.decode()


def test_another_type_on_the_topic_is_named_on_both_sides():
    topic = "velmsg_test/mismatch"
    echo = subprocess.Popen([VELMSG, "echo", topic, "velmari_messages/Num", "--timeout", "3"],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=ENV)
    try:
        pub = run("pub", topic, "velmari_messages/Control", "--wait", "1.5", "--once", env=ENV, timeout=30)
        _, err = echo.communicate(timeout=20)
    finally:
        echo.kill()
        echo.wait()
    assert "a subscriber on /velmsg_test/mismatch has type velmari_messages/msg/Num, not " \
        "velmari_messages/msg/Control" in pub.err
    assert "a publisher on /velmsg_test/mismatch has type velmari_messages/msg/Control, not " \
        "velmari_messages/msg/Num" in err.decode()


def test_a_leading_slash_names_the_same_topic():
    echo = subprocess.Popen([VELMSG, "echo", "velmsg_test/slash", "velmari_messages/msg/Num", "--count", "1",
                             "--timeout", "20"], stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=ENV)
    try:
        pub = run("topic", "pub", "/velmsg_test/slash", "velmari_messages/msg/Num", "num=4", "--wait", "10", "-1",
                  env=ENV, timeout=30)
        out, _ = echo.communicate(timeout=30)
    finally:
        echo.kill()
        echo.wait()
    assert pub.code == 0 and pub.text == "published velmari_messages/msg/Num #1 on /velmsg_test/slash\n", pub.err
    assert (echo.returncode, out) == (0, b"num: 4\n---\n")


def test_a_dds_name_given_as_topic_gets_a_note():
    result = run("pub", "rt/velmsg_test/x", "velmari_messages/msg/Num", "--wait", "0", "--once", env=ENV, timeout=20)
    assert result.code == 0, result.err
    assert "ROS 2 topic /rt/velmsg_test/x is DDS topic rt/rt/velmsg_test/x; for DDS topic rt/velmsg_test/x " \
        "give velmsg_test/x" in result.err


def test_echo_runs_until_interrupted():
    # without a type: echo takes the one the publisher announces
    echo = subprocess.Popen([VELMSG, "echo", "velmsg_test/forever"],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=ENV)
    try:
        pub = run("pub", "velmsg_test/forever", "velmari_messages/msg/Num", "num=5", "--times", "2", "-r", "20",
                  "--wait", "10", env=ENV, timeout=30)
        assert pub.code == 0, pub.err
        # the running echo's topic, as discovery sees it
        assert "/velmsg_test/forever [velmari_messages/msg/Num]\n" in ok("topic", "list", "-t", env=ENV).text
        # still running after the messages: nothing but an interrupt ends it
        with pytest.raises(subprocess.TimeoutExpired):
            echo.wait(timeout=1)
        echo.send_signal(signal.SIGINT)
        out, err = echo.communicate(timeout=20)
    finally:
        echo.kill()
        echo.wait()
    assert (echo.returncode, out) == (0, b"num: 5\n---\nnum: 5\n---\n"), err


def test_echo_without_publisher_times_out_with_exit_4_and_says_how_to_reach_further():
    result = run("echo", "velmsg_test/silent", "velmari_messages/msg/Num", "--count", "1", "--timeout", "1",
                 env=ENV, timeout=20)
    assert result.code == 4
    assert result.out == b""
    assert "received no message on /velmsg_test/silent within 1 s" in result.err
    assert "no publisher on /velmsg_test/silent (DDS topic rt/velmsg_test/silent) matched" in result.err
    assert "127.0.0.1" in result.err and "ROS_LOCALHOST_ONLY=0" in result.err
    # without --count, a timeout with nothing received is a timeout too
    assert run("echo", "velmsg_test/silent", "velmari_messages/msg/Num", "--timeout", "0.5", env=ENV).code == 4
    # nor can it learn the type from a publisher
    untyped = run("echo", "velmsg_test/silent", "--timeout", "0.5", env=ENV)
    assert untyped.code == 4 and "no publisher on /velmsg_test/silent (DDS topic rt/velmsg_test/silent) within " \
        "0.5 s to tell its type: give it, velmsg echo /velmsg_test/silent <type>" in untyped.err


def test_pub_without_subscriber_stops_by_itself():
    result = run("pub", "velmsg_test/nobody", "velmari_messages/msg/Num", "num=1", "--times", "2",
                 "--rate", "20", "--wait", "0.2", env=ENV, timeout=20)
    assert result.code == 0, result.err
    assert result.text.count("published ") == 2
    assert "warning: no subscriber on /velmsg_test/nobody (DDS topic rt/velmsg_test/nobody) within 0.2 s" in result.err
    assert "ROS_LOCALHOST_ONLY=0" in result.err
    assert "matched yet; publishing anyway" in run("pub", "velmsg_test/nobody", "velmari_messages/msg/Num",
                                                   "--wait", "0", "--once", env=ENV).err


@pytest.mark.parametrize("variable,value", [("ROS_DOMAIN_ID", "300"), ("ROS_DOMAIN_ID", "x"),
                                            ("ROS_LOCALHOST_ONLY", "yes"), ("ROS_LOCALHOST_ONLY", "2")])
def test_bad_environment_is_a_usage_error(variable, value):
    env = dict(ENV, **{variable: value})
    result = run("echo", "t", "velmari_messages/msg/Num", "--timeout", "1", env=env)
    assert result.code == 2 and variable in result.err, result.err


def test_pub_runs_until_interrupted_and_the_topic_tools_measure_it():
    topic, num = "/velmsg_test/tools", "velmari_messages/msg/Num"
    pub = subprocess.Popen([VELMSG, "topic", "pub", topic, num, "num=5", "-r", "20", "-p", "10"],
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=ENV)
    try:
        assert ok("topic", "type", topic, env=ENV).text == num + "\n"
        assert topic + "\n" in ok("topic", "find", "velmari_messages/Num", env=ENV).text
        assert int(ok("topic", "list", "-c", env=ENV).text) >= 1
        assert ok("topic", "info", topic, env=ENV).text == \
            f"Type: {num}\nPublisher count: 1\nSubscription count: 0\n"
        verbose = ok("topic", "info", topic, "-v", env=ENV).text
        assert "Endpoint type: PUBLISHER\n" in verbose and "  Reliability: RELIABLE\n" in verbose
        assert ok("topic", "echo", topic, "--field", "num", "--once", "--timeout", "20", env=ENV).text == "5\n---\n"
        assert ok("echo", topic, "--csv", "--count", "2", "--timeout", "20", env=ENV).text == "5\n5\n"
        measured = {}
        for tool in ("hz", "bw"):
            process = subprocess.Popen([VELMSG, "topic", tool, topic], stdout=subprocess.PIPE, env=ENV)
            try:
                process.wait(timeout=4)
            except subprocess.TimeoutExpired:
                process.send_signal(signal.SIGINT)
            measured[tool] = process.communicate(timeout=20)[0].decode()
            assert process.returncode == 0, measured[tool]
        rate = float(measured["hz"].split("average rate: ")[-1].split()[0])
        assert 15 < rate < 25, measured["hz"]
        assert measured["bw"].startswith(f"Subscribed to [{topic}]\n")
        assert "\tmean: 12.00B min: 12.00B max: 12.00B window: " in measured["bw"]  # header and int64
    finally:
        pub.send_signal(signal.SIGINT)
        out, err = pub.communicate(timeout=20)
    # until interrupted, a line for every 10th message
    assert pub.returncode == 0, err
    lines = out.decode().splitlines()
    assert lines and lines[0] == f"published {num} #10 on {topic}", lines


def test_echo_refuses_publishers_of_two_types_and_a_short_count_is_a_timeout():
    topic = "velmsg_test/two_types"
    pubs = [subprocess.Popen([VELMSG, "pub", topic, type_name, "-r", "5"], stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL, env=ENV)
            for type_name in ("velmari_messages/msg/Num", "velmari_messages/msg/Control")]
    try:
        result = run("echo", topic, "--timeout", "20", env=ENV)
        assert result.code == 2 and "announce two types, velmari_messages/msg/Control and " \
            "velmari_messages/msg/Num: give one" in result.err, result.err
        # fewer messages than --count before --timeout: the timeout's status, not success
        short = run("echo", topic, "velmari_messages/msg/Num", "--count", "100", "--timeout", "2", env=ENV)
        assert short.code == 4 and short.text.startswith("num: 0\n---\n"), short.err
        assert "of 100 messages on /velmsg_test/two_types within 2 s" in short.err
    finally:
        for pub in pubs:
            pub.send_signal(signal.SIGINT)
            pub.wait(timeout=20)


# ---- bags: recorded and played over DDS, read and written by ros2_bag.py on the other side

BENCH = pathlib.Path(__file__).parents[2] / "bench" / "velmsg_bag_record.py"
NUM = "velmari_messages/msg/Num"


def num_bytes(value):
    return b"\x00\x01\x00\x00" + struct.pack("<q", value)


def num_bag(folder, topic, count, gap_ns=1000000, **topic_options):
    start = time.time_ns()
    ros2_bag.write_bag(folder, [ros2_bag.Topic(topic, NUM, **topic_options)],
                       [(0, start + i * gap_ns, num_bytes(i + 1)) for i in range(count)])


def test_bag_record_keeps_4_topics_at_1_khz_message_for_message():
    # the short form of the benchmark (bench/velmsg_bag_record.py), into a new file every second
    result = subprocess.run([sys.executable, str(BENCH), str(pathlib.Path(VELMSG).parents[1]), "--seconds", "3",
                             "--split", "1"], capture_output=True, text=True, env=ENV, timeout=180)
    assert result.returncode == 0, result.stdout + result.stderr
    assert "12000 published, 12000 recorded, 0 lost, 0 doubled, 0 out of order" in result.stdout
    assert int(result.stdout.split(" files")[0].split()[-1]) >= 3


def test_bag_record_subscribes_as_its_publishers_offer_and_python_reads_the_bag(tmp_path):
    topics = {"velmsg_test/bag_best_effort": ["--qos-reliability", "best_effort"],
              "velmsg_test/bag_lasting": ["--qos-durability", "transient_local"]}
    recorder = subprocess.Popen([VELMSG, "bag", "record", "-o", str(tmp_path / "rec"), *topics],
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=ENV)
    try:
        for topic, qos in topics.items():
            pub = run("pub", topic, "velmari_messages/msg/Control", "header.frame_id=map", "mode=-2", "--times",
                      "2", "-r", "20", "--wait", "10", *qos, env=ENV, timeout=40)
            assert pub.code == 0, pub.err
        time.sleep(0.5)  # best effort: no acknowledgement says the messages arrived
        recorder.send_signal(signal.SIGTERM)  # stops it as Ctrl-C does
        out, err = recorder.communicate(timeout=30)
    finally:
        recorder.kill()
        recorder.wait()
    assert recorder.returncode == 0, err.decode()
    _, stored_topics, messages = ros2_bag.read_bag(tmp_path / "rec")
    assert f"recorded {len(messages)} messages on 2 topics" in out.decode()
    qos = {name: [(p["reliability"], p["durability"]) for p in t["offered_qos_profiles"]]
           for name, t in stored_topics.items()}
    assert qos == {"/velmsg_test/bag_best_effort": [(2, 2)], "/velmsg_test/bag_lasting": [(1, 1)]}
    # best effort may drop a message, never a reliable subscription
    counts = [sum(1 for m in messages if m[0] == "/" + topic) for topic in topics]
    assert counts[0] in (1, 2) and counts[1] == 2
    decoded = python_messages("velmari_messages/msg/Control", [data for _, _, data in messages])
    assert [(m["header"]["frame_id"], m["mode"]) for m in decoded] == [("map", -2)] * len(messages)


def test_bag_play_offers_the_recorded_qos_or_the_default_with_a_warning(tmp_path):
    lasting = ros2_bag.qos_profile(durability=1)
    start = time.time_ns()
    topics = [ros2_bag.Topic("/velmsg_test/play_lasting", NUM, [lasting, lasting]),
              ros2_bag.Topic("/velmsg_test/play_mixed", NUM, [ros2_bag.qos_profile(), ros2_bag.qos_profile(2)])]
    ros2_bag.write_bag(tmp_path / "src", topics, [(t, start + i * 10000000 + t, num_bytes(i)) for i in range(3)
                                                  for t in range(2)])
    # a transient local subscriber matches only a transient local writer
    echo = subprocess.Popen([VELMSG, "echo", "velmsg_test/play_lasting", NUM, "--qos-durability", "transient_local",
                             "--count", "3", "--timeout", "20"], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            env=ENV)
    try:
        play = run("bag", "play", str(tmp_path / "src"), "--wait", "10", "-r", "2", env=ENV, timeout=40)
        out, err = echo.communicate(timeout=30)
    finally:
        echo.kill()
        echo.wait()
    assert play.code == 0 and play.text == "played 6 messages\n", play.err
    assert "/velmsg_test/play_mixed was recorded with publishers that offered different QoS; playing it with the " \
        "default QoS (reliable, volatile)" in play.err and "play_lasting was" not in play.err
    assert (echo.returncode, out) == (0, b"num: 0\n---\nnum: 1\n---\nnum: 2\n---\n"), err


def test_bag_recording_killed_hard_keeps_every_batch_it_committed(tmp_path):
    num_bag(tmp_path / "src", "/velmsg_test/killed", 300)
    recorder = subprocess.Popen([VELMSG, "bag", "record", "-o", str(tmp_path / "rec"), "velmsg_test/killed"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=ENV)
    try:
        ok("bag", "play", str(tmp_path / "src"), "--wait", "10", env=ENV, timeout=40)
        time.sleep(1.2)  # batches are committed at least once a second
    finally:
        recorder.kill()
        recorder.wait()
    assert not (tmp_path / "rec" / "metadata.yaml").exists()
    info = ok("bag", "info", str(tmp_path / "rec"))
    assert "Messages:          300\n" in info.text and "has no metadata.yaml" in info.err
    assert ok("bag", "echo", str(tmp_path / "rec")).text.count("---\n") == 300
    _, _, messages = ros2_bag.read_bag(tmp_path / "rec", metadata=False, finished=False)
    assert [m["num"] for m in python_messages(NUM, [data for _, _, data in messages])] == list(range(1, 301))


def test_bag_recording_that_fills_its_disk_fails_clearly_and_keeps_what_it_committed(tmp_path):
    # a file size limit stands in for a full disk: the log cannot grow past 600 KiB, a few batches
    start = time.time_ns()
    control = b"\x00\x01\x00\x00" + bytes(8) + struct.pack("<I", 2001) + b"f" * 2000 + bytes(48)
    ros2_bag.write_bag(tmp_path / "src", [ros2_bag.Topic("/velmsg_test/full", "velmari_messages/msg/Control")],
                       [(0, start + i * 5000000, control) for i in range(400)])
    recorder = subprocess.Popen(["bash", "-c", f'ulimit -f 600; exec "{VELMSG}" bag record -o {tmp_path / "rec"} '
                                 "velmsg_test/full --duration 30"], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                env=ENV)
    try:
        play = run("bag", "play", str(tmp_path / "src"), "--wait", "10", env=ENV, timeout=40)
        out, err = recorder.communicate(timeout=40)
    finally:
        recorder.kill()
        recorder.wait()
    assert play.code == 0, play.err
    assert recorder.returncode == 1, err.decode()
    [line] = err.decode().splitlines()
    assert "reached its size limit" in line and "messages committed before" in line, line
    kept = int(line.split("the bag keeps the ")[1].split()[0])
    assert 0 < kept < 400
    assert f"Messages:          {kept}\n" in ok("bag", "info", str(tmp_path / "rec")).text
    info, _, messages = ros2_bag.read_bag(tmp_path / "rec", finished=False)
    assert [data for _, _, data in messages] == [control] * kept
