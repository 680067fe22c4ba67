#!/usr/bin/env bash
# The resource reader on the machine's PE files: Wine's DLLs and programs
# (64- and 32-bit) and the mingw-w64 runtime DLLs, or the folders and
# files named.  Prints, from the native-release build, the files read, the
# texts found per kind, the damaged entries and the time per MB; then
# compares every file's texts with what windres decompiles from it
# (bench/resources-check.py; --no-check leaves that out: it takes a few
# minutes).
#   bench/resources-bench.sh [--no-check] [PATH...]
set -euo pipefail
source "$(dirname "$0")/../scripts/lib.sh"
cd "$ROOT"
check=1
if [ "${1:-}" = --no-check ]; then
  check=0
  shift
fi
if [ $# -eq 0 ]; then
  set -- /usr/lib/x86_64-linux-gnu/wine/x86_64-windows /usr/lib/i386-linux-gnu/wine/i386-windows \
    /usr/lib/gcc/x86_64-w64-mingw32 /usr/lib/gcc/i686-w64-mingw32 \
    /usr/x86_64-w64-mingw32/lib /usr/i686-w64-mingw32/lib
fi
cmake --preset native-release >/dev/null
cmake --build --preset native-release --target resources_bench >/dev/null
bench=$ROOT/build/native-release/bin/resources_bench
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
"$bench" "$@"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
[ $check -eq 1 ] || exit 0
python3 "$ROOT/bench/resources-check.py" "$bench" "$@"
