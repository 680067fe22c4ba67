#!/usr/bin/env bash
# Japanese text in files shaped like the files no one here wrote, measured
# for the front end as it is ("now") and for its rows with the Japanese
# filters off judged by the Japanese-text judge ("judged", through
# bench/judge_rows):
#
#   - binaries without Japanese (ELF programs and libraries, the mingw-w64
#     DLLs and static libraries, Wine's PE DLLs): rows with kana or kanji
#     per MB for --search-kanji, --search-wide-japanese and --search-utf8
#     (outside PE resources), and the Japanese UTF-16 rows of Wine's DLLs
#     that lie outside their resources;
#   - the Japanese message catalogues' pieces right after pieces of those
#     binaries (no zero between) and after a zero, in Shift-JIS, UTF-16LE
#     and UTF-8: listed whole;
#   - real programs: the catalogues' messages as Shift-JIS literals and as
#     UTF-16 resources, and the project's own resource scripts, linked with
#     the statically linked C++ runtime and zlib: listed whole, and the
#     Japanese UTF-16 rows outside the resources;
#   - the messages any one Japanese setting lists, listed with all three on;
#   - the front end's CPU time with all three on against the default.
#
# Tuning half: the catalogues and binaries the judge's tables are counted
# from and its bars chosen on; report half: measured only.  The corpus is
# built once into build/japanese-files (a few minutes; --rebuild builds it
# again).
#
#   scripts/japanese-files.sh [--lexprobe FRONT-END] [--min-japanese N] [--rebuild]
#   scripts/japanese-files.sh --show junk|ties|sjis-direct|... HALF now|judged OPTION
#
#   --lexprobe      measure another native front end (default: this tree's)
#   --min-japanese  the judged rows' minimum length in characters (default 3)
#   --show          for tuning: the junk rows of the binaries, the
#                   messages of an after-binary file not listed whole, or
#                   (ties) the rows with Japanese OPTION alone lists that
#                   all three settings on do not
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$ROOT"

lexprobe="" min=3 rebuild=0 show=()
while [ $# -gt 0 ]; do
  case $1 in
    --lexprobe) lexprobe=$(realpath "${2:?--lexprobe needs a front end}"); shift 2 ;;
    --min-japanese) min=${2:?--min-japanese needs a number}; shift 2 ;;
    --rebuild) rebuild=1; shift ;;
    --show) shift; show=("$@"); [ ${#show[@]} -eq 4 ] || { echo "japanese-files: --show WHAT HALF COLUMN OPTION" >&2; exit 2; }; break ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "japanese-files: unknown option $1" >&2; exit 2 ;;
  esac
done

cmake --preset native-release >/dev/null
cmake --build --preset native-release --target lexprobe judge_rows english_dic >/dev/null
bin="$ROOT/build/native-release/bin"
lexprobe=${lexprobe:-$bin/lexprobe}
work="$ROOT/build/japanese-files"
py="$ROOT/scripts/japanese-files.py"
if [ "$rebuild" = 1 ] || [ ! -s "$work/manifest.json" ]; then
  echo "building the corpus (a few minutes)..."
  rm -rf "$work"
  python3 "$py" "$work" build
fi
if [ ${#show[@]} -gt 0 ]; then
  exec python3 "$py" "$work" show "$lexprobe" "$bin/judge_rows" "$min" "${show[@]}"
fi
python3 "$py" "$work" measure "$lexprobe" "$bin/judge_rows" "$min"
