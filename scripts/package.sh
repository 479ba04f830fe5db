#!/usr/bin/env bash
# Makes the release archives from the builds build/mingw and build/dev:
#
#   prufacja-VERSION-win32.zip           prufacja.dll, the guide, SHA256SUMS
#   korpus-VERSION-linux-x86_64.tar.gz   korpus, its host library and the
#                                        plug-in, the docs, SHA256SUMS
#
# and SHA256SUMS of the two archives beside them. Then it unpacks each
# archive afresh and checks what an administrator would get: the checksums,
# the plug-in being byte for byte the library the tests ran on, the
# plug-in's boundary checks (one export by ordinal, its imports, its version
# resource) run under Wine on the unpacked file, and the unpacked korpus
# naming the version and running a scripted check without the build tree.
#
# Usage: scripts/package.sh [--only windows|linux] [--mingw-build DIR]
#                           [--dev-build DIR] [DIST]
# DIST defaults to dist/; Wine runs in the Windows build's prefix (wine/). Exits 0 when every archive was made and checked,
# 1 when a check failed, 2 on a wrong command line or a missing build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
only=""
mingw_build=$root/build/mingw
dev_build=$root/build/dev
dist=$root/dist
while [ $# -gt 0 ]; do
  case $1 in
    --only) only=${2:-}; shift 2 ;;
    --mingw-build) mingw_build=${2:-}; shift 2 ;;
    --dev-build) dev_build=${2:-}; shift 2 ;;
    -*) echo "package.sh: unknown option $1" >&2; exit 2 ;;
    *) dist=$1; shift ;;
  esac
done
case $only in
  ""|windows|linux) ;;
  *) echo "package.sh: --only takes windows or linux, not '$only'" >&2; exit 2 ;;
esac
wants() { [ -z "$only" ] || [ "$only" = "$1" ]; }

fail() { echo "package.sh: $*" >&2; exit 1; }

# The version the build took from the project line.
version_of() {
  local cache=$1/CMakeCache.txt
  [ -f "$cache" ] || { echo "package.sh: no build in $1 (run make package)" >&2; exit 2; }
  sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$cache"
}

version=""
if wants windows; then version=$(version_of "$mingw_build"); fi
if wants linux; then
  dev_version=$(version_of "$dev_build")
  [ -z "$version" ] || [ "$version" = "$dev_version" ] ||
    fail "the Windows build is version $version, the Linux build $dev_version"
  version=$dev_version
fi
[ -n "$version" ] || fail "the build names no version"
if wants windows; then mingw_build=$(cd "$mingw_build" && pwd); fi
if wants linux; then dev_build=$(cd "$dev_build" && pwd); fi

