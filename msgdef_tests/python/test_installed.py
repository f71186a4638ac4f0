"""An installed prefix: PYTHONPATH set to its site-packages is all a user needs."""
import glob
import importlib.util
import os
import subprocess
import sys

import pytest

BUILD_DIR = os.environ.get('MSGDEF_BUILD_DIR')
CMAKE = os.environ.get('MSGDEF_CMAKE_COMMAND')

PROGRAM = '''
import math
from velmari_messages.msg import Control, EgoState, Num
from velmari_messages.srv import AddThreeInts
from navunit_common_msgs.msg import VelmariEgoCache, Zodizu610
from msgdef_py.serialization import deserialize_message, serialize_message

for cls in (Control, EgoState, Num, AddThreeInts.Request, AddThreeInts.Response,
            Zodizu610, VelmariEgoCache):
    message = cls()
    assert deserialize_message(serialize_message(message), cls) == message, cls
print(deserialize_message(serialize_message(Zodizu610(status=255)), Zodizu610).status)
try:
    Control(mode=2**40)
except OverflowError as e:
    print(e)
'''


@pytest.mark.skipif(not (BUILD_DIR and CMAKE), reason='build tree unknown')
@pytest.mark.skipif(not importlib.util.find_spec('msgdef_py._cdr'),
                    reason='Fast-CDR C serializer not built')
def test_program_runs_against_the_installed_prefix(tmp_path):
    prefix = tmp_path / 'prefix'
    subprocess.run([CMAKE, '--install', BUILD_DIR, '--prefix', str(prefix)], check=True,
                   capture_output=True)
    sites = glob.glob(str(prefix / '**' / 'site-packages'), recursive=True)
    assert len(sites) == 1
    environment = {'PATH': '/usr/bin:/bin', 'PYTHONPATH': sites[0]}
    if 'LD_PRELOAD' in os.environ:  # sanitizer runtime of an instrumented build
        environment['LD_PRELOAD'] = os.environ['LD_PRELOAD']
        environment['ASAN_OPTIONS'] = os.environ.get('ASAN_OPTIONS', '')
    done = subprocess.run([sys.executable, '-c', PROGRAM], env=environment, cwd=tmp_path,
                          capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    assert done.stdout.splitlines() == [
        '255', 'velmari_messages.msg.Control.mode: 1099511627776 does not fit in int32']
