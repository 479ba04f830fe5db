# Sourced by test-windows.sh: finds how this machine runs the 32-bit
# programs that Wine is made of, setting that route up when the kernel runs
# none itself. Wine's loader, its server, wineboot, its services and every
# test program are 32-bit processes, started by one another with execve.
#
#   native    the kernel runs them (it has the 32-bit compat mode)
#   emulated  the kernel runs none ("Exec format error"): binfmt_misc hands
#             every 32-bit x86 program to qemu-i386-static (user-mode
#             emulation), registered here when the machine allows it
#   forced    PRUFACJA_WINDOWS_ROUTE=emulated on a kernel that runs them:
#             wine-run.sh starts Wine's loader under qemu-i386-static, and
#             what that loader starts runs natively (no handler is
#             registered on such a kernel: it would take every 32-bit
#             program of the machine)
#
# windows_route_setup sets route (one of the three) and route_line (the one
# line that names it) and returns 0, or sets route_failure (what was tried
# and why it failed) and returns 1.

# The 32-bit loader comes with Wine's 32-bit part; it runs where any
# 32-bit program does.
route_loader=/lib/ld-linux.so.2
route_wine_loader=/usr/lib/wine/wine
route_qemu=/usr/bin/qemu-i386-static
route_binfmt=${PRUFACJA_BINFMT_MISC:-/proc/sys/fs/binfmt_misc}
route_handler=prufacja-qemu-i386
# An i386 ELF executable or shared object (e_type 2 or 3, e_machine 3), as
# qemu's own registrations match it.
route_magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
route_magic_hex=7f454c4601010100000000000000000002000300
route_mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
# qemu before 8 takes Wine's fixed, non-replacing reservations of its address
# space as mere hints, so Wine's start never ends (seen with Debian 12's 7.2;
# 10.0 from bookworm-backports runs it).
route_qemu_major=8

# The loader's first line; fails as the loader does.
route_kernel_answer() {
  local out status=0
  out=$("$route_loader" --version 2>&1) || status=$?
  printf '%s\n' "$out" | head -n 1 | sed 's/^.*: line [0-9]*: //'
  return $status
}

route_qemu_usable() {
  local major
  [ -x "$route_qemu" ] || return 1
  major=$("$route_qemu" --version 2>/dev/null | sed -n 's/^qemu-i386 version \([0-9]*\)\..*/\1/p')
  [ -n "$major" ] && [ "$major" -ge "$route_qemu_major" ]
}

# qemu-user-static from the release, or from its backports where the
# release's own is too old for Wine.
route_install_qemu() {
  local codename sources
  route_qemu_usable && return 0
  if [ "$(id -u)" -ne 0 ]; then
    route_failure="qemu-user-static (at least $route_qemu_major) is not installed, and installing it needs root"
    return 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  echo "Installing qemu-user-static for the emulated route" >&2
  apt-get install -y -qq --no-install-recommends qemu-user-static >/dev/null 2>&1 || true
  route_qemu_usable && return 0
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  sources=/etc/apt/sources.list.d/prufacja-backports.sources
  if [ ! -f "$sources" ]; then
    printf 'Types: deb\nURIs: http://deb.debian.org/debian\nSuites: %s-backports\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
      "$codename" >"$sources"
    apt-get update -qq >/dev/null 2>&1 || true
  fi
  echo "Installing qemu-user-static from $codename-backports" >&2
  apt-get install -y -qq --no-install-recommends -t "$codename-backports" qemu-user-static >/dev/null 2>&1 || true
  if ! route_qemu_usable; then
    route_failure="no qemu-user-static of version $route_qemu_major or later from Debian ($codename, $codename-backports): $("$route_qemu" --version 2>&1 | head -n 1)"
    return 1
  fi
}

# The handler is named by qemu's version: the kernel keeps the interpreter
# that it opened at registration (flag F), so after an upgrade of qemu the
# new one is registered beside it, and the old one removed only then, since
# the newest handler is asked first and no program meanwhile finds none.
route_register() {
  local name entry
  if [ ! -f "$route_binfmt/register" ]; then
    if ! mount -t binfmt_misc binfmt_misc "$route_binfmt" 2>/dev/null || [ ! -f "$route_binfmt/register" ]; then
      route_failure="binfmt_misc is not mounted at $route_binfmt and cannot be mounted there (not root, or no binfmt_misc in this kernel)"
      return 1
    fi
  fi
  name=$route_handler-$("$route_qemu" --version | sed -n '1s/^qemu-i386 version \([0-9.]*\).*/\1/p')
  if [ ! -f "$route_binfmt/$name" ] &&
    ! printf '%s' ":$name:M::$route_magic:$route_mask:$route_qemu:F" >"$route_binfmt/register" 2>/dev/null; then
    route_failure="the kernel refused the registration of $route_qemu in $route_binfmt/register"
    return 1
  fi
  for entry in "$route_binfmt/$route_handler"-*; do
    if [ -f "$entry" ] && [ "$entry" != "$route_binfmt/$name" ]; then echo -1 >"$entry" 2>/dev/null || true; fi
  done
  if [ "$(cat "$route_binfmt/status" 2>/dev/null)" != enabled ] || [ "$(head -n 1 "$route_binfmt/$name")" != enabled ]; then
    route_failure="binfmt_misc or its handler $name is disabled ($route_binfmt)"
    return 1
  fi
}

# Some handler (this script's, or qemu's own) already hands 32-bit x86
# programs to an emulator: the loader's answer says nothing of the kernel.
route_handler_registered() {
  local entry
  for entry in "$route_binfmt"/*; do
    [ -f "$entry" ] || continue
    grep -q "^magic ${route_magic_hex}" "$entry" 2>/dev/null && return 0
  done
  return 1
}

windows_route_setup() {
  local wanted=${PRUFACJA_WINDOWS_ROUTE:-auto} answer
  route="" route_line="" route_failure=""
  case "$wanted" in
    auto | native | emulated) ;;
    *)
      route_failure="PRUFACJA_WINDOWS_ROUTE=$wanted is neither auto, native nor emulated"
      return 1
      ;;
  esac
  if [ ! -e "$route_loader" ] || [ ! -x "$route_wine_loader" ]; then
    route_failure="Wine's 32-bit part is not installed ($route_loader, $route_wine_loader)"
    return 1
  fi
  if answer=$(route_kernel_answer) && ! route_handler_registered; then
    if [ "$wanted" != emulated ]; then
      route=native
      route_line="Windows route: native (this kernel runs 32-bit x86 programs)"
      return 0
    fi
    route_install_qemu || return 1
    route=forced
    route_line="Windows route: emulated, forced (Wine's loader starts under $route_qemu; this kernel runs 32-bit programs, so the processes that loader starts run natively)"
    return 0
  fi
  if [ "$wanted" = native ]; then
    route_failure="PRUFACJA_WINDOWS_ROUTE=native, but this kernel runs no 32-bit x86 program ($route_loader --version: ${answer:-no answer})"
    return 1
  fi
  local kernel="the kernel: $route_loader --version: ${answer:-no answer}"
  if ! route_install_qemu || ! route_register; then
    route_failure="$kernel; the emulated route: $route_failure"
    return 1
  fi
  if ! answer=$(route_kernel_answer); then
    route_failure="$kernel; the emulated route: with $route_qemu registered, it still fails: ${answer:-no answer}"
    return 1
  fi
  route=emulated
  route_line="Windows route: emulated (this kernel runs no 32-bit x86 program; binfmt_misc hands each to $($route_qemu --version | head -n 1))"
}
