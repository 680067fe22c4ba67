#!/usr/bin/env python3
"""The measuring half of scripts/japanese-quality.sh: builds the corpus of
Japanese programs from the machine's message catalogues, runs front ends on
it and counts.

  japanese-quality.py WORK build
  japanese-quality.py WORK measure LABEL LEXPROBE [--filter]
  japanese-quality.py WORK rows HALF sjis|utf16 LEXPROBE [OPTION...]

`build` writes the programs into WORK/corpus and their messages into
WORK/manifest.json.  `measure` prints one block of figures for LEXPROBE;
with --filter it runs the Shift-JIS scans with the noise filter off and on.
`rows` prints, for tuning, the messages of one half (0 tuning, 1 report)
that are not listed whole and every row with Japanese text.
"""
import concurrent.futures, hashlib, importlib.util, json, os, random, re, struct, subprocess, sys

CATALOGUES = "/usr/share/locale/ja/LC_MESSAGES"
MIN_LENGTH = 5        # the front end's default minimum length
RECURRENCE = 4        # and repetition limit
CC32 = "i686-w64-mingw32-gcc"
RC32 = "i686-w64-mingw32-windres"


# ---- the message catalogues --------------------------------------------

# The catalogues' reading and their split into halves have one home, the
# script that counts the Japanese-text judge's tables from the tuning half.
_spec = importlib.util.spec_from_file_location(
    "make_japanese_model", os.path.join(os.path.dirname(os.path.abspath(__file__)), "make-japanese-model.py"))
_model = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(_model)
read_mo, japanese_char, stem = _model.read_mo, _model.japanese_char, _model.stem
half = _model.catalogue_half


def catalogues():
    """(name, half, messages) of every catalogue with Japanese messages that
    code page 932 holds, each set of messages once."""
    seen, result = set(), []
    for name in sorted(os.listdir(CATALOGUES)):
        if not name.endswith(".mo"):
            continue
        messages = []
        for text in read_mo(os.path.join(CATALOGUES, name)):
            for form in text.split("\0"):
                if not any(japanese_char(c) for c in form):
                    continue
                try:
                    form.encode("cp932")
                except UnicodeEncodeError:
                    continue
                messages.append(form)
        key = hashlib.md5("\0".join(sorted(set(messages))).encode()).hexdigest()
        if len(messages) < 5 or key in seen:
            continue
        seen.add(key)
        result.append((name[:-3], half(name), sorted(set(messages))))
    return result


def segments(message):
    """The pieces of a message between control characters: a row never
    holds a control character."""
    return [s for s in re.split(r"[\x00-\x1f\x7f]+", message) if s]


# ---- the programs ---------------------------------------------------------

def c_literal(text):
    out = ['"']
    for c in text:
        if c in '\\"':
            out.append("\\" + c)
        elif ord(c) < 0x20 or ord(c) == 0x7F:
            out.append("\\%03o" % ord(c))
        elif c == "?":
            out.append("\\?")  # no trigraphs
        else:
            out.append(c)
    out.append('"')
    return "".join(out)


def rc_literal(text):
    out = ['"']
    for c in text:
        if c == '"':
            out.append('""')
        elif c == "\\":
            out.append("\\\\")
        elif c == "\n":
            out.append("\\n")
        elif c == "\t":
            out.append("\\t")
        elif ord(c) < 0x20 or ord(c) == 0x7F:
            out.append("\\%03o" % ord(c))
        else:
            out.append(c)
    out.append('"')
    return "".join(out)


C_HEAD = r"""
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

struct ctx {
    FILE *out;
    const char *name;
    int count, flags, errors, level, state;
    unsigned hash;
    size_t used;
    void (*log)(struct ctx *, int, const char *);
    char buf[512];
    unsigned char data[256];
    struct item { int kind, size; const char *label; } items[16];
};
typedef int (*step_fn)(struct ctx *, int);
"""


