#!/usr/bin/env bash
# Runs the Windows build's tests under Wine (ctest --preset mingw). Wine
# runs 32-bit x86 programs, and a machine whose kernel runs none (a virtual
# machine without the 32-bit compat mode answers "Exec format error")
# cannot run a single one of these tests: that is said loudly, and they
# count as not run, never as passed. PRUFACJA_REQUIRE_WINE=1 makes it a
# failure (exit 1).
set -euo pipefail
cd "$(dirname "$0")/.."

# The 32-bit loader comes with Wine's 32-bit part; it runs where any
# 32-bit program does.
loader=/lib/ld-linux.so.2
if [ -e "$loader" ] && ! answer=$("$loader" --version 2>&1); then
  reason=$(printf '%s\n' "$answer" | head -n 1)
  cat >&2 <<BANNER
========================================================================
WINDOWS TESTS NOT RUN: this machine cannot execute 32-bit x86 programs,
so Wine cannot start one.
  $loader --version: ${reason:-no answer}
The Windows build (prufacja.dll, KORPUS.DLL, korpus.exe and the test
programs) was built; none of its tests ran. Run make test-windows on a
machine that executes 32-bit programs.
========================================================================
BANNER
  if [ "${PRUFACJA_REQUIRE_WINE:-0}" = 1 ]; then exit 1; fi
  exit 0
fi
exec ctest --preset mingw
