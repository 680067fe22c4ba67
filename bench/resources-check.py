#!/usr/bin/env python3
"""Compares the resource reader's texts with the resource script that
windres decompiles from the same file.

usage: resources-check.py BENCH [--show N] PATH...

BENCH is the resources_bench program.  For every PE file named, or below a
folder named (a file that begins with "MZ"; links are not followed),
`windres -i FILE -O rc` gives the script; the texts of its string tables, menus, dialogs
(caption and control texts), StringFileInfo values and message tables are
taken from it and written as the reader writes a row (line breaks and tabs
as \\n \\r \\t, control characters as \\u{HEX}, code page 932 characters as
code page 932 reads them back).  Prints, per kind, the texts of the
scripts, the reader's texts and how many of them both hold (as multisets,
file by file), then up to N texts (default 5) that only one side holds.
"""
import collections
import os
import re
import subprocess
import sys

WINDRES = "x86_64-w64-mingw32-windres"
KINDS = ["menu", "dialog", "string", "message", "version"]
LITERAL = r'(L?)"((?:[^"\\]|\\.|"")*)"'
SIMPLE = {"n": "\n", "r": "\r", "t": "\t", "a": "\a", "b": "\b", "f": "\f",
          "v": "\v", "\\": "\\", '"': '"', "'": "'", "?": "?"}


def decode(body):
    """The characters of a literal's body (or a message dump line)."""
    out, i = [], 0
    while i < len(body):
        c = body[i]
        if c == '"' and body[i + 1:i + 2] == '"':
            out.append('"')
            i += 2
        elif c != "\\" or i + 1 == len(body):
            out.append(c)
            i += 1
        elif body[i + 1] in SIMPLE:
            out.append(SIMPLE[body[i + 1]])
            i += 2
        elif body[i + 1] == "x":
            m = re.match(r"[0-9a-fA-F]{1,4}", body[i + 2:])
            out.append(chr(int(m.group(0), 16)))
            i += 2 + len(m.group(0))
        else:
            m = re.match(r"[0-7]{1,3}", body[i + 1:])
            if not m:
                out.append(body[i + 1])
                i += 2
                continue
            out.append(chr(int(m.group(0), 8)))
            i += 1 + len(m.group(0))
    return join_surrogates("".join(out))


def join_surrogates(text):
    return text.encode("utf-16-le", "surrogatepass").decode("utf-16-le", "surrogatepass")


def row_text(text):
    """The text as a row holds it, in UTF-8."""
    out = []
    for ch in text:
        code = ord(ch)
        if ch in "\n\r\t":
            out.append({"\n": "\\n", "\r": "\\r", "\t": "\\t"}[ch])
        elif code < 0x20 or 0x7F <= code < 0xA0 or 0xD800 <= code <= 0xDFFF:
            out.append("\\u{%X}" % code)
        else:
            try:
                out.append(ch.encode("cp932").decode("cp932"))
            except UnicodeError:
                out.append(ch)
    return "".join(out)


def script_texts(script):
    """Texts per kind of a decompiled resource script."""
    texts = collections.defaultdict(list)
    kind, in_info, in_dump = None, False, False
    lines = script.splitlines()
    for k, line in enumerate(lines):
        if re.match(r"^\S+ (MENU|MENUEX)\s*$", line):
            kind = "menu"
        elif re.match(r"^\S+ (DIALOG|DIALOGEX) ", line):
            kind = "dialog"
        elif line.startswith("STRINGTABLE"):
            kind = "string"
        elif re.match(r"^\S+ VERSIONINFO", line):
            kind, in_info = "version", False
        elif "RT_MESSAGETABLE" in line:
            kind = "message"
        elif re.match(r"^\S+ \S+", line) and not line.startswith(" ") and \
                not re.match(r"^(STYLE|EXSTYLE|CAPTION|FONT|MENU|CLASS|BEGIN|END|LANGUAGE|"
                             r"CHARACTERISTICS|VERSION|FILEVERSION|PRODUCTVERSION|FILE|/\*)",
                             line):
            kind = None
        if kind == "message":
            if "MC syntax dump" in line:
                in_dump = True
            elif in_dump and line.strip().startswith("MessageId ="):
                text = re.sub(r"(\\000)+$", "", lines[k + 1].strip())
                if text:
                    texts[kind].append(decode(text))
            elif in_dump and "*/" in line:
                in_dump = False
            continue
        if kind == "string":
            m = re.match(r"^\s+\d+,\s+" + LITERAL + r"\s*$", line)
        elif kind == "menu":
            m = re.match(r"^\s+(?:MENUITEM|POPUP)\s+" + LITERAL, line)
        elif kind == "dialog":
            m = re.match(r"^(?:CAPTION|\s+[A-Z]+)\s+" + LITERAL, line)
        elif kind == "version":
            if re.match(r'^\s+BLOCK "StringFileInfo"', line, re.I):
                in_info = True
            elif re.match(r'^\s+BLOCK "VarFileInfo"', line, re.I):
                in_info = False
            m = in_info and re.match(r'^\s+VALUE\s+' + LITERAL + r",\s+" + LITERAL, line)
            if m:
                body = decode(m.group(4))
                if body:
                    texts[kind].append(body)
            continue
        else:
            continue
        if m and m.group(2):
            body = decode(m.group(2))
            if body:
                texts[kind].append(body)
    return texts


def reader_texts(bench, path):
    out = subprocess.run([bench, "--list", path], capture_output=True, text=True,
                         errors="surrogateescape").stdout
    texts = collections.defaultdict(list)
    for line in out.splitlines():
        parts = line.split("\t", 3)
        if len(parts) == 4:
            texts[parts[2]].append(parts[3])
    return texts


def pe_files(paths):
    for path in paths:
        names = [path]
        if os.path.isdir(path):
            names = sorted(os.path.join(d, f) for d, _, fs in os.walk(path) for f in fs)
        for name in names:
            if os.path.islink(name) or not os.path.isfile(name):
                continue
            with open(name, "rb") as f:
                if f.read(2) == b"MZ":
                    yield name


def main():
    args = sys.argv[1:]
    show = 5
    bench = args.pop(0)
    if args and args[0] == "--show":
        show = int(args[1])
        args = args[2:]
    totals = {k: [0, 0, 0] for k in KINDS}
    only = {k: [] for k in KINDS}
    files = 0
    for path in pe_files(args):
        run = subprocess.run([WINDRES, "-i", path, "-O", "rc"], capture_output=True)
        if run.returncode != 0:
            continue
        files += 1
        script = script_texts(run.stdout.decode("utf-8", "surrogateescape"))
        ours = reader_texts(bench, path)
        for kind in KINDS:
            theirs = collections.Counter(row_text(t) for t in script.get(kind, []))
            mine = collections.Counter(ours.get(kind, []))
            totals[kind][0] += sum(theirs.values())
            totals[kind][1] += sum(mine.values())
            totals[kind][2] += sum((theirs & mine).values())
            for text in (theirs - mine).elements():
                only[kind].append(("windres", path, text))
            for text in (mine - theirs).elements():
                only[kind].append(("reader", path, text))
    print("files that windres decompiled: %d" % files)
    print("%-8s %10s %10s %10s" % ("kind", "windres", "reader", "both"))
    for kind in KINDS:
        print("%-8s %10d %10d %10d" % (kind, *totals[kind]))
    for kind in KINDS:
        for side, path, text in only[kind][:show]:
            print("only %s (%s) %s: %r" % (side, kind, path, text))


if __name__ == "__main__":
    main()
