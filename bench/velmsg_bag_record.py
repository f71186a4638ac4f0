#!/usr/bin/env python3
"""How velmsg bag record keeps up: TOPICS topics at RATE messages per second each
for SECONDS seconds, published over DDS on 127.0.0.1 by `velmsg bag play` of a
bag that Python writes (velmari_messages/msg/Num, num counting 1, 2, ... per
topic), recorded by `velmsg bag record`, and the recording read back with
Python's sqlite3: every message must be there exactly once, in order per topic. Prints the recorder's CPU time and peak
memory; exits 1 when a message is lost, doubled or out of order.

    bench/velmsg_bag_record.py BUILD [--topics 4] [--rate 1000] [--seconds 30] [--split S]

BUILD is a build folder (bin/velmsg). ROS_DOMAIN_ID picks the
domain (default: a random one from 100 to 232)."""
import argparse
import os
import pathlib
import random
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "msgdef_tests" / "tool"))
import ros2_bag  # noqa: E402

ENCAPSULATION = b"\x00\x01\x00\x00"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build", type=pathlib.Path)
    parser.add_argument("--topics", type=int, default=4)
    parser.add_argument("--rate", type=float, default=1000.0)
    parser.add_argument("--seconds", type=float, default=30.0)
    parser.add_argument("--split", type=float, help="a new .db3 file every S seconds (record -d S)")
    options = parser.parse_args()
    velmsg = str(options.build / "bin" / "velmsg")
    env = dict(os.environ, ROS_DOMAIN_ID=os.environ.get("ROS_DOMAIN_ID", str(random.randint(100, 232))))
    env.pop("ROS_LOCALHOST_ONLY", None)  # loopback only
    per_topic = int(options.rate * options.seconds)
    names = [f"/bench/topic_{t}" for t in range(options.topics)]
    period = int(1e9 / options.rate)
    total = per_topic * options.topics
    with tempfile.TemporaryDirectory() as work:
        source, recorded = pathlib.Path(work) / "source", pathlib.Path(work) / "recorded"
        # Started while this process is small: the peak memory of a child counts
        # what it shared with its parent between fork and exec.
        recorder = subprocess.Popen([velmsg, "bag", "record", "-o", str(recorded), *names, "--max-messages",
                                     str(total), "--duration", str(options.seconds + 60),
                                     *(["-d", str(options.split)] if options.split else [])],
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env)
        began = time.monotonic()
        start = time.time_ns()
        # each topic's messages a fraction of a period after the previous topic's
        messages = sorted(((t, start + i * period + t * period // options.topics,
                            ENCAPSULATION + struct.pack("<q", i + 1))
                           for t in range(options.topics) for i in range(per_topic)), key=lambda m: m[1])
        ros2_bag.write_bag(source, [ros2_bag.Topic(n, "velmari_messages/msg/Num") for n in names], messages)
        player = subprocess.run([velmsg, "bag", "play", str(source), "--wait", "20"], capture_output=True,
                                text=True, env=env, timeout=options.seconds + 120)
        _, status, usage = os.wait4(recorder.pid, 0)
        wall = time.monotonic() - began
        recorder.returncode = os.waitstatus_to_exitcode(status)
        out, err = recorder.communicate()
        if player.returncode or recorder.returncode:
            print(f"play: exit {player.returncode} {player.stderr}\nrecord: exit {recorder.returncode} "
                  f"{err.decode()}", file=sys.stderr)
            return 1
        _, topics, stored = ros2_bag.read_bag(recorded)
        size = sum(f.stat().st_size for f in recorded.iterdir())
        files = len(list(recorded.glob("*.db3")))
    lost = doubled = disordered = 0
    for name in names:
        # a Num: the encapsulation header, then the int64
        nums = [struct.unpack("<q", data[4:])[0] for topic, _, data in stored if topic == name and len(data) == 12]
        lost += len(set(range(1, per_topic + 1)) - set(nums))
        doubled += len(nums) - len(set(nums))
        disordered += sum(1 for a, b in zip(nums, nums[1:]) if b <= a)
    cpu = usage.ru_utime + usage.ru_stime
    rss_mib = usage.ru_maxrss / 1024  # kilobytes on Linux
    print(f"{options.topics} topics x {options.rate:g} Hz x {options.seconds:g} s: {len(messages)} published, "
          f"{len(stored)} recorded, {lost} lost, {doubled} doubled, {disordered} out of order")
    print(f"recorder: {cpu:.2f} s CPU in {wall:.1f} s ({100 * cpu / wall:.0f}% of one core), "
          f"peak memory {rss_mib:.1f} MiB; bag {size / 2 ** 20:.1f} MiB in {files} files")
    return 0 if (lost, doubled, disordered, len(stored)) == (0, 0, 0, len(messages)) else 1


if __name__ == "__main__":
    sys.exit(main())
