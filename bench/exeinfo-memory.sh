#!/usr/bin/env bash
# Peak memory of GetExeInfo and SearchDll under Wine on crafted files that
# repeat one name millions of times (bench/exeinfo_memory_bench.cpp).
#   bench/exeinfo-memory.sh [LOOMLIB_DLL]
# With LOOMLIB_DLL (another build's loomlib.dll) the same program runs
# against that library instead, for a before/after comparison.
set -euo pipefail
source "$(dirname "$0")/../scripts/lib.sh"
cd "$ROOT"
preset=$(wine_preset)
build_preset "$preset" >/dev/null
run="$ROOT/build/$preset/wine-run"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$ROOT/build/$preset/bin/exeinfo_memory_bench.exe" "${1:-$ROOT/build/$preset/bin/loomlib.dll}" "$work/"
for which in exports imports dllnames; do
  "$run" "$work/exeinfo_memory_bench.exe" make "$which" "Z:$work/$which.bin"
  "$run" "$work/exeinfo_memory_bench.exe" run "$which" "Z:$work/$which.bin" | tr -d '\r'
  rm -f "$work/$which.bin"
done