def c_program(name, messages, rng):
    """C source whose code uses every message as a string literal, in the
    ways programs do: tables, switches, formatted output, error paths,
    loops over records, a state machine, callbacks."""
    lines = [C_HEAD]
    functions = []
    i = 0
    n = 0
    while i < len(messages):
        group = messages[i:i + rng.randint(2, 10)]
        i += len(group)
        fn = "%s_%d" % (re.sub(r"\W", "_", name), n)
        n += 1
        functions.append(fn)
        shape = rng.randrange(8)
        lits = [c_literal(m) for m in group]
        k1, k2, k3 = rng.randint(2, 97), rng.randint(1, 15), rng.randint(3, 4000)
        if shape == 0:
            lines.append("static const char *const t_%s[] = {\n    %s\n};" % (fn, ",\n    ".join(lits)))
            lines.append("int %s(struct ctx *c, int code) {\n"
                         "    if ((unsigned)code >= %d) { c->errors++; return -1; }\n"
                         "    c->used += strlen(t_%s[code]);\n"
                         "    fputs(t_%s[code], c->out);\n"
                         "    return (int)(c->used & 0x%x);\n}" % (fn, len(group), fn, fn, rng.choice((0x7fff, 0xff, 0xffff))))
        elif shape == 1:
            cases = "\n".join("    case %d: return %s;" % (k * k2 + k1, l) for k, l in enumerate(lits))
            lines.append("static const char *s_%s(int code) {\n  switch (code) {\n%s\n"
                         "    default: return 0;\n  }\n}" % (fn, cases))
            lines.append("int %s(struct ctx *c, int code) {\n"
                         "    const char *m = s_%s(code * %d + %d);\n"
                         "    size_t n;\n"
                         "    if (!m) return 0;\n"
                         "    n = strlen(m);\n"
                         "    if (n >= sizeof c->buf) n = sizeof c->buf - 1;\n"
                         "    memcpy(c->buf, m, n);\n    c->buf[n] = 0;\n"
                         "    fprintf(c->out, \"%%s: %%s\\n\", c->name, c->buf);\n"
                         "    return c->count++;\n}" % (fn, fn, k2, k1))
        elif shape == 2:
            body = []
            for k, l in enumerate(lits):
                body.append("    if (c->flags & 0x%x) {\n"
                            "        fprintf(stderr, %s, c->name, c->count, c->level);\n"
                            "        c->errors += %d;\n"
                            "        if (c->errors > %d) return -%d;\n    }" % (1 << ((k + k2) % 24), l, k + 1, rng.randint(2, 50), k + 1))
            lines.append("int %s(struct ctx *c, int code) {\n"
                         "    c->flags ^= code * %d;\n%s\n"
                         "    return c->errors;\n}" % (fn, k3, "\n".join(body)))
        elif shape == 3:
            body = []
            for k, l in enumerate(lits):
                body.append("    case %d:\n"
                            "        n = snprintf(c->buf, sizeof c->buf, %s, c->name, code, c->level);\n"
                            "        break;" % (k, l))
            lines.append("int %s(struct ctx *c, int code) {\n"
                         "    int n = 0, k;\n    unsigned h = %du;\n"
                         "    switch (code %% %d) {\n%s\n    }\n"
                         "    for (k = 0; k < n && k < (int)sizeof c->buf; ++k)\n"
                         "        h = h * %d + (unsigned char)c->buf[k];\n"
                         "    c->hash ^= h;\n"
                         "    return n;\n}" % (fn, k3, len(group), "\n".join(body), rng.choice((31, 33, 131, 16777619))))
        elif shape == 4:
            entries = ",\n    ".join("{ %d, %d, %s }" % (k * k2 + k1, rng.randint(0, 3), l) for k, l in enumerate(lits))
            lines.append("static const struct { int code, severity; const char *text; } e_%s[] = {\n    %s\n};" % (fn, entries))
            lines.append("int %s(struct ctx *c, int code) {\n"
                         "    int lo = 0, hi = %d;\n"
                         "    while (lo < hi) {\n"
                         "        int mid = (lo + hi) / 2;\n"
                         "        if (e_%s[mid].code < code) lo = mid + 1; else hi = mid;\n"
                         "    }\n"
                         "    if (lo == %d || e_%s[lo].code != code) return -1;\n"
                         "    if (e_%s[lo].severity > c->level) c->log(c, e_%s[lo].severity, e_%s[lo].text);\n"
                         "    return e_%s[lo].severity;\n}" % (fn, len(group), fn, len(group), fn, fn, fn, fn, fn))
        elif shape == 5:
            body = []
            for k, l in enumerate(lits):
                body.append("        %sif (it->kind == %d && it->size > %d) {\n"
                            "            puts(%s);\n            bad += it->size - %d;\n        }"
                            % ("else " if k else "", k, k3 % 500, l, k3 % 500))
            lines.append("int %s(struct ctx *c, int code) {\n"
                         "    int bad = 0, k;\n"
                         "    for (k = 0; k < 16; ++k) {\n"
                         "        struct item *it = &c->items[(k + code) & 15];\n"
                         "        if (!it->label) continue;\n%s\n"
                         "    }\n"
                         "    c->used += bad;\n    return bad;\n}" % (fn, "\n".join(body)))
        elif shape == 6:
            body = []
            for k, l in enumerate(lits):
                body.append("    if (code == %d || (c->state & %d) == %d) c->log(c, %d, %s);" % (k1 + k, k2, k % (k2 + 1), k % 4, l))
            lines.append("int %s(struct ctx *c, int code) {\n"
                         "    if (!c->log) return 0;\n%s\n"
                         "    c->state = (c->state * %d + code) %% %d;\n"
                         "    return c->state;\n}" % (fn, "\n".join(body), k1, k3))
        else:
            cases = []
            for k, l in enumerate(lits):
                cases.append("        case %d:\n"
                             "            if (ch == '%s') st = %d;\n"
                             "            else if (ch < %d) { fprintf(c->out, %s, k, ch); return -%d; }\n"
                             "            break;" % (k, rng.choice("abcdefgxyz0123"), (k + 1) % len(lits), 32 + k, l, k + 1))
            lines.append("int %s(struct ctx *c, int code) {\n"
                         "    int st = code %% %d, k;\n"
                         "    for (k = 0; c->buf[k]; ++k) {\n"
                         "        int ch = (unsigned char)c->buf[k];\n"
                         "        switch (st) {\n%s\n        }\n"
                         "    }\n"
                         "    return st;\n}" % (fn, len(lits), "\n".join(cases)))
    lines.append("static const step_fn steps[] = {\n    %s\n};" % ",\n    ".join(functions))
    lines.append(r"""
static void log_line(struct ctx *c, int level, const char *text) {
    if (level >= c->level) fprintf(c->out, "[%d] %s\n", level, text);
}

int run_steps(int argc, char **argv) {
    struct ctx c;
    memset(&c, 0, sizeof c);
    c.out = stdout;
    c.name = argv[0];
    c.level = argc % 10;
    c.log = log_line;
    for (size_t k = 0; k < sizeof steps / sizeof steps[0]; ++k) {
        int r = steps[k](&c, argc + (int)k);
        if (r < 0 && c.errors > 100)
            return 1;
    }
    return c.errors > 0;
}
""")
    return "\n".join(lines)


