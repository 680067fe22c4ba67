#!/usr/bin/env bash
# Benchmark of the string scanner, the English-word marker and the
# command-line front end on a 200 MB corpus, in one run (throughput per
# second of CPU time, which a busy shared machine disturbs less):
#   - our scan core with default settings (bench/check_scan_bench), its rows
#     checked against the reference walk;
#   - GNU strings -a -n 5 and strings -a -n 5 -e l on the same file;
#   - the marker's rows/s with the shipped dictionary;
#   - peak memory of lexprobe on the corpus (/usr/bin/time -v).
# The corpus (build/bench/corpus.bin) is the machine's shared libraries
# (140 MB) followed by generated UTF-16LE English (30 MB) and Shift-JIS
# Japanese text (30 MB) between binary filler; it is built once and reused.
#   scripts/bench-scan.sh [--rebuild-corpus]
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$ROOT"

build_preset native-release >/dev/null
bin="$ROOT/build/native-release/bin"
dir="$ROOT/build/bench"
corpus="$dir/corpus.bin"
mkdir -p "$dir"

if [ ! -f "$corpus" ] || [ "${1:-}" = "--rebuild-corpus" ]; then
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
size=$(stat -c %s "$corpus")
mb=$(awk -v s="$size" 'BEGIN { printf "%.1f", s / 1e6 }')
echo "corpus: $corpus ($mb MB)"
cat "$corpus" >/dev/null  # into the page cache for every contender

echo "== scan core (bench/check_scan_bench)"
"$bin/check_scan_bench" "$corpus" "$bin/English.dic" | tee "$dir/scan.txt"
ours=$(sed -n 's/^scan_mbps=//p' "$dir/scan.txt")

cpu_seconds() {  # cpu_seconds COMMAND... : user + system time of one run
  /usr/bin/time -f "%U %S" -o "$dir/cpu.txt" "$@" >/dev/null
  awk '{ printf "%.3f", $1 + $2 }' "$dir/cpu.txt"
}

echo "== GNU strings ($(strings --version | head -1)), CPU time"
t1=$(cpu_seconds strings -a -n 5 "$corpus")
t2=$(cpu_seconds strings -a -n 5 -e l "$corpus")
awk -v s="$size" -v t1="$t1" -v t2="$t2" -v ours="$ours" 'BEGIN {
  m1 = s / 1e6 / t1; m2 = s / 1e6 / t2
  printf "strings -a -n 5       : %.3f s, %.0f MB/s\n", t1, m1
  printf "strings -a -n 5 -e l  : %.3f s, %.0f MB/s\n", t2, m2
  printf "scan core vs strings -a -n 5: %.1fx; vs -e l: %.1fx; vs both runs together: %.1fx\n",
         ours / m1, ours / m2, ours / (s / 1e6 / (t1 + t2))
}'

echo "== lexprobe on the corpus (peak memory)"
/usr/bin/time -v "$bin/lexprobe" "$corpus" -o "$dir/rows.txt" 2>"$dir/time.txt"
rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$dir/time.txt")
wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$dir/time.txt")
awk -v r="$rss" -v s="$size" -v w="$wall" 'BEGIN {
  printf "lexprobe: wall %s, peak RSS %.1f MB = %.2fx the file size\n", w, r * 1024 / 1e6, r * 1024 / s }'
echo "rows written: $(wc -l <"$dir/rows.txt")"
