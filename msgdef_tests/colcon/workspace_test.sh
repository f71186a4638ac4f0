#!/usr/bin/env bash
# The packages as a ROS 2 user builds them, over the stand-in underlay where
# ROS 2 itself is absent:
#   1. and 2. the README's colcon block, run as written from the root of a
#      clone (with a python3 first on PATH that is not the system's): the
#      stand-ins installed as the underlay (sealed: only what the real
#      packages offer, no kit), a workspace holding a clone of the repository,
#      `colcon build --symlink-install` without a warning; then colcon lists
#      exactly the product packages, a consumer ament package builds beside
#      them, velmsg is on PATH, and `colcon test` passes;
#   3. the ament index, Python, the consumer's round trip, velmsg's types, and
#      that no stand-in entered the workspace;
#   4. each package folder copied alone into an empty workspace, over an
#      underlay of what it depends on, builds (the tests package with its
#      tests); velmsg installed there finds the types of the other prefixes
#      through AMENT_PREFIX_PATH.
set -euo pipefail
source_dir=$(cd "$1" && pwd) work=$2
unset PYTHONPATH LD_LIBRARY_PATH CMAKE_PREFIX_PATH AMENT_PREFIX_PATH COLCON_PREFIX_PATH
rm -rf "$work" && mkdir -p "$work"
fail() { echo "FAILED: $*"; exit 1; }
products="msgdef msgdef_tests navunit_common_msgs velmari_messages velmsg"
cmake_args=(-DPython3_EXECUTABLE=/usr/bin/python3 ${MSGDEF_TEST_CMAKE_ARGS:-})

# colcon <args>: fails on a failing command or on any warning it prints.
colcon_checked() {
  local log=$work/colcon-$1.log
  colcon "$@" >"$log" 2>&1 || { tail -60 "$log"; fail "colcon $*"; }
  if grep -n -i -E 'warning|--- stderr' "$log"; then
    fail "colcon $1 printed a warning"
  fi
}
source_setup() { set +u; source "$1"; set -u; }
# A python3 first on PATH that is not the system's: it sees none of Debian's
# Python packages (ament's, catkin_pkg), as a pyenv or conda build would not.
mkdir -p "$work/foreign-python"
printf '#!/bin/sh\nexec /usr/bin/python3 -S "$@"\n' >"$work/foreign-python/python3"
chmod +x "$work/foreign-python/python3"
export PATH="$work/foreign-python:$PATH"
clean_path=$PATH

echo "== the README's colcon block, as written, from the root of a clone"
clone=$work/clone
mkdir -p "$clone"
tar -C "$source_dir" --exclude='./build*' --exclude=./install --exclude=./.git -cf - . | tar -C "$clone" -xf -
git -C "$clone" init -q && git -C "$clone" add -A
git -C "$clone" -c user.name=test -c user.email=test@localhost commit -qm "the repository as it is"
# The indented lines under the README's paragraph for a ROS 2 user.
block=$(sed -n '/^\*\*A ROS 2 user (colcon workspace)\.\*\*/,/^`colcon build`/p' "$source_dir/README.md" \
  | sed -n 's/^    //p')
[ -n "$block" ] || fail "no colcon block in the README"
log=$work/colcon-readme.log
(cd "$clone" && bash -e -o pipefail -c "$block") >"$log" 2>&1 || { tail -60 "$log"; fail "the README's colcon block"; }
if grep -n -i -E 'warning|--- stderr' "$log"; then
  fail "the README's colcon block printed a warning"
fi
underlay=$clone/build/underlay/install
[ ! -e "$underlay/share/msgdef" ] && [ ! -e "$underlay/share/ament_index/resource_index/packages/msgdef" ] \
  || fail "the stand-in underlay installs the kit"
source_setup "$underlay/setup.bash"
cd "$clone/build/ws"
colcon_checked list --names-only --base-paths src/velmari_interfaces
[ "$(sort "$work/colcon-list.log" | xargs)" = "$products" ] \
  || fail "colcon finds $(xargs <"$work/colcon-list.log"), not the product packages ($products)"
# A package of the user's own beside them.
cp -r "$source_dir/msgdef_tests/colcon/consumer" src/
colcon_checked build --symlink-install --packages-select msgdef_consumer --cmake-args "${cmake_args[@]}"
source_setup install/setup.bash
[ "$(command -v velmsg)" = "$clone/build/ws/install/velmsg/bin/velmsg" ] || fail "velmsg is not on PATH"
colcon_checked test --packages-select msgdef_tests
colcon test-result --test-result-base build/msgdef_tests >"$work/test-result.log" \
  || { cat "$work/test-result.log"; fail "colcon test: msgdef_tests failed"; }
grep -E '^Summary: [1-9][0-9]* tests, 0 errors, 0 failures' "$work/test-result.log" \
  || { cat "$work/test-result.log"; fail "colcon test ran no tests"; }

echo "== nothing of the underlay in the workspace"
leaked=$(find install \( -name '*std_msgs*' -o -name '*builtin_interfaces*' \
  -o -name 'librosidl_typesupport_*' -o -path '*/include/rosidl_typesupport_*' \) -print)
[ -z "$leaked" ] || fail "stand-in files in the workspace: $leaked"

echo "== ament index"
/usr/bin/python3 - <<'PY'
from ament_index_python import get_resource, get_packages_with_prefixes
packages = get_packages_with_prefixes()
for name in ('velmari_messages', 'navunit_common_msgs', 'msgdef', 'velmsg'):
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
/usr/bin/python3 - <<'PY'
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

echo "== velmsg finds the types of every prefix"
velmsg list >"$work/types.txt"
for type in velmari_messages/msg/Control navunit_common_msgs/msg/Zodizu610 std_msgs/msg/Header \
    builtin_interfaces/msg/Time; do
  grep -qx "$type" "$work/types.txt" || fail "velmsg list lacks $type"
done
velmsg show std_msgs/msg/Header >/dev/null || fail "velmsg show std_msgs/msg/Header"

echo "== each package alone, over an underlay of its dependencies"
unset PYTHONPATH LD_LIBRARY_PATH CMAKE_PREFIX_PATH AMENT_PREFIX_PATH COLCON_PREFIX_PATH
export PATH=$clean_path
source_setup "$underlay/setup.bash"
for package in msgdef navunit_common_msgs velmari_messages velmsg msgdef_tests; do
  alone=$work/alone/$package
  mkdir -p "$alone/src"
  cp -r "$source_dir/$package" "$alone/src/"
  (cd "$alone" && colcon_checked build --cmake-args "${cmake_args[@]}") \
    || fail "$package alone"
  source_setup "$alone/install/setup.bash"
done
# velmsg alone, in a prefix that holds no type: the others are found through the index.
[ "$(command -v velmsg)" = "$work/alone/velmsg/install/velmsg/bin/velmsg" ] || fail "velmsg alone not on PATH"
velmsg show velmari_messages/msg/Control >/dev/null || fail "velmsg alone: no velmari_messages"
out=$(velmsg show no_such_package/msg/Thing 2>&1) && fail "velmsg found no_such_package"
grep -q "no_such_package.*$underlay" <<<"$out" || fail "velmsg's error does not say where it looked: $out"
echo "workspace: ok"