def rc_resources(messages, rng):
    """A resource script holding the messages as Windows programs do: the
    long ones and those with line breaks in string tables, short ones also
    as dialog and menu texts."""
    out = ["#pragma code_page(65001)", "LANGUAGE 0x11, 0x01", ""]
    table, dialog, menu = [], [], []
    for m in messages:
        single = not re.search(r"[\x00-\x1f]", m)
        r = rng.random()
        if single and len(m) <= 40 and r < 0.25:
            dialog.append(m)
        elif single and len(m) <= 30 and r < 0.4:
            menu.append(m)
        else:
            table.append(m)
    # String tables: blocks of 16 with some ids left empty, as programs
    # number their strings.
    out.append("STRINGTABLE\nBEGIN")
    ident = 1
    for m in table:
        out.append("  %d %s" % (ident, rc_literal(m)))
        ident += 1 if rng.random() < 0.8 else rng.randint(2, 20)
    out.append("END\n")
    for d in range(0, len(dialog), 12):
        group = dialog[d:d + 12]
        out.append("%d DIALOGEX 0, 0, 300, %d" % (100 + d, 20 + 14 * len(group)))
        out.append("STYLE 0x80C80000\nCAPTION %s" % rc_literal(group[0]))
        out.append('FONT 9, "MS UI Gothic"\nBEGIN')
        for k, m in enumerate(group[1:]):
            kind = ("LTEXT", "PUSHBUTTON", "AUTOCHECKBOX", "GROUPBOX")[rng.randrange(4)]
            if kind == "AUTOCHECKBOX":
                out.append('  CONTROL %s, %d, "Button", 3, 7, %d, 280, 12' % (rc_literal(m), 1000 + k, 7 + 14 * k))
            else:
                out.append("  %s %s, %d, 7, %d, 280, 12" % (kind, rc_literal(m), 1000 + k, 7 + 14 * k))
        out.append("END\n")
    for d in range(0, len(menu), 10):
        group = menu[d:d + 10]
        out.append("%d MENUEX\nBEGIN" % (200 + d))
        out.append("  POPUP %s\n  BEGIN" % rc_literal(group[0]))
        for k, m in enumerate(group[1:]):
            out.append("    MENUITEM %s, %d" % (rc_literal(m), 2000 + k))
        out.append("  END\nEND\n")
    return "\n".join(out) + "\n"


