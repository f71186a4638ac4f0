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
        pub = run("pub", topic, "velmari_messages/Control", "--wait", "1.5", env=ENV, timeout=30)
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
        pub = run("pub", "/velmsg_test/slash", "velmari_messages/msg/Num", "num=4", "--wait", "10", env=ENV, timeout=30)
        out, _ = echo.communicate(timeout=30)
    finally:
        echo.kill()
        echo.wait()
    assert pub.code == 0 and pub.text == "published velmari_messages/msg/Num #1 on /velmsg_test/slash\n", pub.err
    assert (echo.returncode, out) == (0, b"num: 4\n---\n")


def test_a_dds_name_given_as_topic_gets_a_note():
    result = run("pub", "rt/velmsg_test/x", "velmari_messages/msg/Num", "--wait", "0", env=ENV, timeout=20)
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
                                                   "--wait", "0", env=ENV).err


@pytest.mark.parametrize("variable,value", [("ROS_DOMAIN_ID", "300"), ("ROS_DOMAIN_ID", "x"),
                                            ("ROS_LOCALHOST_ONLY", "yes"), ("ROS_LOCALHOST_ONLY", "2")])
def test_bad_environment_is_a_usage_error(variable, value):
    env = dict(ENV, **{variable: value})
    result = run("echo", "t", "velmari_messages/msg/Num", "--timeout", "1", env=env)
    assert result.code == 2 and variable in result.err, result.err
