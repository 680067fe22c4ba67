#!/bin/sh
# Generates English.dic, the word dictionary shipped beside the programs.
# The marker checks a row when any entry occurs anywhere in its text, inside
# longer runs of letters too, so the entries are chosen for "this row is
# text", not for spelling.  Rules (app/words/English.dic.txt explains them
# and names the word lists and their licences):
#
#   1. Common words: every word of four letters or more of the LISTs
#      (the Debian packages wamerican-small and wbritish-small) written in
#      lower-case ASCII letters only.  This leaves out names, possessives,
#      accented words and the rarer words of the larger lists.
#   2. Short words: the three-letter words of SHORT_WORDS below.  No word of
#      two letters: one of them sits inside nearly any run of letters,
#      machine code included.
#   3. Initialisms: the computing terms of INITIALISMS below, in capitals,
#      so that the CheckInitial setting still has entries to leave out.
#   4. Minus STOP_WORDS: words that machine code spells about as often as
#      text uses them (see below).
#   5. Minus every entry that holds another lower-case entry inside it
#      ("walked" holds "walk"): the marker finds the shorter one wherever
#      the longer one stands, so the longer one never changes a result and
#      only costs load time.
#
#   scripts/make-dictionary.sh OUTPUT LIST...
#
# Output: one entry per line, CR LF, in the loader's order (A-Z and a-z
# alike, then by bytes), without duplicates: the same lists always give the
# same file.
set -eu
out=${1:?usage: make-dictionary.sh OUTPUT LIST...}
shift
[ $# -gt 0 ] || { echo "usage: make-dictionary.sh OUTPUT LIST..." >&2; exit 2; }
for list in "$@"; do
  if [ ! -r "$list" ]; then
    echo "make-dictionary: $list not found (install the Debian packages wamerican-small and wbritish-small: scripts/deps.sh)" >&2
    exit 1
  fi
done

# Common three-letter words: function words and the short words that
# program messages use on their own ("is not set", "bad key", "use map").
# Left out although common: words that machine code spells at least half as
# often as text uses them (age ago ask bug had her him his hot job own pay
# saw she ten).
SHORT_WORDS="add air all amp and any arc are arm bad bar big bit box bus but
buy can cap cut day did dot due end err far few fit fix for gap get gnu got
has hit how its key let log lot low map may mix mod net new nor not now odd
off old one opt our out pad pen per pin pop put raw ray red rev row run sec
see set six sub sum sun tab tag the too top try two use via was way web who
why win won yes yet you zip"

# Computing initialisms, spelled as wamerican spells them.
INITIALISMS="ANSI ASCII COBOL HTML HTTP IEEE JPEG MPEG UNIX"

# Words that machine code spells.  x86 instruction bytes read as letters
# (push and pop of registers are P-W and X-_, the 64-bit prefixes A-O), and
# compilers place pieces of string constants into instructions, so a few
# words turn up in code sections all the time: "vats" in the prologue
# AWAVATSH, "tempt" in "attempt" cut into pieces.  These are the words
# found in at least 10 code-section rows of the tuning half of the shared
# libraries under /usr/lib, where those rows number more than half the rows
# of that half's read-only data that use the word on its own, as
# scripts/marker-quality.sh --words printed it on the build machine (the
# libraries under /usr/lib differ from machine to machine, and so may the
# list it prints).
STOP_WORDS="able ache author bloc bran coding cons cram dent dire dress ease eight
eights ever feat gene gist hall hare harm hate haul hind hips hire hone hope
hunk ions itch know lamp lass leap lined lust luster memo mess nest nite
numb offs ogle opens opera overs pace papa pare pats paws pend pens pert
quest race ranch rang rash rasp ream rent rite rope rote sage serve sour
spar spat suave tack tars tart tempt tempts tent ting toga tore tract vats
verse vice wave weigh widening writ"

tmp="$out.tmp.$$"
trap 'rm -f "$tmp"' EXIT
{
  LC_ALL=C grep -hE '^[a-z]{4,}$' "$@" || true
  for w in $SHORT_WORDS $INITIALISMS; do echo "$w"; done
} | LC_ALL=C sort -u |
  LC_ALL=C awk -v stop="$(echo $STOP_WORDS)" '
    BEGIN { n = split(stop, s, " "); for (i = 1; i <= n; i++) stopped[s[i]] = 1 }
    !($0 in stopped) { word[NR] = $0; if ($0 ~ /[a-z]/) lower[$0] = 1 }
    END {
      # An entry goes when another lower-case entry of three letters or more
      # sits inside it (an initialism goes, too, when the same word is there
      # in lower case).  Initialisms never drop a word: with CheckInitial on
      # the marker passes over them, and the longer word must still be found.
      for (i in word) {
        w = word[i]; f = tolower(w); L = length(f); keep = 1
        for (n = 3; n <= L && keep; n++)
          for (p = 1; p + n - 1 <= L; p++) {
            part = substr(f, p, n)
            if (part != w && (part in lower)) { keep = 0; break }
          }
        if (keep) print w
      }
    }' |
  LC_ALL=C sort | LC_ALL=C sort -f -s | sed 's/$/\r/' >"$tmp"
mv "$tmp" "$out"
trap - EXIT
