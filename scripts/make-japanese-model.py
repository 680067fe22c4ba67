#!/usr/bin/env python3
"""Writes the C++ tables of the Japanese-text judge (app/japanese/judge.h):

    make-japanese-model.py OUTPUT.cpp

The build runs this; the tables live in the build tree.  The judge reads a
row as a chain of character classes and adds up, for each neighbouring pair
of classes, how much likelier the pair is in Japanese text than in machine
code read as text of the row's encoding (a log-likelihood ratio).  This
script counts those pairs:

  - Japanese text: the translations of the machine's Japanese message
    catalogues (/usr/share/locale/ja/LC_MESSAGES), of the tuning half only
    (catalogues split by name; scripts/japanese-files.py measures on the
    other half), cut at control characters as rows are;
  - machine code read as text: the tuning half of the machine's own
    binaries (the mingw-w64 runtime DLLs, Wine's 32-bit PE DLLs without
    their resources, ELF programs and libraries), with every run that the
    walk could make of them in each encoding (Shift-JIS pairs among ASCII,
    UTF-16LE, UTF-8) that holds a kana or kanji.

Classes: ASCII by role (space, digit, capital, small letter, kinds of
punctuation, '$', '%', '&'), the common hiragana, other hiragana,
katakana, the long vowel mark, Japanese punctuation, brackets, full-width
letters and signs, half-width katakana, kanji in five bands by how often
the text uses them, the kana and kanji that machine code makes far more
often than text uses them (per encoding), the other symbols of code page
932, and everything else.  A row's start and end are classes too, "clean" after or before a
zero, a tab, a line break (in UTF-16 any control code unit or a dialog's
class atom) or the file's edge, "dirty" otherwise.
"""
import hashlib, os, re, struct, sys

CATALOGUES = "/usr/share/locale/ja/LC_MESSAGES"

# The binaries, by kind; each kind contributes at most BUDGET bytes of its
# tuning half, taken in the order of the files' hashes, so that the same
# machine always gives the same tables.
BINARIES = [
    ("mingw", ["/usr/lib/gcc/i686-w64-mingw32/*-posix/*.dll",
               "/usr/i686-w64-mingw32/lib/*.dll"]),
    ("wine", ["/usr/lib/i386-linux-gnu/wine/i386-windows/*.dll",
              "/usr/lib/i386-linux-gnu/wine/i386-windows/*.exe"]),
    ("elf", ["/usr/bin/*", "/usr/lib/x86_64-linux-gnu/*.so*"]),
]
BUDGET = 8 << 20
# Shift-JIS and UTF-16 runs are plentiful: past this many rows of one kind
# of binary, more only cost build time.
ROWS_PER_KIND = 40000

# ---- classes ----------------------------------------------------------------

ASCII_CLASSES = ["space", "digit", "capital", "small", "stop", "open", "close", "quote",
                 "dollar", "percent", "amp", "math", "sign"]
JAPANESE_CLASSES = ["hira1", "hira2", "kata", "long", "jstop", "bracket", "jsign",
                    "wide", "wsign", "half", "kanji1", "kanji2", "kanji3", "kanji4", "kanji5",
                    "codelike", "symbol", "other"]
CLASSES = ASCII_CLASSES + JAPANESE_CLASSES
K = len(CLASSES)
START_CLEAN, START_DIRTY = K, K + 1  # as the class before the first character
END_CLEAN, END_DIRTY = K, K + 1      # as the class after the last one
C = {name: k for k, name in enumerate(CLASSES)}
# The first class that is Japanese (kana, kanji, Japanese punctuation,
# full-width forms); "symbol" and "other" are not.
FIRST_JAPANESE, LAST_JAPANESE = C["hira1"], C["codelike"]

# A Japanese character that machine code read in one encoding makes at
# least CODE_LIKE times as often as text uses it (and CODE_LIKE_SEEN times
# or more) is of the class "codelike" in that encoding: "ボ" is 83 7D, the
# start of x86 "cmp dword [ebp-4], ..."; "畿" is 8B 45, "mov eax, [ebp+...]".
CODE_LIKE = 8.0
CODE_LIKE_SEEN = 5

# How many kanji each band holds, most used first; the fifth band is every
# kanji the text never uses.
KANJI_BANDS = [200, 800, 1500]
COMMON_HIRAGANA = 16


