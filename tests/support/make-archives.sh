#!/usr/bin/env bash
# Makes the archives that the archive tests read, with the real tools that
# users have: jlha (lha) for LHA levels 0, 1 and 2 and methods lh0, lh5, lh6
# and lh7; gcab for cabinets; zip for stored, deflated and streamed ZIP
# archives.  Each archive is also unpacked by a peer (lhasa, cabextract,
# unzip) so that the tests compare our output with theirs.
#
#   make-archives.sh OUT
#
# OUT/src                 the packed files, with fixed time stamps
# OUT/lha/*.lzh           l<level>_<method>.lzh, l<level>_dirs.lzh (folder
#                         members), and lh4/lz5/read-only
#                         variants made by editing a level-0 archive
# OUT/zip/*.zip           stored, deflated, streamed (sizes after the data,
#                         written to a pipe), stdin (ZIP64 sizes), folders,
#                         pystream (Python's zipfile on a pipe: stored
#                         members with sizes after the data, one a ZIP)
# OUT/cab/*.cab           gcab cabinets, compressed and stored, with a UTF-8
#                         name; a small one; two members of one base name
# OUT/sfx/*.exe           a Windows program (mingw) with an archive appended
# OUT/peer/<archive>/     what the peer unpacked from each archive (file name
#                         with its extension: stored.zip, stored.cab)
# OUT/peer/<archive>.list the peer's member names, one per line, "/"-separated
set -euo pipefail

out=$1
rm -rf "$out"
mkdir -p "$out"/{src,lha,zip,cab,sfx,peer}
out=$(cd "$out" && pwd)
src=$out/src

