#!/usr/bin/env bash
# The scan core's time with the SSE2 and the AVX2 walk, for each setting
# users turn on, in the native-release build and in the Windows build under
# Wine (32-bit where this kernel runs 32-bit code), on the benchmark corpus
# (scripts/bench-scan.sh builds it).  Prints the load average around it:
# the machine may be shared.
#   bench/walk-bench.sh [CORPUS] [ROUNDS]
set -euo pipefail
source "$(dirname "$0")/../scripts/lib.sh"
cd "$ROOT"
corpus=${1:-$ROOT/build/bench/corpus.bin}
rounds=${2:-5}
[ -f "$corpus" ] || { echo "no corpus at $corpus (scripts/bench-scan.sh builds it)" >&2; exit 2; }
preset=$(wine_preset)
for p in native-release "$preset"; do
  cmake --preset "$p" >/dev/null
  cmake --build --preset "$p" --target walk_bench >/dev/null
done
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
status=0
echo "== native"
"$ROOT/build/native-release/bin/walk_bench" "$corpus" "$rounds" || status=1
echo "== $preset under Wine"
wbuild=$ROOT/build/$preset
"$wbuild/wine-start" >/dev/null
trap '"$wbuild/wine-stop" >/dev/null' EXIT
"$wbuild/wine-run" "$wbuild/bin/walk_bench.exe" "$corpus" "$rounds" || status=1
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
exit $status
