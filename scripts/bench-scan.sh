#!/usr/bin/env bash
# Benchmark of the string scanner, the English-word marker, the command-line
# front end and the program, on a 200 MB corpus, in one run:
#   - whole-process figures (best of $REPEAT runs, wall clock and CPU time):
#     GNU strings -a -n 5, the native front end with the marker on and with
#     --no-check-english, and the 32-bit lexprobe.exe under 32-bit Wine (the
#     win64 build under wine64 where the kernel runs no 32-bit code), all
#     writing their lines to a file;
#   - the front end with --search-kanji, with the Shift-JIS noise filter
#     on and off (what the filter costs), and with --search-utf8 too;
#   - the marker's rows/s, the scan core's time with Japanese UTF-16 text
#     taken against without, with UTF-8 text taken against without (alone,
#     and beside Shift-JIS text), and how a scan's time splits between reading,
#     scanning, marking and writing (bench/scan_bench, which also
#     checks the rows against the reference walk);
#   - peak memory of the front end (/usr/bin/time -v) and the program's scan
#     under Wine: start press to list shown, peak working set
#     (scripts/bench-gui.sh on the same corpus).
# The load average is printed before and after: the machine may be shared.
# The corpus (build/bench/corpus.bin) is the machine's shared libraries
# (140 MB) followed by generated UTF-16LE English (30 MB) and Shift-JIS
# Japanese text (30 MB) between binary filler; it is built once and reused.
#   scripts/bench-scan.sh [--rebuild-corpus] [--no-gui]
# LEXPROBE_BEFORE=PATH (a native front end) and LEXPROBE_EXE_BEFORE=PATH (a
# Windows one) are timed beside ours, for before/after tables.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$ROOT"

build_preset native-release >/dev/null
bin="$ROOT/build/native-release/bin"
dir="$ROOT/build/bench"
corpus="$dir/corpus.bin"
mkdir -p "$dir"

rebuild=0 gui=1
for arg in "$@"; do
  case "$arg" in
    --rebuild-corpus) rebuild=1 ;;
    --no-gui) gui=0 ;;
    *) echo "usage: $0 [--rebuild-corpus] [--no-gui]" >&2; exit 2 ;;
  esac
done
REPEAT=${REPEAT:-3}

if [ ! -f "$corpus" ] || [ "$rebuild" = 1 ]; then
  echo "building the corpus..."
  # Shared libraries, in a fixed order, up to 140 MB.
  find /usr/lib /lib -xdev -type f -name '*.so*' 2>/dev/null | LC_ALL=C sort | head -n 20000 |
    xargs cat 2>/dev/null | head -c 146800640 >"$dir/libs.bin" || true
  python3 - "$dir/libs.bin" "$corpus" "$bin/English.dic" <<'PY'
import random, sys
libs, out, dic = sys.argv[1:4]
rng = random.Random(1)
words = open(dic, "rb").read().decode("ascii").split()
kana = "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをんアイウエオカキクケコサシスセソタチツテトナニヌネノ"
kanji = "日本語文字列検索結果保存設定抽出英単語漢字半角全角表示編集終了開始停止名前場所時間年月週曜"
punct = "、。「」・ー"
target = 30 * 1024 * 1024
def filler():
    return bytes(rng.choice(b"\x00\x00\x00\x01\x02\x10\xff\x80") for _ in range(rng.randint(4, 40)))
with open(out, "wb") as f:
    f.write(open(libs, "rb").read())
    n = 0
    while n < target:
        line = " ".join(rng.choice(words) for _ in range(rng.randint(1, 12)))
        chunk = b"\x00\x00" + line.encode("utf-16-le") + b"\x00\x00" + filler()
        f.write(chunk); n += len(chunk)
    n = 0
    alphabet = kana * 2 + kanji + punct
    while n < target:
        line = "".join(rng.choice(alphabet) for _ in range(rng.randint(2, 30)))
        chunk = line.encode("cp932") + filler()
        f.write(chunk); n += len(chunk)
PY
  rm -f "$dir/libs.bin"
fi
size=$(stat -L -c %s "$corpus")
mb=$(awk -v s="$size" 'BEGIN { printf "%.1f", s / 1e6 }')
echo "corpus: $corpus ($mb MB)"
cat "$corpus" >/dev/null  # into the page cache for every contender

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min; $(nproc) cores)"

