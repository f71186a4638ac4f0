#!/usr/bin/env bash
# Builds the interface packages as a ROS 2 user does, over the stand-in
# underlay where ROS 2 itself is absent:
#   1. install the stand-ins (sealed: only what the real packages offer) into
#      a scratch prefix and source it;
#   2. colcon-build a workspace holding a clean copy of this repository and a
#      consumer ament package, and source the workspace;
#   3. check the ament index, Python, the consumer's round trip, and that no
#      stand-in entered the workspace.
set -euo pipefail
source_dir=$(cd "$1" && pwd) work=$2
export PATH="/usr/bin:/bin:$PATH"   # Debian's python3, which colcon and ament use
unset PYTHONPATH LD_LIBRARY_PATH CMAKE_PREFIX_PATH AMENT_PREFIX_PATH
rm -rf "$work" && mkdir -p "$work"
fail() { echo "FAILED: $*"; exit 1; }

echo "== stand-in underlay"
cmake -S "$source_dir/runtime" -B "$work/underlay-build" -DPython3_EXECUTABLE=/usr/bin/python3 \
  ${MSGDEF_TEST_CMAKE_ARGS:-} >/dev/null
cmake --build "$work/underlay-build" -j"$(nproc)" >/dev/null
cmake --install "$work/underlay-build" --prefix "$work/underlay" >/dev/null
# shellcheck disable=SC1091
source "$work/underlay/setup.bash"

echo "== colcon workspace"
mkdir -p "$work/ws/src/velmari_interfaces"
tar -C "$source_dir" --exclude='./build*' --exclude=./install --exclude=./.git -cf - . \
  | tar -C "$work/ws/src/velmari_interfaces" -xf -
cp -r "$source_dir/tests/colcon/consumer" "$work/ws/src/"
cd "$work/ws"
colcon list --names-only | sort > packages.txt
printf '%s\n' msgdef msgdef_consumer navunit_common_msgs velmari_messages | diff - packages.txt \
  || fail "colcon finds other packages than the kit, both interface packages and the consumer"
colcon build \
  --cmake-args -DPython3_EXECUTABLE=/usr/bin/python3 ${MSGDEF_TEST_CMAKE_ARGS:-} > build.log 2>&1 \
  || { tail -60 build.log; fail "colcon build"; }
set +u
# shellcheck disable=SC1091
source install/setup.bash
set -u

echo "== nothing of the underlay in the workspace"
leaked=$(find install \( -name '*std_msgs*' -o -name '*builtin_interfaces*' \
  -o -name 'librosidl_typesupport_*' -o -path '*/include/rosidl_typesupport_*' \) -print)
[ -z "$leaked" ] || fail "stand-in files in the workspace: $leaked"

echo "== ament index"
python3 - <<'PY'
from ament_index_python import get_resource, get_packages_with_prefixes
packages = get_packages_with_prefixes()
for name in ('velmari_messages', 'navunit_common_msgs', 'msgdef'):
    assert name in packages, name
    assert '/ws/install/' in packages[name], (name, packages[name])
expected = {
    'velmari_messages': ['msg/Control.msg', 'msg/EgoState.msg', 'msg/Num.msg', 'srv/AddThreeInts.srv'],
    'navunit_common_msgs': ['msg/Zodizu610.msg', 'msg/VelmariEgoCache.msg'],
}
import os
for name, files in expected.items():
    content, prefix = get_resource('rosidl_interfaces', name)
    assert content.split() == files, (name, content)
    for f in files:
        assert os.path.isfile(os.path.join(prefix, 'share', name, f)), f
    assert os.path.isfile(os.path.join(prefix, 'share', name, 'package.xml'))
print('ament index: ok')
PY

echo "== Python, with nothing set by hand"
python3 - <<'PY'
from velmari_messages.msg import Control
from navunit_common_msgs.msg import Zodizu610
from msgdef_py.serialization import serialize_message, deserialize_message
from velmari_messages import velmari_messages_s__rosidl_typesupport_c  # noqa: F401
msg = Control(valid=True, throttle=0.4, gear=2)
msg.header.frame_id = 'base_link'
assert deserialize_message(serialize_message(msg), Control) == msg
nav = Zodizu610()
assert deserialize_message(serialize_message(nav), Zodizu610) == nav
print('python: ok')
PY

echo "== consumer package"
install/msgdef_consumer/lib/msgdef_consumer/roundtrip
