#!/usr/bin/env python3
"""Compares what the examination reads from real executables with objdump -p.

  exe_objdump_check.py EXE_DUMP FILE... [--wine DIR]... [--every N]

For every file: the imported modules (lower case, sorted, no duplicates),
the imported function lines ("%-14s  %s", names cut at 60 bytes, imports by
ordinal not listed), the exported names (cut at 100 bytes) and the export
directory's module name must be what objdump reads.  A file whose header
sizes exceed it must instead show only the truncation message, and one
whose DOS header does not place the relocation table at 0x40 counts as a
DOS program (flags 3) and is not walked.  PE files
below each --wine folder are added (every Nth of them in name order with
--every N, default from EXE_OBJDUMP_EVERY or 1).
"""
import os
import re
import subprocess
import sys

OBJDUMP = os.environ.get("OBJDUMP", "objdump")
# objdump's headings are read in English, whatever the caller's language.
ENGLISH = dict(os.environ, LC_ALL="C")
IMPORT_LINE = re.compile(rb"^\t([0-9a-fA-F]+)\s+(\d+)\s+(\S*)")
EXPORT_LINE = re.compile(rb"^\t\[\s*\d+\] (.*)$")
EXPORT_NAME = re.compile(rb"^Name\s+[0-9a-fA-F]+ (.*)$")
MSG_TRUNCATED = b"(message 37)"
MSG_DAMAGED = b"(message 51)"


def objdump(path):
    """Imports (module, [names or None]) in table order, exports, module name."""
    out = subprocess.run([OBJDUMP, "-p", path], capture_output=True, check=True,
                         env=ENGLISH).stdout
    imports, exports, module = [], [], b""
    part = None
    for line in out.split(b"\n"):
        if line.startswith(b"The Import Tables"):
            part = "imports"
        elif line.startswith(b"The Export Tables"):
            part = "exports"
        elif line.startswith(b"[Ordinal/Name Pointer] Table"):
            part = "names"
            continue
        elif line.startswith(b"The ") and part:
            part = None
        if part == "imports":
            if line.startswith(b"\tDLL Name: "):
                imports.append((line[len(b"\tDLL Name: "):], []))
            else:
                m = IMPORT_LINE.match(line)
                if m and imports:
                    name = m.group(3)
                    imports[-1][1].append(None if name == b"<none>" else name)
        elif part == "exports":
            m = EXPORT_NAME.match(line)
            if m:
                module = m.group(1)
        elif part == "names":
            m = EXPORT_LINE.match(line)
            if m:
                exports.append(m.group(1))
            elif not line.strip():
                part = None
    return imports, exports, module


def expected(imports, exports, module):
    dlls, functions = set(), []
    for name, entries in imports:
        name = name[:254]
        if len(name) < 6 or (name[-4:-3] != b"." and b".dll" not in name):
            dlls.add(MSG_DAMAGED)
            break
        if b".dll" in name:
            name = name[: name.index(b".dll") + 4]
        name = name.lower().replace(b"\t", b" ").replace(b"\r", b" ").replace(b"\n", b" ")
        if name:
            dlls.add(name)
        for entry in entries:
            if entry:
                functions.append(name.ljust(14) + b"  " + entry[:60])
    return sorted(dlls), sorted(functions), sorted(e[:100] for e in exports), module[:254]


def dump(exe_dump, path):
    out = subprocess.run([exe_dump, path], capture_output=True, check=True).stdout
    facts = {"dll": [], "function": [], "export": []}
    for line in out.split(b"\n"):
        key, _, value = line.partition(b"\t")
        key = key.decode()
        if key in facts:
            facts[key].append(value)
        elif key:
            facts[key] = value
    return facts


def is_pe(path):
    try:
        with open(path, "rb") as f:
            head = f.read(64)
            if len(head) < 64 or head[:2] != b"MZ":
                return False
            f.seek(int.from_bytes(head[60:64], "little"))
            return f.read(4) == b"PE\0\0"
    except OSError:
        return False


def main():
    args = sys.argv[1:]
    exe_dump = args.pop(0)
    files, every = [], int(os.environ.get("EXE_OBJDUMP_EVERY", "1"))
    while args:
        arg = args.pop(0)
        if arg == "--wine":
            folder = args.pop(0)
            if not os.path.isdir(folder):
                print(f"skipped {folder}: not installed")
                continue
            names = sorted(n for n in os.listdir(folder) if is_pe(os.path.join(folder, n)))
            files += [os.path.join(folder, n) for n in names[::every]]
        elif arg == "--every":
            every = int(args.pop(0))
        else:
            files.append(arg)

    failures = compared = truncated = dos = damaged = functions = exports = 0
    for path in files:
        facts = dump(exe_dump, path)
        if facts["flags"] == b"3":
            with open(path, "rb") as f:
                relocations = int.from_bytes(f.read(26)[24:26], "little")
            if relocations == 0x40 or facts["dll"] or facts["export"]:
                print(f"FAIL {path}: flags 3 with relocations at {relocations:#x}")
                failures += 1
            dos = dos + 1
            continue
        if MSG_TRUNCATED in facts["dll"]:
            code, resource = int(facts["code"]), int(facts["resource"])
            if facts["dll"] != [MSG_TRUNCATED] or code + resource < os.path.getsize(path):
                print(f"FAIL {path}: truncation message without reason: {facts['dll']}")
                failures += 1
            truncated += 1
            continue
        want = expected(*objdump(path))
        got = (facts["dll"], facts["function"], facts["export"], facts["module"])
        for what, w, g in zip(("modules", "functions", "exports", "module name"), want, got):
            if w != g:
                failures += 1
                print(f"FAIL {path}: {what} differ")
                if isinstance(w, list):
                    print("  objdump only:", sorted(set(w) - set(g))[:8])
                    print("  examination only:", sorted(set(g) - set(w))[:8])
                else:
                    print(f"  objdump {w!r}, examination {g!r}")
        compared += 1
        damaged += MSG_DAMAGED in want[0]
        functions += len(want[1])
        exports += len(want[2])
    print(f"{compared} files compared with objdump ({functions} imported functions, "
          f"{exports} exported names, {damaged} with a damaged import name), "
          f"{truncated} with the truncation message, {dos} DOS programs by their header, "
          f"{failures} differences")
    return 1 if failures or not compared else 0


if __name__ == "__main__":
    sys.exit(main())
