#!/usr/bin/env bash
# Runs a Windows program under Wine in the prefix given first: quiet, with
# no window system and no add-on installers, set up on first use. CTest
# uses it as the emulator of the cross build.
#   wine-run.sh PREFIX PROGRAM.exe [ARGUMENTS...]
# With PRUFACJA_WINE_EMULATOR set (the forced emulated route of
# test-windows.sh), Wine's 32-bit loader starts under that emulator.
set -euo pipefail
if [ $# -lt 2 ]; then
  echo "usage: $0 PREFIX PROGRAM [ARGUMENTS...]" >&2
  exit 2
fi
prefix=$1
shift

export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
# No add-on installers, and no debugger: a crash ends the program at once.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
unset DISPLAY WAYLAND_DISPLAY

wine=(wine)
if [ -n "${PRUFACJA_WINE_EMULATOR:-}" ]; then
  wine=("$PRUFACJA_WINE_EMULATOR" -L / /usr/lib/wine/wine)
fi

# Tests run two at a time: the first one sets the prefix up, the other waits.
if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    if [ ! -f "$prefix/system.reg" ]; then
      "${wine[@]}" wineboot.exe -i >/dev/null 2>&1
      wineserver -w
    fi
  ) 9>"$prefix.lock"
fi
exec "${wine[@]}" "$@"
