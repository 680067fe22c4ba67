#!/usr/bin/env bash
# The scan as a user runs it: Lexprobe.exe under Wine, driven by lexdrive.exe
# on a file (by default a 200 MB corpus of real binaries and text from /usr).
# For each setting named, the program is started with that setting in the
# registry and the start button pressed $REPEAT times: the time from the
# first press to the list shown, the fastest press, the rows listed, the
# program's CPU time a press (the mean of the presses) and its peak resident
# memory.  The first setting of our program then gets the details (unless
# --no-detail): the bare scan core's time on the same file with the same
# settings, the window's worst answer time during the scan, resizing and
# mouse moves with the list shown, the time a stop press takes, and the
# peak working set.
#   scripts/bench-gui.sh [--settings NAME,...] [--no-detail] [FILE]
# Settings: default, kanji (漢字も抽出する), wide (UTF-16 Japanese), utf8,
# all (the three together); default: "default".  The program reads its
# settings at start from HKCU\Software\Halvek\Lexprobe; the key is emptied
# before each start, so that every other setting is the program's default
# as in the front ends, and put back as it was at the end.
# LEXPROBE_PROGRAM_BEFORE=DIR (a folder holding a Lexprobe.exe with its
# English.dic) is timed beside ours, setting by setting.
# Lines "program NAME, SETTING: first press S s, best of N S s, ROWS rows;
# CPU S s a press; ..." are what scripts/bench-scan.sh reads.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$ROOT"

settings=default detail=1 corpus=""
while [ $# -gt 0 ]; do
  case "$1" in
    --settings) settings=${2:?}; shift ;;
    --no-detail) detail=0 ;;
    -*) echo "usage: $0 [--settings NAME,...] [--no-detail] [FILE]" >&2; exit 2 ;;
    *) corpus=$1 ;;
  esac
  shift
done
for name in ${settings//,/ }; do
  case " $BENCH_SETTINGS " in
    *" $name "*) ;;
    *) echo "bench-gui: unknown setting $name (one of: $BENCH_SETTINGS)" >&2; exit 2 ;;
  esac
done
REPEAT=${REPEAT:-3}

preset=$(wine_preset)
# scripts/bench-scan.sh has built the tree already.
[ -n "${BENCH_GUI_BUILT:-}" ] || build_preset "$preset" >/dev/null
build="$ROOT/build/$preset"
work="$ROOT/build/bench-work"
mkdir -p "$work"

if [ -z "$corpus" ]; then
  corpus=$work/corpus-200m.bin
  if [ ! -f "$corpus" ]; then
    echo "bench-gui: building $corpus"
    find /usr/lib /usr/share/doc -type f -size +64k 2>/dev/null | LC_ALL=C sort | head -4000 |
      xargs cat 2>/dev/null | head -c $((200 * 1024 * 1024)) >"$corpus" || true
  fi
fi
[ -f "$corpus" ] || { echo "bench-gui: no file $corpus" >&2; exit 1; }
size=$(stat -L -c %s "$corpus")

programs=("ours:$build/bin")
if [ -n "${LEXPROBE_PROGRAM_BEFORE:-}" ]; then
  [ -f "$LEXPROBE_PROGRAM_BEFORE/Lexprobe.exe" ] ||
    { echo "bench-gui: no Lexprobe.exe in $LEXPROBE_PROGRAM_BEFORE" >&2; exit 1; }
  programs+=("before:$LEXPROBE_PROGRAM_BEFORE")
fi

key='HKCU\Software\Halvek\Lexprobe'
saved="$work/settings-saved.reg"
run() { "$build/wine-run" "$@" | tr -d '\r'; }
drive() { run "$build/bin/lexdrive.exe" "$@"; }

"$build/wine-start" >/dev/null
# The settings key as it was, to put back at the end (none: no key).
rm -f "$saved"
had_key=0
if run reg export "$key" "$(run winepath -w "$saved")" /y >/dev/null 2>&1 && [ -s "$saved" ]; then
  had_key=1
fi
lexprobe=
cleanup() {
  if [ -n "$lexprobe" ]; then
    kill "$lexprobe" 2>/dev/null || true
    wait "$lexprobe" 2>/dev/null || true
  fi
  run reg delete "$key" /f >/dev/null 2>&1 || true
  if [ "$had_key" = 1 ]; then
    run reg import "$(run winepath -w "$saved")" >/dev/null 2>&1 ||
      echo "bench-gui: could not put the settings back from $saved" >&2
  fi
  "$build/wine-stop" >/dev/null
}
trap cleanup EXIT

# Starts the program in folder $1 with setting $2 in the registry and waits
# for its window.
start_program() {
  run reg delete "$key" /f >/dev/null 2>&1 || true
  local value
  for value in $(bench_setting_fields "$2" 3); do
    run reg add "$key" /v "$value" /t REG_SZ /d 1 /f >/dev/null
  done
  "$build/wine-run" "$1/Lexprobe.exe" >"$work/lexprobe.log" 2>&1 &
  lexprobe=$!
  drive wait
}

# Closes the program; it writes its settings on the way out, so the next
# start waits for it to end.
close_program() {
  drive close
  wait "$lexprobe" 2>/dev/null || true
  lexprobe=
}

# Peak resident memory and CPU time (user + system, all threads) of the
# program's process as Linux counts them: the Wine process started above
# runs the program itself.  The wineserver's share of the work is not in it.
peak_resident() {
  LC_ALL=C awk '/^VmHWM/ { printf "%.1f", $2 / 1024 }' "/proc/$lexprobe/status" 2>/dev/null || true
}
cpu_ticks() {
  # The command name in field 2 holds no blank here (wine-preloader, Lexprobe.exe).
  LC_ALL=C awk '{ print $14 + $15 }' "/proc/$lexprobe/stat" 2>/dev/null || echo 0
}
ticks=$(getconf CLK_TCK)

win=$(run winepath -w "$corpus")
echo "file                       $(awk -v s="$size" 'BEGIN{printf "%8.1f MB", s/1048576}')  ($corpus)"
for program in "${programs[@]}"; do
  name=${program%%:*} folder=${program#*:}
  first=1
  for setting in ${settings//,/ }; do
    start_program "$folder" "$setting"
    before=$(cpu_ticks)
    line=$(drive press "$win" "$REPEAT")
    cpu=$(LC_ALL=C awk -v a="$before" -v b="$(cpu_ticks)" -v t="$ticks" -v n="$REPEAT" \
      'BEGIN { printf "%.3f", (b - a) / t / n }')
    echo "program $name, $setting: $line; CPU $cpu s a press; peak resident $(peak_resident) MB"
    if [ "$first" = 1 ] && [ "$detail" = 1 ] && [ "$name" = ours ]; then
      echo "-- program $name, $setting: details (with the list of the presses above on screen)"
      drive bench "$win"
    fi
    first=0
    close_program
  done
done
