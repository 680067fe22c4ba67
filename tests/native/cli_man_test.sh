#!/bin/sh
# The manual page made at build time: every option of the help is in it,
# and so is the version that --version gives (the top CMakeLists.txt's).
#   cli_man_test.sh PATH/TO/lexprobe PATH/TO/lexprobe.1 VERSION
exe=$1 page=$2 version=$3
. "$(dirname "$0")/shtest.sh"
[ -s "$page" ] || fail "no manual page $page"
"$exe" --version >"$tmp/version" || fail "--version: exit status $?"
head -1 "$tmp/version" | grep -q " $version\$" || fail "--version: $(head -1 "$tmp/version"), not $version"
grep -q "$version" "$page" || fail "the page lacks the version $version"
"$exe" --help | grep -o -- '--[a-z0-9-]*[a-z0-9]' | sort -u >"$tmp/options"
while read -r option; do
  grep -q -- "$(printf '%s' "$option" | sed 's/-/\\\\-/g')" "$page" || fail "the page lacks $option"
done <"$tmp/options"
[ -s "$tmp/options" ] || fail "no option found in the help"
finish "manual page checked"
