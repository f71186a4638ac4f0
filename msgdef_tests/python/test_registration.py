"""Import of the extension modules when a Python C API call fails: run in an
interpreter that reports and fails chosen calls (injecting_python)."""
import os
import subprocess

import pytest

HOST = os.environ.get('MSGDEF_INJECTING_PYTHON')
VELMARI = 'velmari_messages.velmari_messages_s__rosidl_typesupport_c'
NAVUNIT = 'navunit_common_msgs.navunit_common_msgs_s__rosidl_typesupport_introspection_c'

SCRIPT = '''
import sys
try:
    import {module}
except BaseException as e:
    sys.stderr.write('result: failed %s %s\\n' % (type(e).__name__, e))
else:
    sys.stderr.write('result: imported\\n')
sys.stderr.flush()
'''


def run_import(module, definition_name, fail=None):
    env = dict(os.environ, INJECT_MODULE=definition_name)
    env.pop('INJECT_FAIL', None)
    if fail:
        env['INJECT_FAIL'] = fail
    done = subprocess.run([HOST, '-c', SCRIPT.format(module=module)], env=env,
                          capture_output=True, text=True, timeout=60)
    assert done.returncode == 0, done.stderr
    lines = [line.split(': ', 1)[1] for line in done.stderr.splitlines()
             if line.startswith(('inject: ', 'result: '))]
    result = [line for line in lines if line.startswith(('failed', 'imported'))]
    assert len(result) == 1, done.stderr
    # Events up to the import's outcome: what the module did while importing.
    return lines[:lines.index(result[0])], result[0]


def count(events, prefix):
    return sum(1 for event in events if event.startswith(prefix))


def handles(events):
    return [event.split('__')[-1] for event in events if event.startswith('handle ')]


pytestmark = pytest.mark.skipif(not HOST, reason='injecting interpreter not built')


def test_import_creates_the_module_from_its_definition():
    events, result = run_import(VELMARI, '_velmari_messages_support')
    assert result == 'imported'
    create = [event for event in events if event.startswith('create_module')]
    assert create == ['create_module api=1013 name=_velmari_messages_support '
                      'doc=_velmari_messages_doc size=-1 no_methods=1 slots=(nil) '
                      'traverse=(nil) clear=(nil) free=(nil) base_refcnt=1 base_type=(nil) '
                      'base_init=(nil) base_index=0 base_copy=(nil)']
    assert count(events, 'add ') == 26 and count(events, 'capsule ') == 26
    assert all(event.endswith('name=(null) destructor=(nil)')
               for event in events if event.startswith('capsule '))
    # Each handle is fetched once, after the type's four other capsules are in.
    assert handles(events) == ['Control', 'EgoState', 'Num', 'AddThreeInts_Request',
                               'AddThreeInts_Response', 'AddThreeInts']
    num_handle = events.index('handle rosidl_typesupport_c__get_message_type_support_handle__'
                              'velmari_messages__msg__Num')
    assert events[num_handle - 1].startswith('add convert_to_py_msg__msg__num')
    assert count(events, 'release capsule') == 0


def test_introspection_flavoured_module_imports_and_fails_alike():
    events, result = run_import(NAVUNIT, '_navunit_common_msgs_support')
    assert result == 'imported'
    assert any(event.startswith('create_module api=1013 name=_navunit_common_msgs_support '
                                'doc=_navunit_common_msgs_doc size=-1 no_methods=1')
               for event in events)
    assert count(events, 'add ') == 10
    events, result = run_import(NAVUNIT, '_navunit_common_msgs_support', 'add:3')
    assert result == 'failed RuntimeError injected'
    assert count(events, 'release capsule') == 3


@pytest.mark.parametrize('add_result', [-1, 256], ids=['minus_one', 'low_byte_zero'])
def test_failing_add_of_the_third_capsule_of_num(add_result):
    # A result whose low byte is 0 is still a failure: the import must not
    # go on with a capsule missing.
    events, result = run_import(VELMARI, '_velmari_messages_support', f'add:13:{add_result}')
    assert result == 'failed RuntimeError injected'
    assert count(events, 'add ') == 13
    assert handles(events) == ['Control', 'EgoState']  # nothing of Num or later
    # 12 capsules went with the module, the 13th was released by the step.
    assert count(events, 'capsule ') == 13
    assert count(events, 'release capsule') == 13


def test_failing_capsule_creation_inside_a_type():
    events, result = run_import(VELMARI, '_velmari_messages_support', 'capsule:13')
    assert result == 'failed RuntimeError injected'
    assert count(events, 'add ') == 12
    assert handles(events) == ['Control', 'EgoState']
    assert count(events, 'release capsule') == 12


def test_failing_service_capsule_creation():
    events, result = run_import(VELMARI, '_velmari_messages_support', 'capsule:26')
    assert result == 'failed RuntimeError injected'
    assert handles(events)[-1] == 'AddThreeInts'
    assert count(events, 'add ') == 25
    assert count(events, 'release capsule') == 25


def test_failing_service_capsule_add():
    events, result = run_import(VELMARI, '_velmari_messages_support', 'add:26')
    assert result == 'failed RuntimeError injected'
    assert count(events, 'capsule ') == 26
    assert count(events, 'release capsule') == 26


def test_failing_module_creation():
    events, result = run_import(VELMARI, '_velmari_messages_support', 'create_module:1')
    assert result == 'failed RuntimeError injected'
    assert count(events, 'capsule ') == 0 and handles(events) == []

