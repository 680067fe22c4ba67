#!/bin/sh
# Generates English.dic, the word dictionary shipped beside the programs,
# from the word list of the Debian package wamerican (SCOWL; see
# app/Check/English.dic.txt for its source and licence).
#
#   scripts/make-dictionary.sh OUTPUT [WORDLIST]
#
# Keeps words of ASCII letters only and at least four letters (no
# possessives, no accented words), one per line with CR LF, sorted by bytes
# and without duplicates, so the same word list always gives the same file.
set -eu
out=${1:?usage: make-dictionary.sh OUTPUT [WORDLIST]}
src=${2:-/usr/share/dict/american-english}
if [ ! -r "$src" ]; then
  echo "make-dictionary: $src not found (install the Debian package wamerican: scripts/deps.sh)" >&2
  exit 1
fi
tmp="$out.tmp.$$"
LC_ALL=C grep -E '^[A-Za-z]{4,}$' "$src" | LC_ALL=C sort -u | LC_ALL=C sed 's/$/\r/' > "$tmp"
mv "$tmp" "$out"