def text_size(path):
    """Size of a PE file's code section."""
    return sum(size for name, _, size in sections(path) if name == ".text")


def library_pool(work):
    """The members of the toolchain's static C libraries (real compiled
    code: mingw-w64's runtime extras, quad-precision maths, zlib) as
    (archive, code bytes, half, symbol): each member named by one of its
    global functions, with the code that linking it brings (the member and
    what it needs), measured once by linking it alone."""
    cache = os.path.join(work, "pool.json")
    if os.path.exists(cache):
        return [tuple(m) for m in json.load(open(cache))]
    archives = [subprocess.run([CC32, "-print-file-name=" + a], check=True, text=True,
                               stdout=subprocess.PIPE).stdout.strip()
                for a in ("libmingwex.a", "libquadmath.a", "libz.a")]
    members = []
    for archive in archives:
        out = subprocess.run(["i686-w64-mingw32-nm", "-g", "--defined-only", archive], check=True,
                             text=True, stdout=subprocess.PIPE).stdout
        member = None
        for line in out.splitlines():
            if line.endswith(".o:"):
                member, named = line[:-1], False
            elif member and not named and re.match(r"^[0-9a-f]+ T _[A-Za-z_]\w*$", line):
                named = True
                part = hashlib.md5(member.encode()).digest()[-1] & 1
                members.append((archive, part, line.split()[2][1:]))
    folder = os.path.join(work, "pool")
    os.makedirs(folder, exist_ok=True)
    def link(k, refs, libs):
        with open(os.path.join(folder, "r%d.c" % k), "w") as f:
            f.write("".join("extern char %s[];\n" % r for r in refs))
            f.write("void *const refs[] = { %s0 };\nint main(void) { return refs[0] != 0; }\n"
                    % "".join(r + ", " for r in refs))
        exe = os.path.join(folder, "r%d.exe" % k)
        r = subprocess.run([CC32, "-w", "-s", "-o", exe, os.path.join(folder, "r%d.c" % k)] + libs,
                           stderr=subprocess.DEVNULL)
        return text_size(exe) if r.returncode == 0 else None
    base = link(-1, [], [])
    sizes = list(concurrent.futures.ThreadPoolExecutor(2).map(
        lambda km: link(km[0], [km[1][2]], [km[1][0]]), enumerate(members)))
    pool = [(a, s - base, p, sym) for (a, p, sym), s in zip(members, sizes) if s]
    json.dump(pool, open(cache, "w"))
    return pool


# Library code linked into each program, per message: with the program's
# own code, about what a program holds around its messages.
LIBRARY_BYTES_PER_MESSAGE = 40

