#!/usr/bin/env bash
# Runs the host program with the same scripts on the Linux build and, under
# Wine, on the Windows build, each in an empty working directory, and
# compares what they leave: the printed transcript of every run (boxes,
# screens, answers) and every file written (report, progress, settings,
# collector file), byte for byte. Only the database is left out, and in the
# transcript the plug-in's own file name (which the binding box shows) and
# Windows' CR LF line ends on the console.
#   windows-compare.sh NATIVE_BIN WINDOWS_BIN WINE_PREFIX CHECK_FILE...
# A check file holds the korpus arguments on its first line after "# args:"
# and the script after it; several check files run one after the other in
# the same directory.
set -euo pipefail
if [ $# -lt 4 ]; then
  echo "usage: $0 NATIVE_BIN WINDOWS_BIN WINE_PREFIX CHECK_FILE..." >&2
  exit 2
fi
for folder in "$1" "$2"; do
  if [ ! -d "$folder" ]; then
    echo "skipped: $folder is not built" >&2
    exit 77
  fi
done
native_bin=$(cd "$1" && pwd)
windows_bin=$(cd "$2" && pwd)
prefix=$(mkdir -p "$(dirname "$3")" && cd "$(dirname "$3")" && pwd)/$(basename "$3")
shift 3
here=$(cd "$(dirname "$0")" && pwd)

for program in "$native_bin/korpus" "$native_bin/prufacja.so" "$windows_bin/korpus.exe" "$windows_bin/prufacja.dll"; do
  if [ ! -f "$program" ]; then
    echo "skipped: $program is not built" >&2
    exit 77
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/linux" "$work/windows"

status=0
run=0
for check in "$@"; do
  run=$((run + 1))
  read -r -a args < <(sed -n '1s/^# args://p' "$check")
  tail -n +2 "$check" >"$work/script.txt"
  cp "$work/script.txt" "$work/linux/script.txt"
  cp "$work/script.txt" "$work/windows/script.txt"

  (cd "$work/linux" && "$native_bin/korpus" --db firma.db --script script.txt "${args[@]}" \
    >"$work/linux.out" 2>"$work/linux.err") || echo "exit $?" >>"$work/linux.out"
  (cd "$work/windows" && "$here/wine-run.sh" "$prefix" "$windows_bin/korpus.exe" --db firma.db --script script.txt \
    "${args[@]}" >"$work/windows.out" 2>"$work/windows.err") || echo "exit $?" >>"$work/windows.out"

  native_plugin="$native_bin/prufacja.so"
  windows_plugin="Z:$(echo "$windows_bin" | tr '/' '\\')\\prufacja.dll"
  sed "s|$native_plugin|<prufacja>|g" "$work/linux.out" >"$work/linux.txt"
  tr -d '\r' <"$work/windows.out" | sed "s|$(printf '%s' "$windows_plugin" | sed 's|\\|\\\\|g')|<prufacja>|g" >"$work/windows.txt"
  if ! diff -u --label "linux: $check" --label "windows: $check" "$work/linux.txt" "$work/windows.txt"; then
    status=1
  fi
  for err in linux windows; do
    if [ -s "$work/$err.err" ]; then
      echo "--- $err stderr of $check:" >&2
      cat "$work/$err.err" >&2
    fi
  done
done

# Every file either run left, byte for byte.
for file in $( (cd "$work/linux" && ls -A; cd "$work/windows" && ls -A) | sort -u); do
  case "$file" in firma.db | firma.db-journal | script.txt) continue ;; esac
  if ! cmp -s "$work/linux/$file" "$work/windows/$file"; then
    echo "differs: $file" >&2
    status=1
  fi
done
# The documents the host stored (the reports), content and all.
if command -v sqlite3 >/dev/null; then
  query="select kind, name, hex(content) from documents order by id"
  if ! diff <(sqlite3 "$work/linux/firma.db" "$query") <(sqlite3 "$work/windows/firma.db" "$query") >/dev/null; then
    echo "differs: the stored documents" >&2
    status=1
  fi
  documents=$(sqlite3 "$work/linux/firma.db" "select count(*) from documents")
fi
[ $status -eq 0 ] && echo "same: $# run(s), $(ls -A "$work/linux" | wc -l) file(s), ${documents:-unchecked} stored document(s)"
exit $status
