"""serialize_message / deserialize_message: through the capsules, the C
dispatch handle and the Fast-CDR C serializer."""
import struct

import pytest

pytest.importorskip('msgdef_py._cdr', reason='Fast-CDR C serializer not built')

from conftest import message_classes, same_value
from msgdef_py.serialization import deserialize_message, serialize_message
from std_msgs.msg import Header
from test_conversion import VARIANTS, edge_message
from velmari_messages.msg import Control, Num
from velmari_messages.srv import AddThreeInts, AddThreeInts_Request

LITTLE_ENDIAN_CDR = bytes.fromhex('00010000')

# Wire form of each ROS type: struct code; strings are length (with NUL), bytes, NUL.
CODES = {'boolean': '?', 'uint8': 'B', 'int16': 'h', 'uint16': 'H', 'int32': 'i',
         'uint32': 'I', 'int64': 'q', 'float': 'f', 'double': 'd'}


class CdrWriter:
    """Plain CDR, each value aligned to its size from the start of the body."""

    def __init__(self, endian='<'):
        self.endian = endian
        self.body = bytearray()

    def put(self, code, value):
        size = struct.calcsize(code)
        self.body += bytes(-len(self.body) % size)
        self.body += struct.pack(self.endian + code, value)

    def message(self, message):
        for field, ros_type in message.get_fields_and_field_types().items():
            value = getattr(message, field)
            if ros_type == 'string':
                data = value.encode() + b'\0'
                self.put('I', len(data))
                self.body += data
            elif '/' in ros_type:
                self.message(value)
            else:
                self.put(CODES[ros_type], value)
        return self


def test_hand_written_vectors():
    assert serialize_message(Num(num=-2)) == LITTLE_ENDIAN_CDR + bytes.fromhex('feffffffffffffff')
    assert serialize_message(AddThreeInts_Request(a=1, b=-1, c=2**63 - 1)) == (
        LITTLE_ENDIAN_CDR + bytes.fromhex('0100000000000000' 'ffffffffffffffff'
                                          'ffffffffffffff7f'))
    control = Control(header=Header(frame_id='ab'), valid=True, throttle=1.0, brake=-0.0,
                      steer=0.5, mode=-2, gear=3)
    control.header.stamp.sec = 1
    control.header.stamp.nanosec = 2
    assert serialize_message(control) == LITTLE_ENDIAN_CDR + bytes.fromhex(
        '01000000' '02000000'          # stamp
        '03000000' '616200'            # frame_id "ab" with its NUL
        '01'                           # valid, then padding to 8
        '000000000000f03f'             # throttle
        '0000000000000080'             # brake -0.0
        '000000000000e03f'             # steer
        'feffffff' '03000000')         # mode, gear


@pytest.mark.parametrize('cls', message_classes(), ids=lambda cls: cls.__name__)
def test_every_type_serializes_to_its_cdr_form_and_back(cls):
    for variant in range(VARIANTS):
        message = edge_message(cls, variant)
        data = serialize_message(message)
        assert data == LITTLE_ENDIAN_CDR + bytes(CdrWriter().message(message).body)
        assert same_value(deserialize_message(data, cls), message)


def test_big_endian_data_is_read_too():
    assert deserialize_message(bytes.fromhex('00000000') + struct.pack('>q', -5), Num) == \
        Num(num=-5)


def test_bad_data_raises_instead_of_crashing():
    good = serialize_message(Control(header=Header(frame_id='frame')))
    for size in range(len(good)):
        with pytest.raises(ValueError):
            deserialize_message(good[:size], Control)
    for header in ('01010000', '00020000', 'ff010000'):
        with pytest.raises(ValueError, match='header'):
            deserialize_message(bytes.fromhex(header) + good[4:], Control)
    # Only DDS's zero padding to a multiple of 4 may follow the message, as velmsg decode has it.
    num = serialize_message(Num(num=1))
    for tail in (bytes(4), b'\x01', bytes(1)):
        with pytest.raises(ValueError, match='follow the message'):
            deserialize_message(num + tail, Num)
    header = serialize_message(Header(frame_id='ab'))  # 15 bytes: 1 byte of padding
    assert deserialize_message(header + b'\x00', Header) == Header(frame_id='ab')
    # A string length far past the end of the data.
    huge_string = bytearray(good)
    huge_string[12:16] = struct.pack('<I', 0xfffffff0)
    with pytest.raises(ValueError):
        deserialize_message(bytes(huge_string), Control)


def test_read_messages_are_built_without_the_constructor_but_hold_valid_values():
    message = Control(valid=True, mode=-2, throttle=0.5, header=Header(frame_id='base'))
    for _ in range(3):  # the class's serializer support is looked up once, then kept
        back = deserialize_message(serialize_message(message), Control)
        assert type(back) is Control and type(back.header) is Header and back == message
    # A NUL inside a frame id is valid CDR but no Python message may hold it.
    data = LITTLE_ENDIAN_CDR + bytes.fromhex('00000000' '00000000' '04000000' '61006200')
    with pytest.raises(ValueError, match='frame_id must not contain NUL'):
        deserialize_message(data, Header)


def test_frame_id_that_is_not_utf8_is_an_error():
    data = LITTLE_ENDIAN_CDR + bytes.fromhex('00000000' '00000000' '02000000' 'ff00')
    with pytest.raises(UnicodeDecodeError):
        deserialize_message(data, Header)


def test_arguments_are_checked():
    data = serialize_message(Num(num=1))
    for not_a_message_class in (Num(num=1), int, AddThreeInts, None):
        with pytest.raises(TypeError):
            deserialize_message(data, not_a_message_class)
    with pytest.raises(TypeError):
        deserialize_message('0001', Num)
    assert deserialize_message(bytearray(data), Num) == deserialize_message(memoryview(data), Num)
    for not_a_message in (1, AddThreeInts_Request, None):
        with pytest.raises(TypeError):
            serialize_message(not_a_message)
    bad = Num()
    bad._num = 2**64
    with pytest.raises(OverflowError):
        serialize_message(bad)