mkdir -p "$dist"
dist=$(cd "$dist" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Writes SHA256SUMS of every file below the current folder but itself.
write_sums() {
  find . -type f ! -name SHA256SUMS -printf '%P\n' | LC_ALL=C sort | xargs -d '\n' sha256sum >SHA256SUMS
}

archives=()

if wants windows; then
  name=prufacja-$version-win32
  dll=$mingw_build/bin/prufacja.dll
  image_test=$mingw_build/bin/win_image_test.exe
  [ -f "$dll" ] && [ -f "$image_test" ] || { echo "package.sh: $mingw_build holds no built plug-in" >&2; exit 2; }
  stage=$work/stage/$name
  mkdir -p "$stage"
  cp "$dll" "$stage/"
  cp "$root/docs/instrukcja.md" "$stage/"
  cp -r "$root/docs/przyklady" "$stage/"
  (cd "$stage" && write_sums)
  rm -f "$dist/$name.zip"
  (cd "$work/stage" && zip -q -X -r "$dist/$name.zip" "$name")
  archives+=("$name.zip")

  unpacked=$work/unpacked-windows
  mkdir -p "$unpacked"
  unzip -q "$dist/$name.zip" -d "$unpacked"
  (cd "$unpacked/$name" && sha256sum --quiet -c SHA256SUMS) || fail "$name.zip: a checksum does not match"
  cmp -s "$unpacked/$name/prufacja.dll" "$dll" || fail "$name.zip: prufacja.dll is not the built library"
  # The image test reads the library beside itself: here the unpacked one.
  cp "$image_test" "$unpacked/$name/"
  . "$root/scripts/windows-route.sh"
  windows_route_setup || fail "no route runs 32-bit x86 programs here, so Wine cannot check the unpacked plug-in: $route_failure"
  if [ "$route" = forced ]; then export PRUFACJA_WINE_EMULATOR=$route_qemu; fi
  if ! (cd "$unpacked/$name" && "$root/scripts/wine-run.sh" "$mingw_build/wine" win_image_test.exe \
          --gtest_filter='PluginImage.*' >"$work/image_test.log" 2>&1); then
    cat "$work/image_test.log" >&2
    fail "$name.zip: the unpacked prufacja.dll fails its image checks"
  fi
  grep -q '^\[  PASSED  \]' "$work/image_test.log" || { cat "$work/image_test.log" >&2; fail "$name.zip: the image checks did not run"; }
  echo "$name.zip: $(stat -c %s "$dist/$name.zip") bytes; prufacja.dll $(stat -c %s "$dll") bytes, checked under Wine"
fi

if wants linux; then
  name=korpus-$version-linux-x86_64
  stage=$work/stage/$name
  cmake --install "$dev_build" --prefix "$stage" >"$work/install.log" 2>&1 || { cat "$work/install.log" >&2; fail "cmake --install failed"; }
  mkdir -p "$stage/doc"
  cp "$root/README.md" "$stage/"
  cp "$root/app/README.md" "$stage/doc/korpus.md"
  cp "$root/docs/instrukcja.md" "$stage/doc/"
  cp -r "$root/docs/przyklady" "$stage/doc/"
  mkdir -p "$stage/doc/examples"
  cp "$root"/app/examples/*.script "$stage/doc/examples/"
  (cd "$stage" && write_sums)
  rm -f "$dist/$name.tar.gz"
  (cd "$work/stage" && tar --owner=0 --group=0 --numeric-owner -czf "$dist/$name.tar.gz" "$name")
  archives+=("$name.tar.gz")

  unpacked=$work/unpacked-linux
  mkdir -p "$unpacked"
  tar -xzf "$dist/$name.tar.gz" -C "$unpacked"
  top=$unpacked/$name
  (cd "$top" && sha256sum --quiet -c SHA256SUMS) || fail "$name.tar.gz: a checksum does not match"
  cmp -s "$top/bin/prufacja.so" "$dev_build/bin/prufacja.so" || fail "$name.tar.gz: prufacja.so is not the built library"
  said=$(env -u LD_LIBRARY_PATH "$top/bin/korpus" --version 2>&1) || fail "$name.tar.gz: the unpacked korpus does not start: $said"
  [ "$said" = "korpus $version" ] || fail "$name.tar.gz: korpus --version says '$said', not 'korpus $version'"
  # A whole scripted check from the unpacked files alone, the build tree out of reach.
  run=$work/run
  mkdir -p "$run"
  if ! (cd "$run" && env -u LD_LIBRARY_PATH "$top/bin/korpus" --db demo.db --demo \
          --script "$top/doc/examples/quickstart.script" >"$work/run.log" 2>&1); then
    cat "$work/run.log" >&2
    fail "$name.tar.gz: the unpacked korpus did not run its quick start"
  fi
  grep -q '^plugin load: result 0' "$work/run.log" || { cat "$work/run.log" >&2; fail "$name.tar.gz: the unpacked korpus did not load its plug-in"; }
  if ldd "$top/bin/korpus" | grep -q "$dev_build"; then fail "$name.tar.gz: korpus still reaches into the build tree"; fi
  echo "$name.tar.gz: $(stat -c %s "$dist/$name.tar.gz") bytes; korpus $version ran its quick start unpacked"
fi

(cd "$dist" && sha256sum "${archives[@]}" >SHA256SUMS.new)
if [ -f "$dist/SHA256SUMS" ]; then
  # Keep the lines of an archive this run did not make.
  grep -v -F -f <(printf '  %s\n' "${archives[@]}") "$dist/SHA256SUMS" >>"$dist/SHA256SUMS.new" || true
fi
LC_ALL=C sort -k2 "$dist/SHA256SUMS.new" >"$dist/SHA256SUMS"
rm -f "$dist/SHA256SUMS.new"
echo "checksums: $dist/SHA256SUMS"
