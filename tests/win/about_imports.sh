#!/usr/bin/env bash
# What the program takes from the library, read from its import table:
#   about_imports.sh OBJDUMP PROGRAM
# The program must import from loomlib.dll exactly GetFileVerInfo,
# LoomGetSystemInfo and szURLEncode, and nothing else.
# objdump's headings are read in English, whatever the shell's language.
export LC_ALL=C
set -euo pipefail
objdump=$1 file=$2
dump=$($objdump -p "$file")
# The names listed under "DLL Name: loomlib.dll", up to the blank line that
# ends the block (the "vma:" heading skipped).
actual=$(awk '/DLL Name:/ { inside = tolower($3) == "loomlib.dll"; next }
              inside && /^[[:space:]]*$/ { inside = 0 }
              inside && !/vma:/ { print $NF }' <<<"$dump" | sort)
expected=$(printf '%s\n' GetFileVerInfo LoomGetSystemInfo szURLEncode | sort)
echo "imports from loomlib.dll:"
echo "$actual" | sed 's/^/  /'
if [ "$actual" != "$expected" ]; then
  echo "FAIL $file: expected exactly:"
  echo "$expected" | sed 's/^/  /'
  exit 1
fi
echo "ok $file"
