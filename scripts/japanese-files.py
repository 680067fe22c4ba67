#!/usr/bin/env python3
"""The measuring half of scripts/japanese-files.sh: builds a corpus shaped
like files no one here wrote, runs a front end on it (the "now" column),
and the front end with its Japanese filters off through the Japanese-text
judge (bench/judge_rows, the "judged" column), and counts.

  japanese-files.py WORK build
  japanese-files.py WORK measure LEXPROBE JUDGE_ROWS [MIN_JAPANESE]

The corpus, split into a tuning half (the one the judge's tables are
counted from and its bars chosen on) and a report half (measured only):

  - after binary data (after-*.bin): every message piece of the Japanese
    message catalogues (UTF-8 ones and tar's EUC-JP) right after a piece of
    8 to 400 bytes cut from the machine's own binaries, with no zero
    between ("direct") or after a zero ("zero"), ended by a zero, in
    Shift-JIS, UTF-16LE and UTF-8;
  - files without Japanese (binaries-*.bin): ELF programs and libraries,
    the mingw-w64 runtime DLLs and static libraries, Wine's PE DLLs, laid
    end to end; rows with kana or kanji counted per MB, outside the PE
    files' resources;
  - real programs (real-*.exe, project.exe): the catalogues' messages as
    Shift-JIS string literals of C code and as UTF-16 resources (string
    tables, dialogs, menus), and the project's own resource scripts, each
    linked with megabytes of real machine code (the statically linked C++
    runtime and zlib).

With --search-resources, on Wine's PE DLLs (each file scanned as itself)
and the real programs: the texts of the resource script that windres
decompiles from each file (bench/resources-check.py reads them) listed as
exact "Resource" rows, the Japanese UTF-16 rows outside the resource
section, and the front end's time with and without the resource reader.
"""
import bisect, collections, concurrent.futures, glob, json, os, random, re, resource, struct
import subprocess, sys, time, types

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)


def load(name, file):
    # The scripts beside this one have dashes in their names, so they are
    # run into a module of their own rather than imported.
    path = os.path.join(HERE, file)
    module = types.ModuleType(name)
    module.__file__ = path
    sys.modules[name] = module
    with open(path, encoding="utf-8") as source:
        exec(compile(source.read(), path, "exec"), module.__dict__)
    return module


model = load("jm", "make-japanese-model.py")
jq = load("jq", "japanese-quality.py")
rc = load("rc", "../bench/resources-check.py")

CXX32 = "i686-w64-mingw32-g++"
RC32 = "i686-w64-mingw32-windres"
ENCODINGS = [("sjis", "--search-kanji", "ANSI"), ("utf16", "--search-wide-japanese", "Unicode"),
             ("utf8", "--search-utf8", "UTF-8")]
ALL_ON = ["--search-kanji", "--search-wide-japanese", "--search-utf8"]

# Files without Japanese, by kind: at most this many bytes of each half.
NO_JAPANESE = [
    ("ELF", ["/usr/bin/*", "/usr/lib/x86_64-linux-gnu/*.so*"], 48 << 20),
    ("mingw", ["/usr/lib/gcc/i686-w64-mingw32/*-posix/*.dll", "/usr/i686-w64-mingw32/lib/*.dll",
               "/usr/i686-w64-mingw32/lib/*.a", "/usr/lib/gcc/i686-w64-mingw32/*-posix/*.a"], 24 << 20),
    ("Wine PE", ["/usr/lib/i386-linux-gnu/wine/i386-windows/*.dll",
                 "/usr/lib/i386-linux-gnu/wine/i386-windows/*.exe"], 48 << 20),
]
PROJECT_RC = ["app/about/about.rc", "app/mainwindow/mainform.rc", "app/settings/optform.rc"]
PROJECT_LIB_RC = ["strings.rc", "update_dialog.rc", "verdlg.rc"]


def encode(piece, encoding):
    return piece.encode({"sjis": "cp932", "utf16": "utf-16-le", "utf8": "utf-8"}[encoding])


def row_form(piece):
    return piece.encode("cp932")


def listable(piece, encoding):
    """What the front end's defaults can list whole: 5 bytes or more in
    Shift-JIS, 5 characters in the others; no half-width katakana; not
    dropped by the repetition filter."""
    data = piece.encode("cp932")
    if (len(data) if encoding == "sjis" else len(piece)) < jq.MIN_LENGTH:
        return False
    return not any(0xFF61 <= ord(c) <= 0xFF9F for c in piece) and not jq.repetitive(data)


