#!/usr/bin/env bash
# Benchmark of the executable examination over the PE files that Wine ships
# (32-bit and 64-bit folders): files per second and the slowest file, with
# names and with names and the content scan.
#   - natively: the portable core, optimised (build/native-release);
#   - under Wine: GetExeInfo of the real loomlib.dll of the Windows build
#     that runs here (win32, or win64 where 32-bit code cannot run).
#   scripts/bench-exeinfo.sh [--native-only]
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$ROOT"

dirs=(/usr/lib/i386-linux-gnu/wine/i386-windows /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)

build_preset native-release >/dev/null
echo "== native"
"$ROOT/build/native-release/bin/exeinfo_bench" "${dirs[@]}"

[ "${1:-}" = "--native-only" ] && exit 0
preset=$(wine_preset)
build_preset "$preset" >/dev/null
run="$ROOT/build/$preset/wine-run"
if [ ! -f "$ROOT/build/$preset/wine/prefix/system.reg" ]; then
  "$ROOT/build/$preset/wine-start" >/dev/null
  "$ROOT/build/$preset/wine-stop" >/dev/null || true
fi
echo "== under Wine ($preset)"
"$run" "$ROOT/build/$preset/bin/exeinfo_bench.exe" "${dirs[@]/#/Z:}" | tr -d '\r'