# Compiler options a program is built with, one chosen per program.
TUNINGS = ["", "-march=pentium4", "-march=core2", "-fno-omit-frame-pointer",
           "-march=i686 -mtune=generic", "-Os"]


def build_one(args):
    work, name, part, messages, pool = args
    folder = os.path.join(work, "corpus")
    base = os.path.join(folder, name)
    rng = random.Random(name)
    with open(base + ".c", "w", encoding="utf-8") as f:
        f.write(c_program(name, messages, rng))
    with open(base + ".rc", "w", encoding="utf-8") as f:
        f.write(rc_resources(messages, rng))
    # Library members of this program's half only, so that the report half
    # holds library code that the tuning half does not.
    mine = [m for m in pool if m[2] == part and m[1] <= 16384]
    rng.shuffle(mine)
    budget, refs, archives = LIBRARY_BYTES_PER_MESSAGE * len(messages), [], set()
    for archive, size, _, symbol in mine:
        if budget <= 0:
            break
        refs.append(symbol)
        archives.add(archive)
        budget -= size
    with open(base + "_refs.c", "w") as f:
        f.write("".join("extern char %s[];\n" % r for r in refs))
        f.write("void *const library_refs[] = {\n%s\n    0\n};\n" % "".join("    %s,\n" % r for r in refs))
    run = lambda *cmd: subprocess.run([c for c in cmd if c], check=True, cwd=folder)
    tuning = rng.choice(TUNINGS).split()
    run(CC32, "-O2", *tuning, "-w", "-std=gnu11", "-finput-charset=UTF-8", "-fexec-charset=CP932",
        "-c", name + ".c", "-o", name + ".o")
    run(CC32, "-c", name + "_refs.c", "-o", name + "_refs.o")
    run(RC32, name + ".rc", "-O", "coff", "-o", name + "_res.o")
    main = os.path.join(work, "main.o")
    libs = sorted(archives)
    run(CC32, "-O2", "-s", "-o", name + ".exe", main, name + ".o", name + "_refs.o", *libs, *libs)
    run(CC32, "-O2", "-s", "-shared", "-o", name + ".dll", name + ".o", name + "_refs.o",
        name + "_res.o", *libs, *libs)
    for suffix in (".o", "_res.o", "_refs.o"):
        os.remove(base + suffix)
    return name, part, messages


def build(work):
    folder = os.path.join(work, "corpus")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(work, "main.c"), "w") as f:
        f.write("int run_steps(int, char **);\nint main(int argc, char **argv) { return run_steps(argc, argv); }\n")
    subprocess.run([CC32, "-O2", "-c", "main.c", "-o", "main.o"], check=True, cwd=work)
    pool = library_pool(work)
    todo = [(work, name, part, messages, pool) for name, part, messages in catalogues()]
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        built = list(pool.map(build_one, todo))
    manifest = [{"name": n, "half": p, "messages": m} for n, p, m in built]
    with open(os.path.join(work, "manifest.json.tmp"), "w", encoding="utf-8") as f:
        json.dump(manifest, f, ensure_ascii=False)
    os.replace(os.path.join(work, "manifest.json.tmp"), os.path.join(work, "manifest.json"))


# ---- measuring ------------------------------------------------------------

def sections(path):
    """(name, file offset, size) of a PE file's sections."""
    data = open(path, "rb").read(4096)
    pe = struct.unpack("<I", data[0x3C:0x40])[0]
    count = struct.unpack("<H", data[pe + 6:pe + 8])[0]
    optional = struct.unpack("<H", data[pe + 20:pe + 22])[0]
    table = pe + 24 + optional
    result = []
    for k in range(count):
        s = data[table + 40 * k:table + 40 * k + 40]
        name = s[:8].rstrip(b"\0").decode("latin-1")
        size, offset = struct.unpack("<II", s[16:24])
        result.append((name, offset, size))
    return result


def kind_rows(lexprobe, options, path):
    """(offset, kind, text bytes) of every row the front end lists."""
    return parse_rows(subprocess.run([lexprobe, "-R", "--no-check-english"] + options + [path], check=True,
                                     stdout=subprocess.PIPE).stdout)


