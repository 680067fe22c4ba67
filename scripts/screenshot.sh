#!/usr/bin/env bash
# Pictures of Lexprobe.exe as a user meets it, in build/screenshots/:
#   1-start.png     the main window at start
#   2-scanning.png  during a scan (progress bar, status line)
#   11-stopped.png  that scan stopped: the rows found so far, the status line
#                   with where it stopped and the row count, the title
#   3-results.png   after a scan, rows with Japanese text
#   12-tooltip.png  the whole of a long text that its column cuts, as a tooltip
#   13-find.png     the find dialog after a hit, still in front of the window
#   4-settings.png  the settings dialog
#   5-sorted-menu.png  the list in name order (the sort arrow on "文字列"),
#                   the "表示(&V)" menu dropped down
#   14-edit-menu.png  every row selected, the "編集(&E)" menu dropped down
#                   ("コピー(&C)" enabled at its top)
#   6-about.png     the version dialog with the system report
#   7-version-dialog.png  the library's version dialog (LoomVerInfo of the
#                  real loomlib.dll) on its own, opened by verdlg_show.exe
#   8-dropped.png   a new start of the program, a file dropped on its window
#   9-dropped-scan.png  that file's scan
#   10-minimized.png the program minimised: its application window's icon,
#                   the main window hidden with it
#   15-filter.png   the filter box with a text, the View menu's Japanese rows on, the
#                   status line "N 行中 M 行を表示"
#   16-find-wrap.png  the find dialog after a search went on from the top,
#                   its notice in the status line
#   17-replace.png  the question before the save replaces an existing file
#   18-csv.png      the CSV file of Japanese rows opened back in Notepad
#   19-restarted.png  a new start with the layout of the last one: the list
#                   of a scan at the height it had
#   20-kind-menu.png  the "表示(&V)" menu's "種類(&T)" submenu open, an entry per kind
# The program runs under Wine in a prefix of its own (build/shot-prefix)
# whose default desktop is a 1024 x 768 virtual desktop, so windows get
# frames; lexdrive.exe acts on the window as a user would.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$ROOT"

preset=$(wine_preset)
build_preset "$preset" >/dev/null
bin="$ROOT/build/$preset/bin"
out="$ROOT/build/screenshots"
work="$ROOT/build/shot-work"
mkdir -p "$out" "$work"

if [ "$preset" = win32 ]; then
  WINE=/usr/lib/wine/wine; export WINEARCH=win32
else
  WINE=/usr/lib/wine/wine64; export WINEARCH=win64
fi
export WINELOADER=$WINE WINESERVER=/usr/lib/wine/wineserver64
export WINEPREFIX="$ROOT/build/shot-prefix" WINEDEBUG=-all
# Japanese file names between Linux and Wine.
export LOCPATH="$work/locale"
japanese_locale "$LOCPATH"
# Code page 932 for Wine only (the shell has no such locale).
wine() { env LC_ALL=ja_JP.UTF-8 "$WINE" "$@"; }

