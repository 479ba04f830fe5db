#!/usr/bin/env bash
# One deep fuzz campaign of a target, from the build without the address
# sanitizer (preset fuzz-deep), until a million executions or the time
# limit; then every input it kept and every crash is replayed under the
# address sanitizer (preset fuzz). Prints one line of figures.
#   fuzz-campaign.sh TARGET [SECONDS] [WORK_FOLDER]
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
# Large zeroed host blocks come fresh from the system, as the host's are:
# without this the allocator reuses them and clears every byte.
export MALLOC_MMAP_THRESHOLD_=131072
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
"$deep" -seed=1 -runs=1000000 -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
  -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" "$here/fuzz/corpus/$target" \
  >"$work/campaign.log" 2>&1 || status=$?
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/campaign.log")
rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/campaign.log")
edges=$(grep -o 'cov: [0-9]*' "$work/campaign.log" | tail -1 | cut -d' ' -f2)
time=$(grep -o '^#[0-9]*.*' "$work/campaign.log" | tail -1 >/dev/null; echo "$runs $rate" | awk '{ if ($2 > 0) printf "%d", $1 / $2; else print 0 }')
crashes=$(find "$work" -maxdepth 1 -name 'crash-*' -o -maxdepth 1 -name 'timeout-*' -o -maxdepth 1 -name 'oom-*' | wc -l)
# What the fast build kept, under the address sanitizer.
replay=0
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 "$checked" -runs=0 "$work/corpus" >"$work/replay.log" 2>&1 || replay=$?
echo "$target: ${runs:-0} executions in ${time}s (${rate:-0}/s), ${edges:-0} edges, $crashes finding(s), campaign exit $status, replay under ASan exit $replay"
[ "$status" -eq 0 ] && [ "$replay" -eq 0 ]
