"""Python written the way ROS 2 node and tool code uses interface packages: the
per-type modules, the field mapping generic tools read, errors that say what
was wrong, and pickling."""
import copy
import importlib
import pickle

import pytest

import navunit_common_msgs.msg
import velmari_messages.msg
import velmari_messages.srv
from builtin_interfaces.msg import Time
from conftest import message_classes, same_value
from msgdef_py.serialization import deserialize_message, serialize_message
from std_msgs.msg import Header

# Module of each definition file and the classes it holds, as ROS 2 code imports them.
PER_TYPE_MODULES = {
    'velmari_messages.msg._control': ['Control'],
    'velmari_messages.msg._ego_state': ['EgoState'],
    'velmari_messages.msg._num': ['Num'],
    'velmari_messages.srv._add_three_ints':
        ['AddThreeInts_Request', 'AddThreeInts_Response', 'AddThreeInts'],
    'navunit_common_msgs.msg._zodizu610': ['Zodizu610'],
    'navunit_common_msgs.msg._velmari_ego_cache': ['VelmariEgoCache'],
    'std_msgs.msg._header': ['Header'],
    'builtin_interfaces.msg._time': ['Time'],
}


@pytest.mark.parametrize('module_name', sorted(PER_TYPE_MODULES))
def test_each_type_imports_from_its_own_module_as_the_package_gives_it(module_name):
    module = importlib.import_module(module_name)
    package = importlib.import_module(module_name.rpartition('.')[0])
    for name in PER_TYPE_MODULES[module_name]:
        cls = getattr(module, name)
        assert cls.__module__ == module_name
        assert getattr(package, name) is cls


def test_package_modules_export_the_types_and_nothing_else():
    exported = {module: sorted(name for name in vars(module) if not name.startswith('_'))
                for module in (velmari_messages.msg, velmari_messages.srv,
                               navunit_common_msgs.msg)}
    assert exported == {
        velmari_messages.msg: ['Control', 'EgoState', 'Num'],
        velmari_messages.srv: ['AddThreeInts', 'AddThreeInts_Request', 'AddThreeInts_Response'],
        navunit_common_msgs.msg: ['VelmariEgoCache', 'Zodizu610'],
    }


def test_fields_and_field_types_name_every_slot_in_order():
    classes = message_classes()
    assert len(classes) == 9
    for cls in classes:
        mapping = cls._fields_and_field_types
        assert list(mapping) == [slot[1:] for slot in cls.__slots__], cls
        assert cls.get_fields_and_field_types() == mapping
        cls.get_fields_and_field_types().clear()  # a copy: the class keeps its mapping
        assert cls._fields_and_field_types == mapping
    assert velmari_messages.msg.Control._fields_and_field_types == {
        'header': 'std_msgs/Header', 'valid': 'boolean', 'throttle': 'double', 'brake': 'double',
        'steer': 'double', 'mode': 'int32', 'gear': 'int32'}
    assert Header._fields_and_field_types == {
        'stamp': 'builtin_interfaces/Time', 'frame_id': 'string'}


def test_positional_arguments_are_refused_naming_the_message_class():
    with pytest.raises(TypeError, match=r'velmari_messages\.msg\.Control\(\) takes field values '
                                        r'as keywords only \(header, valid, throttle, .*'
                                        r'not 2 positional arguments'):
        velmari_messages.msg.Control(True, 0.5)
    with pytest.raises(TypeError, match=r'navunit_common_msgs\.msg\.VelmariEgoCache\(\).* '
                                        r'not 1 positional argument$'):
        navunit_common_msgs.msg.VelmariEgoCache(1.0)
    with pytest.raises(NotImplementedError, match='velmari_messages.srv.AddThreeInts is a service'):
        velmari_messages.srv.AddThreeInts()


@pytest.mark.parametrize('value, fragment', [
    (velmari_messages.msg.Control,
     'needs a message (an instance, e.g. Control()), got the class velmari_messages.msg.Control'),
    (velmari_messages.srv.AddThreeInts, 'got the service class velmari_messages.srv.AddThreeInts'),
    (5, 'got a value of type int'),
    ({'num': 1}, 'got a value of type dict'),
    (None, 'got a value of type NoneType'),
])
def test_serialize_message_says_what_it_got_and_what_it_needs(value, fragment):
    with pytest.raises(TypeError, match='serialize_message') as error:
        serialize_message(value)
    assert fragment in str(error.value)


def test_deserialize_message_says_what_it_got_and_what_it_needs():
    data = serialize_message(velmari_messages.msg.Num(num=3))
    with pytest.raises(TypeError) as error:
        deserialize_message(data, velmari_messages.msg.Num())
    assert 'needs a message class (the class, e.g. Num, not an instance), ' \
           'got a velmari_messages.msg.Num message' in str(error.value)
    with pytest.raises(TypeError, match='needs a message class, got the class int'):
        deserialize_message(data, int)
    assert deserialize_message(data, velmari_messages.msg.Num) == velmari_messages.msg.Num(num=3)


def sample_messages():
    return [
        velmari_messages.msg.Control(
            header=Header(stamp=Time(sec=-5, nanosec=7), frame_id="it's\n"), valid=True,
            throttle=0.5, brake=float('nan'), steer=-0.0, mode=-1, gear=2),
        velmari_messages.srv.AddThreeInts_Request(a=1, b=-2, c=2**63 - 1),
        navunit_common_msgs.msg.Zodizu610(status=255, heading=float('-inf'), nsv1=-32768),
        navunit_common_msgs.msg.VelmariEgoCache(speed=3.5),
    ]


@pytest.mark.parametrize('protocol', range(pickle.HIGHEST_PROTOCOL + 1))
def test_messages_pickle_with_every_protocol(protocol):
    for message in sample_messages():
        restored = pickle.loads(pickle.dumps(message, protocol))
        assert same_value(restored, message), (protocol, message)


def test_copies_are_independent_down_to_nested_messages():
    original = sample_messages()[0]
    deep = copy.deepcopy(original)
    assert same_value(deep, original)
    deep.header.frame_id = 'map'
    deep.header.stamp.sec = 9
    assert original.header.frame_id == "it's\n" and original.header.stamp.sec == -5
    shallow = copy.copy(original)
    assert shallow.header is original.header
