#!/usr/bin/env bash
# Runs every fuzz target of a build made with MSGDEF_FUZZ for <seconds> each,
# one after the other, and prints how many inputs each ran.
#   msgdef_tests/fuzz/run.sh <build> <seconds>
# New inputs that reach further go to <build>/fuzz-corpus/<target>/ (kept
# between runs); an input that fails is saved in <build>/fuzz-findings/ and
# ends the run with an error.
set -euo pipefail
build=$1 seconds=$2
source_dir=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$build/fuzz-findings"
for target in cdr_readers velmsg_text python_conversion; do
  corpus=$build/fuzz-corpus/$target
  mkdir -p "$corpus"
  log=$build/fuzz-$target.log
  status=0
  # A leak, a timeout or an allocation beyond the memory limit is a finding too.
  "$build/bin/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
    -rss_limit_mb=2048 -timeout=25 -artifact_prefix="$build/fuzz-findings/$target-" \
    "$corpus" "$source_dir/corpus/$target" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  echo "fuzz_$target: ${runs:-?} inputs in ${seconds} s, corpus $(ls "$corpus" | wc -l) files"
  if [ "$status" -ne 0 ]; then
    tail -40 "$log" >&2
    echo "fuzz_$target failed; the input is in $build/fuzz-findings/" >&2
    exit 1
  fi
done
