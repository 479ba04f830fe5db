#!/usr/bin/env bash
# Installs what the 32-bit Windows build needs, when any of it is missing:
# the mingw-w64 cross compiler for i686, Wine with its 32-bit part, and the
# SQLite amalgamation made from Debian's source package of sqlite3 (into
# build/sqlite-amalgamation). Runs as root (apt-get); quiet when all is there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
amalgamation=${PRUFACJA_SQLITE_DIR:-$root/build/sqlite-amalgamation}

# A mirror in the middle of its sync fails some index files for a while;
# what the others hold usually has every package, so installing goes on.
update_lists() {
  local attempt
  for attempt in 1 2 3; do
    apt-get update -qq && return 0
    echo "apt-get update failed (attempt $attempt of 3)" >&2
    [ "$attempt" -lt 3 ] && sleep 30
  done
  echo "warning: some package lists could not be updated; installing from the lists there are" >&2
}

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

require_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "error: $1, and not root; run $0 as root" >&2
    exit 1
  fi
}

# posix threads: std::mutex and std::thread need them. tcl and dpkg-dev
# make the amalgamation; zip and unzip the release archive.
packages=(g++-mingw-w64-i686-posix wine wine32:i386 tcl dpkg-dev make zip unzip)
missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done

export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -gt 0 ]; then
  require_root "missing packages (${missing[*]})"
  echo "Installing: ${missing[*]}"
  # wine32 has a candidate only once the i386 architecture is known.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  update_lists
  # From the release's own suite only: its amd64 and i386 lists agree on
  # the versions of multi-arch libraries even while the security suite's
  # i386 list is missing, as it is when a mirror is mid-sync.
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  apt-get install -y -qq --no-install-recommends -t "$codename" "${missing[@]}" >/dev/null
fi

if [ -f "$amalgamation/sqlite3.c" ] && [ -f "$amalgamation/sqlite3.h" ]; then
  exit 0
fi

# apt-get source needs a deb-src entry: the same archives as the binary
# packages come from.
sources=/etc/apt/sources.list.d/prufacja-deb-src.sources
if ! apt-get source --print-uris -qq sqlite3 >/dev/null 2>&1; then
  require_root "no deb-src entry for the sqlite3 sources"
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$sources"
  else
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s %s-updates\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
      "$codename" "$codename" >"$sources"
  fi
  update_lists
fi

echo "Making the SQLite amalgamation from Debian's sqlite3 sources"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
log=$work/log
if ! (cd "$work" && apt-get source -qq -o APT::Sandbox::User=root sqlite3 >"$log" 2>&1); then
  cat "$log" >&2
  exit 1
fi
tree=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'sqlite3-*' | head -n 1)
mkdir -p "$work/build"
if ! (cd "$work/build" && "$tree/configure" --disable-tcl >"$log" 2>&1 && make sqlite3.c >>"$log" 2>&1); then
  cat "$log" >&2
  exit 1
fi
mkdir -p "$amalgamation"
cp "$work/build/sqlite3.c" "$work/build/sqlite3.h" "$amalgamation/"
