#!/usr/bin/env bash
# Installs the Debian packages that the build and the tests need, when any
# of them is missing. Runs as root (apt-get).
set -euo pipefail

packages=(cmake ninja-build g++ clang libclang-rt-dev libgtest-dev libgmock-dev googletest libbenchmark-dev
          libsqlite3-dev sqlite3 libncurses-dev libcli11-dev libxml2-dev tmux)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "error: missing packages (${missing[*]}) and not root; install them with apt-get" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
# A mirror mid-sync fails some index files (seen for i386 once the Windows
# build added it); the lists there are still hold these packages.
apt-get update -qq || echo "warning: some package lists could not be updated; installing from the lists there are" >&2
apt-get install -y -qq --no-install-recommends "${missing[@]}"