# The files: text, incompressible bytes, long runs, a program, an empty file,
# a file that starts with spaces, and two folder levels.
python3 - "$src" <<'PY'
import os, random, shutil, sys
src = sys.argv[1]
rng = random.Random(12)
def put(name, data):
    path = os.path.join(src, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
put("hello.txt", b"hello hello hello world\n" * 3)
put("empty.txt", b"")
with open("/usr/share/dict/words", "rb") as f:
    put("words.txt", f.read(300000))
put("random.bin", bytes(rng.getrandbits(8) for _ in range(70000)))
put("zeros.bin", bytes(400000))
put("spaces.txt", b" " * 5000 + b"text after spaces\n" + b" " * 300)
with open(shutil.which("bash"), "rb") as f:
    put("program.bin", f.read(200000))
put("sub/deeper/nested.txt", b"two folders down\n")
PY
# Fixed stamps, some with odd seconds: DOS times keep even seconds only.
touch -d '2021-03-04 05:06:07' "$src"/hello.txt "$src"/empty.txt "$src"/sub/deeper/nested.txt
touch -d '2019-12-31 23:59:58' "$src"/words.txt "$src"/random.bin
touch -d '2010-07-08 09:10:11' "$src"/zeros.bin "$src"/spaces.txt "$src"/program.bin
files=(hello.txt empty.txt words.txt random.bin zeros.bin spaces.txt program.bin sub/deeper/nested.txt)

# The stub of the self-extracting layouts: a real Windows program.
cat > "$out/sfx/stub.c" <<'C'
#include <stdio.h>
int main(void) { puts("self-extracting stub"); return 0; }
C
i686-w64-mingw32-gcc -O2 -s -o "$out/sfx/stub.exe" "$out/sfx/stub.c"

# LHA: every level with every method jlha writes (o5/o6/o7 = lh5/lh6/lh7,
# z = lh0).  jlha stores a file as lh0 when packing would not make it
# smaller.  Two at a time: jlha is a Java program.
make_lha() {
  local level=$1 option=$2 name=$3
  (cd "$src" && lha "a${level}${option}q" "$out/lha/l${level}_${name}.lzh" "${files[@]}" >/dev/null)
}
pids=()
for level in 0 1 2; do
  for m in o5:lh5 o6:lh6 o7:lh7 z:lh0; do
    make_lha "$level" "${m%%:*}" "${m##*:}" &
    pids+=($!)
    if [ "${#pids[@]}" -ge 2 ]; then wait "${pids[0]}"; pids=("${pids[@]:1}"); fi
  done
done
for pid in "${pids[@]}"; do wait "$pid"; done
# Folders as members: jlha writes them as -lhd- with the attribute byte 0x20.
touch -d '2021-03-04 05:06:07' "$src/sub" "$src/sub/deeper"
for level in 0 1 2; do
  (cd "$src" && lha "a${level}q" "$out/lha/l${level}_dirs.lzh" sub >/dev/null)
done

# Variants jlha does not write, made by editing level-0 headers (which carry
# only an 8-bit sum): -lh4- (an lh5 stream whose distances stay below 4 KiB
# is a valid lh4 stream), -lz5- (decoded as lh5), and a read-only member.
(cd "$src" && lha a0o5q "$out/lha/small_lh5.lzh" hello.txt spaces.txt >/dev/null)
python3 - "$out/lha" <<'PY'
import sys
d = sys.argv[1]
def edit(source, target, change):
    data = bytearray(open(f"{d}/{source}", "rb").read())
    at = 0
    while at + 21 <= len(data) and data[at] != 0:
        length = data[at] + 2
        change(data, at)
        data[at + 1] = sum(data[at + 2:at + length]) & 0xFF
        packed = int.from_bytes(data[at + 7:at + 11], "little")
        at += length + packed
    open(f"{d}/{target}", "wb").write(data)
def lh5_to(digit):
    def change(data, at):
        if data[at + 5] == ord("5"):
            data[at + 5] = ord(digit)
    return change
def lz(data, at):
    if data[at + 5] == ord("5"):
        data[at + 4] = ord("z")
def read_only(data, at):
    data[at + 19] = 0x21
edit("small_lh5.lzh", "small_lh4.lzh", lh5_to("4"))
edit("small_lh5.lzh", "small_lz5.lzh", lz)
edit("l0_lh5.lzh", "l0_readonly.lzh", read_only)
PY

# ZIP.  A pipe as output makes zip write every member's sizes after its
# data (flag bit 3); standard input as a file makes it use ZIP64 sizes.
(cd "$src" && zip -q -X -0 -r "$out/zip/stored.zip" "${files[@]}" sub)
(cd "$src" && zip -q -X -9 -r "$out/zip/deflated.zip" "${files[@]}" sub)
(cd "$src" && zip -q -X -r - "${files[@]}" sub | cat > "$out/zip/streamed.zip")
(cd "$src" && zip -q -X "$out/zip/stdin.zip" - < words.txt)
# Python's zipfile writing to a pipe: stored members with their CRC and
# sizes after the data (flag bit 3), one of them a stored ZIP archive whose
# own member must not be taken for one of the outer archive.
python3 - "$src" <<'PY' | cat > "$out/zip/pystream.zip"
import io, os, sys, zipfile
src = sys.argv[1]
inner = io.BytesIO()
with zipfile.ZipFile(inner, "w", zipfile.ZIP_STORED) as z:
    z.writestr(zipfile.ZipInfo("inside.txt", (2021, 3, 4, 5, 6, 8)), b"inside the inner archive\n")
with zipfile.ZipFile(sys.stdout.buffer, "w", zipfile.ZIP_STORED) as z:
    z.writestr(zipfile.ZipInfo("inner.zip", (2021, 3, 4, 5, 6, 8)), inner.getvalue())
    z.write(os.path.join(src, "words.txt"), "words.txt")
    z.write(os.path.join(src, "sub/deeper/nested.txt"), "sub/deeper/nested.txt")
PY

# Cabinets: compressed (MSZIP) and stored, with a folder and a UTF-8 name.
cp "$src/hello.txt" "$src/日本語.txt"
touch -d '2021-03-04 05:06:07' "$src/日本語.txt"
cab_files=(hello.txt empty.txt words.txt random.bin sub/deeper/nested.txt 日本語.txt)
(cd "$src" && gcab -c -z "$out/cab/mszip.cab" "${cab_files[@]}")
(cd "$src" && gcab -c "$out/cab/stored.cab" "${cab_files[@]}")
rm "$src/日本語.txt"
(cd "$src" && gcab -c -z "$out/cab/small.cab" hello.txt sub/deeper/nested.txt)
# The same base name in two folders.
mkdir -p "$out/dupes/a" "$out/dupes/b"
echo first > "$out/dupes/a/x.txt"
echo second > "$out/dupes/b/x.txt"
(cd "$out/dupes" && gcab -c -z "$out/cab/dupes.cab" a/x.txt b/x.txt)
rm -r "$out/dupes"

# Self-extracting layouts.
cat "$out/sfx/stub.exe" "$out/lha/l2_lh5.lzh" > "$out/sfx/lha.exe"
cat "$out/sfx/stub.exe" "$out/zip/deflated.zip" > "$out/sfx/zip.exe"
cat "$out/sfx/stub.exe" "$out/cab/mszip.cab" > "$out/sfx/cab.exe"

# What the peers make of them.  Each peer recreates the folders; the lists
# hold the member names it reports, files only.
list_tree() {
  (cd "$1" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
}
for archive in "$out"/lha/*.lzh; do
  name=$(basename "$archive")
  # lhasa reads -lz5- as LArc's own method, which this edited archive is not.
  [ "$name" = small_lz5.lzh ] && continue
  mkdir -p "$out/peer/$name"
  lhasa "xqfw=$out/peer/$name" "$archive" >/dev/null
  list_tree "$out/peer/$name" > "$out/peer/$name.list"
done
for archive in "$out"/zip/*.zip; do
  name=$(basename "$archive")
  mkdir -p "$out/peer/$name"
  unzip -q -o -d "$out/peer/$name" "$archive"
  list_tree "$out/peer/$name" > "$out/peer/$name.list"
done
for archive in "$out"/cab/*.cab; do
  name=$(basename "$archive")
  mkdir -p "$out/peer/$name"
  [ "$name" = dupes.cab ] && continue
  cabextract -q -d "$out/peer/$name" "$archive"
  list_tree "$out/peer/$name" > "$out/peer/$name.list"
done
echo "make-archives: $(find "$out" -type f | wc -l) files in $out"
