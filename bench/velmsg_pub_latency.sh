#!/usr/bin/env bash
# How long `velmsg pub` takes, start to exit, when an `velmsg echo` already runs
# on the topic: participant start-up, discovery of the echo, one message and
# its acknowledgement. Over 127.0.0.1 only, on a domain of its own.
# Usage: bench/velmsg_pub_latency.sh [path/to/velmsg] [runs]
set -euo pipefail
velmsg=${1:-velmsg}
runs=${2:-10}
export ROS_DOMAIN_ID=${ROS_DOMAIN_ID:-$((100 + RANDOM % 100))}
export ROS_LOCALHOST_ONLY=1
times=()
for ((i = 1; i <= runs; ++i)); do
  topic="bench/latency_$i"
  "$velmsg" echo "$topic" velmari_messages/msg/Num --count 1 --timeout 30 >/dev/null &
  echo_pid=$!
  sleep 1  # the echo is up and announced
  start=$(date +%s%N)
  "$velmsg" pub "$topic" velmari_messages/msg/Num num=$i --once --wait 10 >/dev/null
  end=$(date +%s%N)
  wait "$echo_pid"
  times+=($(((end - start) / 1000000)))
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
echo "velmsg pub with an echo running, $runs runs on domain $ROS_DOMAIN_ID (ms):" \
  "min ${sorted[0]}, median ${sorted[$((runs / 2))]}, max ${sorted[$((runs - 1))]}"
