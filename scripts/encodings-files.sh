#!/usr/bin/env bash
# Japanese text stored in EUC-JP, ISO-2022-JP and UTF-16BE, measured for a
# front end as it is, with UTF-8 (--search-utf8) on the same corpus as the
# reference that runs today.  A setting the front end lacks (its --help
# does not name the switch) is printed as "not built".  Lines:
#
#   1. tar.mo, EUC-JP as it stands: its messages listed whole with
#      --search-euc-jp, of those code page 932 holds;
#   2. the Japanese catalogues' message pieces in each encoding, each after
#      a piece of a real binary and a zero, or right after it with no zero
#      between (UTF-16BE also after FE FF): listed whole; EUC-JP also as the
#      string literals of an -O2 program linked with the static C++ runtime
#      and zlib; ISO-2022-JP also as the bodies of a mailbox written by
#      Python's email package (its subjects are base64 encoded words:
#      counted, not measured); a piece of a program or a mail that holds
#      no Japanese character is ASCII in these encodings, listed whole as
#      an ANSI row;
#   3. the Japanese names (Windows, language 0x0411) in the name tables of
#      the machine's Japanese fonts, listed with --search-utf16be;
#   4. rows with kana or kanji per MB of the machine's binaries without
#      Japanese (outside PE resources) and of its fonts (outside the name
#      table), for each new setting alone;
#   5. with every setting on (the three new, kanji, wide Japanese, UTF-8):
#      the pieces of line 2 listed once, as a row of their own encoding;
#   6. the front end's CPU time (best of 3) on a few MB of binaries and
#      corpus files, each new setting and all on against the default;
#   7. md5 of the rows with the new settings off, default and each existing
#      setting (--compare FE2: "same" or "differs" for another front end).
#
# Tuning half: the catalogues and binaries a judge may be tuned on; report
# half: measured only (the halves of scripts/japanese-files.sh).  The
# corpus is built once into build/encodings-files (a few minutes;
# --rebuild builds it again).
#
#   scripts/encodings-files.sh [--lexprobe FRONT-END] [--compare FE2] [--rebuild]
#   scripts/encodings-files.sh --show junk|eucjp-direct|utf16be-zero|euc|mail|... HALF OPTION
#
#   --lexprobe  measure another native front end (default: this tree's)
#   --compare   print whether FE2 gives the same rows with the new settings off
#   --show      for tuning: the rows with kana or kanji of a half's binaries,
#               or the pieces of a corpus file not listed whole with OPTION
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$ROOT"

lexprobe="" other="" rebuild=0 show=()
while [ $# -gt 0 ]; do
  case $1 in
    --lexprobe) lexprobe=$(realpath "${2:?--lexprobe needs a front end}"); shift 2 ;;
    --compare) other=$(realpath "${2:?--compare needs a front end}"); shift 2 ;;
    --rebuild) rebuild=1; shift ;;
    --show) shift; show=("$@"); [ ${#show[@]} -eq 3 ] || { echo "encodings-files: --show WHAT HALF OPTION" >&2; exit 2; }; break ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "encodings-files: unknown option $1" >&2; exit 2 ;;
  esac
done

cmake --preset native-release >/dev/null
cmake --build --preset native-release --target lexprobe english_dic >/dev/null
lexprobe=${lexprobe:-$ROOT/build/native-release/bin/lexprobe}
work="$ROOT/build/encodings-files"
py="$ROOT/scripts/encodings-files.py"
if [ "$rebuild" = 1 ] || [ ! -s "$work/manifest.json" ]; then
  echo "building the corpus (a few minutes)..."
  rm -rf "$work"
  python3 "$py" "$work" build
fi
if [ ${#show[@]} -gt 0 ]; then
  exec python3 "$py" "$work" show "$lexprobe" "${show[@]}"
fi
python3 "$py" "$work" measure "$lexprobe" ${other:+"$other"}
