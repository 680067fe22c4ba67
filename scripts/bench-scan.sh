#!/usr/bin/env bash
# Benchmark of the string scanner, the English-word marker, the command-line
# front ends and the program, on a 200 MB corpus, in one run, for the
# settings users turn on: default; 漢字も抽出する (--search-kanji, "kanji");
# UTF-16 Japanese (--search-wide-japanese, "wide"); UTF-8 (--search-utf8,
# "utf8"); all three together ("all").  It prints one table:
#   - for each setting, best of $REPEAT runs: the native front end (wall
#     clock, CPU time, lines) with the marker on, the 32-bit lexprobe.exe
#     under 32-bit Wine (the win64 build under wine64 where the kernel runs
#     no 32-bit code), both writing their lines to a file, and the program
#     Lexprobe.exe under Wine, start press to list shown (first press and
#     best of $REPEAT presses, rows listed; scripts/bench-gui.sh);
#   - the ratios the speed targets are set in: the front end against GNU
#     strings -a -n 5, each setting against the default, lexprobe.exe and
#     the program against the front end, the program with kanji against
#     default on 300 MB of binaries, and the front end's peak memory;
#   - beside it what it printed before: the front end with
#     --no-check-english and with the Shift-JIS noise filter off, the
#     marker's rows/s, the scan core's time with Japanese UTF-16 and UTF-8
#     text against without, how a scan's time splits between reading,
#     scanning, marking and writing, and the rows against the reference walk
#     (bench/scan_bench), and the program's answer times during a scan and
#     its peak memory.
# The load average is printed before and after: the machine may be shared.
# The corpus (build/bench/corpus.bin) is the machine's shared libraries
# (140 MB) followed by generated UTF-16LE English (30 MB) and Shift-JIS
# Japanese text (30 MB) between binary filler; the 300 MB file
# (build/bench/binaries-300m.bin) is ELF shared libraries and executables
# from /usr.  Both are built once and reused.
#   scripts/bench-scan.sh [--rebuild-corpus] [--no-gui] [--no-wine]
#                         [--no-big] [--no-core]
# --no-gui skips the program, --no-wine lexprobe.exe and the program, --no-big
# the 300 MB file, --no-core the scan core's figures (bench/scan_bench).
# "Before" figures, timed beside ours in the same run: LEXPROBE_BEFORE=PATH
# (a native front end), LEXPROBE_EXE_BEFORE=PATH (a Windows one),
# LEXPROBE_PROGRAM_BEFORE=DIR (a folder holding a Lexprobe.exe and its
# English.dic).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$ROOT"

rebuild=0 gui=1 wine=1 big=1 core=1
for arg in "$@"; do
  case "$arg" in
    --rebuild-corpus) rebuild=1 ;;
    --no-gui) gui=0 ;;
    --no-wine) wine=0 gui=0 ;;
    --no-big) big=0 ;;
    --no-core) core=0 ;;
    *) echo "usage: $0 [--rebuild-corpus] [--no-gui] [--no-wine] [--no-big] [--no-core]" >&2; exit 2 ;;
  esac
done
REPEAT=${REPEAT:-3}
export REPEAT
started=$(date +%s)

build_preset native-release >/dev/null
bin="$ROOT/build/native-release/bin"
dir="$ROOT/build/bench"
corpus="$dir/corpus.bin"
binaries="$dir/binaries-300m.bin"
mkdir -p "$dir"

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

if [ "$gui" = 1 ] && [ "$big" = 1 ] && { [ ! -f "$binaries" ] || [ "$rebuild" = 1 ]; }; then
  echo "building the 300 MB file of binaries..."
  # ELF shared libraries and executables under /usr, in a fixed order.
  LC_ALL=C find /usr/lib /usr/bin /usr/sbin /usr/libexec -xdev -type f -size +16k 2>/dev/null |
    LC_ALL=C sort | python3 -c '
import sys
left = 300 * 1048576
with open(sys.argv[1], "wb") as out:
    for name in sys.stdin.read().splitlines():
        try:
            with open(name, "rb") as f:
                if f.read(4) != b"\x7fELF":
                    continue
                f.seek(0)
                data = f.read(left)
        except OSError:
            continue
        out.write(data)
        left -= len(data)
        if left == 0:
            break
' "$binaries.part"
  mv "$binaries.part" "$binaries"
fi

