#!/usr/bin/env bash
# Runs one whole check with every host entry missing in turn, answering the
# binding box Abort, Ignore, and Retry twice then Ignore, on either build:
#   sweep-missing-entries.sh BIN_FOLDER [WINE_PREFIX] [ORDINAL...]
# BIN_FOLDER holds korpus (Linux build) or korpus.exe (Windows build, run
# under Wine in WINE_PREFIX). Without ordinals every entry of
# abi/korpus_entries.inc is swept. Each run must end in order: exit 0, or 1
# after a script error; never a signal, an abort or a time-out; and no check
# may leave a table scan open (but without the scan-end entry none can be
# ended). Prints one line per run that did not, then the totals; exits 1
# when a run did not.
set -euo pipefail
if [ $# -lt 1 ]; then
  echo "usage: $0 BIN_FOLDER [WINE_PREFIX] [ORDINAL...]" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
bin=$(cd "$1" && pwd)
shift
if [ -f "$bin/korpus.exe" ]; then
  if [ $# -lt 1 ]; then
    echo "$0: the Windows build needs a Wine prefix" >&2
    exit 2
  fi
  prefix=$(mkdir -p "$(dirname "$1")" && cd "$(dirname "$1")" && pwd)/$(basename "$1")
  shift
  korpus=("$here/wine-run.sh" "$prefix" "$bin/korpus.exe")
  under_wine=1
elif [ -x "$bin/korpus" ]; then
  korpus=("$bin/korpus")
else
  echo "$0: neither korpus nor korpus.exe in $bin" >&2
  exit 2
fi
if [ $# -gt 0 ]; then
  ordinals=("$@")
else
  mapfile -t ordinals < <(sed -n 's/^KORPUS_\(ENTRY\|DIRECT\)(\([0-9]*\),.*/\2/p' "$here/../abi/korpus_entries.inc")
fi

scan_end=$(sed -n 's/^KORPUS_ENTRY(\([0-9]*\), *[A-Z]*, *[0-9]*, *ScanEnd,.*/\1/p' "$here/../abi/korpus_entries.inc")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
under_wine=${under_wine:-0}

# One run; sets status, shown and bad.
run_once() {
  rm -rf "$work/run" && mkdir "$work/run"
  { echo "answer-system $1"; cat "$here/../tests/sweep/whole_check.script"; } >"$work/run/script.txt"
  status=0
  (cd "$work/run" && timeout 300 "${korpus[@]}" --demo --db firma.db --without-entry "$2" \
    --script script.txt >out.txt 2>err.txt) || status=$?
  shown=$(grep -c '^box system ' "$work/run/out.txt" || true)
  bad=""
  if [ $status -ne 0 ] && [ $status -ne 1 ]; then bad="exit $status"; fi
  if [ $status -eq 1 ] && ! grep -q '^script\.txt:[0-9]*: ' "$work/run/err.txt"; then bad="exit 1 without a script error"; fi
  if grep -qv '^script\.txt:[0-9]*: ' "$work/run/err.txt"; then bad="${bad:+$bad, }unexpected error output"; fi
  if [ "$2" != "$scan_end" ] && grep -q ' table scans\? open' "$work/run/out.txt"; then
    bad="${bad:+$bad, }$(grep -m1 ' table scans\? open' "$work/run/out.txt" | tr -d '\r')"
  fi
}
runs=0 boxes=0 faults=0 abandoned=0 wine_again=0
start=$SECONDS
for ordinal in "${ordinals[@]}"; do
  for answers in "abort" "ignore" "retry retry ignore"; do
    run_once "$answers" "$ordinal"
    # Wine itself now and then loses a run when many start at once (its
    # server's connection reset, a fault inside its own libraries). The run
    # is the same every time: once more tells Wine's failure from ours, and
    # the line says it happened.
    if [ -n "$bad" ] && [ "$under_wine" -eq 1 ]; then
      first=$(head -1 "$work/run/err.txt")
      run_once "$answers" "$ordinal"
      if [ -z "$bad" ]; then
        wine_again=$((wine_again + 1))
        echo "entry $ordinal, answered $answers: ended in disorder once under Wine ($first), in order run again"
      fi
    fi
    runs=$((runs + 1))
    boxes=$((boxes + shown))
    if grep -q 'the call was abandoned' "$work/run/out.txt"; then abandoned=$((abandoned + 1)); fi
    if [ -n "$bad" ]; then
      faults=$((faults + 1))
      echo "entry $ordinal, answered $answers: $bad"
      sed 's/^/  /' "$work/run/err.txt" | head -5
    fi
  done
done
echo "runs: $runs, binding boxes shown: $boxes, runs that abandoned a call: $abandoned, disorderly ends: $faults, runs Wine lost once: $wine_again, $((SECONDS - start)) s"
[ $faults -eq 0 ]
