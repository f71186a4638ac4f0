"""The extension modules as the Python client library sees them after import."""
import ctypes
import importlib
import os

import pytest

from conftest import (LIBRARY_DIR, MODULES, capsule_destructor, capsule_name, capsule_pointer,
                      function_address, library)

VELMARI_ATTRIBUTES = [
    'create_ros_message_msg__msg__control', 'destroy_ros_message_msg__msg__control',
    'convert_from_py_msg__msg__control', 'convert_to_py_msg__msg__control',
    'type_support_msg__msg__control',
    'create_ros_message_msg__msg__ego_state', 'destroy_ros_message_msg__msg__ego_state',
    'convert_from_py_msg__msg__ego_state', 'convert_to_py_msg__msg__ego_state',
    'type_support_msg__msg__ego_state',
    'create_ros_message_msg__msg__num', 'destroy_ros_message_msg__msg__num',
    'convert_from_py_msg__msg__num', 'convert_to_py_msg__msg__num',
    'type_support_msg__msg__num',
    'create_ros_message_msg__srv__add_three_ints__request',
    'destroy_ros_message_msg__srv__add_three_ints__request',
    'convert_from_py_msg__srv__add_three_ints__request',
    'convert_to_py_msg__srv__add_three_ints__request',
    'type_support_msg__srv__add_three_ints__request',
    'create_ros_message_msg__srv__add_three_ints__response',
    'destroy_ros_message_msg__srv__add_three_ints__response',
    'convert_from_py_msg__srv__add_three_ints__response',
    'convert_to_py_msg__srv__add_three_ints__response',
    'type_support_msg__srv__add_three_ints__response',
    'type_support_srv__srv__add_three_ints',
]
NAVUNIT_ATTRIBUTES = [
    'create_ros_message_msg__msg__zodizu610', 'destroy_ros_message_msg__msg__zodizu610',
    'convert_from_py_msg__msg__zodizu610', 'convert_to_py_msg__msg__zodizu610',
    'type_support_msg__msg__zodizu610',
    'create_ros_message_msg__msg__velmari_ego_cache',
    'destroy_ros_message_msg__msg__velmari_ego_cache',
    'convert_from_py_msg__msg__velmari_ego_cache', 'convert_to_py_msg__msg__velmari_ego_cache',
    'type_support_msg__msg__velmari_ego_cache',
]
EXPECTED = {'velmari_messages': VELMARI_ATTRIBUTES, 'navunit_common_msgs': NAVUNIT_ATTRIBUTES}

# Per attribute: the C name of its type and the snake stem, as the modules publish them.
TYPES = {
    'velmari_messages': [('msg', 'Control', 'control'), ('msg', 'EgoState', 'ego_state'),
                         ('msg', 'Num', 'num'),
                         ('srv', 'AddThreeInts_Request', 'add_three_ints__request'),
                         ('srv', 'AddThreeInts_Response', 'add_three_ints__response')],
    'navunit_common_msgs': [('msg', 'Zodizu610', 'zodizu610'),
                            ('msg', 'VelmariEgoCache', 'velmari_ego_cache')],
}


def own_attributes(module):
    return [name for name in vars(module) if not (name.startswith('__') and name.endswith('__'))]


@pytest.mark.parametrize('package', sorted(MODULES))
def test_module_publishes_exactly_its_capsules_in_order(package):
    module = importlib.import_module(MODULES[package])
    assert own_attributes(module) == EXPECTED[package]
    assert module.__name__ == f'_{package}_support'
    assert module.__doc__ == f'_{package}_doc'
    for name in EXPECTED[package]:
        capsule = getattr(module, name)
        assert type(capsule).__name__ == 'PyCapsule'
        assert capsule_name(capsule) is None
        assert capsule_destructor(capsule) is None
        assert capsule_pointer(capsule)


