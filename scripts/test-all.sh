#!/usr/bin/env bash
# Installs what is missing, builds every configuration and runs all tests:
# the portable cores natively (ASan + UBSan, bounded fuzzing), the static
# checks of the 32-bit deliverables, and the Windows tests under Wine.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$ROOT"

"$ROOT/scripts/deps.sh"

echo "== native: portable cores under sanitizers"
build_preset native
ctest --preset native

echo "== win32: the deliverables"
build_preset win32
if can_run_32bit; then
  echo "== win32: all tests under 32-bit Wine"
  ctest --preset win32
else
  echo "== win32: static checks (this kernel cannot run 32-bit code, so the"
  echo "   Wine tests run on the x86_64 build of the same sources below)"
  ctest --preset win32 -LE wine
  echo "== win64: Windows tests under wine64"
  build_preset win64
  ctest --preset win64
fi
echo "== all tests passed"