echo "== scan core, marker, time split (bench/scan_bench)"
"$bin/scan_bench" "$corpus" "$bin/English.dic" | tee "$dir/scan.txt"
value() { sed -n "s/^$1=//p" "$dir/scan.txt"; }

# measure NAME COMMAND...: runs COMMAND $REPEAT times with its output to a
# file; appends "NAME wall cpu peak-kB" of the fastest run to $dir/whole.txt.
measure() {
  local name=$1 best="" line
  shift
  for _ in $(seq "$REPEAT"); do
    /usr/bin/time -f "%e %U %S %M" -o "$dir/time1.txt" "$@" >"$dir/out.txt" 2>"$dir/err.txt" ||
      { echo "$name failed: $(head -3 "$dir/err.txt")" >&2; return 1; }
    line=$(awk '{ printf "%.3f %.3f %d", $1, $2 + $3, $4 }' "$dir/time1.txt")
    if [ -z "$best" ] || awk -v a="$line" -v b="$best" 'BEGIN { split(a, x); split(b, y); exit !(x[1] < y[1]) }'; then
      best=$line
    fi
  done
  echo "$name $best $(wc -l <"$dir/out.txt")" | tee -a "$dir/whole.txt"
}

: >"$dir/whole.txt"
echo "== whole process, best of $REPEAT (name, wall s, CPU s, peak kB, lines)"
measure strings strings -a -n 5 "$corpus"
measure lexprobe "$bin/lexprobe" "$corpus"
measure lexprobe-no-english "$bin/lexprobe" --no-check-english "$corpus"
measure lexprobe-kanji "$bin/lexprobe" --search-kanji "$corpus"
measure lexprobe-kanji-no-filter "$bin/lexprobe" --search-kanji --no-check-kanji-noise "$corpus"
measure lexprobe-kanji-utf8 "$bin/lexprobe" --search-kanji --search-utf8 "$corpus"
if [ -n "${LEXPROBE_BEFORE:-}" ]; then
  measure before-lexprobe "$LEXPROBE_BEFORE" --dict "$bin/English.dic" "$corpus"
  measure before-lexprobe-no-english "$LEXPROBE_BEFORE" --no-check-english "$corpus"
fi

preset=$(wine_preset)
wbuild="$ROOT/build/$preset"
if build_preset "$preset" >/dev/null 2>&1; then
  "$wbuild/wine-start" >/dev/null
  trap '"$wbuild/wine-stop" >/dev/null' EXIT
  exe="$wbuild/bin/cli/lexprobe.exe"
  measure wine-lexprobe.exe "$wbuild/wine-run" "$exe" "$corpus"
  measure wine-lexprobe.exe-no-english "$wbuild/wine-run" "$exe" --no-check-english "$corpus"
  if [ -n "${LEXPROBE_EXE_BEFORE:-}" ]; then
    measure before-wine-lexprobe.exe "$wbuild/wine-run" "$LEXPROBE_EXE_BEFORE" --dict "$wbuild/bin/English.dic" "$corpus"
    measure before-wine-lexprobe.exe-no-english "$wbuild/wine-run" "$LEXPROBE_EXE_BEFORE" --no-check-english "$corpus"
  fi
  "$wbuild/wine-stop" >/dev/null
  trap - EXIT
else
  echo "($preset build failed: no Wine figures)"
fi

gui_scan="" gui_core="" gui_ws=""
if [ "$gui" = 1 ] && [ -f "$wbuild/bin/Lexprobe.exe" ]; then
  echo "== the program's scan under Wine ($preset, scripts/bench-gui.sh)"
  "$ROOT/scripts/bench-gui.sh" "$corpus" | tee "$dir/gui.txt"
  gui_core=$(sed -n 's/^core scan (no window) *\([0-9.]*\) s.*/\1/p' "$dir/gui.txt")
  gui_scan=$(sed -n 's/^start press to list shown *\([0-9.]*\) s.*/\1/p' "$dir/gui.txt")
  gui_ws=$(sed -n 's/^peak working set *\([0-9.]*\) MB.*/\1/p' "$dir/gui.txt")