@pytest.mark.parametrize('package', sorted(MODULES))
def test_capsules_point_at_the_package_functions_and_dispatch_handles(package):
    module = importlib.import_module(MODULES[package])
    messages = library(f'{package}__rosidl_generator_c')
    conversion = library(f'{package}__python')
    dispatch = library(f'{package}__rosidl_typesupport_c')
    for folder, type_name, snake in TYPES[package]:
        c_name = f'{package}__{folder}__{type_name}'
        suffix = f'msg__{folder}__{snake}'

        def pointer(operation):
            return capsule_pointer(getattr(module, f'{operation}_{suffix}'))
        assert pointer('create_ros_message') == function_address(messages, f'{c_name}__create')
        assert pointer('destroy_ros_message') == function_address(messages, f'{c_name}__destroy')
        stem = f'{package}__{folder}__{snake}'
        assert pointer('convert_from_py') == function_address(conversion, f'{stem}__convert_from_py')
        assert pointer('convert_to_py') == function_address(conversion, f'{stem}__convert_to_py')
        handle_function = getattr(
            dispatch, f'rosidl_typesupport_c__get_message_type_support_handle__{c_name}')
        handle_function.restype = ctypes.c_void_p
        assert pointer('type_support') == handle_function()


def test_service_capsule_holds_the_dispatch_service_handle():
    module = importlib.import_module(MODULES['velmari_messages'])
    dispatch = library('velmari_messages__rosidl_typesupport_c')
    handle_function = dispatch.rosidl_typesupport_c__get_service_type_support_handle__velmari_messages__srv__AddThreeInts  # noqa: E501
    handle_function.restype = ctypes.c_void_p
    assert capsule_pointer(module.type_support_srv__srv__add_three_ints) == handle_function()


@pytest.mark.parametrize('package', sorted(MODULES))
def test_create_and_destroy_through_the_capsules(package):
    module = importlib.import_module(MODULES[package])
    for folder, _, snake in TYPES[package]:
        create = ctypes.CFUNCTYPE(ctypes.c_void_p)(
            capsule_pointer(getattr(module, f'create_ros_message_msg__{folder}__{snake}')))
        destroy = ctypes.CFUNCTYPE(None, ctypes.c_void_p)(
            capsule_pointer(getattr(module, f'destroy_ros_message_msg__{folder}__{snake}')))
        messages = [create() for _ in range(3)]
        assert all(messages) and len(set(messages)) == 3
        for message in messages:
            destroy(message)


def test_modules_are_built_on_the_stable_abi_of_python_3_8():
    """The file names say so to the importer, and everything Python that the
    modules and conversion libraries use is in the stable ABI of 3.8."""
    import re
    import subprocess
    from msgdef_py import _cdr
    with open(os.environ['MSGDEF_PYTHON_DEF']) as f:
        stable = set(re.findall(r'^  (\w+)', f.read(), re.M))
    modules = [_cdr] + [importlib.import_module(name) for name in MODULES.values()]
    binaries = [module.__file__ for module in modules] + [
        os.path.join(LIBRARY_DIR, f'lib{package}__python.so') for package in MODULES]
    for path in binaries:
        assert path.endswith('.abi3.so') or path.endswith('__python.so'), path
        out = subprocess.run(['nm', '-D', '--undefined-only', path], check=True,
                             capture_output=True, text=True).stdout
        python = {line.split()[-1] for line in out.splitlines()
                  if re.match(r'_?Py', line.split()[-1])}
        assert python and python <= stable, (path, python - stable)


def test_dll_folders_are_named_before_a_type_support_import(monkeypatch, tmp_path):
    """On Windows the loader no longer searches PATH for a module's DLLs."""
    from msgdef_py import message
    from velmari_messages.msg import Control
    named = []
    monkeypatch.setattr(os, 'add_dll_directory', named.append, raising=False)
    monkeypatch.setattr(message, '_DLL_DIRECTORIES', {})
    monkeypatch.setenv('PATH', os.pathsep.join([str(tmp_path), '', str(tmp_path / 'absent')]))
    type(Control).__import_type_support__()
    assert named == [str(tmp_path)]  # the package's ../../../bin is none in the build tree
    type(Control).__import_type_support__()
    assert named == [str(tmp_path)]  # once per process
