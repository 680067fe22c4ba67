#!/usr/bin/env bash
# Static checks of a built Windows binary, read with objdump:
#   check-pe.sh OBJDUMP FILE gui|console|dll [DEF]
# It must be a PE of the build's machine, of the stated kind, import no
# mingw runtime DLL, and (for a DLL) export exactly the names of DEF,
# undecorated.
# objdump speaks the shell's language; its messages are read in English.
export LC_ALL=C
set -euo pipefail
objdump=$1 file=$2 kind=$3 def=${4:-}
dump=$($objdump -p "$file")
# grep -q reads from a here-string, not a pipe: with pipefail, a big dump
# would kill the writer of a pipe with SIGPIPE once grep has its match.
fail() { echo "FAIL $file: $*"; exit 1; }

format=$(echo "$dump" | sed -n 's/.*file format //p' | head -1)
case "$objdump" in
  *i686*)   [ "$format" = pei-i386 ]   || fail "format $format, expected pei-i386" ;;
  *x86_64*) [ "$format" = pei-x86-64 ] || fail "format $format, expected pei-x86-64" ;;
esac
subsystem=$(echo "$dump" | sed -n 's/^Subsystem[[:space:]]*[0-9a-f]*[[:space:]]*//p')
case "$kind" in
  gui)     [ "$subsystem" = "(Windows GUI)" ] || fail "subsystem $subsystem" ;;
  console) [ "$subsystem" = "(Windows CUI)" ] || fail "subsystem $subsystem" ;;
  dll)     grep -q '^Characteristics.*' <<<"$dump" || fail "no characteristics"
           [ $(( $(echo "$dump" | sed -n 's/^Characteristics 0x//p') & 0x2000 )) -ne 0 ] 2>/dev/null \
             || [ $(( 0x$(echo "$dump" | sed -n 's/^Characteristics 0x//p') & 0x2000 )) -ne 0 ] \
             || fail "not a DLL" ;;
esac
if grep -qiE 'DLL Name: (libgcc|libstdc|libwinpthread|zlib1)' <<<"$dump"; then
  fail "depends on a mingw runtime DLL: $(echo "$dump" | grep -iE 'DLL Name: (libgcc|libstdc|libwinpthread|zlib1)')"
fi
if [ -n "$def" ]; then
  expected=$(sed -n '/^EXPORTS/,$p' "$def" | sed '1d; s/;.*//; s/[[:space:]]//g; /^$/d' | sort)
  actual=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' \
           | sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | sort)
  [ "$expected" = "$actual" ] || fail "exports differ from $def:
$(diff <(echo "$expected") <(echo "$actual") || true)"
fi
echo "ok $file ($format, $kind)"