def ascii_class(u):
    ch = chr(u)
    if ch == " ":
        return C["space"]
    if ch.isdigit():
        return C["digit"]
    if "A" <= ch <= "Z":
        return C["capital"]
    if "a" <= ch <= "z":
        return C["small"]
    for name, chars in (("stop", ".,:;!?"), ("open", "([{<"), ("close", ")]}>"),
                        ("quote", "'\"`"), ("dollar", "$"), ("percent", "%"), ("amp", "&"),
                        ("math", "+-*/=_")):
        if ch in chars:
            return C[name]
    return C["sign"]


def cp932(u):
    try:
        return chr(u).encode("cp932")
    except UnicodeEncodeError:
        return None


def class_table(kanji_band, hiragana_common):
    """The class of every BMP code point (list of 65536)."""
    table = [C["other"]] * 65536
    for u in range(0x20, 0x7F):
        table[u] = ascii_class(u)
    for u in range(0x80, 0x10000):
        form = cp932(u)
        if form is None or len(form) < 2 or 0xF0 <= form[0] <= 0xF9:
            # Control characters, what code page 932 lacks, its single bytes
            # other than half-width katakana, and its user-defined rows.
            if form is not None and len(form) == 1 and 0xA1 <= form[0] <= 0xDF:
                table[u] = C["half"]
            continue
        if 0x3041 <= u <= 0x309F:
            table[u] = C["hira1"] if u in hiragana_common else C["hira2"]
        elif 0x30A1 <= u <= 0x30FA or u in (0x30FD, 0x30FE):
            table[u] = C["kata"]
        elif u == 0x30FC:
            table[u] = C["long"]
        elif u in (0x3001, 0x3002, 0xFF0C, 0xFF0E):
            table[u] = C["jstop"]
        elif 0x3008 <= u <= 0x3011 or u in (0x3014, 0x3015, 0xFF08, 0xFF09, 0xFF3B, 0xFF3D,
                                             0xFF5B, 0xFF5D):
            table[u] = C["bracket"]
        elif u == 0x3005 or 0x4E00 <= u <= 0x9FFF or 0xF900 <= u <= 0xFAFF:
            table[u] = kanji_band.get(u, C["kanji5"])
        elif 0x3000 <= u <= 0x30FF:
            table[u] = C["jsign"]
        elif 0xFF10 <= u <= 0xFF19 or 0xFF21 <= u <= 0xFF3A or 0xFF41 <= u <= 0xFF5A:
            table[u] = C["wide"]
        elif 0xFF01 <= u <= 0xFF60 or 0xFFE0 <= u <= 0xFFE5:
            table[u] = C["wsign"]
        else:
            table[u] = C["symbol"]
    return table


# ---- the two halves -----------------------------------------------------------

def stem(name):
    """A catalogue's name without versions, so that related catalogues
    (iso_639, iso_639-3, ...) fall into one half."""
    s = name[:-3] if name.endswith(".mo") else name
    while True:
        t = re.sub(r"[-_.]?[\d.]+$", "", s)
        if t == s or not t:
            return s
        s = t


def catalogue_half(name):
    """0 = tuning half, 1 = report half."""
    return hashlib.md5(stem(name).encode()).digest()[-1] & 1


def binary_half(path):
    """0 = tuning half, 1 = report half, by the file's name."""
    return hashlib.md5(os.path.basename(path).encode()).digest()[-1] & 1


def binaries(kind_globs, part):
    """The real files of one half matched by the globs, without links to
    others, in the order of their hashes."""
    import glob
    found = {}
    for pattern in kind_globs:
        for path in glob.glob(pattern):
            if os.path.islink(path) or not os.path.isfile(path):
                continue
            if binary_half(path) == part:
                found[os.path.basename(path)] = path
    return sorted(found.values(), key=lambda p: hashlib.md5(p.encode()).hexdigest())


# ---- catalogues ---------------------------------------------------------------

def read_mo(path):
    """The translated texts of a .mo file, decoded with its charset."""
    data = open(path, "rb").read()
    order = "<" if struct.unpack("<I", data[:4])[0] == 0x950412DE else ">"
    _, count, _, translations = struct.unpack(order + "4I", data[4:20])
    texts = []
    for i in range(count):
        length, offset = struct.unpack(order + "2I", data[translations + 8 * i:translations + 8 * i + 8])
        texts.append(data[offset:offset + length])
    charset = "utf-8"
    if texts:
        m = re.search(rb"charset=([\w-]+)", texts[0])
        if m:
            charset = m.group(1).decode()
    return [t.decode(charset, "replace") for t in texts[1:]]


