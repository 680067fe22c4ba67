#!/bin/sh
# Runs the command-line front end as a user would and checks its exit
# status, its messages and the exact bytes it writes.
#   cli_test.sh PATH/TO/lexprobe [RUNNER]
# RUNNER (the Windows build's wine-run) starts the program; it merges the
# program's stderr into stdout, so messages are then looked for in both.
# LEX_PE_FILE names a PE file with resources.
set -u
exe=$1
runner=${2:-}
case $exe in /*) ;; *) exe=$PWD/$exe ;; esac

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

# in_locale NAME=VALUE... -- ARGS...: runs the program with only the
# locale variables given (the Windows runner sets its own).
in_locale() {
  vars=""
  while [ "$1" != "--" ]; do vars="$vars $1"; shift; done
  shift
  # shellcheck disable=SC2086
  if [ -n "$runner" ]; then run "$@"; else env -u LC_ALL -u LC_CTYPE -u LANG $vars "$exe" "$@"; fi
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
expect_status "unknown option" 2 "unknown option" -- --bogus "$tmp/in.bin"
expect_status "bad number" 2 "1 to 1000" -- -m 0 "$tmp/in.bin"
expect_status "number not an integer" 2 "1 to 1000" -- --recurrence-time=abc "$tmp/in.bin"
expect_status "missing value" 2 "needs a value" -- "$tmp/in.bin" -m
expect_status "named dictionary missing" 1 "cannot read dictionary" -- --dict "$tmp/no.dic" "$tmp/in.bin"
expect_status "help" 0 "" -- --help
grep -q "Usage: lexprobe" "$tmp/out" || fail "help text missing"
expect_status "unwritable output" 3 "cannot create" -- -o "$tmp/no/such/dir/out.txt" "$tmp/in.bin"

# The program's results file (-R): today's layout, byte for byte.
expect_output "results layout" \
  '00000002\tANSI\tHello World\r\n0000000E\tUnicode\trocket!\r\n' \
  -- -R --dict "$tmp/words.dic" "$tmp/in.bin"
expect_output "text only" 'Hello World\r\nrocket!\r\n' \
  -- -R --dict "$tmp/words.dic" --save-option "$tmp/in.bin"
expect_output "checked column" \
  '0\t00000002\tANSI\tHello World\r\n1\t0000000E\tUnicode\trocket!\r\n' \
  -- -R --dict "$tmp/words.dic" -c "$tmp/in.bin"
expect_output "no English marking" '0\tHello World\r\n0\trocket!\r\n' \
  -- -R --dict "$tmp/no.dic" --no-check-english -c -t "$tmp/in.bin"
expect_output "Shift-JIS and minimum length" \
  '00000002\tANSI\tHello World\r\n0000000E\tUnicode\trocket!\r\n0000001E\tANSI\tab\202\240cd\r\n' \
  -- -R --dict "$tmp/words.dic" --search-kanji --no-check-kanji-noise -m 6 "$tmp/in.bin"
expect_output "empty file" '' -- -R --dict "$tmp/words.dic" "$tmp/empty.bin"

# Japanese text in UTF-16LE ("日本語の文字列") after an ASCII one.  It is
# left out unless --search-wide-japanese is given, and of that option and
# its --no- form the last one holds.
printf '\000\000r\000o\000c\000k\000e\000t\000\000\000\345\145\054\147\236\212\156\060\207\145\127\133\027\122\000\000' >"$tmp/wide.bin"
expect_output "UTF-16 Japanese off by default" '00000002\tUnicode\trocket\r\n' \
  -- -R --dict "$tmp/words.dic" "$tmp/wide.bin"
expect_output "--no-search-wide-japanese last" '00000002\tUnicode\trocket\r\n' \
  -- -R --dict "$tmp/words.dic" --search-wide-japanese --no-search-wide-japanese "$tmp/wide.bin"
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

# Resource texts: rows of their own among the others, in offset order,
# and none without the switch or when it is undone.
pe=${LEX_PE_FILE:-}
if [ -s "$pe" ]; then
  run -R --no-check-english "$pe" >"$tmp/walk" 2>&1 || fail "resources off: exit status $?"
  run -R --no-check-english --search-resources "$pe" >"$tmp/res" 2>&1 ||
    fail "--search-resources: exit status $?"
  grep -q "$(printf '\tResource\t')" "$tmp/res" || fail "--search-resources: no Resource rows"
  grep -q "$(printf '\tResource\t')" "$tmp/walk" && fail "resources off: Resource rows"
  cut -f1 "$tmp/res" | LC_ALL=C sort -c 2>/dev/null || fail "--search-resources: rows out of order"
  run -R --no-check-english --search-resources --no-search-resources "$pe" >"$tmp/undone" 2>&1
  cmp -s "$tmp/walk" "$tmp/undone" || fail "--no-search-resources last: rows differ"
  run --json --no-check-english --search-resources "$pe" >"$tmp/json" 2>&1
  grep -q '"kind":"Resource"' "$tmp/json" || fail "--search-resources: no JSON Resource rows"
else
  fail "LEX_PE_FILE names no file: '$pe'"
fi

# Lines go out in large blocks: 120,000 lines fill several, and a string of
# 1.4 MB sits between them, listed as a line of 1 MiB (longer than a block
# with its line end) and one of the rest; all come out whole and in order,
# with nothing lost at the block ends.
lines() {  # lines END-OF-LINE [CUT]: the texts, each ended by END-OF-LINE
  awk -v eol="$1" -v cut="${2:-}" 'BEGIN {
    for (i = 0; i < 60000; i++) printf "line%06d%s", i, eol
    for (i = 0; i < 1400000; i++) {
      printf "%s", substr("abcdefg", i % 7 + 1, 1)
      if (cut && i == 1048575) printf "%s", eol
    }
    printf "%s", eol
    for (i = 60000; i < 120000; i++) printf "line%06d%s", i, eol
  }'
}
lines '\n' | tr '\n' '\000' >"$tmp/blocks.bin"
lines '\r\n' cut >"$tmp/blocks.want"
run -R --no-check-english -t -o "$tmp/blocks.out" "$tmp/blocks.bin" >"$tmp/stdout" 2>&1 ||
  fail "blocks: exit status $?"
cmp -s "$tmp/blocks.want" "$tmp/blocks.out" ||
  fail "blocks: output differs: $(cmp "$tmp/blocks.want" "$tmp/blocks.out" 2>&1)"

run -R --dict "$tmp/words.dic" -o "$tmp/out.txt" "$tmp/in.bin" >"$tmp/stdout" 2>&1 ||
  fail "-o: exit status $?"
printf '00000002\tANSI\tHello World\r\n0000000E\tUnicode\trocket!\r\n' >"$tmp/want"
cmp -s "$tmp/want" "$tmp/out.txt" || fail "-o: file content differs"
[ ! -s "$tmp/stdout" ] || fail "-o: wrote to stdout"

# -o over an existing, longer file: it holds the new rows alone.
printf '%04000d' 0 >"$tmp/out.txt"
run -R --dict "$tmp/words.dic" -o "$tmp/out.txt" "$tmp/in.bin" >"$tmp/stdout" 2>&1 ||
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
  (trap '' XFSZ; ulimit -f 64; exec "$exe" -R --no-check-english -t -o "$tmp/full/out.txt" \
    "$tmp/blocks.bin") >"$tmp/stdout" 2>&1
  [ $? -eq 3 ] || fail "full disk: exit status, expected 3"
  grep -q "write error" "$tmp/stdout" || fail "full disk: message: $(cat "$tmp/stdout")"
  [ "$(cat "$tmp/full/out.txt")" = "$(printf 'old results\r\n')" ] || fail "full disk: old file changed"
  [ "$(ls -A "$tmp/full")" = "out.txt" ] || fail "full disk: left $(ls -A "$tmp/full")"
fi

# Text as the terminal expects it.  text.bin: Shift-JIS "abあcd", UTF-8
# "日本語のテキストです", "résumés and more" and "smile 😀 ok" (é and the
# emoji are lacking from code page 932: stand-ins in the results file).
printf '\000\000ab\202\240cd\000\000日本語のテキストです\000r\303\251sum\303\251s and more\000smile \360\237\230\200 ok\000' >"$tmp/text.bin"
sjis='00000002\tANSI\tab\202\240cd%b0000000A\tUTF-8\t\223\372\226\173\214\352\202\314\203\145\203\114\203\130\203\147\202\305\202\267%b00000029\tUTF-8\tr\\u{E9}sum\\u{E9}s and more%b0000003C\tUTF-8\tsmile \\u{1F600} ok%b'
utf8='00000002\tANSI\tabあcd%b0000000A\tUTF-8\t日本語のテキストです%b00000029\tUTF-8\trésumés and more%b0000003C\tUTF-8\tsmile \360\237\230\200 ok%b'
lines() { printf "$1" "$2" "$2" "$2" "$2"; }  # lines FORMAT END-OF-LINE
if [ -z "$runner" ]; then
  cases='LC_ALL=C.UTF-8|utf8|\n|
LANG=ja_JP.UTF-8|utf8|\n|
LC_CTYPE=ja_JP.SJIS LANG=ja_JP.UTF-8|sjis|\n|
LC_ALL=ja_JP.CP932 LC_CTYPE=C.UTF-8|sjis|\n|
LC_ALL=C|utf8|\n|
LC_ALL=|utf8|\n|
LC_ALL=ja_JP.SJIS|utf8|\n|--encoding=utf-8
LC_ALL=C.UTF-8|sjis|\n|--encoding=cp932
LC_ALL=C.UTF-8|sjis|\r\n|-R'
else
  cases='|sjis|\r\n|
|utf8|\r\n|--encoding=utf-8
|sjis|\r\n|-R'
fi
printf '%s\n' "$cases" | while IFS='|' read -r vars want eol extra; do
  if [ "$want" = utf8 ]; then lines "$utf8" "$eol"; else lines "$sjis" "$eol"; fi >"$tmp/want"
  # shellcheck disable=SC2086
  in_locale $vars -- $extra --search-kanji --search-utf8 --no-check-english -m 4 \
    "$tmp/text.bin" >"$tmp/out" 2>"$tmp/err" || echo "FAIL: [$vars $extra] exit status $?" >&2
  cmp -s "$tmp/want" "$tmp/out" ||
    echo "FAIL: [$vars $extra] output differs: $(od -c "$tmp/out" | head -4)" >&2
done 2>&1 | grep FAIL >"$tmp/locale.fail"
[ ! -s "$tmp/locale.fail" ] || fail "$(cat "$tmp/locale.fail")"

# Several files, standard input, radix, the options as GNU tools take them.
# Lines end as the system's do, except in the results layout.
if [ -n "$runner" ]; then nl='\r\n'; else nl='\n'; fi
r='00000002\tANSI\tHello World\r\n0000000E\tUnicode\trocket!\r\n'
expect_output "standard input, -" "$r" -- -R --dict "$tmp/words.dic" - <"$tmp/in.bin"
cat "$tmp/in.bin" | expect_output "standard input, no FILE" "$r" -- -R --dict "$tmp/words.dic"
printf 'abcdef' | expect_output "two files: names" \
  "$tmp/in.bin\t00000002\tANSI\tHello World$nl$tmp/in.bin\t0000000E\tUnicode\trocket!$nl(standard input)\t00000000\tANSI\tabcdef$nl" \
  -- --encoding cp932 --dict "$tmp/words.dic" "$tmp/in.bin" -
expect_output "-f with one file, -c" "$tmp/in.bin\t0\tHello World$nl$tmp/in.bin\t1\trocket!$nl" \
  -- --encoding=cp932 -ctf --dict "$tmp/words.dic" "$tmp/in.bin"
expect_output "--no-filename" "$r$r" -- -R --no-filename --dict "$tmp/words.dic" "$tmp/in.bin" "$tmp/in.bin"
expect_output "--radix d, -n" "0000000002\tANSI\tHello World${nl}0000000014\tUnicode\trocket!$nl" \
  -- --encoding cp932 --radix d -n 6 --dict "$tmp/words.dic" "$tmp/in.bin"
expect_output "--radix=o, -m7" "00000000002\tANSI\tHello World${nl}00000000016\tUnicode\trocket!$nl" \
  -- --encoding cp932 --radix=o -m7 --dict "$tmp/words.dic" "$tmp/in.bin"
cp "$tmp/in.bin" "$tmp/-x.bin"
(cd "$tmp" && expect_output "-- ends the options" "$r" -- -R --dict words.dic -- -x.bin)
expect_status "missing file among two" 1 "nope.bin: file not found" -- -R --dict "$tmp/words.dic" "$tmp/nope.bin" "$tmp/in.bin"
[ -n "$runner" ] || printf "$r" | cmp -s - "$tmp/out" ||
  fail "missing file among two: the other file's rows differ: $(od -c "$tmp/out" | head -3)"
for bad in "--radix=h" "--encoding=latin1" "-R --json" "-R -f" "-R --radix=x" "--json -t" "--json --encoding=cp932"; do
  # shellcheck disable=SC2086
  expect_status "$bad" 2 "lexprobe: " -- $bad "$tmp/in.bin"
done

# JSON lines, read back by Python's json module: the texts as characters.
if command -v python3 >/dev/null; then
  run --json -f --search-kanji --search-utf8 --no-check-english -m 4 "$tmp/text.bin" >"$tmp/json" 2>"$tmp/err" ||
    fail "json: exit status $?"
  python3 - "$tmp/json" "$tmp/text.bin" <<'PY' || fail "json: rows differ"
import json, sys
rows = [json.loads(line) for line in open(sys.argv[1], encoding="utf-8")]
want = [(2, "ANSI", "abあcd"), (10, "UTF-8", "日本語のテキストです"),
        (41, "UTF-8", "résumés and more"), (60, "UTF-8", "smile \U0001F600 ok")]
got = [(r["offset"], r["kind"], r["text"]) for r in rows]
ok = got == want and all(r["file"] == sys.argv[2] and r["checked"] is False for r in rows)
sys.exit(0 if ok else "json rows: %r" % rows)
PY
fi

# A failed run leaves an existing -o file as it was, and nothing beside it.
mkdir "$tmp/keep"
printf 'old results\r\n' >"$tmp/keep/keep.txt"
expect_status "-o, a missing file among two" 1 "not written" -- -o "$tmp/keep/keep.txt" "$tmp/in.bin" "$tmp/nope.bin"
[ "$(cat "$tmp/keep/keep.txt")" = "$(printf 'old results\r\n')" ] || fail "-o, a missing file among two: old file changed"
if [ -z "$runner" ]; then
  # /proc/self/mem: an entry of 0 bytes whose first read fails.
  expect_status "-o, a read error" 1 "read error" -- -o "$tmp/keep/keep.txt" /proc/self/mem
  [ "$(cat "$tmp/keep/keep.txt")" = "$(printf 'old results\r\n')" ] || fail "-o, a read error: old file changed"
  [ "$(ls -A "$tmp/keep")" = "keep.txt" ] || fail "-o: left $(ls -A "$tmp/keep")"

  # Pipes, FIFOs and /proc files are read to the end of their data.
  printf 'hello world\000' | expect_output "/dev/stdin from a pipe" '00000000\tANSI\thello world\r\n' -- -R --dict "$tmp/words.dic" /dev/stdin
  mkfifo "$tmp/fifo"
  (cat "$tmp/in.bin" >"$tmp/fifo" &)
  expect_output "FIFO" "$r" -- -R --dict "$tmp/words.dic" "$tmp/fifo"
  expect_output "/proc file" "$exe\r\n--no-check-english\r\n/proc/self/cmdline\r\n" -- -R -t --no-check-english /proc/self/cmdline
fi

finish "all front-end checks passed"
