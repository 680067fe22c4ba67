#!/bin/sh
# The rules of make-dictionary.sh on two small word lists made here: which
# words it takes, which it leaves out, and the file it writes.
#   make_dictionary_test.sh PATH/TO/make-dictionary.sh
set -u
# Bytes, not the shell's language, decide what sorts, matches and counts.
export LC_ALL=C
script=$1
. "$(dirname "$0")/shtest.sh"

printf 'walk\nwalked\nWalker\nzebra\ncafé\ncat'"'"'s\nox\nfix\nvats\nweather\nascii\n' >"$tmp/a.txt"
printf 'zebra\ngrey\nQuixotic\nquixotic\nsaw\n' >"$tmp/b.txt"
sh "$script" "$tmp/out.dic" "$tmp/a.txt" "$tmp/b.txt" || fail "exit status $?"
tr -d '\r' <"$tmp/out.dic" >"$tmp/words"

# word  expected  why
while read -r word want why; do
  if grep -qx -- "$word" "$tmp/words"; then got=in; else got=out; fi
  [ "$got" = "$want" ] || fail "$word: $got, expected $want ($why)"
done <<'EOF'
walk      in   a lower-case word of four letters
zebra     in   in both lists, once
grey      in   a word of the second list
quixotic  in   the lower-case spelling is taken
Quixotic  out  capitalised: a name
Walker    out  capitalised: a name
walked    out  holds walk
weather   out  holds the short word the
café      out  not ASCII
cat's     out  possessive
ox        out  two letters
saw       out  a three-letter word that is not a short word
fix       in   a short word, listed in the script
the       in   a short word, though in no list
vats      out  spelled by machine code
ascii     in   lower case in a list
ASCII     out  the same word is there in lower case
UNIX      in   an initialism
EOF

[ "$(grep -c . "$tmp/words")" -eq "$(sort -u "$tmp/words" | grep -c .)" ] || fail "duplicate entries"
# Every line ends with CR LF, and only there.
[ "$(tr -cd '\r' <"$tmp/out.dic" | wc -c)" -eq "$(wc -l <"$tmp/out.dic")" ] || fail "not CR LF"
grep -q '[^A-Za-z]' "$tmp/words" && fail "an entry holds a byte other than a letter"
# The loader's order: case-insensitive, equal words by bytes.
sort -f -c "$tmp/words" 2>/dev/null || fail "not in case-insensitive order"
# The same lists always give the same file.
sh "$script" "$tmp/again.dic" "$tmp/b.txt" "$tmp/a.txt" || fail "second run: exit status $?"
cmp -s "$tmp/out.dic" "$tmp/again.dic" || fail "the order of the lists changes the file"

sh "$script" "$tmp/none.dic" "$tmp/missing.txt" 2>"$tmp/err"
[ $? -eq 1 ] || fail "missing list: exit status not 1"
grep -q "missing.txt not found" "$tmp/err" || fail "missing list: no message naming it"
[ ! -e "$tmp/none.dic" ] || fail "missing list: an output file was written"

finish "all dictionary rule checks passed"