# ---- building ---------------------------------------------------------------

def binary_files(part):
    """(kind, path, data) of the files without Japanese of one half."""
    out = []
    for kind, globs, budget in NO_JAPANESE:
        for path in model.binaries(globs, part):
            if budget <= 0:
                break
            with open(path, "rb") as f:
                head = f.read(4)
                if head[:2] != b"MZ" and head != b"\x7fELF" and head != b"!<ar":
                    continue
                data = head + f.read()
            if len(data) > budget + (4 << 20):
                continue
            budget -= len(data)
            out.append((kind, path, data))
    return out


def lay_binaries(work, part, files):
    """The files end to end (16 zeros between), with where each lies and
    its resource section, if any."""
    spans = []
    with open(os.path.join(work, "binaries-%d.bin" % part), "wb") as f:
        at = 0
        for kind, path, data in files:
            rsrc = None
            if data[:2] == b"MZ":
                try:
                    for name, offset, size in jq.sections(path):
                        if name == ".rsrc":
                            rsrc = [at + offset, at + offset + size]
                except (struct.error, IndexError):
                    pass
            spans.append({"kind": kind, "path": path, "at": at, "size": len(data), "rsrc": rsrc})
            f.write(data + b"\0" * 16)
            at += len(data) + 16
    return spans


def binary_piece(rng, sources):
    """A piece of 8 to 400 bytes cut from one of the binaries' bytes,
    chosen by rng, that ends inside no string."""
    src = rng.choice(sources)
    size = rng.randint(8, 400)
    start = rng.randrange(0, len(src) - size)
    # A piece never ends inside a string: a message right after the head
    # of another text with no zero between would be one text.  Printable
    # bytes at its end after a zero (the head of a string), four or more
    # printable bytes, or two ASCII UTF-16 code units are taken off.
    end = start + size
    run = end
    while run > start and 0x20 <= src[run - 1] < 0x7F:
        run -= 1
    if run < end and (end - run >= 4 or (run > start and src[run - 1] == 0)):
        end = run
    while end > start + 4 and (src[end - 1] == 0 and 0x20 <= src[end - 2] < 0x7F and
                               src[end - 3] == 0 and 0x20 <= src[end - 4] < 0x7F):
        end -= 2
    return src[start:end]


def after_binary(work, part, files, pieces):
    """The after-binary files of one half: each piece after a piece of a
    binary (its resources left out), directly or after a zero."""
    sources = [d for d in (model.read_binary(p) for _, p, _ in files) if d and len(d) > 4096]
    made = {}
    for encoding, _, _ in ENCODINGS:
        for join in ("direct", "zero"):
            rng = random.Random("%s-%s-%d" % (encoding, join, part))
            name = "after-%s-%s-%d.bin" % (encoding, join, part)
            out = bytearray()
            placed = []
            zero = b"\0\0" if encoding == "utf16" else b"\0"
            for piece in pieces:
                if not listable(piece, encoding):
                    continue
                out += binary_piece(rng, sources)
                if join == "zero":
                    out += zero
                placed.append([len(out), piece])
                out += encode(piece, encoding) + zero
            with open(os.path.join(work, name), "wb") as f:
                f.write(out)
            made[name] = placed
    return made


