#!/usr/bin/env python3
"""The corpus and the counting of scripts/encodings-files.sh: Japanese text
stored in EUC-JP, ISO-2022-JP and UTF-16BE, with UTF-8 beside them as the
reference that the front end lists today.

  encodings-files.py WORK build
  encodings-files.py WORK measure LEXPROBE [LEXPROBE2]
  encodings-files.py WORK show LEXPROBE WHAT HALF OPTION

The catalogues, the binaries and the way pieces of binaries are cut come
from scripts/japanese-files.py, so both scripts split them into the same
tuning half (0) and report half (1).  The corpus:

  - after-ENC-zero-H.bin, after-ENC-direct-H.bin: every message piece of the
    half's catalogues that the defaults can list, in encoding ENC, after a
    piece of a real binary and a zero, or right after it (no zero between),
    ended by a zero; UTF-16BE also after a zero and FE FF
    (after-utf16be-bom-H.bin);
  - euc-H.exe: the half's messages as EUC-JP string literals of C code
    compiled at -O2, linked with the static C++ runtime and zlib;
  - mail-H.mbox: a mailbox of messages written by Python's email package
    (charset iso-2022-jp, 7bit), the half's messages as subjects and bodies;
  - binaries-H.bin: the machine's binaries without Japanese, end to end.
"""
import bisect, email.header, email.mime.text, glob, hashlib, importlib.util, json, mailbox, os, random
import struct, subprocess, sys

HERE = os.path.dirname(os.path.abspath(__file__))
_spec = importlib.util.spec_from_file_location("jf", os.path.join(HERE, "japanese-files.py"))
jf = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(jf)
jq, model = jf.jq, jf.model
u8 = jf.load("u8", "utf8-quality.py")

TAR_MO = os.path.join(jq.CATALOGUES, "tar.mo")
JAPANESE_FONTS = ["/usr/share/fonts/opentype/ipa*/*.ttf", "/usr/share/fonts/truetype/ipa*/*.ttf",
                  "/usr/share/fonts/truetype/fonts-japanese-*.ttf"]
ALL_FONTS = JAPANESE_FONTS + ["/usr/share/fonts/truetype/*/*.ttf", "/usr/share/fonts/opentype/*/*.otf"]

# Code page 932 and JIS X 0208 name seven characters differently; text is
# compared in code page 932's names, and written in JIS's where the
# encoding is a JIS one.
TO_CP932 = str.maketrans({0x301C: 0xFF5E, 0x2212: 0xFF0D, 0x2016: 0x2225, 0xA2: 0xFFE0,
                          0xA3: 0xFFE1, 0xAC: 0xFFE2, 0x2014: 0x2015})
TO_JIS = str.maketrans({v: k for k, v in TO_CP932.items() if k != 0x2014})


def canon(text):
    return text.translate(TO_CP932)


def jis_encoder(codec):
    def encode(text):
        try:
            return text.translate(TO_JIS).encode(codec)
        except UnicodeEncodeError:
            return None
    return encode


# (name, option, row kind, encoder, zero); the last is the reference.
ENCODINGS = [("eucjp", "--search-euc-jp", "EUC-JP", jis_encoder("euc_jp"), b"\0"),
             ("iso2022jp", "--search-iso-2022-jp", "ISO-2022-JP", jis_encoder("iso2022_jp"), b"\0"),
             ("utf16be", "--search-utf16be", "UTF-16BE", lambda t: t.encode("utf-16-be"), b"\0\0"),
             ("utf8", "--search-utf8", "UTF-8", lambda t: t.encode("utf-8"), b"\0")]
BY_NAME = {e[0]: e for e in ENCODINGS}
NEW = ENCODINGS[:3]
EXISTING = ["--search-kanji", "--search-wide-japanese", "--search-utf8"]
ALL_ON = [e[1] for e in NEW] + EXISTING
JOINS = [("zero", "after a zero after binary data", ">= 99 %"),
         ("direct", "right after binary data", ">= 98 %")]
# UTF-16BE text often follows a byte-order mark (PDF text strings): the
# row begins after it.
BOM = [("bom", "after FE FF after a zero after binary data", ">= 99 %")]


def listable(piece):
    """What the defaults can list whole (the UTF-8 rule: characters)."""
    return u8.listable(piece)