def japanese_char(c):
    u = ord(c)
    return 0x3000 <= u <= 0x30FF or 0x4E00 <= u <= 0x9FFF or 0xFF01 <= u <= 0xFF9F


def pieces(part):
    """The pieces between control characters of the catalogues of one half
    that hold Japanese text and that code page 932 holds, each once."""
    result = set()
    if not os.path.isdir(CATALOGUES):
        return []
    for name in sorted(os.listdir(CATALOGUES)):
        if not name.endswith(".mo") or catalogue_half(name) != part:
            continue
        for text in read_mo(os.path.join(CATALOGUES, name)):
            for piece in re.split(r"[\x00-\x1f\x7f-\x9f]+", text):
                if piece and any(japanese_char(c) for c in piece):
                    try:
                        piece.encode("cp932")
                    except UnicodeEncodeError:
                        continue
                    result.add(piece)
    return sorted(result)


# ---- machine code read as text -----------------------------------------------------

def pe_ranges(data):
    """The byte ranges of a PE file's sections other than its resources, or
    None for a file that is no PE file."""
    if len(data) < 0x40 or data[:2] != b"MZ":
        return None
    pe = struct.unpack("<I", data[0x3C:0x40])[0]
    if pe + 24 > len(data) or data[pe:pe + 4] != b"PE\0\0":
        return None
    count, = struct.unpack("<H", data[pe + 6:pe + 8])
    optional, = struct.unpack("<H", data[pe + 20:pe + 22])
    table = pe + 24 + optional
    ranges = []
    for k in range(count):
        s = data[table + 40 * k:table + 40 * k + 40]
        if len(s) < 40:
            break
        name = s[:8].rstrip(b"\0")
        size, offset = struct.unpack("<II", s[16:24])
        if name != b".rsrc":
            ranges.append((offset, min(offset + size, len(data))))
    return ranges


def read_binary(path):
    """The bytes of a binary that hold no text on purpose: a PE file
    without its resources; an ELF file or archive whole.  None for other
    files."""
    with open(path, "rb") as f:
        head = f.read(4)
        if head[:2] != b"MZ" and head != b"\x7fELF" and head != b"!<ar":
            return None
        data = head + f.read()
    ranges = pe_ranges(data)
    if ranges is None:
        return data if head[:2] != b"MZ" else None
    return b"\0".join(data[a:b] for a, b in ranges)


SJIS_RUN = re.compile(rb"(?:[\x20-\x7e]|[\x81-\x9f\xe0-\xfc][\x40-\x7e\x80-\xfc])+")
UTF16_RUN = re.compile(rb"(?:[\x20-\x7e]\x00|[\x00-\xff][\x30\x4e-\x9f\xff])+", re.S)
UTF16BE_RUN = re.compile(rb"(?:\x00[\x20-\x7e]|[\x30\x4e-\x9f\xff][\x00-\xff])+", re.S)
UTF8_RUN = re.compile(rb"(?:[\x20-\x7e]|[\xc2-\xdf][\x80-\xbf]|[\xe0-\xef][\x80-\xbf]{2}"
                      rb"|[\xf0-\xf4][\x80-\xbf]{3})+")
SJIS_PAIR = re.compile(rb"[\x81-\x9f\xe0-\xfc][\x40-\x7e\x80-\xfc]")


def clean_unit(u):
    """Whether a UTF-16 code unit at a row's edge makes it clean: any
    control unit (string tables' length words stand there) and the
    dialog templates' control class atoms 0x0080-0x0085."""
    return u < 0x20 or 0x80 <= u <= 0x85


def clean(b):
    """Whether a byte at a row's edge makes it clean: a zero, a tab or a
    line break (other control bytes are as common in code as any)."""
    return b in (0, 9, 10, 13)


def runs_sjis(data):
    for m in SJIS_RUN.finditer(data):
        raw = m.group()
        if max(raw) < 0x80:
            continue
        codes = []
        k = 0
        while k < len(raw):
            if raw[k] >= 0x80:
                try:
                    codes.append(ord(raw[k:k + 2].decode("cp932")))
                except UnicodeDecodeError:
                    codes.append(0xFFFF)  # a pair that code page 932 leaves empty
                k += 2
            else:
                codes.append(raw[k])
                k += 1
        a, b = m.start(), m.end()
        yield codes, a == 0 or clean(data[a - 1]), b >= len(data) or clean(data[b])


