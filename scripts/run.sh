#!/usr/bin/env bash
# The main job.  Installs what is missing and builds, then
#   scripts/run.sh [FILE]   lists the strings of FILE (a bundled sample when
#                           none is given) with the command-line front end;
#   scripts/run.sh --gui    starts Lexprobe.exe under Wine, on $DISPLAY or,
#                           when there is none, under a headless X server.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$ROOT"
"$ROOT/scripts/deps.sh" >/dev/null

if [ "${1:-}" = "--gui" ]; then
  preset=$(wine_preset)
  build_preset "$preset" >/dev/null
  build="$ROOT/build/$preset"
  if [ -z "${DISPLAY:-}" ]; then
    "$build/wine-start"
    trap '"$build/wine-stop"' EXIT
  else
    export LOOM_KEEP_DISPLAY=1
    [ -f "$build/wine/prefix/system.reg" ] || "$build/wine-start"
  fi
  echo "Starting Lexprobe.exe (close its window to end)"
  "$build/wine-run" "$build/bin/Lexprobe.exe"
  exit 0
fi

build_preset native-release >/dev/null
file=${1:-$ROOT/samples/sample.bin}
exec "$ROOT/build/native-release/bin/lexprobe" "$file"
