"""The Python message classes: construction, checked fields, equality, repr,
field tables, and the type support the metaclass imports."""
import glob
import importlib
import math
import os

import pytest

import velmari_messages.srv
from builtin_interfaces.msg import Time
from conftest import MODULES, message_classes
from navunit_common_msgs.msg import Zodizu610
from std_msgs.msg import Header
from velmari_messages.msg import Control, Num
from velmari_messages.srv import AddThreeInts

SOURCE_DIR = os.environ.get('MSGDEF_SOURCE_DIR', '')
ROS_TYPE_NAMES = {'bool': 'boolean', 'float32': 'float', 'float64': 'double'}


def interface_files():
    """(package, folder, type, fields) of every .msg/.srv file: what users read."""
    found = []
    # <package>/msg/X.msg, and stand_ins/<package>/msg/X.msg for the nested types' packages
    patterns = [os.path.join(SOURCE_DIR, *(['stand_ins'] * nested), '*', '*', '*.' + kind)
                for nested in (0, 1) for kind in ('msg', 'srv')]
    for path in sorted(p for pattern in patterns for p in glob.glob(pattern)):
        folder = os.path.basename(os.path.dirname(path))
        package = os.path.basename(os.path.dirname(os.path.dirname(path)))
        name, extension = os.path.splitext(os.path.basename(path))
        with open(path) as f:
            parts = f.read().split('---\n')
        names = [name] if extension == '.msg' else [f'{name}_Request', f'{name}_Response']
        for type_name, text in zip(names, parts):
            fields = {}
            for line in text.splitlines():
                line = line.split('#')[0].strip()
                if line:
                    ros_type, field = line.split()
                    fields[field] = ROS_TYPE_NAMES.get(ros_type, ros_type)
            found.append((package, folder, type_name, fields))
    return found


def test_field_tables_agree_with_the_interface_files():
    files = interface_files()
    assert len(files) >= 9  # 7 product types and the two stand-ins
    for package, folder, type_name, fields in files:
        cls = getattr(importlib.import_module(f'{package}.{folder}'), type_name)
        assert cls.get_fields_and_field_types() == fields, type_name


def test_defaults_are_zero_and_nested_messages_default_constructed():
    control = Control()
    assert control.valid is False and control.mode == 0 and control.throttle == 0.0
    assert control.header == Header(stamp=Time(sec=0, nanosec=0), frame_id='')
    # Each instance owns its nested default.
    other = Control()
    other.header.frame_id = 'x'
    assert control.header.frame_id == ''


def test_keyword_construction_and_unknown_fields():
    assert Num(num=5).num == 5
    with pytest.raises(TypeError, match=r'Num\(\) has no field\(s\) speed, velocity'):
        Num(velocity=1, speed=2, num=3)
    with pytest.raises(TypeError):
        Num(5)


def test_every_class_constructor_fills_every_slot_in_table_order():
    for cls in message_classes():
        message = cls()
        fields = [field for field, _, _ in cls._FIELDS]
        assert cls._SLOT_NAMES == tuple('_' + f for f in fields)
        for field, slot in zip(fields, cls._SLOT_NAMES):
            assert object.__getattribute__(message, slot) is getattr(message, field), field
        given = cls(**{field: getattr(cls(), field) for field in fields})
        assert given == message


@pytest.mark.parametrize('cls, field, value, error', [
    (Control, 'valid', 1, TypeError),
    (Control, 'mode', 2**31, OverflowError),
    (Control, 'mode', 1.5, TypeError),
    (Control, 'throttle', 'fast', TypeError),
    (Control, 'throttle', True, TypeError),
    (Control, 'header', Time(), TypeError),
    (Zodizu610, 'status', 256, OverflowError),
    (Zodizu610, 'status', -1, OverflowError),
    (Zodizu610, 'heading', 1e39, OverflowError),
    (Header, 'frame_id', 'a\0', ValueError),
    (Header, 'frame_id', None, TypeError),
    (Time, 'nanosec', 2**32, OverflowError),
])
def test_assignment_is_checked_and_keeps_the_old_value(cls, field, value, error):
    message = cls()
    before = getattr(message, field)
    with pytest.raises(error, match=field):
        setattr(message, field, value)
    assert getattr(message, field) == before
    with pytest.raises(error):
        cls(**{field: value})


def test_accepted_values_are_normalised():
    message = Zodizu610(heading=2, status=255, lat=math.nan, alt=-0.0)
    assert type(message.heading) is float and message.heading == 2.0
    assert message.status == 255 and math.isnan(message.lat)
    assert math.copysign(1.0, message.alt) == -1.0
    with pytest.raises(AttributeError):
        message.undeclared = 1  # slots only


def test_equality_and_repr():
    a = Control(mode=1, header=Header(frame_id='f'))
    assert a == Control(mode=1, header=Header(frame_id='f'))
    assert a != Control(mode=2, header=Header(frame_id='f'))
    assert a != Control(mode=1)
    assert Num(num=1) != velmari_messages.srv.AddThreeInts_Response(num=1)
    assert repr(Num(num=-3)) == 'velmari_messages.msg.Num(num=-3)'
    assert repr(Header()) == ("std_msgs.msg.Header(stamp=builtin_interfaces.msg.Time("
                              "sec=0, nanosec=0), frame_id='')")


def test_service_class_pairs_request_and_response():
    assert AddThreeInts.Request is velmari_messages.srv.AddThreeInts_Request
    assert AddThreeInts.Response is velmari_messages.srv.AddThreeInts_Response
    assert AddThreeInts.Request(a=1, b=2, c=3).c == 3
    with pytest.raises(NotImplementedError):
        AddThreeInts()


CAPSULES = {'_CREATE_ROS_MESSAGE': 'create_ros_message',
            '_DESTROY_ROS_MESSAGE': 'destroy_ros_message',
            '_CONVERT_FROM_PY': 'convert_from_py', '_CONVERT_TO_PY': 'convert_to_py',
            '_TYPE_SUPPORT': 'type_support'}


def test_import_type_support_takes_each_type_its_own_module_capsules():
    type(AddThreeInts).__import_type_support__()
    velmari = importlib.import_module(MODULES['velmari_messages'])
    assert AddThreeInts._TYPE_SUPPORT is velmari.type_support_srv__srv__add_three_ints
    # The service brings its request and response along, a message its header.
    assert type(AddThreeInts.Request)._TYPE_SUPPORT is not None
    type(Control).__import_type_support__()
    assert type(Header)._TYPE_SUPPORT is not None and type(Time)._TYPE_SUPPORT is not None
    for cls in message_classes():
        meta = type(cls)
        assert meta.__name__ == f'Metaclass_{cls.__name__}'
        meta.__import_type_support__()
        package, folder, _, snake = cls._TYPE[:4]
        module = importlib.import_module(f'{package}.{cls._TYPE[4].split(".")[-1]}')
        for attribute, operation in CAPSULES.items():
            expected = getattr(module, f'{operation}_msg__{folder}__{snake}')
            assert getattr(meta, attribute) is expected  # where the client library reads it
            assert getattr(cls, attribute) is expected
