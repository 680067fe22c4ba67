#!/usr/bin/env bash
# The main job.  Installs what is missing and builds, then
#   scripts/run.sh [FILE]   lists the strings of FILE (a bundled sample when
#                           none is given) with the command-line front end;
#   scripts/run.sh --gui [FILE]
#                           starts Lexprobe.exe under Wine, on $DISPLAY or,
#                           when there is none, under a headless X server;
#                           with FILE, the program scans it at once.
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
  args=()
  if [ -n "${2:-}" ]; then
    [ -f "$2" ] || { echo "run.sh: $2 is not a file" >&2; exit 1; }
    # The file as the program sees it: drive Z: is the Linux root.
    path=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
    args=("Z:$(printf '%s' "$path" | tr / '\\')")
  fi
  # Japanese file names need a UTF-8 Japanese locale on the Linux side.
  japanese_locale "$build/wine/locale"
  echo "Starting Lexprobe.exe (close its window to end)"
  "$build/wine-run" "$build/bin/Lexprobe.exe" "${args[@]}"
  exit 0
fi

build_preset native-release >/dev/null
file=${1:-$ROOT/samples/sample.bin}
exec "$ROOT/build/native-release/bin/lexprobe" "$file"
