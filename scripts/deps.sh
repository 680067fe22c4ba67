#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the benchmarks need.
# Safe to run again: packages already present are skipped.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

need=(
  cmake make g++ clang libclang-rt-14-dev googletest
  mingw-w64 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  libz-mingw-w64-dev zlib1g-dev
  wine wine32:i386 wine64
  xvfb xauth x11-utils imagemagick fonts-ipafont-gothic
  binutils wamerican wamerican-small wbritish-small
  jlha-utils lhasa gcab cabextract zip unzip
  python3 time locales help2man
)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  $SUDO apt-get update -q || true
fi

missing=()
for p in "${need[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "deps: installing ${missing[*]}"
  $SUDO apt-get update -q || true
  install=(env DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends)
  # A mirror whose i386 security index is out of sync with its amd64 one
  # offers the two architectures different versions of the same library,
  # which 32-bit Wine cannot take beside the 64-bit one: then both come
  # from the release itself.
  if ! "${install[@]}" "${missing[@]}"; then
    echo "deps: retrying with the release's own versions"
    "${install[@]}" -t bookworm "${missing[@]}"
  fi
else
  echo "deps: all packages present"
fi
