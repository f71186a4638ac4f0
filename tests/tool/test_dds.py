"""velmsg pub/echo over Fast-DDS on the loopback interface: N messages of every
type arrive intact, across the C and C++ flavours, within a bounded time."""
import os
import random
import subprocess
import time

import pytest

from velmsg_driver import VELMSG, ok, run, shipped_types

MESSAGES, _ = shipped_types()
COUNT = 5
ENV = dict(os.environ, ROS_DOMAIN_ID=str(random.randint(100, 232)))


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
    expected = ok("decode", type_name, "--hex", input=ok("encode", type_name, *args).out).text
    topic = f"velmsg_test/{type_name.split('/')[-1].lower()}_{len(pub_flags)}"
    started = time.monotonic()
    echo = subprocess.Popen([VELMSG, "echo", type_name, topic, "--count", str(COUNT), "--timeout", "20",
                             *echo_flags], stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=ENV)
    try:
        pub = run("pub", type_name, topic, *args, *pub_flags, "--count", str(COUNT), "--rate", "50",
                  "--wait", "10", env=ENV, timeout=40)
        out, err = echo.communicate(timeout=30)
    finally:
        echo.kill()
        echo.wait()
    assert pub.code == 0, pub.err
    assert pub.text.count("published ") == COUNT
    assert echo.returncode == 0, err.decode()
    assert out.decode().split("---\n") == [expected] * COUNT + [""]
    assert time.monotonic() - started < 30


@pytest.mark.parametrize("pub_flags,echo_flags,arrives", [
    ([], ["--best-effort"], True), (["--best-effort"], ["--best-effort"], True), (["--best-effort"], [], False)],
    ids=["reliable-to-best-effort", "best-effort", "best-effort-to-reliable"])
def test_best_effort_matches_as_in_dds(pub_flags, echo_flags, arrives):
    topic = f"velmsg_test/qos_{len(pub_flags)}{len(echo_flags)}"
    echo = subprocess.Popen([VELMSG, "echo", "velmari_messages/msg/Num", topic, "--count", "1", "--timeout",
                             "10" if arrives else "3", *echo_flags],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=ENV)
    try:
        # a few messages: best effort may drop the first before the reader knows the writer
        pub = run("pub", "velmari_messages/msg/Num", topic, "num=3", "--count", "10", "--rate", "20",
                  "--wait", "2" if arrives else "0.5", *pub_flags, env=ENV, timeout=30)
        out, _ = echo.communicate(timeout=20)
    finally:
        echo.kill()
        echo.wait()
    assert pub.code == 0, pub.err
    assert (echo.returncode, out) == ((0, b"num: 3\n---\n") if arrives else (4, b""))


def test_echo_without_publisher_times_out_with_exit_4():
    started = time.monotonic()
    result = run("echo", "velmari_messages/msg/Num", "velmsg_test/silent", "--count", "1", "--timeout", "1",
                 env=ENV, timeout=20)
    assert result.code == 4
    assert result.out == b""
    assert "received 0 of 1 messages on rt/velmsg_test/silent" in result.err
    assert time.monotonic() - started < 10


def test_pub_without_subscriber_stops_by_itself():
    result = run("pub", "velmari_messages/msg/Num", "velmsg_test/nobody", "num=1", "--count", "2",
                 "--rate", "20", "--wait", "0.2", env=ENV, timeout=20)
    assert result.code == 0, result.err
    assert result.text.count("published ") == 2
    assert "warning: no subscriber on rt/velmsg_test/nobody" in result.err


def test_bad_domain_is_a_usage_error():
    env = dict(ENV, ROS_DOMAIN_ID="300")
    result = run("echo", "velmari_messages/msg/Num", "t", "--timeout", "1", env=env)
    assert result.code == 2 and "ROS_DOMAIN_ID" in result.err
