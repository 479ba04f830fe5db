#!/usr/bin/env bash
# One deep fuzz campaign of a target, from the build without the address
# sanitizer (preset fuzz-deep), until a million executions or the time
# limit; then every input it kept and every crash is replayed under the
# address sanitizer (preset fuzz). Prints one line of figures.
#   fuzz-campaign.sh TARGET [SECONDS] [WORK_FOLDER]
# FUZZ_JOBS (default 2, one per core) runs that many fuzzing processes side
# by side on one corpus folder (libFuzzer's -jobs and -workers), each for
# its share of the million; 1 runs one process.
set -euo pipefail
if [ $# -lt 1 ]; then
  echo "usage: $0 TARGET [SECONDS] [WORK_FOLDER]" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")/.." && pwd)
target=$1
seconds=${2:-900}
work=$(mkdir -p "${3:-$here/fuzz-work}/$target" && cd "${3:-$here/fuzz-work}/$target" && pwd)
deep=$here/build/fuzz-deep/fuzz/fuzz_$target
checked=$here/build/fuzz/fuzz/fuzz_$target
for program in "$deep" "$checked"; do
  if [ ! -x "$program" ]; then
    echo "$0: $program is not built (cmake --preset fuzz-deep / fuzz, then cmake --build)" >&2
    exit 2
  fi
done
mkdir -p "$work/corpus"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
jobs=${FUZZ_JOBS:-2}
status=0
runs_each=$(( (1000000 + jobs - 1) / jobs ))
flags=(-runs="$runs_each" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096
       -print_final_stats=1 -artifact_prefix="$work/")
rm -f "$work"/fuzz-*.log "$work/campaign.log"
if [ "$jobs" -gt 1 ]; then
  # Each process writes fuzz-N.log in the current folder and takes up what
  # the others add to the corpus folder; each draws its own seed.
  (cd "$work" && "$deep" -jobs="$jobs" -workers="$jobs" "${flags[@]}" "$work/corpus" "$here/fuzz/corpus/$target" \
     >"$work/campaign.log" 2>&1) || status=$?
  logs=("$work"/fuzz-*.log)
else
  "$deep" -seed=1 "${flags[@]}" "$work/corpus" "$here/fuzz/corpus/$target" >"$work/campaign.log" 2>&1 || status=$?
  logs=("$work/campaign.log")
fi
# Per process: its executions and their rate; the campaign's time is the
# longest process's.
runs=0 time=0 edges=0
for log in "${logs[@]}"; do
  [ -f "$log" ] || continue
  r=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  x=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  e=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  runs=$(( runs + ${r:-0} ))
  t=$(awk -v r="${r:-0}" -v x="${x:-0}" 'BEGIN { if (x > 0) printf "%d", r / x; else print 0 }')
  [ "$t" -gt "$time" ] && time=$t
  [ "${e:-0}" -gt "$edges" ] && edges=$e
done
rate=$(awk -v r="$runs" -v t="$time" 'BEGIN { if (t > 0) printf "%d", r / t; else print 0 }')
crashes=$(find "$work" -maxdepth 1 -name 'crash-*' -o -maxdepth 1 -name 'timeout-*' -o -maxdepth 1 -name 'oom-*' | wc -l)
# What the fast build kept, under the address sanitizer.
replay=0
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 "$checked" -runs=0 "$work/corpus" >"$work/replay.log" 2>&1 || replay=$?
echo "$target: ${runs:-0} executions in ${time}s (${rate:-0}/s), ${edges:-0} edges, $crashes finding(s), campaign exit $status, replay under ASan exit $replay"
[ "$status" -eq 0 ] && [ "$replay" -eq 0 ]