# ---- building ---------------------------------------------------------------

def after_files(work, part, files, pieces):
    sources = [d for d in (model.read_binary(p) for _, p, _ in files) if d and len(d) > 4096]
    made = {}
    for name, _, _, encode, zero in ENCODINGS:
        for join, _, _ in JOINS + (BOM if name == "utf16be" else []):
            rng = random.Random("%s-%s-%d" % (name, join, part))
            out, placed = bytearray(), []
            for piece in pieces:
                data = encode(piece)
                if data is None or not listable(piece):
                    continue
                out += jf.binary_piece(rng, sources)
                if join != "direct":
                    out += zero
                if join == "bom":
                    out += b"\xfe\xff"
                placed.append([len(out), piece])
                out += data + zero
            file = "after-%s-%s-%d.bin" % (name, join, part)
            with open(os.path.join(work, file), "wb") as f:
                f.write(out)
            made[file] = {"encoding": name, "join": join, "part": part, "placed": placed}
    return made


def occurrences(data, piece, encode):
    """Where a piece stands alone in a file: its bytes between two bytes
    below 0x20 (a zero, a line break)."""
    needle, out = encode(piece), []
    at = data.find(needle)
    while at >= 0:
        end = at + len(needle)
        if (at == 0 or data[at - 1] < 0x20) and (end == len(data) or data[end] < 0x20):
            out.append([at, piece])
        at = data.find(needle, at + 1)
    return out


def euc_programs(work, by_half):
    """euc-H.exe: each half's messages that EUC-JP holds, as literals."""
    folder = os.path.join(work, "programs")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "runtime.cpp"), "w") as f:
        f.write(jf.RUNTIME_CPP)
    subprocess.run([jf.CXX32, "-O2", "-w", "-c", "runtime.cpp", "-o", "runtime.o"], check=True, cwd=folder)
    encode = BY_NAME["eucjp"][3]

    def build_half(part):
        catalogues = [(n, [m.translate(TO_JIS) for m in ms if encode(m) is not None]) for n, ms in by_half[part]]
        objects = jf.literal_objects(folder, "euc-", part, catalogues, "EUC-JP")
        exe = "euc-%d.exe" % part
        subprocess.run([jf.CXX32, "-O2", "-s", "-static", "-o", exe, "runtime.o"] + objects + ["-lz"],
                       check=True, cwd=folder)
        data = open(os.path.join(folder, exe), "rb").read()
        pieces = sorted(set(canon(p) for _, ms in catalogues for m in ms for p in jq.segments(m) if listable(p)))
        placed = [o for p in pieces for o in occurrences(data, p, encode)]
        return "programs/" + exe, {"encoding": "eucjp", "join": "program", "part": part, "placed": placed}
    return dict(jf.parallel(build_half, sorted(by_half)))


def mailboxes(work, by_half):
    """mail-H.mbox: one mail per few messages, the first piece as the
    subject (an encoded word, as the email package writes it), the
    messages as the 7-bit ISO-2022-JP body."""
    encode = BY_NAME["iso2022jp"][3]
    made = {}
    for part, catalogues in sorted(by_half.items()):
        path = os.path.join(work, "mail-%d.mbox" % part)
        box = mailbox.mbox(path, create=True)
        rng = random.Random("mail-%d" % part)
        bodies, subjects, raw = [], 0, 0
        messages = [m for _, ms in catalogues for m in ms if encode(m) is not None]
        i = 0
        while i < len(messages):
            group = messages[i:i + rng.randint(2, 8)]
            i += len(group)
            subject = jq.segments(group[0])[0].translate(TO_JIS)
            mail = email.mime.text.MIMEText("\n".join(m.translate(TO_JIS) for m in group) + "\n",
                                            "plain", "iso-2022-jp")
            mail["Subject"] = email.header.Header(subject, "iso-2022-jp")
            mail["From"] = "sender%d@example.org" % rng.randrange(100)
            box.add(mail)
            subjects += 1
            bodies.append(group)
        box.close()
        data = open(path, "rb").read()
        raw = sum(1 for line in data.split(b"\n") if line.startswith(b"Subject:") and b"\x1b" in line)
        placed, at = [], 0
        for group in bodies:
            for m in group:
                for piece in jq.segments(m):
                    piece = canon(piece)
                    if not listable(piece):
                        continue
                    k = data.find(encode(piece), at)
                    if k >= 0:
                        placed.append([k, piece])
                        at = k + 1
        made["mail-%d.mbox" % part] = {"encoding": "iso2022jp", "join": "mail", "part": part,
                                       "placed": placed, "subjects": subjects, "raw_subjects": raw}
    return made


