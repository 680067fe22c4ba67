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
#   scripts/utf8-quality.sh
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$ROOT"

if [ $# -gt 0 ]; then
  sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'
  exit 2
fi

build_preset native-release >/dev/null
jwork="$ROOT/build/japanese-quality"
if [ ! -s "$jwork/manifest.json" ]; then
  echo "building the Japanese programs from the message catalogues (a few minutes)..."
  mkdir -p "$jwork"
  python3 "$ROOT/scripts/japanese-quality.py" "$jwork" build >/dev/null 2>&1
fi
python3 "$ROOT/scripts/utf8-quality.py" "$jwork" "$ROOT/build/native-release/bin/lexprobe"
