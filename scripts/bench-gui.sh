#!/usr/bin/env bash
# The scan as a user runs it: Lexprobe.exe under Wine, driven by lexdrive.exe
# on a 200 MB corpus (real binaries and text from /usr).  Prints the time
# from the start press to the list shown next to the bare scan core's time
# on the same file, the window's worst answer time during the scan, the time
# a stop press takes, and the process's peak memory.
#   scripts/bench-gui.sh [FILE]
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$ROOT"

preset=$(wine_preset)
build_preset "$preset" >/dev/null
build="$ROOT/build/$preset"
work="$ROOT/build/bench-work"
mkdir -p "$work"

corpus=${1:-$work/corpus-200m.bin}
if [ ! -f "$corpus" ]; then
  echo "bench-gui: building $corpus"
  find /usr/lib /usr/share/doc -type f -size +64k 2>/dev/null | sort | head -4000 |
    xargs cat 2>/dev/null | head -c $((200 * 1024 * 1024)) >"$corpus" || true
fi
size=$(stat -L -c %s "$corpus")

"$build/wine-start" >/dev/null
lexprobe=
cleanup() {
  [ -n "$lexprobe" ] && kill "$lexprobe" 2>/dev/null || true
  "$build/wine-stop" >/dev/null
}
trap cleanup EXIT

"$build/wine-run" "$build/bin/Lexprobe.exe" >"$work/lexprobe.log" 2>&1 &
lexprobe=$!
run() { "$build/wine-run" "$@" | tr -d '\r'; }
run "$build/bin/lexdrive.exe" wait
win=$(run winepath -w "$corpus")

echo "corpus                     $(awk -v s="$size" 'BEGIN{printf "%8.1f MB", s/1048576}')"
run "$build/bin/lexdrive.exe" bench "$win"
# Peak resident memory of the program's process, as Linux counts it.
pid=$(pgrep -n -f 'Lexprobe\.exe' || true)
if [ -n "$pid" ]; then
  hwm=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
  echo "peak resident (VmHWM)      $(awk -v k="$hwm" 'BEGIN{printf "%8.1f MB", k/1024}')  ($(awk -v k="$hwm" -v s="$size" 'BEGIN{printf "%.2f", k*1024/s}') x file size)"
fi
run "$build/bin/lexdrive.exe" close
wait "$lexprobe" 2>/dev/null || true
lexprobe=