def build(work):
    os.makedirs(work, exist_ok=True)
    manifest = {"binaries": {}, "placed": {}}
    by_half = {}
    for name, part, messages in jq.catalogues():
        by_half.setdefault(part, []).append((name, messages))
    for part in (0, 1):
        files = jf.binary_files(part)
        manifest["binaries"][str(part)] = jf.lay_binaries(work, part, files)
        manifest["placed"].update(after_files(work, part, files, model.pieces(part)))
    # 24 MB of the report half's binaries for the front end's time.
    with open(os.path.join(work, "binaries-1.bin"), "rb") as f, open(os.path.join(work, "mixed.bin"), "wb") as g:
        g.write(f.read(24 << 20))
    manifest["placed"].update(euc_programs(work, by_half))
    manifest["placed"].update(mailboxes(work, by_half))
    with open(os.path.join(work, "manifest.json.tmp"), "w", encoding="utf-8") as f:
        json.dump(manifest, f, ensure_ascii=False)
    os.replace(os.path.join(work, "manifest.json.tmp"), os.path.join(work, "manifest.json"))


# ---- fonts ----------------------------------------------------------------

def fonts(patterns):
    return sorted(set(os.path.realpath(p) for pattern in patterns for p in glob.glob(pattern)))


def name_table(path):
    """(start, end) of a TrueType/OpenType font's name table, and its
    records as (platform, language, file offset, bytes)."""
    data = open(path, "rb").read()
    count, = struct.unpack(">H", data[4:6])
    for k in range(count):
        tag, _, offset, length = struct.unpack(">4sIII", data[12 + 16 * k:28 + 16 * k])
        if tag == b"name":
            _, n, strings = struct.unpack(">HHH", data[offset:offset + 6])
            records = []
            for r in range(n):
                platform, _, language, _, size, at = struct.unpack(
                    ">6H", data[offset + 6 + 12 * r:offset + 18 + 12 * r])
                start = offset + strings + at
                records.append((platform, language, start, data[start:start + size]))
            return (offset, offset + length), records
    return (0, 0), []


# ---- running ----------------------------------------------------------------

class Runner:
    """The rows of the front end, each set of files and options run once."""
    def __init__(self, lexprobe):
        self.lexprobe = lexprobe
        self.kept = {}
        help_text = subprocess.run([lexprobe, "--help"], stdout=subprocess.PIPE, text=True).stdout
        self.built = set(o for o in ALL_ON if o in help_text)

    def rows(self, options, paths):
        key = (tuple(options), tuple(paths))
        if key not in self.kept:
            self.kept[key] = jf.json_rows(self.lexprobe, list(options), list(paths))
        return self.kept[key]

    def many(self, jobs):
        """Runs (options, paths) jobs two at a time."""
        return jf.parallel(lambda job: self.rows(*job), jobs)


def kana_or_kanji(text):
    return any(0x3041 <= ord(c) <= 0x30FF or 0x4E00 <= ord(c) <= 0x9FFF for c in text)


def pct(a, b):
    return "%6.2f %% (%d of %d)" % (100.0 * a / b if b else 0.0, a, b)


def kind_of(piece, kind):
    """The kind of row a piece is listed as: a piece without Japanese
    characters (a line of a mail body, a literal of a program that holds
    only ASCII) is stored as ASCII in each of these encodings, and ASCII
    text is listed as an ANSI row."""
    return kind if any(jq.japanese_char(c) for c in piece) else "ANSI"


def listed(rows, kind):
    """{(offset, text)} of the rows of `kind` and of the ANSI rows."""
    return set((o, k, canon(t)) for o, k, t in rows if k in (kind, "ANSI"))


def whole(rows, kind, placed):
    found = listed(rows, kind)
    return sum(1 for o, p in placed if (o, kind_of(p, kind), canon(p)) in found)