load() { echo "$(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min; $(nproc) cores)"; }
load_before=$(load)
echo "load before: $load_before"

: >"$dir/scan.txt"
if [ "$core" = 1 ]; then
  echo "== scan core, marker, time split (bench/scan_bench)"
  "$bin/scan_bench" "$corpus" "$bin/English.dic" | tee "$dir/scan.txt"
fi
value() { sed -n "s/^$1=//p" "$dir/scan.txt"; }

# measure NAME COMMAND...: runs COMMAND $REPEAT times with its output to a
# file; appends "NAME wall cpu peak-kB lines" of the fastest run to
# $dir/whole.txt.
measure() {
  local name=$1 best="" line
  shift
  for _ in $(seq "$REPEAT"); do
    /usr/bin/time -f "%e %U %S %M" -o "$dir/time1.txt" "$@" >"$dir/out.txt" 2>"$dir/err.txt" ||
      { echo "$name failed: $(head -3 "$dir/err.txt")" >&2; return 1; }
    line=$(LC_ALL=C awk '{ printf "%.3f %.3f %d", $1, $2 + $3, $4 }' "$dir/time1.txt")
    if [ -z "$best" ] || LC_ALL=C awk -v a="$line" -v b="$best" 'BEGIN { split(a, x); split(b, y); exit !(x[1] < y[1]) }'; then
      best=$line
    fi
  done
  echo "$name $best $(wc -l <"$dir/out.txt")" | tee -a "$dir/whole.txt"
}

# The front end's options of setting $1, into the array opts.
setting_options() { mapfile -t opts < <(bench_setting_fields "$1" 2); }

: >"$dir/whole.txt"
echo "== whole process, best of $REPEAT (name, wall s, CPU s, peak kB, lines)"
measure strings strings -a -n 5 "$corpus"
for setting in $BENCH_SETTINGS; do
  setting_options "$setting"
  # Rows in UTF-8, as in a UTF-8 terminal, and in the results file's layout.
  measure "native-$setting" env LC_ALL=C.UTF-8 "$bin/lexprobe" "${opts[@]}" "$corpus"
  measure "layout-$setting" "$bin/lexprobe" -R "${opts[@]}" "$corpus"
  if [ -n "${LEXPROBE_BEFORE:-}" ]; then
    measure "before-native-$setting" "$LEXPROBE_BEFORE" --dict "$bin/English.dic" "${opts[@]}" "$corpus"
  fi
done
measure native-no-english "$bin/lexprobe" --no-check-english "$corpus"
measure native-kanji-no-filter "$bin/lexprobe" --search-kanji --no-check-kanji-noise "$corpus"
if [ -n "${LEXPROBE_BEFORE:-}" ]; then
  measure before-native-no-english "$LEXPROBE_BEFORE" --no-check-english "$corpus"
fi

preset=$(wine_preset)
wbuild="$ROOT/build/$preset"
: >"$dir/press.txt"
: >"$dir/gui.txt"
if [ "$wine" = 0 ]; then
  :
elif build_preset "$preset" >/dev/null 2>&1; then
  echo "== lexprobe.exe under Wine ($preset), best of $REPEAT; load $(load)"
  "$wbuild/wine-start" >/dev/null
  trap '"$wbuild/wine-stop" >/dev/null' EXIT
  exe="$wbuild/bin/cli/lexprobe.exe"
  for setting in $BENCH_SETTINGS; do
    setting_options "$setting"
    measure "exe-$setting" "$wbuild/wine-run" "$exe" "${opts[@]}" "$corpus"
    if [ -n "${LEXPROBE_EXE_BEFORE:-}" ]; then
      measure "before-exe-$setting" "$wbuild/wine-run" "$LEXPROBE_EXE_BEFORE" --dict "$wbuild/bin/English.dic" "${opts[@]}" "$corpus"
    fi
  done
  measure exe-no-english "$wbuild/wine-run" "$exe" --no-check-english "$corpus"
  "$wbuild/wine-stop" >/dev/null
  trap - EXIT

  if [ "$gui" = 1 ]; then
    # The program lines of bench-gui.sh as "FILE PROGRAM SETTING first best
    # rows CPU peak-MB".
    press_lines() {
      LC_ALL=C sed -n "s/^program \([a-z]*\), \([a-z0-9]*\): first press \([0-9.]*\) s, best of [0-9]* \([0-9.]*\) s, \([0-9]*\) rows; CPU \([0-9.]*\) s a press; peak resident \([0-9.]*\).*/$1 \1 \2 \3 \4 \5 \6 \7/p" "$2"
    }
    echo "== the program under Wine (scripts/bench-gui.sh), $REPEAT presses a start; load $(load)"
    BENCH_GUI_BUILT=1 "$ROOT/scripts/bench-gui.sh" --settings "${BENCH_SETTINGS// /,}" "$corpus" | tee "$dir/gui.txt"
    press_lines corpus "$dir/gui.txt" >>"$dir/press.txt"
    if [ "$big" = 1 ]; then
      cat "$binaries" >/dev/null
      echo "== the program on 300 MB of binaries; load $(load)"
      BENCH_GUI_BUILT=1 "$ROOT/scripts/bench-gui.sh" --settings default,kanji --no-detail "$binaries" | tee "$dir/gui-big.txt"
      press_lines big "$dir/gui-big.txt" >>"$dir/press.txt"
    fi
  fi