def runs_utf16(data):
    for m in UTF16_RUN.finditer(data):
        raw = m.group()
        if len(raw) < 4 or not any(raw[k + 1] for k in range(0, len(raw), 2)):
            continue
        codes = [raw[k] | raw[k + 1] << 8 for k in range(0, len(raw), 2)]
        a, b = m.start(), m.end()
        before = data[a - 2] | data[a - 1] << 8 if a >= 2 else 0
        after = data[b] | data[b + 1] << 8 if b + 1 < len(data) else 0
        yield codes, clean_unit(before), clean_unit(after)


UTF8_WIDE = re.compile(rb"[\xe0-\xef][\x80-\xbf]{2}|[\xf0-\xf4][\x80-\xbf]{3}")
UTF8_BACK = re.compile(rb"[\x20-\x7e\x80-\xf4]*$")


def runs_utf8(data):
    # Characters of three or four bytes are rare in binaries: each run is
    # found from one of them, by going back over the bytes a run can hold.
    end = 0
    for hit in UTF8_WIDE.finditer(data):
        if hit.start() < end:
            continue
        back = UTF8_BACK.search(data, max(end, hit.start() - 256), hit.start())
        a = back.start() if back else hit.start()
        while a < hit.start():
            m = UTF8_RUN.match(data, a)
            if m and m.end() > hit.start():
                break
            a = m.end() if m and m.end() > a else a + 1
        m = UTF8_RUN.match(data, a)
        if not m or m.end() <= hit.start():
            continue
        a, end = m.start(), m.end()
        yield ([ord(c) for c in m.group().decode("utf-8", "replace")],
               a == 0 or clean(data[a - 1]), end >= len(data) or clean(data[end]))


def runs_utf16be(data):
    for m in UTF16BE_RUN.finditer(data):
        raw = m.group()
        if len(raw) < 4 or not any(raw[k] for k in range(0, len(raw), 2)):
            continue
        codes = [raw[k] << 8 | raw[k + 1] for k in range(0, len(raw), 2)]
        a, b = m.start(), m.end()
        before = data[a - 2] << 8 | data[a - 1] if a >= 2 else 0
        after = data[b] << 8 | data[b + 1] if b + 1 < len(data) else 0
        yield codes, clean_unit(before), clean_unit(after)


FORMS = [("ShiftJis", runs_sjis), ("Utf16Le", runs_utf16), ("Utf8", runs_utf8)]
# UTF-16BE text is judged with UTF-16LE's pair scores (UTF-16 text reads
# alike in both orders), but machine code read big-endian makes other kana
# and kanji: its code-like characters are counted of their own.  Kanji
# that text seldom or never uses keep their band there (tables read as
# text make them, which their band weighs more).
CODE_LIKE_ONLY = [("Utf16Be", runs_utf16be)]
COUNTED = FORMS + CODE_LIKE_ONLY


# ---- counting ---------------------------------------------------------------------

class Counts:
    def __init__(self):
        self.pair = [[0] * (K + 2) for _ in range(K + 2)]

    def add(self, classes, clean_start, clean_end):
        prev = START_CLEAN if clean_start else START_DIRTY
        for c in classes:
            self.pair[prev][c] += 1
            prev = c
        self.pair[prev][END_CLEAN if clean_end else END_DIRTY] += 1


def log_ratios(text, code, text_clean_start, text_clean_end):
    """ln P(next | class) in text minus the same in code, for every pair,
    with add-one smoothing towards each side's own frequencies of the next
    class.  Text counts hold clean starts and ends only: the share of dirty
    ones that real files give text is taken as `1 - text_clean_*`."""
    import math
    def conditional(counts):
        totals = [sum(row) for row in counts]
        column = [sum(counts[r][c] for r in range(K + 2)) + 1 for c in range(K + 2)]
        all_ = sum(column)
        return [[(counts[r][c] + 2.0 * column[c] / all_) / (totals[r] + 2.0) for c in range(K + 2)]
                for r in range(K + 2)]
    t = [row[:] for row in text.pair]
    # A text starting dirty (after binary data) begins as one starting clean.
    t[START_DIRTY] = t[START_CLEAN][:]
    for r in range(K + 2):
        t[r][END_DIRTY] = t[r][END_CLEAN]
    pt, pc = conditional(t), conditional(code.pair)
    share = {START_CLEAN: text_clean_start, START_DIRTY: 1 - text_clean_start}
    end_share = {END_CLEAN: text_clean_end, END_DIRTY: 1 - text_clean_end}
    # Pairs of ASCII characters, and an edge beside one, score nothing: the
    # judge weighs the Japanese characters and their neighbours, and ASCII
    # text has rules of its own.
    ascii_ = set(range(len(ASCII_CLASSES)))
    out = []
    for r in range(K + 2):
        row = []
        for c in range(K + 2):
            if (r in ascii_ or r >= K) and (c in ascii_ or c >= K):
                row.append(0.0)
                continue
            p = pt[r][c]
            if c >= K:
                p *= end_share[c] * 2  # the two ends shared the counts of one
            if r >= K:
                p *= share[r]
            code_p = pc[r][c]
            if r >= K:
                total_starts = sum(code.pair[START_CLEAN]) + sum(code.pair[START_DIRTY]) + 2
                code_p *= (sum(code.pair[r]) + 1) / total_starts
            row.append(math.log(p) - math.log(code_p))
        out.append(row)
    return out