def once(rows, kind, placed, encode):
    """Pieces listed as a row of their own kind and read by no other row
    starting inside their bytes."""
    starts = sorted(o for o, k, t in rows)
    exact = listed(rows, kind)
    n = 0
    for o, p in placed:
        inside = bisect.bisect_left(starts, o + len(encode(p))) - bisect.bisect_left(starts, o)
        n += (o, kind_of(p, kind), canon(p)) in exact and inside == 1
    return n


def line(caption, target, cells):
    print("%s%s" % (caption, "  [target %s]" % target if target else ""))
    for label, text in cells:
        print("    %-9s %s" % (label, text))


HALVES = ((0, "tuning"), (1, "report"))


def measure(work, lexprobe, other):
    manifest = json.load(open(os.path.join(work, "manifest.json"), encoding="utf-8"))
    placed = manifest["placed"]
    runner = Runner(lexprobe)
    built = lambda option: option in runner.built or option not in ALL_ON
    path = lambda name: os.path.join(work, name)
    print("front end: %s; settings it lacks: %s" % (lexprobe, " ".join(o for o in ALL_ON if not built(o)) or "none"))
    print()

    # The files of each encoding with its own setting, and with every
    # setting on, run first, two runs at a time.
    of = lambda name: [path(f) for f in sorted(f for f, e in placed.items() if e["encoding"] == name)]
    every = [o for o in ALL_ON if built(o)]
    jobs = []
    for name, option, _, _, _ in ENCODINGS:
        if built(option):
            jobs += [([option], of(name)), (every, of(name))]
    runner.many(jobs)

    # 1. tar.mo as it stands.
    forms = [f for m in jq.read_mo(TAR_MO) for f in m.split("\0") if any(jq.japanese_char(c) for c in f)]
    held = [f for f in forms if cp932_holds(f)]
    counted = [f for f in held if any(listable(canon(p)) for p in jq.segments(f))]
    if built("--search-euc-jp"):
        # A piece without Japanese characters reads the same in ASCII: its
        # row is an ANSI one.
        rows = runner.rows(["--search-euc-jp"], [TAR_MO])[TAR_MO]
        texts = {kind: set(canon(t) for o, k, t in rows if k == kind) for kind in ("EUC-JP", "ANSI")}
        kind_of = lambda p: "EUC-JP" if any(jq.japanese_char(c) for c in p) else "ANSI"
        cell = pct(sum(1 for f in counted
                       if all(canon(p) in texts[kind_of(p)] for p in jq.segments(f) if listable(canon(p)))),
                   len(counted))
    else:
        cell = "not built"
    line("tar.mo (EUC-JP) messages listed whole with --search-euc-jp: of %d with Japanese, %d code page 932 "
         "holds, %d with pieces of 5 characters or more" % (len(forms), len(held), len(counted)),
         ">= 99 %", [("", cell)])

    # 2. The catalogues' messages in each encoding, listed whole.
    for name, option, kind, encode, _ in ENCODINGS:
        for join, caption, target in JOINS + BOM + [("program", "in an -O2 program (C literals)", ">= 99 %"),
                                               ("mail", "as mailbox bodies (7bit)", ">= 99 %")]:
            files = sorted((e["part"], f) for f, e in placed.items() if e["encoding"] == name and e["join"] == join)
            if not files:
                continue
            cells = []
            for part, f in files:
                if built(option):
                    rows = runner.rows([option], of(name))[path(f)]
                    cells.append((HALVES[part][1], pct(whole(rows, kind, placed[f]["placed"]), len(placed[f]["placed"]))))
                else:
                    cells.append((HALVES[part][1], "not built"))
            line("%s messages %s listed whole with %s%s" % (name, caption, option,
                                                            " (reference)" if name == "utf8" else ""),
                 "" if name == "utf8" else target, cells)
            if join == "mail":
                e = placed[files[0][1]]
                print("    subjects: %d a half, raw ISO-2022-JP %d (the others are base64 encoded words, "
                      "not counted)" % (e["subjects"], e["raw_subjects"]))

    # 4. The Japanese fonts' names.
    measure_fonts(runner, built)

    # 5. Binaries without Japanese: rows with kana or kanji per MB.
    for name, option, kind, _, _ in NEW:
        cells = []
        for part, label in HALVES:
            spans = manifest["binaries"][str(part)]
            starts = [s["at"] for s in spans]
            file = path("binaries-%d.bin" % part)
            if not built(option):
                cells.append((label, "not built"))
                continue
            n = 0
            for o, k, t in runner.rows([option], [file])[file]:
                if k == kind and kana_or_kanji(t):
                    s = spans[bisect.bisect_right(starts, o) - 1]
                    n += not (s["rsrc"] and s["rsrc"][0] <= o < s["rsrc"][1])
            cells.append((label, "%8.2f per MB (%d rows)" % (n / (sum(s["size"] for s in spans) / 1e6), n)))
        line("%s rows with kana or kanji, binaries without Japanese (outside PE resources), %s alone"
             % (kind, option), "<= 1 per MB", cells)

    # 6. Every setting on: each message once, in its own encoding.
    cells = []
    for name, option, kind, encode, _ in ENCODINGS:
        for part, label in HALVES:
            mine = [f for f, e in placed.items() if e["encoding"] == name and e["part"] == part]
            if not built(option):
                cells.append(("%s %s" % (name, label), "not built"))
                continue
            rows = runner.rows(every, of(name))
            n = sum(once(rows[path(f)], kind, placed[f]["placed"], encode) for f in mine)
            cells.append(("%s %s" % (name, label), pct(n, sum(len(placed[f]["placed"]) for f in mine))))
    line("messages listed once and in their own encoding with every setting the front end has on (%s)"
         % " ".join(every),
         ">= 99 %", [("%-16s" % a, b) for a, b in cells])

    # 7. Speed.
    measure_speed(work, manifest, lexprobe, built)

    # 8. The rows with the new settings off.
    measure_same(work, lexprobe, other)


