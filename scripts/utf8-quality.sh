#!/usr/bin/env bash
# How well the front end lists UTF-8 text (--search-utf8), measured on real
# text:
#
#   - the machine's Japanese message catalogues
#     (/usr/share/locale/ja/LC_MESSAGES, those in UTF-8): the messages
#     listed whole as UTF-8 rows, and among the rows with Japanese text the
#     mojibake (UTF-8 read as Shift-JIS pairs, with --search-kanji) and the
#     UTF-8 rows with other text than the messages', with UTF-8 off, on, and
#     on with Shift-JIS text too; the UTF-8 rows of the catalogues in other
#     character sets (EUC-JP), which hold no UTF-8 text;
#   - the catalogues of a few other languages: their texts outside ASCII
#     listed whole (characters code page 932 lacks as \u{HEX});
#   - the Shift-JIS programs of the Japanese quality corpus
#     (scripts/japanese-quality.sh builds them into build/japanese-quality):
#     their messages listed whole with --search-kanji, without and with
#     --search-utf8, and the UTF-8 rows (none of them real text) with both
#     settings and with --search-utf8 alone;
#   - where the two readings meet: the Shift-JIS pairs of those messages
#     that also begin a UTF-8 character, and the catalogues' UTF-8
#     characters that are also Shift-JIS pairs.
#
# A message is each piece of a translation between control characters that
# the front end's defaults can list: 5 characters or more, no half-width
# katakana, not dropped by the repetition filter.
#
#   scripts/utf8-quality.sh [--before LEXPROBE]
#
#   --before LEXPROBE  measure an earlier native front end's catalogue rows
#                      with --search-kanji too
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$ROOT"

before=""
while [ $# -gt 0 ]; do
  case $1 in
    --before) before=${2:?--before needs a front end}; shift 2 ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "utf8-quality: unknown option $1" >&2; exit 2 ;;
  esac
done

build_preset native-release >/dev/null
lexprobe="$ROOT/build/native-release/bin/lexprobe"
work="$ROOT/build/japanese-quality"
if [ ! -s "$work/manifest.json" ]; then
  echo "building the Japanese programs from the message catalogues (a few minutes)..."
  mkdir -p "$work"
  python3 "$ROOT/scripts/japanese-quality.py" "$work" build >/dev/null 2>&1
fi

if [ -n "$before" ]; then
  echo "before: $(realpath "$before") --search-kanji on the Japanese catalogues"
  python3 - "$(realpath "$before")" <<'PY'
import glob, subprocess, sys
rows = mojibake = 0
for path in sorted(glob.glob("/usr/share/locale/ja/LC_MESSAGES/*.mo")):
    out = subprocess.run([sys.argv[1], "--no-check-english", "--search-kanji", path],
                         check=True, stdout=subprocess.PIPE).stdout
    for line in out.split(b"\r\n"):
        if line:
            rows += 1
            text = line.split(b"\t", 2)[2]
            mojibake += any(0x81 <= b <= 0x9F or 0xE0 <= b <= 0xFC for b in text)
print("  rows %d, of them with Shift-JIS double-byte text (mojibake) %d" % (rows, mojibake))
PY
  echo
fi
echo "after: $lexprobe"
python3 "$ROOT/scripts/utf8-quality.py" "$work" "$lexprobe"
