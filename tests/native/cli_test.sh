#!/bin/sh
# Runs the command-line front end as a user would and checks its exit
# status, its messages and the exact bytes it writes.
#   cli_test.sh PATH/TO/lexprobe [RUNNER]
# RUNNER (the Windows build's wine-run) starts the program; it merges the
# program's stderr into stdout, so messages are then looked for in both.
set -u
exe=$1
runner=${2:-}

run() {
  if [ -n "$runner" ]; then "$runner" "$exe" "$@"; else "$exe" "$@"; fi
}
. "$(dirname "$0")/shtest.sh"

# expect_status NAME STATUS STDERR-PATTERN -- ARGS...
expect_status() {
  name=$1 want=$2 pattern=$3
  shift 4
  run "$@" >"$tmp/out" 2>"$tmp/err"
  got=$?
  [ "$got" -eq "$want" ] || fail "$name: exit status $got, expected $want"
  if [ -n "$runner" ]; then
    cat "$tmp/out" >>"$tmp/err"
  fi
  if [ -n "$pattern" ]; then
    grep -q -- "$pattern" "$tmp/err" || fail "$name: stderr lacks '$pattern': $(cat "$tmp/err")"
  elif [ -z "$runner" ]; then
    [ ! -s "$tmp/err" ] || fail "$name: unexpected stderr: $(cat "$tmp/err")"
  fi
}

# expect_output NAME EXPECTED-PRINTF-FORMAT -- ARGS...
expect_output() {
  name=$1 want=$2
  shift 3
  printf "$want" >"$tmp/want"
  run "$@" >"$tmp/out" 2>"$tmp/err" || fail "$name: exit status $?"
  cmp -s "$tmp/want" "$tmp/out" || fail "$name: output differs: $(od -c "$tmp/out" | head -5)"
}

printf 'rocket\r\nzebra\r\n' >"$tmp/words.dic"
# 0x00 0x00 "Hello World" 0x00 | UTF-16 "rocket!" | Shift-JIS pair in ANSI text
printf '\000\000Hello World\000r\000o\000c\000k\000e\000t\000!\000\000\000ab\202\240cd\001' >"$tmp/in.bin"
: >"$tmp/empty.bin"

expect_status "missing file" 1 "file not found" -- "$tmp/nope.bin"
expect_status "directory" 1 "cannot be opened" -- "$tmp"
# Sparse files: only their size matters.  4 GiB + 5 bytes must not pass
# for a file of 5 bytes (the low 32 bits of its size).
truncate -s 4G "$tmp/big.bin"
expect_status "4 GiB file" 1 "too large" -- "$tmp/big.bin"
truncate -s 4294967301 "$tmp/big.bin"
expect_status "4 GiB + 5 file" 1 "too large" -- "$tmp/big.bin"
rm -f "$tmp/big.bin"
expect_status "no file" 2 "no FILE" --
expect_status "two files" 2 "only one FILE" -- "$tmp/in.bin" "$tmp/in.bin"
expect_status "unknown option" 2 "unknown option" -- --bogus "$tmp/in.bin"
expect_status "bad number" 2 "1 to 1000" -- -m 0 "$tmp/in.bin"
expect_status "number not an integer" 2 "1 to 1000" -- --recurrence-time=abc "$tmp/in.bin"
expect_status "missing value" 2 "needs a value" -- "$tmp/in.bin" -m
expect_status "named dictionary missing" 1 "cannot read dictionary" -- --dict "$tmp/no.dic" "$tmp/in.bin"
expect_status "help" 0 "" -- --help
grep -q "Usage: lexprobe" "$tmp/out" || fail "help text missing"
expect_status "unwritable output" 3 "cannot create" -- -o "$tmp/no/such/dir/out.txt" "$tmp/in.bin"

expect_output "default layout" \
  '00000002\tANSI\tHello World\r\n0000000E\tUnicode\trocket!\r\n' \
  -- --dict "$tmp/words.dic" "$tmp/in.bin"
expect_output "text only" 'Hello World\r\nrocket!\r\n' \
  -- --dict "$tmp/words.dic" --save-option "$tmp/in.bin"
expect_output "checked column" \
  '0\t00000002\tANSI\tHello World\r\n1\t0000000E\tUnicode\trocket!\r\n' \
  -- --dict "$tmp/words.dic" -c "$tmp/in.bin"
expect_output "no English marking" '0\tHello World\r\n0\trocket!\r\n' \
  -- --dict "$tmp/no.dic" --no-check-english -c -t "$tmp/in.bin"
expect_output "Shift-JIS and minimum length" \
  '00000002\tANSI\tHello World\r\n0000000E\tUnicode\trocket!\r\n0000001E\tANSI\tab\202\240cd\r\n' \
  -- --dict "$tmp/words.dic" --search-kanji -m 6 "$tmp/in.bin"
expect_output "empty file" '' -- --dict "$tmp/words.dic" "$tmp/empty.bin"

