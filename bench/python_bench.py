#!/usr/bin/env python3
"""Python message paths of Zodizu610 next to a plain class with __slots__ and
the same fields (its header a plain Header, its stamp a plain Time).

Run with the build's site-packages on PYTHONPATH (scripts/run bench does).
Each figure is the best of several timeit repeats, in microseconds per call;
the ratio is to the plain class's construction of the same message.
"""

import sys
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


def best_us(statement, number):
    return min(timeit.repeat(statement, number=number, repeat=7)) / number * 1e6


def main():
    message = Zodizu610(header=Header(frame_id='base_link'), **VALUES)
    data = serialize_message(message)
    assert deserialize_message(data, Zodizu610) == message

    number = 2000
    plain_default = best_us(lambda: PlainZodizu610(), number)
    plain_full = best_us(lambda: PlainZodizu610(header=PlainHeader(frame_id='base_link'), **VALUES),
                         number)
    rows = [
        ('construct, defaults', best_us(lambda: Zodizu610(), number), plain_default),
        ('construct, every field', best_us(
            lambda: Zodizu610(header=Header(frame_id='base_link'), **VALUES), number), plain_full),
        ('deserialize_message', best_us(lambda: deserialize_message(data, Zodizu610), number),
         plain_full),
        ('serialize_message', best_us(lambda: serialize_message(message), number), None),
    ]

    def assign_int():
        message.gpsweek = 2301

    def assign_float32():
        message.heading = 2.5

    def assign_string():
        message.header.frame_id = 'map'

    plain = PlainZodizu610()

    def plain_assign():
        plain.gpsweek = 2301

    plain_assign_us = best_us(plain_assign, number * 10)
    rows += [
        ('assign int32 field', best_us(assign_int, number * 10), plain_assign_us),
        ('assign float32 field', best_us(assign_float32, number * 10), plain_assign_us),
        ('assign header.frame_id', best_us(assign_string, number * 10), None),
    ]

    print(f'Python {sys.version.split()[0]}; us per call, best of 7; '
          f'plain construct: {plain_default:.2f} us (defaults), {plain_full:.2f} us (every field)')
    print('| path | Zodizu610 (us) | plain __slots__ class (us) | ratio |')
    print('|---|---|---|---|')
    for name, ours, theirs in rows:
        ratio = f'{ours / theirs:.1f}' if theirs else '-'
        theirs_text = f'{theirs:.2f}' if theirs else '-'
        print(f'| {name} | {ours:.2f} | {theirs_text} | {ratio} |')


if __name__ == '__main__':
    main()