RUNTIME_CPP = r"""
// Real machine code around the messages: the C++ runtime and zlib linked
// statically, used the way programs use them.
#include <algorithm>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <locale>
#include <map>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>
#include <zlib.h>

extern "C" int run_all_steps(int argc, char **argv);

int main(int argc, char **argv)
{
    try {
        std::vector<std::string> args(argv, argv + argc);
        std::map<std::string, int> counts;
        std::unordered_map<std::string, double> weights;
        std::regex word(R"(([A-Za-z_]\w*)=(\d+(\.\d*)?))");
        for (const auto &a : args) {
            std::smatch m;
            if (std::regex_search(a, m, word)) {
                counts[m[1]] += std::stoi(m[2]);
                weights[m[1]] = std::stod(m[2]);
            }
        }
        std::ostringstream out;
        out.imbue(std::locale::classic());
        for (const auto &c : counts)
            out << std::setw(12) << c.first << ' ' << std::hex << c.second << '\n';
        std::string text = out.str();
        uLongf packed = compressBound(text.size());
        std::vector<Bytef> buf(packed);
        if (compress2(buf.data(), &packed, reinterpret_cast<const Bytef *>(text.data()), text.size(), 9) != Z_OK)
            throw std::runtime_error("compress");
        uLongf back = text.size();
        std::vector<Bytef> again(back + 1);
        if (uncompress(again.data(), &back, buf.data(), packed) != Z_OK)
            throw std::runtime_error("uncompress");
        gzFile gz = gzopen("out.gz", "wb");
        if (gz) {
            gzwrite(gz, buf.data(), static_cast<unsigned>(packed));
            gzclose(gz);
        }
        std::ifstream in(args.size() > 1 ? args[1] : "in.txt");
        std::string line;
        std::vector<std::wstring> wide;
        while (std::getline(in, line)) {
            std::wstringstream ws;
            ws << line.size() << L':' << std::fixed << std::setprecision(3) << weights[line];
            wide.push_back(ws.str());
        }
        std::sort(wide.begin(), wide.end());
        std::cout << wide.size() << ' ' << adler32(0, buf.data(), static_cast<uInt>(packed)) << std::endl;
        return run_all_steps(argc, argv);
    } catch (const std::exception &e) {
        std::cerr << e.what() << std::endl;
        return 1;
    }
}
"""


def project_pieces():
    """The Japanese texts of the project's resource scripts, cut at line
    breaks and tabs as rows are."""
    out = set()
    paths = [os.path.join(ROOT, p) for p in PROJECT_RC] + \
            [os.path.join(ROOT, "lib/res", p) for p in PROJECT_LIB_RC]
    for path in paths:
        for m in re.finditer(r'"((?:[^"\n]|"")*)"', open(path, encoding="utf-8").read()):
            text = m.group(1).replace('""', '"').replace("\\n", "\n").replace("\\t", "\t").replace("\\\\", "\\")
            for piece in re.split(r"[\x00-\x1f]+", text):
                if piece and any(jq.japanese_char(c) for c in piece):
                    out.add(piece)
    return sorted(out)


def literal_objects(folder, prefix, part, catalogues, charset):
    """Objects of one half's catalogues, each one's messages the string
    literals of C code compiled at -O2 into CHARSET, the first object
    calling them all (run_all_steps)."""
    run = lambda *cmd: subprocess.run(list(cmd), check=True, cwd=folder)
    objects = []
    for k, (name, messages) in enumerate(catalogues):
        base = "%sc%d_%d" % (prefix, part, k)
        with open(os.path.join(folder, base + ".c"), "w", encoding="utf-8") as f:
            f.write(jq.c_program(re.sub(r"\W", "_", name), messages, random.Random(name)))
        run("i686-w64-mingw32-gcc", "-O2", "-w", "-std=gnu11", "-finput-charset=UTF-8",
            "-fexec-charset=" + charset, "-Drun_steps=run_steps_%d" % k, "-c", base + ".c", "-o", base + ".o")
        objects.append(base + ".o")
    steps = "%ssteps%d" % (prefix, part)
    with open(os.path.join(folder, steps + ".c"), "w") as f:
        f.write("".join("int run_steps_%d(int, char **);\n" % k for k in range(len(catalogues))))
        f.write("int run_all_steps(int argc, char **argv) {\n    int r = 0;\n")
        f.write("".join("    r |= run_steps_%d(argc, argv);\n" % k for k in range(len(catalogues))))
        f.write("    return r;\n}\n")
    run("i686-w64-mingw32-gcc", "-O2", "-c", steps + ".c", "-o", steps + ".o")
    return [steps + ".o"] + objects