# Japanese text in UTF-16LE ("日本語の文字列") after an ASCII one.  It is
# left out unless --search-wide-japanese is given, and of that option and
# its --no- form the last one holds.
printf '\000\000r\000o\000c\000k\000e\000t\000\000\000\345\145\054\147\236\212\156\060\207\145\127\133\027\122\000\000' >"$tmp/wide.bin"
expect_output "UTF-16 Japanese off by default" '00000002\tUnicode\trocket\r\n' \
  -- --dict "$tmp/words.dic" "$tmp/wide.bin"
expect_output "--no-search-wide-japanese last" '00000002\tUnicode\trocket\r\n' \
  -- --dict "$tmp/words.dic" --search-wide-japanese --no-search-wide-japanese "$tmp/wide.bin"
expect_status "--search-wide-japanese is an option" 0 "" \
  -- --dict "$tmp/words.dic" --no-search-wide-japanese --search-wide-japanese "$tmp/wide.bin"
expect_status "--search-wide-japanese takes no value" 2 "takes no value" \
  -- --search-wide-japanese=1 "$tmp/wide.bin"
# No flag takes a value: --checked-column=0 must not pass for the flag.
for flag in --checked-column=0 --text-only=0 --help=x; do
  expect_status "$flag" 2 "takes no value" -- "$flag" "$tmp/wide.bin"
done
run --help >"$tmp/out" 2>&1
grep -q -- "--search-wide-japanese  take Japanese text in UTF-16LE" "$tmp/out" ||
  fail "help lacks --search-wide-japanese"

# Lines go out in large blocks: 120,000 lines fill several, and a line of
# 1.4 MB, longer than a block, sits between them; all come out whole and
# in order, with nothing lost at the block ends.
lines() {  # lines END-OF-LINE: the texts, each ended by END-OF-LINE
  awk -v eol="$1" 'BEGIN {
    for (i = 0; i < 60000; i++) printf "line%06d%s", i, eol
    for (i = 0; i < 200000; i++) printf "abcdefg"
    printf "%s", eol
    for (i = 60000; i < 120000; i++) printf "line%06d%s", i, eol
  }'
}
lines '\n' | tr '\n' '\000' >"$tmp/blocks.bin"
lines '\r\n' >"$tmp/blocks.want"
run --no-check-english -t -o "$tmp/blocks.out" "$tmp/blocks.bin" >"$tmp/stdout" 2>&1 ||
  fail "blocks: exit status $?"
cmp -s "$tmp/blocks.want" "$tmp/blocks.out" ||
  fail "blocks: output differs: $(cmp "$tmp/blocks.want" "$tmp/blocks.out" 2>&1)"

run --dict "$tmp/words.dic" -o "$tmp/out.txt" "$tmp/in.bin" >"$tmp/stdout" 2>&1 ||
  fail "-o: exit status $?"
printf '00000002\tANSI\tHello World\r\n0000000E\tUnicode\trocket!\r\n' >"$tmp/want"
cmp -s "$tmp/want" "$tmp/out.txt" || fail "-o: file content differs"
[ ! -s "$tmp/stdout" ] || fail "-o: wrote to stdout"

# -o over an existing, longer file: it holds the new rows alone.
printf '%04000d' 0 >"$tmp/out.txt"
run --dict "$tmp/words.dic" -o "$tmp/out.txt" "$tmp/in.bin" >"$tmp/stdout" 2>&1 ||
  fail "-o over a file: exit status $?"
cmp -s "$tmp/want" "$tmp/out.txt" || fail "-o over a file: content differs"

# The output named as the input, however spelled, is refused before
# anything is opened, and the input is left whole.
cp "$tmp/blocks.bin" "$tmp/blocks.keep"
mkdir "$tmp/sub"
ln "$tmp/blocks.bin" "$tmp/blocks.link"
for out in "$tmp/blocks.bin" "$tmp/sub/../blocks.bin" "$tmp/blocks.link"; do
  expect_status "-o $out" 2 "is the input file" -- -o "$out" "$tmp/blocks.bin"
  cmp -s "$tmp/blocks.keep" "$tmp/blocks.bin" || fail "-o $out: the input changed"
done

# A disk that fills (here the file-size limit, natively only): the old
# file stays as it was and no new file is left beside it.
if [ -z "$runner" ]; then
  mkdir "$tmp/full"
  printf 'old results\r\n' >"$tmp/full/out.txt"
  (trap '' XFSZ; ulimit -f 64; exec "$exe" --no-check-english -t -o "$tmp/full/out.txt" \
    "$tmp/blocks.bin") >"$tmp/stdout" 2>&1
  [ $? -eq 3 ] || fail "full disk: exit status, expected 3"
  grep -q "write error" "$tmp/stdout" || fail "full disk: message: $(cat "$tmp/stdout")"
  [ "$(cat "$tmp/full/out.txt")" = "$(printf 'old results\r\n')" ] || fail "full disk: old file changed"
  [ "$(ls -A "$tmp/full")" = "out.txt" ] || fail "full disk: left $(ls -A "$tmp/full")"
fi

finish "all front-end checks passed"