def cp932_holds(text):
    try:
        canon(text).encode("cp932")
        return True
    except UnicodeEncodeError:
        return False


def measure_fonts(runner, built):
    option = "--search-utf16be"
    japanese, cells = fonts(JAPANESE_FONTS), []
    for font in japanese:
        _, records = name_table(font)
        windows = [(o, data.decode("utf-16-be")) for p, lang, o, data in records if p == 3 and lang == 0x411]
        names = [(o, t) for o, t in windows if any(jq.japanese_char(c) for c in t)]
        mac = sum(1 for p, lang, o, data in records if p == 1 and lang == 11)
        if not built(option):
            cells.append((os.path.basename(font), "not built (%d names with Japanese of %d; %d Macintosh Japanese)"
                          % (len(names), len(windows), mac)))
            continue
        rows = [(o, canon(t)) for o, k, t in runner.rows([option], [font])[font] if k == "UTF-16BE"]
        # The name table stores its strings end to end, so a name is
        # listed when it lies inside a row, at its place.
        inside = lambda listed: sum(1 for o, t in listed if any(
            ro <= o and (o - ro) % 2 == 0 and rt[(o - ro) // 2:].startswith(canon(t)) for ro, rt in rows))
        exact = sum(1 for o, t in names if (o, canon(t)) in set(rows))
        cells.append((os.path.basename(font), "inside a row %s, as rows of their own %s; all language-0x0411 "
                      "names inside a row %s; %d Macintosh Japanese"
                      % (pct(inside(names), len(names)), pct(exact, len(names)), pct(inside(windows), len(windows)),
                         mac)))
    line("Japanese names (Windows, language 0x0411) in the name tables of the Japanese fonts, listed with "
         + option, "all", cells)

    for name, option, kind, _, _ in NEW:
        if not built(option):
            line("%s rows with kana or kanji outside the name table, the machine's fonts" % kind, "",
                 [("", "not built")])
            continue
        every = fonts(ALL_FONTS)
        rows = runner.rows([option], every)
        n = 0
        for font in every:
            (a, b), _ = name_table(font)
            n += sum(1 for o, k, t in rows[font] if k == kind and kana_or_kanji(t) and not a <= o < b)
        mb = sum(os.path.getsize(f) for f in every) / 1e6
        line("%s rows with kana or kanji outside the name table, the machine's %d fonts (%.0f MB), %s alone"
             % (kind, len(every), mb, option), "<= 1 per MB", [("", "%8.2f per MB (%d rows)" % (n / mb, n))])


def measure_speed(work, manifest, lexprobe, built):
    files = [os.path.join(work, "mixed.bin")] + sorted(
        os.path.join(work, f) for f, e in manifest["placed"].items() if e["part"] == 1 and e["join"] != "zero")
    mb = sum(os.path.getsize(f) for f in files) / 1e6
    default = jf.cpu_seconds([lexprobe, "-R"] + files)
    cells = [("%-17s" % "default", "%.3f s" % default)]
    for name, option, _, _, _ in ENCODINGS:
        if built(option):
            t = jf.cpu_seconds([lexprobe, "-R", option] + files)
            cells.append(("%-17s" % name, "%.3f s  %.2fx  %s" % (t, t / default,
                                                       "(reference)" if name == "utf8" else "[target <= 1.5x]")))
        else:
            cells.append(("%-17s" % name, "not built"))
    t = jf.cpu_seconds([lexprobe, "-R"] + EXISTING + files)
    cells.append(("existing three on", "%.3f s  %.2fx  (reference)" % (t, t / default)))
    if all(built(o) for o in ALL_ON):
        t = jf.cpu_seconds([lexprobe, "-R"] + ALL_ON + files)
        cells.append(("%-17s" % "all on", "%.3f s  %.2fx  [target <= 4x]" % (t, t / default)))
    else:
        cells.append(("%-17s" % "all on", "not built"))
    line("front end CPU time (user+sys, best of 3) on %.1f MB: 24 MB of report-half binaries and the report "
         "half's corpus files but those after a zero" % mb, "", cells)


def measure_same(work, lexprobe, other):
    files = [os.path.join(work, "binaries-%d.bin" % p) for p, _ in HALVES]
    cells = []
    for options in [[], ["--search-kanji"], ["--search-wide-japanese"], ["--search-utf8"],
                    ["--search-resources"], EXISTING]:
        sums = []
        for fe in [lexprobe] + ([other] if other else []):
            out = subprocess.run([fe, "-R"] + options + files, check=True, stdout=subprocess.PIPE).stdout
            sums.append(hashlib.md5(out).hexdigest())
        verdict = "" if not other else ("same" if sums[0] == sums[1] else "differs (%s)" % sums[1])
        cells.append(("%-48s" % (" ".join(options) or "default"), "%s %s" % (sums[0], verdict)))
    line("md5 of the rows (-R) on both halves' binaries, new settings off%s"
         % (" against " + other if other else ""), "byte-identical to before", cells)


def show(work, lexprobe, what, part, option):
    """For tuning: the rows with kana or kanji of a half's binaries
    (`junk`), or the pieces of a corpus file (after-ENC-JOIN, euc, mail)
    not listed whole, with the rows that start near each."""
    manifest = json.load(open(os.path.join(work, "manifest.json"), encoding="utf-8"))
    runner = Runner(lexprobe)
    if what == "junk":
        file = os.path.join(work, "binaries-%s.bin" % part)
        for o, k, t in runner.rows([option], [file])[file]:
            if kana_or_kanji(t) and k not in ("ANSI", "Unicode"):
                print("%08X\t%s\t%s" % (o, k, t))
        return
    names = {"euc": "programs/euc-%s.exe", "mail": "mail-%s.mbox"}
    name = names.get(what, "after-" + what + "-%s.bin") % part
    entry = manifest["placed"][name]
    file = os.path.join(work, name)
    rows = runner.rows([option], [file])[file]
    kind = BY_NAME[entry["encoding"]][2]
    found = listed(rows, kind)
    for o, p in entry["placed"]:
        if (o, kind_of(p, kind), canon(p)) not in found:
            near = [(ro, k, t) for ro, k, t in rows if o - 12 <= ro <= o + 4]
            print("MISSING\t%08X\t%s\t%s" % (o, p, near))


if __name__ == "__main__":
    work, mode = os.path.abspath(sys.argv[1]), sys.argv[2]
    if mode == "build":
        build(work)
    elif mode == "measure":
        measure(work, sys.argv[3], sys.argv[4] if len(sys.argv) > 4 else None)
    elif mode == "show":
        show(work, *sys.argv[3:7])
    else:
        sys.exit(__doc__)
