#!/usr/bin/env bash
# Starts the host program korpus at this terminal on the demo database, in
# a working folder of its own (run/ beside the sources), where data.txt, the
# report and the saved check are kept. The first start creates the folder,
# the demo database and an example data.txt; later starts go on with them
# (remove run/ to begin anew). Arguments are passed on to korpus.
#
# KORPUS_PROGRAM and KORPUS_RUN_DIR name another program or folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=${KORPUS_PROGRAM:-$root/build/dev/bin/korpus}
work=${KORPUS_RUN_DIR:-$root/run}

if [ ! -x "$program" ]; then
  echo "run.sh: $program is missing; 'make run' builds it" >&2
  exit 1
fi
if [ ! -t 0 ] || [ ! -t 1 ]; then
  echo "run.sh: korpus needs a terminal; without one use: $program --script FILE" >&2
  exit 1
fi

mkdir -p "$work"
cd "$work"
args=(--db demo.db)
# --demo fills only a new database, and writes data.txt only when there is none.
[ -e demo.db ] || args+=(--demo)
exec "$program" "${args[@]}" "$@"
