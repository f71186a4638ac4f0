#!/usr/bin/env bash
# The README's demonstration as a new user gets it: install the build into a
# fresh prefix and run the demo against the installed velmsg, which must find
# every library from its own prefix.
set -euo pipefail
build=$1 source=$2 prefix=$3
rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
out=$("$source/velmsg/velmsg_demo.sh" "$prefix/bin/velmsg")
echo "$out"
# one received message per type of `velmsg list`
types=$("$prefix/bin/velmsg" list | wc -l)
received=$(grep -c '^   echo received:$' <<<"$out")
[ "$received" -eq "$types" ] || { echo "received $received of $types types" >&2; exit 1; }
grep -q '^Every type arrived' <<<"$out"
# the installed interface files, as `ros2 interface show` prints them
"$prefix/bin/velmsg" interface show velmari_messages/msg/Control |
  cmp - "$source/velmari_messages/msg/Control.msg"