def build_programs(work, by_half):
    """real-H.exe for each half: the half's messages as Shift-JIS literals
    and UTF-16 resources, with the C++ runtime and zlib; project.exe: the
    project's resource scripts with the same code."""
    folder = os.path.join(work, "programs")
    os.makedirs(folder, exist_ok=True)
    run = lambda *cmd: subprocess.run(list(cmd), check=True, cwd=folder)
    with open(os.path.join(folder, "runtime.cpp"), "w") as f:
        f.write(RUNTIME_CPP)
    run(CXX32, "-O2", "-w", "-c", "runtime.cpp", "-o", "runtime.o")
    built = {}
    for part, catalogues in by_half.items():
        rng = random.Random("programs-%d" % part)
        objects = literal_objects(folder, "", part, catalogues, "CP932")
        everything = [m for name, messages in catalogues for m in messages]
        with open(os.path.join(folder, "res%d.rc" % part), "w", encoding="utf-8") as f:
            f.write(jq.rc_resources(sorted(set(everything)), rng))
        run(RC32, "res%d.rc" % part, "-O", "coff", "-o", "res%d.o" % part)
        exe = "real-%d.exe" % part
        run(CXX32, "-O2", "-s", "-static", "-o", exe, "runtime.o", objects[0], "res%d.o" % part,
            *objects[1:], "-lz")
        built[exe] = part
        for o in objects[1:]:
            os.remove(os.path.join(folder, o))
    # The project's own resource scripts (report half only).
    with open(os.path.join(folder, "nosteps.c"), "w") as f:
        f.write("int run_all_steps(int argc, char **argv) { return argc > 99 && argv[0][0] == 'x'; }\n")
    run("i686-w64-mingw32-gcc", "-O2", "-c", "nosteps.c", "-o", "nosteps.o")
    resources = []
    for k, rc in enumerate(PROJECT_RC):
        src = os.path.join(ROOT, rc)
        run(RC32, "-I", os.path.dirname(src), "-I", os.path.join(ROOT, "app"), src, "-O", "coff",
            "-o", "p%d.o" % k)
        resources.append("p%d.o" % k)
    with open(os.path.join(folder, "lib.rc"), "w") as f:
        f.write("#pragma code_page(65001)\n#include <windows.h>\n")
        f.write("".join('#include "%s"\n' % p for p in PROJECT_LIB_RC))
    run(RC32, "-I", os.path.join(ROOT, "lib/res"), "-I", os.path.join(ROOT, "lib/version"),
        "-I", os.path.join(ROOT, "lib/net"), "lib.rc", "-O", "coff", "-o", "plib.o")
    resources.append("plib.o")
    run(CXX32, "-O2", "-s", "-static", "-o", "project.exe", "runtime.o", "nosteps.o", *resources, "-lz")
    built["project.exe"] = 1
    return built


def build(work):
    os.makedirs(work, exist_ok=True)
    manifest = {"binaries": {}, "after": {}, "programs": {}}
    by_half = {}
    for name, part, messages in jq.catalogues():
        by_half.setdefault(part, []).append((name, messages))
    for part in (0, 1):
        files = binary_files(part)
        manifest["binaries"][str(part)] = lay_binaries(work, part, files)
        manifest["after"].update(after_binary(work, part, files, model.pieces(part)))
    manifest["programs"] = build_programs(work, by_half)
    manifest["project"] = project_pieces()
    with open(os.path.join(work, "manifest.json.tmp"), "w", encoding="utf-8") as f:
        json.dump(manifest, f, ensure_ascii=False)
    os.replace(os.path.join(work, "manifest.json.tmp"), os.path.join(work, "manifest.json"))


# ---- running ----------------------------------------------------------------

class Runner:
    def __init__(self, lexprobe, judge, min_japanese):
        self.lexprobe, self.judge, self.min_japanese = lexprobe, judge, min_japanese
        self.kept = {}

    def rows(self, column, options, path):
        """The rows of a file below 32 MB are run for once and kept."""
        key = (column, tuple(options), path)
        if key in self.kept:
            return self.kept[key]
        result = self.run(column, options, path)
        if os.path.getsize(path) < 32 << 20:
            self.kept[key] = result
        return result

    def run(self, column, options, path):
        """(offset, kind, text) of the rows of one column: "now" runs the
        front end as a user would, "judged" runs it with its Japanese
        filters off at minimum length 2 and judges the rows."""
        if column == "now":
            return jq.kind_rows(self.lexprobe, options, path)
        front = subprocess.Popen([self.lexprobe, "-R", "--no-check-english", "--no-check-kanji-noise", "-m", "2"] +
                                 options + [path], stdout=subprocess.PIPE)
        out = subprocess.run([self.judge, "--min-japanese", str(self.min_japanese), path],
                             stdin=front.stdout, check=True, stdout=subprocess.PIPE).stdout
        front.stdout.close()
        if front.wait() != 0:
            raise RuntimeError("lexprobe failed on " + path)
        return jq.parse_rows(out)


