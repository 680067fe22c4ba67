#!/usr/bin/env python3
"""Writes samples/sample.bin, the small file that the main job scans: ASCII,
UTF-16LE and Shift-JIS text between runs of binary bytes.  Deterministic:
the same bytes on every run."""
import random
import sys

out = sys.argv[1] if len(sys.argv) > 1 else "samples/sample.bin"
rng = random.Random(20261208)


def noise(n):
    # Binary filler from bytes that are never text (zero, control bytes,
    # 0x7F, 0x80, 0xA0, 0xFD-0xFF), so that every row of the sample is one
    # of the texts below whatever the settings.
    pool = bytes(range(0, 0x20)) + b"\x7f\x80\xa0\xfd\xfe\xff"
    return bytes(rng.choice(pool) for _ in range(n))


parts = [b"MZ\x90\x00\x03\x00\x00\x00\x04\x00\x00\x00\xff\xff\x00\x00", noise(48)]
for text in ["This program cannot be run in DOS mode.",
             "Copyright (C) 2026 Halvek. All rights reserved.",
             "GetModuleFileNameA", "kernel32.dll", "LoadLibraryExW",
             "https://example.invalid/support/update.html",
             "%s: unable to open the configuration file",
             "AAAAAAAAAAAAAAAA", "1000000000", "__________"]:
    parts += [text.encode("ascii") + b"\0", noise(rng.randint(8, 40))]
for text in ["Lexprobe sample resource", "FileDescription", "Settings saved successfully",
             "Open File", "ProductVersion"]:
    parts += [b"\0" + text.encode("utf-16-le") + b"\0\0", noise(rng.randint(8, 40))]
for text in ["ファイルを開けません", "設定を保存しました", "検索結果の保存",
             "英単語 English words 混在"]:
    parts += [text.encode("cp932") + b"\0", noise(rng.randint(8, 40))]
# Half-width katakana (listed only when half-width katakana are wanted).
parts += ["ｻﾝﾌﾟﾙ ﾃｷｽﾄ".encode("cp932") + b"\0", noise(24)]
with open(out, "wb") as f:
    f.write(b"".join(parts))