def parse_rows(out):
    """(offset, kind, text bytes) of the lines of a front end's output in
    the results file's layout (-R)."""
    result = []
    for line in out.split(b"\r\n"):
        if line:
            offset, kind, text = line.split(b"\t", 2)
            result.append((int(offset, 16), kind.decode(), text))
    return result


def rows(lexprobe, options, path):
    """(offset, wide, text bytes) of every row the front end lists."""
    return [(o, kind == "Unicode", t) for o, kind, t in kind_rows(lexprobe, options, path)]


def double_byte(text):
    """Whether a row's text holds a Shift-JIS double-byte character (a lead
    byte: half-width katakana are left out of rows by default)."""
    return any(0x81 <= b <= 0x9F or 0xE0 <= b <= 0xFC for b in text)


def repetitive(text):
    run, prev = 0, None
    for b in text:
        run = run + 1 if b == prev else 1
        prev = b
        if run >= RECURRENCE and b not in b" _0123456789":
            return True
    return False


def listable(seg, wide):
    """The pieces the front end can list whole with its defaults: long
    enough (bytes; characters for Japanese UTF-16 text), no half-width
    katakana (left out by default), not dropped by the repetition filter."""
    data = seg.encode("cp932")
    if (len(seg) if wide else len(data)) < MIN_LENGTH:
        return False
    if any(0xFF61 <= ord(c) <= 0xFF9F for c in seg):
        return False
    return not repetitive(data)


class Program:
    def __init__(self, work, entry):
        self.name = entry["name"]
        self.half = entry["half"]
        base = os.path.join(work, "corpus", self.name)
        self.exe, self.dll = base + ".exe", base + ".dll"
        exe = open(self.exe, "rb").read()
        dll = open(self.dll, "rb").read()
        rsrc = [(o, s) for n, o, s in sections(self.dll) if n == ".rsrc"]
        self.rsrc = rsrc[0] if rsrc else (0, 0)
        resource = dll[self.rsrc[0]:self.rsrc[0] + self.rsrc[1]]
        pieces = set()
        for m in entry["messages"]:
            pieces.update(segments(m))
        # The pieces each file really holds (in code page 932, in UTF-16).
        self.sjis = sorted(p for p in pieces if listable(p, False) and p.encode("cp932") in exe)
        self.utf16 = sorted(p for p in pieces if listable(p, True) and p.encode("utf-16-le") in resource)
        self.all = b"\0".join(p.encode("cp932") for p in pieces)
        self.code = [(o, s) for n, o, s in sections(self.exe) if n == ".text"]


def sjis_rows(prog, found):
    """The Shift-JIS rows of one program: the messages listed whole, the
    rows with double-byte text, those that are none of the messages (nor a
    piece of one), and those that lie in the code section."""
    texts = set(t for _, wide, t in found if not wide)
    whole = set(p for p in prog.sjis if p.encode("cp932") in texts)
    dbcs = [(o, t) for o, wide, t in found if not wide and double_byte(t)]
    none = [(o, t) for o, t in dbcs if t not in prog.all]
    code = [(o, t) for o, t in dbcs if any(s <= o < s + n for s, n in prog.code)]
    return whole, dbcs, none, code


def utf16_rows(prog, found):
    """The UTF-16 rows of one program: the messages listed whole, the rows
    with Japanese text, those outside the resource section and those that
    are none of the messages (nor a piece of one)."""
    texts = set(t for _, wide, t in found if wide)
    whole = set(p for p in prog.utf16 if p.encode("cp932") in texts)
    jp = [(o, t) for o, wide, t in found if wide and any(b >= 0x80 for b in t)]
    start, size = prog.rsrc
    outside = [(o, t) for o, t in jp if not start <= o < start + size]
    none = [(o, t) for o, t in jp if t not in prog.all]
    return whole, jp, outside, none


def programs(work):
    manifest = json.load(open(os.path.join(work, "manifest.json"), encoding="utf-8"))
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        return list(pool.map(lambda e: Program(work, e), manifest))