def kana_or_kanji(kind, text):
    """Whether a row holds kana or kanji (its text is code page 932)."""
    t = text.decode("cp932", "replace")
    return any(0x3041 <= ord(c) <= 0x30FF or 0x4E00 <= ord(c) <= 0x9FFF for c in t)


def japanese_chars(text):
    return sum(1 for c in text.decode("cp932", "replace") if ord(c) >= 0x80)


def parallel(job, items):
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        return list(pool.map(job, items))


def pct(a, b):
    return "%6.2f %% (%d of %d)" % (100.0 * a / b if b else 0.0, a, b)


def mo_texts(path):
    """The pieces of a catalogue's messages that code page 932 holds, as
    rows hold them."""
    texts = set()
    for message in jq.read_mo(path):
        for piece in jq.segments(message):
            try:
                texts.add(row_form(piece))
            except UnicodeEncodeError:
                pass
    return texts


# A piece of a binary ends inside no string, but the printable bytes of
# its end after a line break or a tab are kept when they are fewer than
# four: a row that begins right after that break holds them, and rightly,
# since the line begins there (a line break ends a text as a zero does),
# and the message after them is whole in it.
LINE_HEAD = 3


def listed_whole(data, found, o, piece, encoding):
    """Whether the message piece at offset o of an after-binary file is
    listed whole: a row of its text at o, or (text of single bytes) one
    that begins right after a line break or tab before it with the
    piece's printable bytes there."""
    text = row_form(piece)
    if (o, text) in found:
        return True
    if encoding == "utf16":
        return False
    for k in range(1, LINE_HEAD + 1):
        if o - k < 1 or not 0x20 <= data[o - k] < 0x7F:
            return False
        if data[o - k - 1] in (9, 10, 13) and (o - k, data[o - k:o] + text) in found:
            return True
    return False


