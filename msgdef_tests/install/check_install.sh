#!/usr/bin/env bash
# Installs the build tree into a fresh prefix, checks the layout that other
# projects rely on, then builds and runs a consumer against that prefix alone.
set -euo pipefail
build=$1 source=$2 work=$3 link_flags=${4:-}
rm -rf "$work" && mkdir -p "$work"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

expect() { [ -e "$prefix/$1" ] || { echo "missing: $1"; exit 1; }; }
for f in include/velmari_messages/msg/control.h include/velmari_messages/msg/ego_state.h \
    include/velmari_messages/msg/num.h include/velmari_messages/srv/add_three_ints.h \
    include/velmari_messages/msg/control.hpp include/velmari_messages/srv/add_three_ints.hpp \
    include/navunit_common_msgs/msg/zodizu610.h include/navunit_common_msgs/msg/velmari_ego_cache.h \
    include/std_msgs/msg/header.h include/builtin_interfaces/msg/time.h \
    lib/libvelmari_messages__rosidl_generator_c.so lib/libnavunit_common_msgs__rosidl_generator_c.so \
    lib/libstd_msgs__rosidl_generator_c.so lib/libbuiltin_interfaces__rosidl_generator_c.so \
    share/velmari_messages/msg/Control.msg share/velmari_messages/msg/EgoState.msg \
    share/velmari_messages/msg/Num.msg share/velmari_messages/srv/AddThreeInts.srv \
    share/navunit_common_msgs/msg/Zodizu610.msg share/navunit_common_msgs/msg/VelmariEgoCache.msg \
    share/velmari_messages/cmake/velmari_messagesConfig.cmake \
    share/navunit_common_msgs/cmake/navunit_common_msgsConfig.cmake \
    share/velmari_messages/cmake/velmari_messagesConfigVersion.cmake \
    share/velmari_messages/package.xml share/navunit_common_msgs/package.xml \
    share/ament_index/resource_index/packages/velmari_messages \
    share/ament_index/resource_index/packages/std_msgs \
    share/ament_index/resource_index/packages/rosidl_typesupport_c \
    share/rosidl_typesupport_c/cmake/rosidl_typesupport_cConfig.cmake \
    include/velmari_messages/msg/detail/control__struct.h include/velmari_messages/msg/detail/control__traits.hpp \
    include/velmari_messages/srv/detail/add_three_ints__type_support.hpp \
    include/std_msgs/msg/detail/header__struct.hpp include/std_msgs/msg/detail/header__traits.hpp \
    share/msgdef/cmake/msgdefConfig.cmake share/msgdef/c_messages/kind.cmake setup.bash; do
  expect "$f"
done
printf 'msg/Zodizu610.msg\nmsg/VelmariEgoCache.msg\n' \
  | diff - "$prefix/share/ament_index/resource_index/rosidl_interfaces/navunit_common_msgs" \
  || { echo "wrong interface list in the ament index"; exit 1; }
# Sourcing setup.bash is all a Python program needs.
(unset PYTHONPATH; source "$prefix/setup.bash"; /usr/bin/python3 -c 'import velmari_messages.msg, msgdef_py') \
  || { echo "setup.bash does not make the Python modules importable"; exit 1; }
# Installed libraries find their siblings without LD_LIBRARY_PATH.
readelf -d "$prefix/lib/libvelmari_messages__rosidl_generator_c.so" | grep -q 'RUNPATH.*\$ORIGIN' \
  || { echo "no \$ORIGIN runpath"; exit 1; }

# A plain CMake consumer needs no ament: not even with a python3 first on PATH
# that lacks ament's modules (-S: none of Debian's packages), as a pyenv build does.
mkdir -p "$work/foreign-python"
printf '#!/bin/sh\nexec /usr/bin/python3 -S "$@"\n' >"$work/foreign-python/python3"
chmod +x "$work/foreign-python/python3"
PATH="$work/foreign-python:$PATH" env -u AMENT_PREFIX_PATH \
  cmake -S "$source/consumer" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_BUILD_RPATH="$prefix/lib" -DCMAKE_EXE_LINKER_FLAGS="$link_flags" >/dev/null
cmake --build "$work/consumer" >/dev/null
env -u LD_LIBRARY_PATH "$work/consumer/consumer"
"$work/consumer/consumer_cpp"
for kind in rosidl_typesupport_c rosidl_typesupport_introspection_c rosidl_typesupport_fastrtps_c \
    rosidl_typesupport_cpp rosidl_typesupport_introspection_cpp rosidl_typesupport_fastrtps_cpp; do
  env -u LD_LIBRARY_PATH "$work/consumer/consumer_$kind"
done

# The package's version file accepts the same major version, no later one.
probe() {
  cmake -S "$source/version" -B "$work/version" -DCMAKE_PREFIX_PATH="$prefix" -DWANTED="$1" \
    >/dev/null 2>&1
}
probe 0.1 || { echo "find_package(velmari_messages 0.1) failed"; exit 1; }
probe 0.1.0 || { echo "find_package(velmari_messages 0.1.0) failed"; exit 1; }
! probe 0.2 || { echo "find_package(velmari_messages 0.2) accepted 0.1"; exit 1; }
! probe 1 || { echo "find_package(velmari_messages 1) accepted 0.1"; exit 1; }
echo "version file ok"