def run_all(progs, job):
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        return list(pool.map(job, progs))


def measure(work, label, lexprobe, with_filter):
    progs = programs(work)
    table = []

    def line(caption, values=None):
        table.append((caption, values))

    def sjis(p, options):
        return sjis_rows(p, rows(lexprobe, ["--search-kanji"] + options, p.exe))

    off = run_all(progs, lambda p: sjis(p, ["--no-check-kanji-noise"] if with_filter else []))
    line("Shift-JIS (--search-kanji): string literals of the programs")
    line("  messages listed whole" + (", filter off" if with_filter else ""),
         [(len(r[0]), len(p.sjis)) for p, r in zip(progs, off)])
    if with_filter:
        on = run_all(progs, lambda p: sjis(p, ["--check-kanji-noise"]))
        line("  messages listed whole, filter on", [(len(r[0]), len(p.sjis)) for p, r in zip(progs, on)])
        line("    of those listed whole with the filter off",
             [(len(a[0] & b[0]), len(a[0])) for a, b in zip(off, on)])
    for name, result in (("filter off", off), ("filter on", on)) if with_filter else (("", off),):
        tag = ", " + name if name else ""
        line("  rows with double-byte text that are none of the messages" + tag,
             [(len(r[2]), len(r[1])) for r in result])
        line("    in the code section (machine code)" + tag, [(len(r[3]), len(r[1])) for r in result])
    wide = run_all(progs, lambda p: utf16_rows(p, rows(lexprobe, ["--search-wide-japanese"], p.dll)))
    line("UTF-16 (--search-wide-japanese): resources of the libraries")
    line("  messages listed whole", [(len(r[0]), len(p.utf16)) for p, r in zip(progs, wide)])
    line("  Japanese rows outside any resource", [(len(r[2]), len(r[1])) for r in wide])
    line("  Japanese rows that are none of the messages", [(len(r[3]), len(r[1])) for r in wide])

    print("%s: %s" % (label, lexprobe))
    print("%-62s %-30s %s" % ("", "tuning half", "report half"))
    for caption, values in table:
        if values is None:
            print(caption)
            continue
        cells = []
        for part in (0, 1):
            a = sum(v[0] for p, v in zip(progs, values) if p.half == part)
            b = sum(v[1] for p, v in zip(progs, values) if p.half == part)
            cells.append("%7d of %7d %7.2f %%" % (a, b, 100.0 * a / b if b else 0.0))
        print("%-62s %-30s %s" % (caption, cells[0], cells[1]))


def show_rows(work, part, kind, lexprobe, options):
    """For tuning: the messages of one half that are not listed whole, and
    every row with Japanese text, marked as a whole message, a piece of one
    or none, with its bytes in hexadecimal."""
    for p in (p for p in programs(work) if p.half == int(part)):
        found = rows(lexprobe, options, p.exe if kind == "sjis" else p.dll)
        if kind == "sjis":
            whole, listed = sjis_rows(p, found)[0], p.sjis
        else:
            whole, listed = utf16_rows(p, found)[0], p.utf16
        for m in listed:
            if m not in whole:
                print("MISSING\t%s\t%s" % (p.name, m))
        messages = set(m.encode("cp932") for m in listed)
        for o, wide, t in found:
            japanese = double_byte(t) if kind == "sjis" else any(b >= 0x80 for b in t)
            if wide == (kind == "utf16") and japanese:
                label = "whole" if t in messages else "part" if t in p.all else "none"
                print("ROW\t%s\t%08X\t%s\t%s\t%s" % (p.name, o, label, t.decode("cp932", "replace"), t.hex()))


if __name__ == "__main__":
    work, mode = os.path.abspath(sys.argv[1]), sys.argv[2]
    if mode == "build":
        build(work)
    elif mode == "measure":
        measure(work, sys.argv[3], sys.argv[4], "--filter" in sys.argv[5:])
    elif mode == "rows":
        show_rows(work, sys.argv[3], sys.argv[4], sys.argv[5], sys.argv[6:])
    else:
        sys.exit(__doc__)