def measure(work, lexprobe, judge, min_japanese):
    manifest = json.load(open(os.path.join(work, "manifest.json"), encoding="utf-8"))
    runner = Runner(lexprobe, judge, min_japanese)
    columns = ("now", "judged")
    table = []  # (measure, target, {(half, column): text})

    # Files without Japanese: rows with kana or kanji per MB, outside the
    # PE files' resources, by setting.
    for encoding, option, kind in ENCODINGS:
        cells = {}
        for part in (0, 1):
            spans = manifest["binaries"][str(part)]
            path = os.path.join(work, "binaries-%d.bin" % part)
            mb = sum(s["size"] for s in spans) / 1e6
            starts = [s["at"] for s in spans]
            for column in columns:
                n = 0
                for offset, k, text in runner.rows(column, [option], path):
                    if k != kind or not kana_or_kanji(k, text):
                        continue
                    span = spans[bisect.bisect_right(starts, offset) - 1]
                    if span["rsrc"] and span["rsrc"][0] <= offset < span["rsrc"][1]:
                        continue
                    n += 1
                cells[(part, column)] = "%8.2f per MB" % (n / mb)
        table.append(("rows with kana or kanji, binaries without Japanese, " + option, "<= 1 per MB", cells))

    # Japanese UTF-16 rows outside the resources of Wine's PE DLLs.
    cells = {}
    for part in (0, 1):
        spans = manifest["binaries"][str(part)]
        starts = [s["at"] for s in spans]
        path = os.path.join(work, "binaries-%d.bin" % part)
        for column in columns:
            inside = outside = 0
            for offset, k, text in runner.rows(column, ["--search-wide-japanese"], path):
                if k != "Unicode" or not kana_or_kanji(k, text):
                    continue
                span = spans[bisect.bisect_right(starts, offset) - 1]
                if span["kind"] != "Wine PE":
                    continue
                if span["rsrc"] and span["rsrc"][0] <= offset < span["rsrc"][1]:
                    inside += 1
                else:
                    outside += 1
            cells[(part, column)] = pct(outside, inside + outside)
    table.append(("Japanese UTF-16 rows outside resources, Wine's PE DLLs", "<= 1 %", cells))

    # Messages after binary data, listed whole.
    after = manifest["after"]
    for encoding, option, kind in ENCODINGS:
        for join in ("direct", "zero"):
            cells = {}
            for part in (0, 1):
                name = "after-%s-%s-%d.bin" % (encoding, join, part)
                placed = after[name]
                data = open(os.path.join(work, name), "rb").read()
                for column in columns:
                    found = set((o, t) for o, k, t in runner.rows(column, [option], os.path.join(work, name))
                                if k == kind)
                    whole = sum(1 for o, p in placed if listed_whole(data, found, o, p, encoding))
                    cells[(part, column)] = pct(whole, len(placed))
            target = ">= 98 %" if encoding == "sjis" and join == "direct" else ""
            table.append(("%s messages %s binary data listed whole" %
                          (encoding, "right after" if join == "direct" else "after a zero after"), target, cells))

    # Messages in real programs listed whole; UTF-16 rows outside resources.
    programs = manifest["programs"]
    catalogues = {}
    for name, part, messages in jq.catalogues():
        catalogues.setdefault(part, set()).update(p for m in messages for p in jq.segments(m))
    for encoding, option, kind in ENCODINGS[:2]:
        cells = {}
        outside_cells = {}
        for exe, part in sorted(programs.items()):
            path = os.path.join(work, "programs", exe)
            data = open(path, "rb").read()
            rsrc = [(o, s) for n, o, s in jq.sections(path) if n == ".rsrc"][0]
            pieces = set(manifest["project"]) if exe == "project.exe" else catalogues[part]
            region = data[rsrc[0]:rsrc[0] + rsrc[1]] if encoding == "utf16" else data
            wanted = set(row_form(p) for p in pieces if listable(p, encoding) and encode(p, encoding) in region)
            for column in columns:
                r = runner.rows(column, [option], path)
                texts = set(t for o, k, t in r if k == kind)
                key = (part if exe != "project.exe" else "project", column)
                if wanted:
                    cells[key] = pct(len(wanted & texts), len(wanted))
                if encoding == "utf16":
                    jp = [o for o, k, t in r if k == kind and kana_or_kanji(k, t)]
                    out = sum(1 for o in jp if not rsrc[0] <= o < rsrc[0] + rsrc[1])
                    outside_cells[key] = pct(out, len(jp))
        table.append(("%s messages in a real program listed whole" % encoding,
                      ">= 99.9 %" if encoding == "sjis" else "", cells))
        if encoding == "utf16":
            table.append(("Japanese UTF-16 rows outside resources, real programs", "<= 1 %", outside_cells))

    # Messages any one setting lists, listed with all three on.
    cells = {}
    for part in (0, 1):
        files = [(os.path.join(work, n), p) for n, p in after.items() if n.endswith("-%d.bin" % part)]
        mos = [os.path.join(model.CATALOGUES, n) for n in sorted(os.listdir(model.CATALOGUES))
               if n.endswith(".mo") and model.catalogue_half(n) == part]
        for column in columns:
            lost = alone = 0
            for path, placed in files + [(m, None) for m in mos]:
                singles = set()
                for _, option, kind in ENCODINGS:
                    singles.update((o, t) for o, k, t in runner.rows(column, [option], path)
                                   if kana_or_kanji(k, t))
                both = set((o, t) for o, k, t in runner.rows(column, ALL_ON, path))
                if placed is not None:
                    wanted = set((o, row_form(p)) for o, p in placed)
                    singles &= wanted
                else:
                    # A catalogue's rows that are its messages (a row of
                    # UTF-8 bytes read as Shift-JIS is none).
                    texts = mo_texts(path)
                    singles = set((o, t) for o, t in singles if t in texts)
                alone += len(singles)
                lost += len(singles - both)
            cells[(part, column)] = pct(alone - lost, alone)
    table.append(("messages any one setting lists, listed with all on", "100 %", cells))

    # The front end with all three settings on against the default, CPU
    # seconds (the best of 3) on the binaries of the report half.
    path = os.path.join(work, "binaries-1.bin")
    def cpu(options):
        best = None
        for _ in range(3):
            before = resource.getrusage(resource.RUSAGE_CHILDREN)
            subprocess.run([lexprobe, "-R"] + options + [path], check=True, stdout=subprocess.DEVNULL)
            after_ = resource.getrusage(resource.RUSAGE_CHILDREN)
            t = after_.ru_utime - before.ru_utime + after_.ru_stime - before.ru_stime
            best = t if best is None else min(best, t)
        return best
    default, all_on, every = cpu([]), cpu(ALL_ON), cpu(ALL_ON + ["--search-resources"])
    print("front end on %s (%.0f MB): default %.2f s, all three Japanese settings %.2f s CPU: %.2fx, "
          "with --search-resources too %.2f s: %.2fx (target <= 3x)"
          % (os.path.basename(path), os.path.getsize(path) / 1e6, default, all_on, all_on / default,
             every, every / default))
    print("now: %s; judged: the same with --no-check-kanji-noise -m 2 through %s --min-japanese %d"
          % (lexprobe, os.path.basename(judge), min_japanese))
    print()
    keys = [(0, "now"), (0, "judged"), (1, "now"), (1, "judged"), ("project", "now"), ("project", "judged")]
    names = {0: "tuning", 1: "report", "project": "project .rc"}
    for caption, target, cells in table:
        print("%s%s" % (caption, "  [target %s]" % target if target else ""))
        for key in keys:
            if key in cells:
                print("    %-12s %-7s %s" % (names[key[0]], key[1], cells[key]))
    measure_resources(work, lexprobe)


