#!/usr/bin/env bash
# The demonstration: for every message type, `velmsg echo` in the background and
# `velmsg pub` of one message, over DDS on the loopback interface; prints what
# echo received. Usage: velmsg_demo.sh [path/to/velmsg]
set -euo pipefail
velmsg=${1:-velmsg}
# A domain of its own, so that other DDS programs on this machine do not mix in.
export ROS_DOMAIN_ID=${ROS_DOMAIN_ID:-$((100 + RANDOM % 100))}
# Loopback only, whatever the environment says.
export ROS_LOCALHOST_ONLY=1
received=$(mktemp)
trap 'rm -f "$received"' EXIT

echo "velmsg: every type, published and echoed on DDS domain $ROS_DOMAIN_ID (127.0.0.1 only)"
failures=0
for type in $("$velmsg" list); do
  topic="demo/${type##*/}"
  echo
  echo "== $type on /$topic (DDS topic rt/$topic)"
  "$velmsg" echo "$topic" "$type" --count 1 --timeout 20 >"$received" &
  echo_pid=$!
  size=$("$velmsg" encode "$type" --fill --bare | wc -w)
  "$velmsg" pub "$topic" "$type" --fill --once --wait 10 >/dev/null
  echo "   pub: one message with example values ($size bytes of CDR)"
  if wait "$echo_pid"; then
    echo "   echo received:"
    sed -e '/^---$/d' -e 's/^/     /' "$received"
  else
    echo "   echo: nothing received" >&2
    failures=$((failures + 1))
  fi
done
echo
if ((failures)); then
  echo "$failures type(s) did not arrive" >&2
  exit 1
fi
echo "Every type arrived. Try: $velmsg --help"