# A private X server.
n=120
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
export DISPLAY=":$n"
lexprobe=
cleanup() {
  [ -n "$lexprobe" ] && kill "$lexprobe" 2>/dev/null || true
  "$WINESERVER" -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "screenshot: creating $WINEPREFIX"
  wine wineboot -i >"$work/wineboot.log" 2>&1
  "$WINESERVER" -w
fi
setsid "$WINESERVER" -p </dev/null >/dev/null 2>&1 &
reg() { wine reg "$@" >/dev/null 2>&1; }
reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shot /f
reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shot /d 1024x768 /f
# Kanji into the "ANSI" strings and Japanese into the "Unicode" strings,
# so the results show Japanese text of both kinds.
reg add 'HKCU\Software\Halvek\Lexprobe' /v SearchKanji /d 1 /f
reg add 'HKCU\Software\Halvek\Lexprobe' /v SearchWideJapanese /d 1 /f
# And the further encodings, whose rows open the list.
for value in SearchEucJp SearchIso2022Jp SearchUtf16Be; do
  reg add 'HKCU\Software\Halvek\Lexprobe' /v $value /d 1 /f
done

# A sample with Shift-JIS, UTF-16 and ASCII strings between binary bytes,
# and a bigger file (random bytes with some text) for the progress bar.
python3 - "$work/sample.bin" "$work/big.bin" <<'EOF'
import random, sys
random.seed(7)
texts = ["ファイルから文字列を抽出します", "設定を保存しました", "Hello World",
         "Copyright (C) 2026 Halvek", "エラーが発生しました。", "kernel32.dll",
         "GetProcAddress", "This program cannot be run in DOS mode.",
         "C:\\Program Files\\Halvek\\Lexprobe\\samples\\a rather long path name "
         "that no column of the list is wide enough to show whole.txt"]
out = bytearray()
# First a text in each further encoding: EUC-JP, an ISO-2022-JP mail
# subject, a UTF-16BE name after its byte-order mark.
out += b"\0" + "文字列を抽出する日本語のテキスト".encode("euc_jp") + b"\0"
out += b"\0Subject: " + "設定を保存しました".encode("iso2022_jp") + b"\r\n"
out += b"\0\0\xFE\xFF" + "ＩＰＡゴシック Regular".encode("utf-16-be") + b"\0\0"
for i in range(60):
    t = texts[i % len(texts)]
    out += bytes(random.randrange(0, 8) for _ in range(5))
    if i % 3 == 2:
        out += t.encode("utf-16-le")
    else:
        out += t.encode("cp932")
    out += b"\0\0"
open(sys.argv[1], "wb").write(out)
big = bytearray(random.randbytes(60 * 1024 * 1024))
for pos in range(0, len(big) - 64, 4096):
    big[pos:pos + 20] = b"\0sample string here\0"
open(sys.argv[2], "wb").write(big)
EOF
cp "$work/sample.bin" "$work/ドロップ 表.bin"
sample=$(wine winepath -w "$work/sample.bin" 2>/dev/null | tr -d '\r')
dropped=$(wine winepath -w "$work/ドロップ 表.bin" 2>/dev/null | tr -d '\r')
big=$(wine winepath -w "$work/big.bin" 2>/dev/null | tr -d '\r')

drive() { wine "$bin/lexdrive.exe" "$@" 2>&1 | tr -d '\r'; }
shot() { sleep 0.5; import -window root "$out/$1"; echo "wrote build/screenshots/$1"; }

(cd "$bin" && exec env LC_ALL=ja_JP.UTF-8 "$WINE" Lexprobe.exe >"$work/lexprobe.log" 2>&1) &
lexprobe=$!
drive wait
shot 1-start.png

drive file "$big"
drive start
drive progress 25
import -window root "$out/2-scanning.png"; echo "wrote build/screenshots/2-scanning.png"
drive stop
shot 11-stopped.png

drive file "$sample"
drive start
drive done
shot 3-results.png
drive hover 11
shot 12-tooltip.png
drive find kernel32
shot 13-find.png
drive find-close

drive opt
shot 4-settings.png
drive cancel

# Name order from the View menu, with that menu dropped down over the list.
drive command 2202
drive menu v
shot 5-sorted-menu.png
drive menu-key t
shot 20-kind-menu.png
drive escape
drive escape
# The edit menu with a selection: copy and delete enabled.
drive command 2103
drive focus-list
drive menu e
shot 14-edit-menu.png
drive escape

# The filter: a text and the Japanese rows only.
drive filter "し"
drive command 2211
shot 15-filter.png
drive command 2222  # every row again
# A search from the last row goes on from the top.
drive command 2201
for _ in 1 2 3 4 5 6 7 8; do drive find kernel32; done
shot 16-find-wrap.png
drive find-close
# The CSV file, saved twice: the second time asks before it replaces it.
csvwin=$(wine winepath -w "$work/rows.csv" 2>/dev/null | tr -d '\r')
rm -f "$work/rows.csv"
drive save "$csvwin" 2
drive save "$csvwin" 2
shot 17-replace.png
drive answer 6

drive about
shot 6-about.png
drive about-ok
drive close
wait "$lexprobe" || true

# A file dropped on the window of a new start, then its scan.
(cd "$bin" && exec env LC_ALL=ja_JP.UTF-8 "$WINE" Lexprobe.exe >>"$work/lexprobe.log" 2>&1) &
lexprobe=$!
drive wait
drive drop "$dropped"
shot 8-dropped.png
drive start
drive done
shot 9-dropped-scan.png
drive minimize
shot 10-minimized.png
drive restore
drive close
wait "$lexprobe" || true

# A third start: the layout of the second, the list at its height.
(cd "$bin" && exec env LC_ALL=ja_JP.UTF-8 "$WINE" Lexprobe.exe "$sample" >>"$work/lexprobe.log" 2>&1) &
lexprobe=$!
drive wait
drive done
shot 19-restarted.png
drive close
wait "$lexprobe" || true
lexprobe=

# The CSV opened back.
(exec env LC_ALL=ja_JP.UTF-8 "$WINE" notepad.exe "$csvwin" >>"$work/notepad.log" 2>&1) &
notepad=$!
sleep 3
shot 18-csv.png
kill "$notepad" 2>/dev/null || true

# The library's version dialog, as a program of the suite opens it.
reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Loomkit' /v DisplayName /d 'Loomkit 1.0' /f
rm -f "$work/verdlg.ready"
(cd "$bin" && exec env LC_ALL=ja_JP.UTF-8 "$WINE" verdlg_show.exe 3 \
   "$(wine winepath -w "$work/verdlg.ready" 2>/dev/null | tr -d '\r')" >"$work/verdlg.log" 2>&1) &
verdlg=$!
for _ in $(seq 300); do [ -e "$work/verdlg.ready" ] && break; sleep 0.1; done
shot 7-version-dialog.png
wait "$verdlg" || true