def json_rows(lexprobe, options, paths):
    """{path: [(offset, kind, text)]} of the front end's JSON lines, the
    files scanned in one run (text in UTF-8, stand-ins as their
    characters)."""
    out = subprocess.run([lexprobe, "--json", "-f", "--no-check-english"] + options + paths,
                         check=True, stdout=subprocess.PIPE).stdout
    rows = {p: [] for p in paths}
    for line in out.decode("utf-8").splitlines():
        r = json.loads(line)
        rows[r["file"]].append((r["offset"], r["kind"], r["text"]))
    return rows


def japanese(text):
    return any(0x3041 <= ord(c) <= 0x30FF or 0x4E00 <= ord(c) <= 0x9FFF for c in text)


def cpu_seconds(cmd):
    """The least CPU time of 3 runs of a command."""
    best = None
    for _ in range(3):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        t = after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime
        best = t if best is None else min(best, t)
    return best


def measure_resources(work, lexprobe):
    """With --search-resources, on real DLLs and programs: windres's texts
    listed as exact rows; Japanese UTF-16 rows outside resources; time."""
    manifest = json.load(open(os.path.join(work, "manifest.json"), encoding="utf-8"))
    groups = []
    for part in (0, 1):
        groups.append(("Wine's PE DLLs, %s half" % ("tuning", "report")[part],
                       [s["path"] for s in manifest["binaries"][str(part)] if s["kind"] == "Wine PE"]))
    groups.append(("real programs (resources beside real code)",
                   [os.path.join(work, "programs", exe) for exe in sorted(manifest["programs"])]))
    print()
    print("with --search-resources (each file scanned as itself; windres's texts as rows hold them)")
    for caption, files in groups:
        texts = {}
        for path in files:
            run = subprocess.run([rc.WINDRES, "-i", path, "-O", "rc"], capture_output=True)
            if run.returncode == 0:
                script = rc.script_texts(run.stdout.decode("utf-8", "surrogateescape"))
                texts[path] = collections.Counter(rc.row_text(t) for k in rc.KINDS for t in script.get(k, []))
        paths = sorted(texts)
        now = json_rows(lexprobe, ["--search-wide-japanese"], paths)
        res = json_rows(lexprobe, ["--search-wide-japanese", "--search-resources"], paths)
        total = exact = jp_total = jp_now = jp_exact = 0
        inside = outside = outside_now = inside_now = 0
        for path in paths:
            theirs = texts[path]
            mine = collections.Counter(t for o, k, t in res[path] if k == "Resource")
            unicode_now = collections.Counter(t for o, k, t in now[path] if k == "Unicode")
            total += sum(theirs.values())
            exact += sum((theirs & mine).values())
            jp = collections.Counter({t: n for t, n in theirs.items() if japanese(t)})
            jp_total += sum(jp.values())
            jp_exact += sum((jp & mine).values())
            jp_now += sum((jp & unicode_now).values())
            rsrc = [(o, o + n) for name, o, n in jq.sections(path) if name == ".rsrc"]
            within = lambda o: any(a <= o < b for a, b in rsrc)
            for o, k, t in res[path]:
                if k in ("Unicode", "Resource") and japanese(t):
                    if k == "Unicode" and not within(o):
                        outside += 1
                    else:
                        inside += 1
            for o, k, t in now[path]:
                if k == "Unicode" and japanese(t):
                    if within(o):
                        inside_now += 1
                    else:
                        outside_now += 1
        print("  %s: %d files that windres decompiled (of %d)" % (caption, len(paths), len(files)))
        print("    resource texts listed as exact rows            %s  [target 100 %%]" % pct(exact, total))
        print("    Japanese ones, now as exact Unicode rows       %s" % pct(jp_now, jp_total))
        print("    Japanese ones, with --search-resources          %s" % pct(jp_exact, jp_total))
        print("    Japanese UTF-16 rows outside resources, now     %s" % pct(outside_now, inside_now + outside_now))
        print("    the same with --search-resources                %s  [target <= 1 %%]"
              % pct(outside, inside + outside))
        if caption.startswith("Wine") and "report" in caption:
            every = ALL_ON + ["--search-resources"]
            default = cpu_seconds([lexprobe, "-R"] + paths)
            alone = cpu_seconds([lexprobe, "-R", "--search-resources"] + paths)
            all_on = cpu_seconds([lexprobe, "-R"] + every + paths)
            mb = sum(os.path.getsize(p) for p in paths) / 1e6
            print("    front end on these %.0f MB, CPU: default %.2f s, --search-resources %.2f s "
                  "(the reader's share %.1f %%), every setting on %.2f s: %.2fx (target <= 3x)"
                  % (mb, default, alone, 100.0 * (alone - default) / alone if alone else 0.0,
                     all_on, all_on / default))


