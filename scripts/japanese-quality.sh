#!/usr/bin/env bash
# How well the front end lists the Japanese messages of real programs and
# how much else it lists as Japanese, measured on programs built here from
# the machine's Japanese message catalogues (/usr/share/locale/ja/LC_MESSAGES):
#
#   - Shift-JIS (--search-kanji): each catalogue's messages as C string
#     literals in code page 932, used by generated C code (tables, switches,
#     formatted output, error paths) and compiled at -O2 with library code
#     of the toolchain (mingw-w64's runtime extras, quad-precision maths,
#     zlib) into a 32-bit program: the messages listed whole, and the rows
#     with double-byte text that are none of the messages (nor a piece of
#     one), of them those in the code section, with the Shift-JIS noise
#     filter off and on;
#   - UTF-16 (--search-wide-japanese): the same messages in a resource
#     script (string tables, dialogs, menus) built by windres into a 32-bit
#     library with the same code: the messages listed whole, and the rows
#     with Japanese text outside the resource section, or none of the
#     messages.
#
# A message is each piece of a catalogue's translation between control
# characters (a row never holds one) that the front end's defaults can list:
# at least 5 bytes (5 characters for UTF-16), no half-width katakana, not
# dropped by the repetition filter.
#
# The catalogues are split in two halves by their name (without versions,
# so that related catalogues stay together), and the library code by its
# archive member: the tuning half, on which the filter's rule and the
# UTF-16 rules were chosen, and the report half, measured only.
#
#   scripts/japanese-quality.sh [--before LEXPROBE] [--rebuild]
#   scripts/japanese-quality.sh --rows 0|1 sjis|utf16 [OPTION...]
#
#   --before LEXPROBE  measure an earlier native front end too
#   --rebuild          build the programs again (they are kept in
#                      build/japanese-quality and reused)
#   --rows             instead of measuring, print for one half (0 tuning,
#                      1 report) the messages not listed whole and every
#                      row with Japanese text, run with the options given
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$ROOT"

before="" rebuild=0 rows=()
while [ $# -gt 0 ]; do
  case $1 in
    --before) before=${2:?--before needs a front end}; shift 2 ;;
    --rebuild) rebuild=1; shift ;;
    --rows) shift; rows=("$@"); [ ${#rows[@]} -ge 2 ] || { echo "japanese-quality: --rows HALF sjis|utf16 [OPTION...]" >&2; exit 2; }; break ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "japanese-quality: unknown option $1" >&2; exit 2 ;;
  esac
done

build_preset native-release >/dev/null
lexprobe="$ROOT/build/native-release/bin/lexprobe"
work="$ROOT/build/japanese-quality"
py="$ROOT/scripts/japanese-quality.py"
mkdir -p "$work"

if [ "$rebuild" = 1 ] || [ ! -s "$work/manifest.json" ]; then
  echo "building the programs from the message catalogues (a few minutes)..."
  rm -rf "$work/corpus" "$work/manifest.json"
  python3 "$py" "$work" build
fi

if [ ${#rows[@]} -gt 0 ]; then
  exec python3 "$py" "$work" rows "${rows[@]:0:2}" "$lexprobe" "${rows[@]:2}"
fi

# A front end that knows the Shift-JIS noise filter is measured with it off
# and on.
filter_of() { if "$1" --help 2>&1 | grep -q -- --check-kanji-noise; then echo --filter; fi; }

if [ -n "$before" ]; then
  python3 "$py" "$work" measure before "$(realpath "$before")" $(filter_of "$before")
  echo
fi
python3 "$py" "$work" measure after "$lexprobe" $(filter_of "$lexprobe")
