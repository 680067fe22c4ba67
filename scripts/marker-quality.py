#!/usr/bin/env python3
"""The measuring half of scripts/marker-quality.sh (which builds the front end
and starts Wine): extracts the sections of the libraries, runs the front end
on them and counts.

  marker-quality.py WORK LEXPROBE DICT extract|measure
  marker-quality.py WORK LEXPROBE DICT load LABEL RUNNER EXE DICT EMPTY RUNS
  marker-quality.py WORK LEXPROBE DICT words LIST...
"""
import collections, concurrent.futures, hashlib, os, re, resource, subprocess, sys, time

work, lexprobe, dic, mode = sys.argv[1:5]
sections = os.path.join(work, "sections")
manifest = os.path.join(work, "manifest.txt")

def stem(path):
    b = os.path.basename(path)
    b = re.sub(r"\.so(\..*)?$", "", b)
    return re.sub(r"\.dll$", "", b, flags=re.I)

def half(path):
    """0 = tuning half, 1 = report half."""
    return hashlib.md5(stem(path).encode()).digest()[-1] & 1

def extract(item):
    digest, path = item
    base = os.path.join(sections, digest)
    r = subprocess.run(["objcopy", "-O", "binary", "--only-section=.text", path, base + ".code"],
                       stderr=subprocess.DEVNULL)
    if r.returncode != 0:
        return None
    subprocess.run(["objcopy", "-O", "binary", "--only-section=.rodata", "--only-section=.rdata",
                    path, base + ".data"], stderr=subprocess.DEVNULL)
    return "%s\t%d\t%s\n" % (digest, half(path), path)

def build_manifest():
    os.makedirs(sections, exist_ok=True)
    seen, todo = set(), []
    names = re.compile(r"(\.so(\.[^/]*)?|\.dll)$", re.I)
    for top, dirs, files in os.walk("/usr/lib"):
        dirs.sort()
        for f in sorted(files):
            path = os.path.join(top, f)
            if not names.search(f) or os.path.islink(path) or not os.path.isfile(path):
                continue
            h = hashlib.md5()
            with open(path, "rb") as fh:
                for block in iter(lambda: fh.read(1 << 20), b""):
                    h.update(block)
            digest = h.hexdigest()[:16]
            if digest not in seen:
                seen.add(digest)
                todo.append((digest, path))
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        lines = [l for l in pool.map(extract, todo) if l]
    with open(manifest + ".tmp", "w") as out:
        out.writelines(lines)
    os.replace(manifest + ".tmp", manifest)

def libraries():
    for line in open(manifest):
        digest, part, path = line.rstrip("\n").split("\t")
        yield digest, int(part), path

WORD = re.compile(r"^[^A-Za-z0-9]*[A-Za-z]{3,}[^A-Za-z0-9]*$")
def text_like(text):
    return sum(1 for t in text.split(" ") if WORD.match(t)) >= 2

LOWER_RUN = re.compile(r"[a-z]{6}")

def rows(path):
    """(checked, text) of every row the front end lists for the file."""
    if os.path.getsize(path) == 0:
        return []
    out = subprocess.run([lexprobe, "-R", "-c", "-t", "--dict", dic, path], check=True,
                         stdout=subprocess.PIPE).stdout
    result = []
    for line in out.split(b"\r\n"):
        if line:
            result.append((line[:1] == b"1", line[2:].decode("latin-1")))
    return result

def measure():
    libs = list(libraries())
    def one(lib):
        digest, part, path = lib
        c = rows(os.path.join(sections, digest + ".code"))
        d = rows(os.path.join(sections, digest + ".data"))
        code = len(c)
        code_checked = sum(1 for k, _ in c if k)
        in_code_text = sum(1 for k, t in c if k and LOWER_RUN.search(t))
        text = [k for k, t in d if text_like(t)]
        return part, path, code, code_checked, in_code_text, len(text), sum(text)
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        results = list(pool.map(one, libs))
    entries = sum(1 for l in open(dic, "rb").read().splitlines() if l.strip())
    print("dictionary  %s (%d entries)" % (dic, entries))
    print("libraries   %d files under /usr/lib: %d in the tuning half, %d in the report half"
          % (len(libs), sum(1 for l in libs if l[1] == 0), sum(1 for l in libs if l[1] == 1)))
    print()
    def pct(a, b):
        return "%9d of %9d %7.3f %%" % (a, b, 100.0 * a / b if b else 0.0)
    print("%-42s %-32s %-32s %s" % ("", "tuning half", "report half", "all"))
    for label, num, den in (("code-section rows checked (noise)", 3, 2),
                            ("  of all code rows: checked, 6+ a-z in a row", 4, 2),
                            ("text-like data rows checked (text found)", 6, 5)):
        cells = []
        for parts in ((0,), (1,), (0, 1)):
            a = sum(r[num] for r in results if r[0] in parts)
            b = sum(r[den] for r in results if r[0] in parts)
            cells.append(pct(a, b))
        print("%-42s %-32s %-32s %s" % (label, cells[0], cells[1], cells[2]))
    print()
    print("report half: libraries with the most checked code rows")
    for r in sorted((r for r in results if r[0] == 1), key=lambda r: -r[3])[:5]:
        print("  %7d of %7d  %s" % (r[3], r[2], r[1]))
    print("libraries with the most text-like data rows left unchecked")
    for r in sorted(results, key=lambda r: r[6] - r[5])[:5]:
        print("  %7d of %7d  %s (%s half)" % (r[5] - r[6], r[5], r[1], ("tuning", "report")[r[0]]))

