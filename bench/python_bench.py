#!/usr/bin/env python3
"""Python message paths of Zodizu610 next to a plain class with __slots__ and
the same fields (its header a plain Header, its stamp a plain Time).

Run with the build's site-packages on PYTHONPATH (scripts/run bench and
bench-count do). Without arguments: microseconds per call, the best of 7
timeit runs; with --count: instructions per call under callgrind. The ratio
is to the plain class doing the same (construction of the same message for
deserialize_message).
"""

import os
import subprocess
import sys
import tempfile
import timeit

from msgdef_py.serialization import deserialize_message, serialize_message
from navunit_common_msgs.msg import Zodizu610
from std_msgs.msg import Header

FIELDS = [name for name, _, _ in Zodizu610._FIELDS]
VALUES = dict(gpsweek=2300, gpstime=345600.25, heading=1.5, pitch=0.25, roll=-0.5,
              gyro_x=0.0625, gyro_y=0.125, gyro_z=0.1875, acc_x=0.5, acc_y=0.75, acc_z=9.75,
              lat=48.1, lon=11.5, alt=520.0, ve=1.0, vn=2.0, vu=0.0, v=2.25,
              nsv1=12, nsv2=9, status=4, age=1, warning=0)


class PlainTime:
    __slots__ = ('sec', 'nanosec')

    def __init__(self, sec=0, nanosec=0):
        self.sec = sec
        self.nanosec = nanosec


class PlainHeader:
    __slots__ = ('stamp', 'frame_id')

    def __init__(self, stamp=None, frame_id=''):
        self.stamp = PlainTime() if stamp is None else stamp
        self.frame_id = frame_id


class PlainZodizu610:
    __slots__ = tuple(FIELDS)

    def __init__(self, header=None, gpsweek=0, gpstime=0.0, heading=0.0, pitch=0.0, roll=0.0,
                 gyro_x=0.0, gyro_y=0.0, gyro_z=0.0, acc_x=0.0, acc_y=0.0, acc_z=0.0,
                 lat=0.0, lon=0.0, alt=0.0, ve=0.0, vn=0.0, vu=0.0, v=0.0,
                 nsv1=0, nsv2=0, status=0, age=0, warning=0):
        self.header = PlainHeader() if header is None else header
        self.gpsweek = gpsweek
        self.gpstime = gpstime
        self.heading = heading
        self.pitch = pitch
        self.roll = roll
        self.gyro_x = gyro_x
        self.gyro_y = gyro_y
        self.gyro_z = gyro_z
        self.acc_x = acc_x
        self.acc_y = acc_y
        self.acc_z = acc_z
        self.lat = lat
        self.lon = lon
        self.alt = alt
        self.ve = ve
        self.vn = vn
        self.vu = vu
        self.v = v
        self.nsv1 = nsv1
        self.nsv2 = nsv2
        self.status = status
        self.age = age
        self.warning = warning


def operations():
    """(name, ours, plain) per path; plain is the plain class's counterpart or None."""
    message = Zodizu610(header=Header(frame_id='base_link'), **VALUES)
    data = serialize_message(message)
    assert deserialize_message(data, Zodizu610) == message
    plain = PlainZodizu610()

    def assign_int():
        message.gpsweek = 2301

    def assign_float32():
        message.heading = 2.5

    def assign_string():
        message.header.frame_id = 'map'

    def plain_assign():
        plain.gpsweek = 2301

    def construct_full():
        return Zodizu610(header=Header(frame_id='base_link'), **VALUES)

    def plain_full():
        return PlainZodizu610(header=PlainHeader(frame_id='base_link'), **VALUES)

    return [
        ('construct, defaults', Zodizu610, PlainZodizu610),
        ('construct, every field', construct_full, plain_full),
        ('deserialize_message', lambda: deserialize_message(data, Zodizu610), plain_full),
        ('serialize_message', lambda: serialize_message(message), None),
        ('assign int32 field', assign_int, plain_assign),
        ('assign float32 field', assign_float32, plain_assign),
        ('assign header.frame_id', assign_string, None),
    ]


def best_us(statement, number=5000):
    return min(timeit.repeat(statement, number=number, repeat=7)) / number * 1e6


def print_table(unit, rows, digits):
    print(f'| path | Zodizu610 ({unit}) | plain __slots__ class ({unit}) | ratio |')
    print('|---|---|---|---|')
    for name, ours, theirs in rows:
        ratio = f'{ours / theirs:.1f}' if theirs else '-'
        theirs_text = f'{theirs:.{digits}f}' if theirs else '-'
        print(f'| {name} | {ours:.{digits}f} | {theirs_text} | {ratio} |')


def time_all():
    print(f'Python {sys.version.split()[0]}; microseconds per call, best of 7 timeit runs')
    print_table('us', [(name, best_us(ours), best_us(plain) if plain else None)
                       for name, ours, plain in operations()], 2)


# Instruction counts: this script is run under callgrind once per operation
# (--run NAME REPEAT) and once with nothing to do; the difference of the
# totals, divided by REPEAT, is the operation's count.
REPEAT = 2000


def run(name, repeat):
    ops = {name: fn for name, fn, _ in operations()}
    ops.update({'plain ' + name: fn for name, _, fn in operations() if fn})
    fn = ops.get(name, lambda: None)
    for _ in range(repeat):
        fn()


def instructions(name, repeat):
    with tempfile.TemporaryDirectory() as folder:
        out = os.path.join(folder, 'callgrind.out')
        subprocess.run(['valgrind', '--tool=callgrind', f'--callgrind-out-file={out}',
                        sys.executable, __file__, '--run', name, str(repeat)],
                       check=True, capture_output=True)
        with open(out) as dump:
            return next(int(line.split()[1]) for line in dump if line.startswith('summary:'))


def count_all():
    idle = instructions('none', REPEAT)

    def per_call(name):
        return (instructions(name, REPEAT) - idle) / REPEAT

    print(f'Python {sys.version.split()[0]}; instructions per call (callgrind)')
    print_table('instructions', [(name, per_call(name), per_call('plain ' + name) if plain else None)
                                 for name, _, plain in operations()], 0)


if __name__ == '__main__':
    if sys.argv[1:2] == ['--run']:
        run(sys.argv[2], int(sys.argv[3]))
    elif sys.argv[1:] == ['--count']:
        count_all()
    else:
        time_all()