else
  echo "($preset build failed: no Wine figures)"
fi
gui_core=$(LC_ALL=C sed -n 's/^core scan (no window) *\([0-9.]*\) s.*/\1/p' "$dir/gui.txt" 2>/dev/null || true)
gui_ws=$(LC_ALL=C sed -n 's/^peak working set *\([0-9.]*\) MB.*/\1/p' "$dir/gui.txt" 2>/dev/null || true)
big_mb=$( [ -f "$binaries" ] && awk -v s="$(stat -L -c %s "$binaries")" 'BEGIN { printf "%.0f", s / 1048576 }' || echo 300)

load_after=$(load)
echo "load after: $load_after"
echo
echo "== the table ($mb MB corpus; load before $load_before, after $load_after; $(($(date +%s) - started)) s in all)"
echo "settings: default; kanji = 漢字も抽出する (--search-kanji); wide = UTF-16 Japanese (--search-wide-japanese);"
echo "utf8 = UTF-8 (--search-utf8); all = the three together.  Marker on in every row."
echo "Front ends: wall and CPU (user + system) seconds of the best of $REPEAT runs (by wall), lines written."
echo "Program: start press to list shown, the first press after its start and the best of $REPEAT presses, its"
echo "CPU a press (mean; the wineserver's and X server's share not counted), rows listed."
echo "x def: the same build's default setting; x nat: the same build's native front end, same setting"
echo "(wall; program: best press).  The machine is shared: the CPU ratios are the steadier."
LC_ALL=C awk -v settings="$BENCH_SETTINGS" -v read="$(value split_read)" -v scan="$(value split_scan)" \
    -v mark="$(value split_mark)" -v write="$(value split_write)" -v mrows="$(value marker_mrows)" \
    -v wide="$(value wide_japanese_ratio)" -v utf8="$(value utf8_ratio)" \
    -v utf8kanji="$(value utf8_kanji_ratio)" -v gcore="$gui_core" -v gws="$gui_ws" \
    -v size="$size" -v bigmb="$big_mb" '
  FILENAME ~ /whole/ { wall[$1] = $2; cpu[$1] = $3; kb[$1] = $4; lines[$1] = $5; next }
  { k = $1 "-" $2 "-" $3; wall[k] = $5; first[k] = $4; lines[k] = $6; cpu[k] = $7; resident[k] = $8 }
  function get(a, k) { return k in a ? a[k] : "" }
  function num(a, w, f) { return a == "" ? sprintf("%" w "s", "-") : sprintf("%" w f, a) }
  function div(a, b) { return a == "" || b == "" || b + 0 == 0 ? "" : a / b }
  function x(r, w) { return r == "" ? sprintf("%" w "s", "-") : sprintf("%" (w - 1) ".2fx", r) }
  # The names of one build'"'"'s figures (b: "" for ours, "before-" for the
  # before build): the front ends by setting, the program by file and setting.
  function nat(b, s) { return b "native-" s }
  function exe(b, s) { return b "exe-" s }
  function prog(b, s, f) { return f "-" (b == "" ? "ours" : "before") "-" s }
  function row(label, b, s,    n, e, p) {
    n = nat(b, s); e = exe(b, s); p = prog(b, s, "corpus")
    if (!(n in wall) && !(e in wall) && !(p in wall)) return
    printf "%-7s %-6s | %6s %6s %8s %6s | %6s %6s %8s %6s | %6s %6s %6s %8s %6s\n", label, b == "" ? "now" : "before",
           num(get(wall, n), 6, ".3f"), num(get(cpu, n), 6, ".3f"), num(get(lines, n), 8, "d"),
           x(div(get(wall, n), get(wall, nat(b, "default"))), 6),
           num(get(wall, e), 6, ".3f"), num(get(cpu, e), 6, ".3f"), num(get(lines, e), 8, "d"),
           x(div(get(wall, e), get(wall, n)), 6),
           num(get(first, p), 6, ".3f"), num(get(wall, p), 6, ".3f"), num(get(cpu, p), 6, ".3f"),
           num(get(lines, p), 8, "d"), x(div(get(wall, p), get(wall, n)), 6)
  }
  function ok(r, goal, higher) { return r == "" ? "-" : (higher ? r >= goal : r <= goal) ? "yes" : "NO" }
  # One line of the targets: figure a over figure b (names of both builds
  # made by the function named in how, for settings sa and sb) in wall and
  # CPU time, now and before; whether the target holds now, by wall and by
  # CPU ("higher": the ratio must reach the goal).
  function ratios(what, s, a, b, goal, higher,    w, c, bw, bc) {
    w = div(get(wall, a[""]), get(wall, b[""])); c = div(get(cpu, a[""]), get(cpu, b[""]))
    bw = div(get(wall, a["before-"]), get(wall, b["before-"])); bc = div(get(cpu, a["before-"]), get(cpu, b["before-"]))
    printf "%-44s %-7s %6s %6s %6s %6s  %s %4.2fx  %3s/%-3s\n", what, s, x(w, 6), x(c, 6), x(bw, 6), x(bc, 6),
           higher ? ">=" : "<=", goal, ok(w, goal, higher), ok(c, goal, higher)
  }
  function names(kind, s, f,    i, b) {
    for (i = 0; i < 2; i++) {
      b = i ? "before-" : ""
      A[b] = kind == "nat" ? nat(b, s) : kind == "exe" ? exe(b, s) : kind == "strings" ? "strings" : prog(b, s, f)
    }
  }
  function pair(kind1, s1, f1, kind2, s2, f2,    b) {
    names(kind1, s1, f1); for (b in A) P[b] = A[b]
    names(kind2, s2, f2); for (b in A) Q[b] = A[b]
  }
  END {
    n = split(settings, S, " ")
    printf "%-14s | %-30s | %-30s | %s\n", "", "native front end", "lexprobe.exe under Wine",
           "program under Wine"
    printf "%-7s %-6s | %6s %6s %8s %6s | %6s %6s %8s %6s | %6s %6s %6s %8s %6s\n", "setting", "build",
           "wall", "CPU", "lines", "x def", "wall", "CPU", "lines", "x nat", "first", "best", "CPU", "rows", "x nat"
    for (i = 1; i <= n; i++) { row(S[i], "", S[i]); row("", "before-", S[i]) }
    printf "strings -a -n 5: %.3f s wall, %.3f s CPU, %d lines\n", wall["strings"], cpu["strings"], lines["strings"]

    print ""
    print "== targets (ratios of the times of the best runs; program: best press, CPU a press)"
    printf "%-44s %-7s %6s %6s %6s %6s  %-9s %s\n", "", "", "now", "", "before", "", "", "met now"
    printf "%-44s %-7s %6s %6s %6s %6s  %-9s %s\n", "measure", "setting", "wall", "CPU", "wall", "CPU", "target", "wall/CPU"
    pair("strings", "", "", "nat", "default", "")
    ratios("strings -a -n 5 / native front end", "default", P, Q, 5, 1)
    for (i = 2; i <= n; i++) {
      pair("nat", S[i], "", "nat", "default", "")
      ratios(i == 2 ? "native front end / its default setting" : "", S[i], P, Q, 1.5, 0)
    }
    for (i = 1; i <= n; i++) {
      P[""] = nat("", S[i]); Q[""] = "layout-" S[i]; P["before-"] = Q["before-"] = ""
      ratios(i == 1 ? "native front end, UTF-8 / results layout -R" : "", S[i], P, Q, 1.05, 0)
    }
    for (i = 1; i <= n; i++) {
      pair("exe", S[i], "", "nat", S[i], "")
      ratios(i == 1 ? "lexprobe.exe under Wine / native front end" : "", S[i], P, Q, 1.5, 0)
    }
    for (i = 1; i <= n; i++) {
      pair("prog", S[i], "corpus", "nat", S[i], "")
      ratios(i == 1 ? "program / native front end" : "", S[i], P, Q, 1.5, 0)
    }
    pair("prog", "kanji", "big", "prog", "default", "big")
    ratios(sprintf("program, kanji / default, %d MB of binaries", bigmb), "kanji", P, Q, 1.5, 0)
    for (i = 0; i < 2; i++) {
      b = i ? "before-" : ""; d = prog(b, "default", "big"); k = prog(b, "kanji", "big")
      if ((d in wall) && (k in wall))
        printf "  %s: default %.3f s (first %.3f s, CPU %.3f s, %d rows), kanji %.3f s (first %.3f s, CPU %.3f s, %d rows)\n",
               i ? "before" : "now", wall[d], first[d], cpu[d], lines[d], wall[k], first[k], cpu[k], lines[k]
    }
    printf "%-44s %-7s %6s %6s %6s %6s  %-9s %s\n", "native front end peak memory, MiB", "setting", "now", "",
           "before", "", "target", "met"
    for (i = 1; i <= n; i++) {
      m = get(kb, nat("", S[i])); mb = get(kb, nat("before-", S[i]))
      printf "%-44s %-7s %6s %6s %6s %6s  <= 11.0   %s\n", "", S[i], num(m == "" ? "" : m / 1024, 6, ".1f"), "",
             num(mb == "" ? "" : mb / 1024, 6, ".1f"), "", ok(m == "" ? "" : m / 1024, 11, 0)
    }

    print ""
    print "== beside the table"
    for (i = 0; i < 2; i++) {
      b = i ? "before-" : ""
      if (b "native-no-english" in wall)
        printf "%snative front end --no-check-english: %.3f s wall, %.3f s CPU, peak %.1f MiB (marker on: %.3f s wall, %.3f s CPU)\n",
               i ? "before: " : "", wall[b "native-no-english"], cpu[b "native-no-english"],
               kb[b "native-no-english"] / 1024, get(wall, nat(b, "default")), get(cpu, nat(b, "default"))
    }
    if ("exe-no-english" in wall)
      printf "lexprobe.exe under Wine --no-check-english: %.3f s wall, %.3f s CPU, %s the native front end (wall)\n",
             wall["exe-no-english"], cpu["exe-no-english"], x(div(wall["exe-no-english"], get(wall, "native-no-english")), 1)
    if (("native-kanji" in cpu) && cpu["native-kanji-no-filter"] > 0)
      printf "Shift-JIS noise filter: %+.1f%% of the front end CPU time with --search-kanji (%.3f s against %.3f s)\n",
             100 * (cpu["native-kanji"] / cpu["native-kanji-no-filter"] - 1), cpu["native-kanji"], cpu["native-kanji-no-filter"]
    if (mrows != "") {
      printf "marker: %.2f million rows/s\n", mrows
      printf "scan core with Japanese UTF-16 text: %.2fx its time without\n", wide
      printf "scan core with UTF-8 text: %.2fx its time without (%.2fx beside Shift-JIS text)\n", utf8, utf8kanji
      total = read + scan + mark + write
      printf "scan of the file, CPU split (marker on): read %.3f s (%.0f%%), scan %.3f s (%.0f%%), mark %.3f s (%.0f%%), write %.3f s (%.0f%%)\n",
             read, 100 * read / total, scan, 100 * scan / total, mark, 100 * mark / total, write, 100 * write / total
    }
    if (gcore != "")
      printf "program under Wine, default setting: core scan (no window) %.2f s; peak working set %.1f MB (file %.1f MB)\n",
             gcore, gws, size / 1048576
    for (i = 1; i <= n; i++) {
      k = prog("", S[i], "corpus")
      if (get(resident, k) != "") line = line (line == "" ? " " : ", ") S[i] " " resident[k] " MB"
    }
    if (line != "") printf "program under Wine, peak resident by setting:%s\n", line
  }' "$dir/whole.txt" "$dir/press.txt"
if [ "$core" = 1 ]; then
  LC_ALL=C grep -E '^(reference walk|marker vs reference|row count differs)' "$dir/scan.txt" || true
fi