fi

echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
echo "== summary ($mb MB corpus)"
awk -v size="$size" -v read="$(value split_read)" -v scan="$(value split_scan)" \
    -v mark="$(value split_mark)" -v write="$(value split_write)" -v mrows="$(value marker_mrows)" \
    -v gscan="$gui_scan" -v gcore="$gui_core" -v gws="$gui_ws" \
    -v wide="$(value wide_japanese_ratio)" -v utf8="$(value utf8_ratio)" \
    -v utf8kanji="$(value utf8_kanji_ratio)" '
  { wall[$1] = $2; cpu[$1] = $3; kb[$1] = $4 }
  function ratio(a, b) { return (a in wall) && (b in wall) && wall[b] > 0 ? sprintf("%.2fx", wall[a] / wall[b]) : "-" }
  function line(label, name) {
    if (!(name in wall)) return
    printf "%-52s %7.3f s wall %7.3f s CPU  %s strings (wall)  peak %6.1f MiB\n", label, wall[name], cpu[name],
           ratio("strings", name), kb[name] / 1024
  }
  END {
    printf "%-52s %7.3f s wall %7.3f s CPU\n", "strings -a -n 5", wall["strings"], cpu["strings"]
    line("lexprobe, marker on", "lexprobe")
    line("lexprobe --no-check-english", "lexprobe-no-english")
    line("before: lexprobe, marker on", "before-lexprobe")
    line("before: lexprobe --no-check-english", "before-lexprobe-no-english")
    line("lexprobe.exe under Wine, marker on", "wine-lexprobe.exe")
    line("lexprobe.exe under Wine, --no-check-english", "wine-lexprobe.exe-no-english")
    line("before: lexprobe.exe under Wine, marker on", "before-wine-lexprobe.exe")
    line("before: lexprobe.exe under Wine, --no-check-english", "before-wine-lexprobe.exe-no-english")
    if ("wine-lexprobe.exe" in wall)
      printf "lexprobe.exe under Wine / native front end (wall): %.2f (marker on), %.2f (--no-check-english)\n",
             wall["wine-lexprobe.exe"] / wall["lexprobe"], wall["wine-lexprobe.exe-no-english"] / wall["lexprobe-no-english"]
    if (("lexprobe-kanji" in cpu) && cpu["lexprobe-kanji-no-filter"] > 0)
      printf "Shift-JIS noise filter: %+.1f%% of the front end CPU time with --search-kanji (%.3f s against %.3f s)\n",
             100 * (cpu["lexprobe-kanji"] / cpu["lexprobe-kanji-no-filter"] - 1), cpu["lexprobe-kanji"], cpu["lexprobe-kanji-no-filter"]
    printf "marker: %.2f million rows/s\n", mrows
    printf "scan core with Japanese UTF-16 text: %.2fx its time without\n", wide
    printf "scan core with UTF-8 text: %.2fx its time without (%.2fx beside Shift-JIS text)\n", utf8, utf8kanji
    if (("lexprobe-kanji-utf8" in cpu) && cpu["lexprobe-kanji"] > 0)
      printf "front end --search-kanji --search-utf8: %.3f s CPU, %.2fx --search-kanji alone\n",
             cpu["lexprobe-kanji-utf8"], cpu["lexprobe-kanji-utf8"] / cpu["lexprobe-kanji"]
    printf "front end peak memory: %.1f MiB (marker on), %.1f MiB (--no-check-english)\n",
           kb["lexprobe"] / 1024, kb["lexprobe-no-english"] / 1024
    if (gscan != "") {
      printf "program under Wine: start press to list shown %.2f s (%.2fx the native front end), core scan %.2f s\n",
             gscan, gscan / wall["lexprobe"], gcore
      printf "program under Wine: peak working set %.1f MB (file %.1f MB)\n", gws, size / 1048576
    }
    total = read + scan + mark + write
    printf "scan of the file, CPU split (marker on): read %.3f s (%.0f%%), scan %.3f s (%.0f%%), mark %.3f s (%.0f%%), write %.3f s (%.0f%%)\n",
           read, 100 * read / total, scan, 100 * scan / total, mark, 100 * mark / total, write, 100 * write / total
  }' "$dir/whole.txt"
