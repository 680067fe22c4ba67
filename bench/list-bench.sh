#!/bin/sh
# Runs the results list benchmark under Wine in the win64 build tree.
# Usage: bench/list-bench.sh [rows]   (after cmake --build --preset win64)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/win64
"$build/wine-start" >/dev/null
status=0
"$build/wine-run" "$build/bin/list_bench.exe" "${1:-1000000}" 'C:\windows\temp' || status=$?
"$build/wine-stop" >/dev/null
exit $status