def main():
    out = sys.argv[1]
    text_pieces = pieces(0)
    if len(text_pieces) < 1000:
        sys.exit("make-japanese-model: too few Japanese messages in %s (%d); the Debian "
                 "packages that scripts/deps.sh installs bring them" % (CATALOGUES, len(text_pieces)))
    # Kanji bands and common hiragana by how often the text uses them.
    kanji, hira = {}, {}
    for p in text_pieces:
        for ch in p:
            u = ord(ch)
            if 0x4E00 <= u <= 0x9FFF or u == 0x3005 or 0xF900 <= u <= 0xFAFF:
                kanji[u] = kanji.get(u, 0) + 1
            elif 0x3041 <= u <= 0x309F:
                hira[u] = hira.get(u, 0) + 1
    ranked = sorted(kanji, key=lambda u: (-kanji[u], u))
    band = {}
    start = 0
    for k, size in enumerate(KANJI_BANDS):
        for u in ranked[start:start + size]:
            band[u] = C["kanji%d" % (k + 1)]
        start += size
    for u in ranked[start:]:
        band[u] = C["kanji4"]
    common = set(sorted(hira, key=lambda u: (-hira[u], u))[:COMMON_HIRAGANA])
    table = class_table(band, common)


    runs_of = {name: [] for name, _ in COUNTED}
    for kind, globs in BINARIES:
        budget = BUDGET
        taken = {name: 0 for name, _ in COUNTED}
        for path in binaries(globs, 0):
            if budget <= 0:
                break
            data = read_binary(path)
            if not data:
                continue
            data = data[:budget]
            budget -= len(data)
            for name, runs in COUNTED:
                if name != "Utf8" and taken[name] >= ROWS_PER_KIND:
                    continue
                for chars, a, b in runs(data):
                    if not any(FIRST_JAPANESE <= (table[u] if u < 0x10000 else C["other"]) <= LAST_JAPANESE
                               for u in chars):
                        continue
                    runs_of[name].append((chars, a, b))
                    taken[name] += 1
                    if name != "Utf8" and taken[name] >= ROWS_PER_KIND:
                        break
    rows = {name: len(runs_of[name]) for name, _ in COUNTED}
    for name, _ in COUNTED:
        if rows[name] < 50:
            sys.exit("make-japanese-model: too little machine code read as %s (%d rows); "
                     "the mingw-w64 and Wine packages of scripts/deps.sh bring it" % (name, rows[name]))

    text_seen, text_total = {}, 0
    for p in text_pieces:
        for ch in p:
            text_seen[ord(ch)] = text_seen.get(ord(ch), 0) + 1
            text_total += 1
    code_like = {}
    codes = {name: Counts() for name, _ in FORMS}
    for name, _ in COUNTED:
        seen, total = {}, 0
        for chars, _, _ in runs_of[name]:
            for u in chars:
                seen[u] = seen.get(u, 0) + 1
                total += 1
        code_like[name] = set(
            u for u, n in seen.items()
            if u < 0x10000 and FIRST_JAPANESE <= table[u] < C["codelike"] and n >= CODE_LIKE_SEEN and
            n / total > CODE_LIKE * (text_seen.get(u, 0) + 0.5) / text_total)
        if name not in codes:
            continue
        for chars, a, b in runs_of[name]:
            codes[name].add([C["codelike"] if u in code_like[name] else
                             table[u] if u < 0x10000 else C["other"] for u in chars], a, b)

    # Fixed point: 1/16 of a natural-log unit, clamped to what 16 bits hold.
    scale = 16
    lines = ["// Generated by scripts/make-japanese-model.py from %d messages of the"
             % len(text_pieces),
             "// tuning half of the Japanese message catalogues and machine code read as",
             "// text (%s rows); do not edit." % ", ".join("%s %d" % (n, rows[n]) for n, _ in COUNTED),
             '#include "japanese/model.h"', "", "namespace lex {", "namespace japanese {", "",
             "static_assert(kCharClasses == %d && kHiraganaCommon == %d && kCodeLike == %d &&"
             % (K, FIRST_JAPANESE, LAST_JAPANESE),
             "              kSymbol == %d && kForms == %d, \"the classes of make-japanese-model.py\");"
             % (C["symbol"], len(FORMS)), ""]
    # Two-level class table of the BMP: blocks of 256 code points, each
    # distinct block stored once.
    blocks, index = [], []
    seen = {}
    for hi in range(256):
        block = tuple(table[hi << 8:(hi + 1) << 8])
        if block not in seen:
            seen[block] = len(blocks)
            blocks.append(block)
        index.append(seen[block])
    lines.append("const uint8_t kClassBlockOf[256] = {")
    for k in range(0, 256, 16):
        lines.append("    " + ", ".join("%d" % v for v in index[k:k + 16]) + ",")
    lines.append("};")
    lines.append("const uint8_t kClassBlocks[][256] = {")
    for block in blocks:
        lines.append("    {")
        for k in range(0, 256, 32):
            lines.append("        " + ", ".join("%d" % v for v in block[k:k + 32]) + ",")
        lines.append("    },")
    lines.append("};")
    lines.append("")
    lines.append("const uint32_t kCodeLikeBits[kForms][65536 / 32] = {")
    for name, _ in FORMS:
        words = [0] * 2048
        for u in code_like[name]:
            words[u >> 5] |= 1 << (u & 31)
        lines.append("    {   // %s: %d characters" % (name, len(code_like[name])))
        for k in range(0, 2048, 8):
            lines.append("        " + ", ".join("0x%08Xu" % w for w in words[k:k + 8]) + ",")
        lines.append("    },")
    lines.append("};")
    for name, _ in CODE_LIKE_ONLY:
        code_like[name] = set(u for u in code_like[name] if table[u] not in (C["kanji4"], C["kanji5"]))
        words = [0] * 2048
        for u in code_like[name]:
            words[u >> 5] |= 1 << (u & 31)
        lines.append("const uint32_t kCodeLikeBits%s[65536 / 32] = {  // %d characters"
                     % (name, len(code_like[name])))
        for k in range(0, 2048, 8):
            lines.append("    " + ", ".join("0x%08Xu" % w for w in words[k:k + 8]) + ",")
        lines.append("};")
    lines.append("")
    # A row with one Japanese character alone: how much likelier in text
    # (between clean edges or not, the ratio comes out the same).
    import math
    def share_one(rows_):
        one = sum(1 for r in rows_ if sum(1 for c in r if FIRST_JAPANESE <= c <= LAST_JAPANESE) == 1)
        return (one + 1.0) / (len(rows_) + 2.0)
    text_one = share_one([[table[ord(ch)] for ch in p] for p in text_pieces])
    lines.append("const int16_t kOneJapaneseScore[kForms] = {")
    for name, _ in FORMS:
        code_one = share_one([[C["codelike"] if u in code_like[name] else
                               table[u] if u < 0x10000 else C["other"] for u in chars]
                              for chars, _, _ in runs_of[name]])
        lines.append("    %d,  // %s" % (int(round(math.log(text_one / code_one) * scale)), name))
    lines.append("};")
    lines.append("")
    lines.append("const int16_t kPairScore[kForms][kRowClasses][kRowClasses] = {")
    for name, _ in FORMS:
        text = Counts()
        for p in text_pieces:
            text.add([C["codelike"] if ord(ch) in code_like[name] else table[ord(ch)] for ch in p], True, True)
        ratio = log_ratios(text, codes[name], 0.9, 0.97)
        lines.append("    {   // %s" % name)
        for r in range(K + 2):
            vals = [max(-32000, min(32000, int(round(v * scale)))) for v in ratio[r]]
            lines.append("        {" + ", ".join("%d" % v for v in vals) + "},")
        lines.append("    },")
    lines.append("};")
    lines += ["", "} // namespace japanese", "} // namespace lex", ""]
    tmp = out + ".tmp"
    with open(tmp, "w") as f:
        f.write("\n".join(lines))
    os.replace(tmp, out)


if __name__ == "__main__":
    main()