def cpu_ms(command, runs):
    """Least CPU time (user + system, ms) of `runs` runs, and least wall time."""
    best_cpu = best_wall = None
    for _ in range(runs):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
        wall = time.perf_counter() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
        best_cpu = cpu if best_cpu is None else min(best_cpu, cpu)
        best_wall = wall if best_wall is None else min(best_wall, wall)
    return best_cpu * 1000, best_wall * 1000

def load_time(label, runner, exe, dict_path, empty, runs):
    run = runner + [exe]
    base_cpu, base_wall = cpu_ms(run + ["--no-check-english", empty], runs)
    cpu, wall = cpu_ms(run + ["--dict", dict_path, empty], runs)
    print("dictionary load, %-18s %6.1f ms CPU (%6.1f ms wall; whole run %6.1f ms CPU, least of %d)"
          % (label + ":", max(cpu - base_cpu, 0.0), max(wall - base_wall, 0.0), cpu, runs))

def segments(text):
    """The runs of letters the marker grows words in: letters only, split
    where a capital follows a non-capital (the CheckSeparator rule)."""
    for m in re.finditer(r"[A-Za-z]+", text):
        run, start = m.group(0), 0
        for i in range(1, len(run)):
            if run[i].isupper() and not run[i - 1].isupper():
                yield run[start:i]
                start = i
        yield run[start:]

def contained(text, vocab, longest):
    found = set()
    for seg in segments(text):
        seg = seg.lower()
        for i in range(len(seg) - 2):
            for j in range(i + 3, min(len(seg), i + longest) + 1):
                if seg[i:j] in vocab:
                    found.add(seg[i:j])
    return found

def words(lists):
    """For the tuning half: every word of three letters or more of the lists,
    how many code rows spell it (as the marker finds words) and how many
    read-only data rows use it as a word of its own."""
    vocab = set()
    for name in lists:
        for w in open(name, encoding="utf-8", errors="replace"):
            w = w.strip()
            if re.fullmatch(r"[a-z]{3,}", w):
                vocab.add(w)
    longest = max(len(w) for w in vocab)
    in_code, on_own = collections.Counter(), collections.Counter()
    for digest, part, path in libraries():
        if part != 0:
            continue
        for _, t in rows(os.path.join(sections, digest + ".code")):
            in_code.update(contained(t, vocab, longest))
        for _, t in rows(os.path.join(sections, digest + ".data")):
            on_own.update(set(s.lower() for s in segments(t)) & vocab)
    spelled = sorted((w for w in vocab if len(w) >= 4 and in_code[w] >= 10
                      and 2 * in_code[w] > on_own[w]), key=lambda w: (-in_code[w], w))
    print("Words of four letters or more that machine code spells (tuning half: at least")
    print("10 code rows, and more than half as many as the data rows that use the word")
    print("on its own): word, code rows, data rows")
    for w in spelled:
        print("  %-16s %7d %7d" % (w, in_code[w], on_own[w]))
    print()
    print("Three-letter words used on their own in at least 100 data rows; '*' where")
    print("machine code spells them by the same rule: word, code rows, data rows")
    three = sorted((w for w in vocab if len(w) == 3 and on_own[w] >= 100),
                   key=lambda w: (-on_own[w], w))
    for w in three:
        flag = "*" if in_code[w] >= 10 and 2 * in_code[w] > on_own[w] else " "
        print("  %s %-5s %7d %7d" % (flag, w, in_code[w], on_own[w]))

if mode == "extract":
    build_manifest()
elif mode == "measure":
    measure()
elif mode == "load":
    label, runner, exe, dict_path, empty = sys.argv[5:10]
    load_time(label, runner.split() if runner else [], exe, dict_path, empty, int(sys.argv[10]))
elif mode == "words":
    words(sys.argv[5:])
