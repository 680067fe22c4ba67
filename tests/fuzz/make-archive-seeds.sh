#!/usr/bin/env bash
# Makes the seed inputs of the archive fuzz targets with the real tools and
# writes them to tests/fuzz/seeds/ (committed; run again only to renew them).
#   archive_lha/      small LHA archives: levels 0, 1, 2 x lh0, lh5, lh6, lh7,
#                     and a self-extracting layout
#   archive_decoder/  one member's packed data behind the decoder target's
#                     6-byte prefix (method digit, original size, flags)
#   archive_zip/      stored, deflated, streamed and ZIP64-sized archives, and
#                     one that Python's zipfile streamed to a pipe
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
seeds=$here/seeds
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rm -rf "$seeds"/archive_lha "$seeds"/archive_decoder "$seeds"/archive_zip
mkdir -p "$seeds"/archive_lha "$seeds"/archive_decoder "$seeds"/archive_zip "$work/src/sub"

cd "$work/src"
python3 - <<'PY'
words = open("/usr/share/dict/words", "rb").read(6000)
open("text.txt", "wb").write(words)
open("runs.bin", "wb").write(bytes(3000) + b"x" * 500 + bytes(range(256)) * 4)
open("sub/tiny.txt", "wb").write(b"tiny\n")
PY
touch -d '2020-01-02 03:04:05' text.txt runs.bin sub/tiny.txt

for level in 0 1 2; do
  for m in o5:lh5 o6:lh6 o7:lh7 z:lh0; do
    lha "a${level}${m%%:*}q" "$seeds/archive_lha/l${level}_${m##*:}.lzh" text.txt runs.bin sub/tiny.txt >/dev/null
  done
done
printf 'MZ\x90\x00 a program in front -lh5- ' | cat - "$seeds/archive_lha/l1_lh5.lzh" > "$seeds/archive_lha/sfx.bin"

# Decoder seeds: each packed member of the lh5/6/7 archives of level 0
# (header length in byte 0), prefixed with the digit and original size.
python3 - "$seeds" <<'PY'
import sys
seeds = sys.argv[1]
for method in "567":
    data = open(f"{seeds}/archive_lha/l0_lh{method}.lzh", "rb").read()
    at, n = 0, 0
    while at + 21 <= len(data) and data[at] != 0:
        length = data[at] + 2
        packed = int.from_bytes(data[at + 7:at + 11], "little")
        original = data[at + 11:at + 15]
        if data[at + 5] == ord(method):
            body = data[at + length:at + length + packed]
            open(f"{seeds}/archive_decoder/lh{method}_{n}.bin", "wb").write(
                bytes([int(method)]) + original + bytes([0]) + body)
            n += 1
        at += length + packed
# -lh4- is the lh5 format with a 4 KiB dictionary: the smaller member's
# stream stands for it.
lh5 = open(f"{seeds}/archive_decoder/lh5_1.bin", "rb").read()
open(f"{seeds}/archive_decoder/lh4_0.bin", "wb").write(bytes([4]) + lh5[1:])
PY

zip -q -X -0 -r "$seeds/archive_zip/stored.zip" text.txt sub
zip -q -X -9 -r "$seeds/archive_zip/deflated.zip" text.txt runs.bin sub
zip -q -X -r - text.txt runs.bin | cat > "$seeds/archive_zip/streamed.zip"
zip -q -X "$seeds/archive_zip/zip64.zip" - < text.txt
# Python's zipfile on a pipe: stored members with sizes after the data, one
# of them a ZIP archive, and the central directory they are read from.
python3 - <<'PY' | cat > "$seeds/archive_zip/pystream.zip"
import io, sys, zipfile
inner = io.BytesIO()
with zipfile.ZipFile(inner, "w", zipfile.ZIP_STORED) as z:
    z.writestr("inner.txt", b"inside\n")
with zipfile.ZipFile(sys.stdout.buffer, "w", zipfile.ZIP_STORED) as z:
    z.writestr("inner.zip", inner.getvalue())
    z.write("sub/tiny.txt")
PY
printf 'MZ\x90\x00 PK a program in front ' | cat - "$seeds/archive_zip/deflated.zip" > "$seeds/archive_zip/sfx.bin"
ls -l "$seeds"/archive_*
