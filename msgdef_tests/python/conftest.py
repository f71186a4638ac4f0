"""Helpers shared by the Python binding tests: capsule access and the
libraries of the build tree through ctypes."""
import ctypes
import importlib
import math
import os
import struct

import pytest

LIBRARY_DIR = os.environ.get('MSGDEF_LIBRARY_DIR', '')

_api = ctypes.pythonapi
_api.PyCapsule_GetPointer.restype = ctypes.c_void_p
_api.PyCapsule_GetPointer.argtypes = [ctypes.py_object, ctypes.c_char_p]
_api.PyCapsule_GetName.restype = ctypes.c_char_p
_api.PyCapsule_GetName.argtypes = [ctypes.py_object]
_api.PyCapsule_GetDestructor.restype = ctypes.c_void_p
_api.PyCapsule_GetDestructor.argtypes = [ctypes.py_object]

MODULES = {
    'velmari_messages': 'velmari_messages.velmari_messages_s__rosidl_typesupport_c',
    'navunit_common_msgs': 'navunit_common_msgs.navunit_common_msgs_s__rosidl_typesupport_introspection_c',
}


def capsule_pointer(capsule):
    return _api.PyCapsule_GetPointer(capsule, None)


def capsule_name(capsule):
    return _api.PyCapsule_GetName(capsule)


def capsule_destructor(capsule):
    return _api.PyCapsule_GetDestructor(capsule)


def library(name):
    """A built library by its name, <package>__<kind>."""
    return ctypes.PyDLL(os.path.join(LIBRARY_DIR, f'lib{name}.so'))


def function_address(lib, name):
    return ctypes.cast(getattr(lib, name), ctypes.c_void_p).value


class CMessage:
    """A C message made and released through a type's capsules."""

    def __init__(self, cls):
        meta = type(cls)
        if meta._TYPE_SUPPORT is None:
            meta.__import_type_support__()
        self.cls = cls
        self._create = ctypes.CFUNCTYPE(ctypes.c_void_p)(capsule_pointer(cls._CREATE_ROS_MESSAGE))
        self._destroy = ctypes.CFUNCTYPE(None, ctypes.c_void_p)(
            capsule_pointer(cls._DESTROY_ROS_MESSAGE))
        self._from_py = ctypes.PYFUNCTYPE(ctypes.c_bool, ctypes.py_object, ctypes.c_void_p)(
            capsule_pointer(cls._CONVERT_FROM_PY))
        self._to_py = ctypes.PYFUNCTYPE(ctypes.py_object, ctypes.c_void_p)(
            capsule_pointer(cls._CONVERT_TO_PY))
        self.pointer = self._create()
        assert self.pointer

    def fill(self, message):
        return self._from_py(message, self.pointer)

    def read(self):
        return self._to_py(self.pointer)

    def close(self):
        if self.pointer:
            self._destroy(self.pointer)
            self.pointer = None


@pytest.fixture
def c_message():
    made = []

    def make(cls):
        message = CMessage(cls)
        made.append(message)
        return message
    yield make
    for message in made:
        message.close()


def message_classes():
    """Every message class of both packages and of the stand-ins."""
    classes = []
    for module in ('velmari_messages.msg', 'velmari_messages.srv', 'navunit_common_msgs.msg',
                   'std_msgs.msg', 'builtin_interfaces.msg'):
        imported = importlib.import_module(module)
        classes += [value for value in vars(imported).values()
                    if isinstance(value, type) and hasattr(value, '_FIELDS')
                    and value.__module__.rpartition('.')[0] == module]
    return classes


def same_value(a, b):
    """Equal, with NaN equal to NaN and -0.0 different from 0.0."""
    if isinstance(a, float) and isinstance(b, float):
        if math.isnan(a) or math.isnan(b):
            return math.isnan(a) and math.isnan(b)
        return struct.pack('<d', a) == struct.pack('<d', b)
    if hasattr(a, '_FIELDS'):
        return type(a) is type(b) and all(
            same_value(getattr(a, f), getattr(b, f)) for f in a.get_fields_and_field_types())
    return type(a) is type(b) and a == b
