#!/usr/bin/env bash
# cabextract's view of the cabinet that CabCompressFiles made under Wine
# (the archive test leaves it with copies of its sources in DIR): it must
# test clean, hold exactly the two files, and unpack to their bytes.
# cabextract's listing is read in English, whatever the shell's language.
export LC_ALL=C
set -euo pipefail
dir=$1
cabextract -q -t "$dir/made.cab"
names=$(cabextract -l "$dir/made.cab" | awk -F'|' 'NF == 3 && $1 ~ /[0-9]/ { gsub(/^ +| +$/, "", $3); print $3 }' | sort | tr '\n' ' ')
if [ "$names" != "locked.txt plain.txt " ]; then
  echo "archive_check_cab: members are '$names'" >&2
  exit 1
fi
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cabextract -q -d "$out" "$dir/made.cab"
for f in plain.txt locked.txt; do
  cmp "$out/$f" "$dir/$f"
done
echo "archive_check_cab: cabextract agrees with made.cab"