def show(work, lexprobe, judge, min_japanese, what, part, column, option):
    """For tuning: the rows of one corpus file with Japanese text (junk on
    the binaries; on the after-binary files, the messages not whole)."""
    manifest = json.load(open(os.path.join(work, "manifest.json"), encoding="utf-8"))
    runner = Runner(lexprobe, judge, min_japanese)
    if what == "junk":
        path = os.path.join(work, "binaries-%s.bin" % part)
        for o, k, t in runner.rows(column, [option], path):
            if k != "ANSI" or option == "--search-kanji":
                if kana_or_kanji(k, t):
                    print("%08X\t%s\t%s" % (o, k, t.decode("cp932", "replace")))
    elif what == "ties":
        # The rows with Japanese that OPTION alone lists and all three
        # settings on do not, with the rows all on lists near each.
        after = manifest["after"]
        files = [(os.path.join(work, n), p) for n, p in after.items() if n.endswith("-%s.bin" % part)]
        files += [(os.path.join(model.CATALOGUES, n), None) for n in sorted(os.listdir(model.CATALOGUES))
                  if n.endswith(".mo") and model.catalogue_half(n) == int(part)]
        for path, placed in files:
            wanted = set((o, row_form(p)) for o, p in placed) if placed is not None else None
            texts = mo_texts(path) if placed is None else None
            both = runner.rows(column, ALL_ON, path)
            have = set((o, t) for o, k, t in both)
            for o, k, t in runner.rows(column, [option], path):
                if not kana_or_kanji(k, t) or (o, t) in have or (wanted is not None and (o, t) not in wanted):
                    continue
                if texts is not None and t not in texts:
                    continue
                near = [("%X" % oo, kk, tt.decode("cp932", "replace")) for oo, kk, tt in both
                        if o - 12 <= oo <= o + len(t)]
                print("LOST\t%s\t%X\t%s\t%s" % (os.path.basename(path), o, t.decode("cp932", "replace"), near))
    else:
        name = "after-%s-%d.bin" % (what, int(part))
        found = runner.rows(column, [option], os.path.join(work, name))
        by = {}
        for o, k, t in found:
            by.setdefault(o, []).append(t)
        texts = set((o, t) for o, k, t in found)
        data = open(os.path.join(work, name), "rb").read()
        for o, p in manifest["after"][name]:
            if not listed_whole(data, texts, o, p, what.split("-")[0]):
                near = [(oo, t.decode("cp932", "replace")) for oo, ts in by.items() if o - 12 <= oo <= o + 4 for t in ts]
                print("MISSING\t%s\t%s" % (p, near))


if __name__ == "__main__":
    work, mode = os.path.abspath(sys.argv[1]), sys.argv[2]
    if mode == "build":
        build(work)
    elif mode == "measure":
        measure(work, sys.argv[3], sys.argv[4], int(sys.argv[5]) if len(sys.argv) > 5 else 2)
    elif mode == "show":
        show(work, *sys.argv[3:5], int(sys.argv[5]), *sys.argv[6:])
    else:
        sys.exit(__doc__)
