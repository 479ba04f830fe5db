#!/usr/bin/env bash
# Runs the Windows build's tests under Wine (ctest --preset mingw), by the
# route this machine has for 32-bit x86 programs (scripts/windows-route.sh):
# natively, or through qemu-user where the kernel runs none. It says in one
# line which route ran. Where no route can be set up, that is said loudly
# with what was tried, and the tests count as not run, never as passed;
# PRUFACJA_REQUIRE_WINE=1 makes it a failure (exit 1).
#   test-windows.sh [CTEST_ARGUMENTS...]   (after a build of the mingw preset)
#   PRUFACJA_WINDOWS_ROUTE=auto|native|emulated  (default auto)
# One Wine server runs for the whole stage, started after the prefix is set
# up and stopped at the end: no test's run starts as a server exits, and no
# server or Wine service started by a test holds that test's output open.
set -euo pipefail
cd "$(dirname "$0")/.."
here=$PWD/scripts
prefix=$PWD/build/mingw/wine

not_run() {
  cat >&2 <<BANNER
========================================================================
WINDOWS TESTS NOT RUN: $1
  $2
The Windows build (prufacja.dll, KORPUS.DLL, korpus.exe and the test
programs) was built; none of its tests ran. Run make test-windows on a
machine that executes 32-bit programs, or where qemu-user can be
registered with binfmt_misc (as root).
========================================================================
BANNER
  if [ "${PRUFACJA_REQUIRE_WINE:-0}" = 1 ]; then exit 1; fi
  exit 0
}

. "$here/windows-route.sh"
if ! windows_route_setup; then
  not_run "no route runs 32-bit x86 programs on this machine, so Wine cannot start one." "$route_failure"
fi
echo "$route_line"
if [ "$route" = forced ]; then
  export PRUFACJA_WINE_EMULATOR=$route_qemu
fi

stop_server() {
  WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
}
trap stop_server EXIT

# The prefix first (wine-run.sh sets it up on first use; the server that
# this starts is stopped), then the stage's own server, then one small
# program: it starts Wine's services, which stay with that server, their
# output in a file of their own.
check=$PWD/build/mingw/wine-check.txt
mkdir -p "$(dirname "$check")"
if ! timeout 600 "$here/wine-run.sh" "$prefix" cmd.exe /c exit 0 >"$check" 2>&1; then
  not_run "Wine could not set up its prefix by the $route route." "$(head -n 3 "$check" | tr '\n' ' ')"
fi
stop_server
WINEPREFIX=$prefix wineserver -w || true
if ! WINEPREFIX=$prefix wineserver -p </dev/null >"$check" 2>&1; then
  not_run "the stage's Wine server did not start." "$(head -n 3 "$check" | tr '\n' ' ')"
fi
if ! timeout 300 "$here/wine-run.sh" "$prefix" cmd.exe /c echo wine runs >"$check" 2>&1 ||
  ! grep -q "wine runs" "$check"; then
  not_run "Wine could not run a program by the $route route." "$(head -n 3 "$check" | tr '\n' ' ')"
fi

start=$SECONDS
status=0
ctest --preset mingw "$@" || status=$?
echo "$route_line; Windows stage: $((SECONDS - start)) s"
exit $status
