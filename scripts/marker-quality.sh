#!/usr/bin/env bash
# How well the English-word marker, with a given English.dic, tells text
# from machine code, measured on real binaries: the shared libraries under
# /usr/lib (ELF *.so* and PE *.dll files, each content once).
#
#   - noise checked: the share of the rows of code sections (.text) that
#     the front end checks;
#   - text found: the share of the rows of read-only data sections (.rodata,
#     .rdata) holding at least two space-separated words of three or more
#     letters ("text-like" rows) that it checks;
#   - dictionary load time: reading, sorting and indexing English.dic in the
#     program's own code path (lexprobe, natively and the Windows build
#     under Wine): CPU time of a run on an empty file with the dictionary
#     less that of a run without it, the least of several runs each.
#
# The libraries are split in two halves by their name (without folder and
# version, so that the 32- and 64-bit builds of one library stay together):
# the tuning half, from which the dictionary's list of left-out words was
# chosen (--words), and the report half, measured only.
#
#   scripts/marker-quality.sh [--dict FILE] [--no-wine] [--rebuild] [--words]
#
#   --dict FILE   measure FILE instead of the built English.dic
#   --no-wine     skip the load time under Wine
#   --rebuild     extract the sections again (they are kept in
#                 build/marker-quality and reused)
#   --words       instead of measuring, print for the tuning half the words
#                 that machine code spells (the rule of scripts/make-dictionary.sh)
#                 and how often three-letter words stand on their own in text
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$ROOT"

dict="" wine=1 rebuild=0 words=0
while [ $# -gt 0 ]; do
  case $1 in
    --dict) dict=${2:?--dict needs a file}; shift 2 ;;
    --no-wine) wine=0; shift ;;
    --rebuild) rebuild=1; shift ;;
    --words) words=1; shift ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "marker-quality: unknown option $1" >&2; exit 2 ;;
  esac
done

build_preset native-release >/dev/null
bin="$ROOT/build/native-release/bin"
dict=$(realpath "${dict:-$bin/English.dic}")
[ -r "$dict" ] || { echo "marker-quality: cannot read $dict" >&2; exit 1; }
work="$ROOT/build/marker-quality"
mkdir -p "$work"

py="$ROOT/scripts/marker-quality.py"

if [ "$rebuild" = 1 ] || [ ! -s "$work/manifest.txt" ]; then
  echo "extracting code and read-only data sections of the libraries under /usr/lib..."
  rm -rf "$work/sections"
  python3 "$py" "$work" "$bin/lexprobe" "$dict" extract
fi

if [ "$words" = 1 ]; then
  python3 "$py" "$work" "$bin/lexprobe" "$dict" words \
    /usr/share/dict/american-english-small /usr/share/dict/british-english-small
  exit 0
fi

python3 "$py" "$work" "$bin/lexprobe" "$dict" measure
echo
empty="$work/empty.bin"
: >"$empty"
python3 "$py" "$work" "$bin/lexprobe" "$dict" load "native" "" "$bin/lexprobe" "$dict" "$empty" 15

if [ "$wine" = 1 ]; then
  preset=$(wine_preset)
  if ! build_preset "$preset" >/dev/null 2>&1; then
    echo "dictionary load, Wine: skipped (the $preset build failed)"
    exit 0
  fi
  build="$ROOT/build/$preset"
  "$build/wine-start" >/dev/null
  trap '"$build/wine-stop" >/dev/null 2>&1 || true' EXIT
  windict=$("$build/wine-run" winepath -w "$dict" | tr -d '\r')
  winempty=$("$build/wine-run" winepath -w "$empty" | tr -d '\r')
  python3 "$py" "$work" "$bin/lexprobe" "$dict" load "Wine ($preset)" "$build/wine-run" \
    "$build/bin/cli/lexprobe.exe" "$windict" "$winempty" 9
fi
