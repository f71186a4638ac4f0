"""velmsg pub/echo over Fast-DDS on the loopback interface: N messages of every
type arrive intact, across the C and C++ flavours; ROS 2 topic names; echo's
ends. Every participant stays on 127.0.0.1 (ROS_LOCALHOST_ONLY is never 0 here);
how fast pub finds an echo is measured by bench/velmsg_pub_latency.sh."""
import os
import random
import signal
import subprocess

import pytest

from velmsg_driver import VELMSG, ok, run, shipped_types

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
