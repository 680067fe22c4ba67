#!/usr/bin/env python3
"""The measuring half of scripts/utf8-quality.sh: runs a front end on the
machine's message catalogues and on the Shift-JIS programs of the Japanese
quality corpus, and counts.

  utf8-quality.py JAPANESE-WORK LEXPROBE

JAPANESE-WORK is the folder that scripts/japanese-quality.sh builds its
programs into (build/japanese-quality).
"""
import concurrent.futures, importlib.util, os, re, sys

HERE = os.path.dirname(os.path.abspath(__file__))
module_def = importlib.util.spec_from_file_location("jq", os.path.join(HERE, "japanese-quality.py"))
jq = importlib.util.module_from_spec(module_def)
module_def.loader.exec_module(jq)

LOCALES = "/usr/share/locale"
OTHER_LANGUAGES = ["fr", "de", "ru", "el", "zh_CN", "ko"]


def lead(b):
    return 0x81 <= b <= 0x9F or 0xE0 <= b <= 0xFC


def trail(b):
    return 0x40 <= b <= 0x7E or 0x80 <= b <= 0xFC


def row_form(text):
    """A text as a UTF-8 row holds it: code page 932 bytes, \\u{HEX} for a
    character that the code page lacks."""
    out = bytearray()
    for c in text:
        try:
            out += c.encode("cp932")
        except UnicodeEncodeError:
            out += ("\\u{%X}" % ord(c)).encode()
    return bytes(out)


def listable(text):
    """What the front end's defaults can list whole: at least 5 characters,
    no half-width katakana and no control character U+0080-U+009F (they end
    UTF-8 text by default), not dropped by the repetition filter."""
    if len(text) < jq.MIN_LENGTH:
        return False
    if any(0xFF61 <= ord(c) <= 0xFF9F or 0x80 <= ord(c) <= 0x9F for c in text):
        return False
    return not jq.repetitive(row_form(text))


def charset(path):
    m = re.search(rb"charset=([\w-]+)", open(path, "rb").read())
    return m.group(1).decode().upper() if m else "UTF-8"


def catalogue(path, japanese):
    """The pieces of a catalogue's translations that a UTF-8 row can hold
    whole: with Japanese text (`japanese`: and that code page 932 holds),
    or with any character outside ASCII."""
    pieces = set()
    for text in jq.read_mo(path):
        for piece in jq.segments(text):
            if japanese:
                if not any(jq.japanese_char(c) for c in piece):
                    continue
                try:
                    piece.encode("cp932")
                except UnicodeEncodeError:
                    continue
            elif all(ord(c) < 0x80 for c in piece):
                continue
            if listable(piece):
                pieces.add(row_form(piece))
    return pieces


def double_byte(text):
    return any(lead(b) for b in text)


def japanese_row(kind, text):
    """A row with Japanese text: UTF-8 text with a character outside ASCII,
    or ANSI text with a Shift-JIS double-byte character."""
    if kind == "UTF-8":
        return any(b >= 0x80 for b in text)
    return kind == "ANSI" and double_byte(text)


def parallel(job, items):
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        return list(pool.map(job, items))


def pct(a, b):
    return "%7d of %7d %7.2f %%" % (a, b, 100.0 * a / b if b else 0.0)


def measure_catalogues(lexprobe):
    folder = os.path.join(LOCALES, "ja", "LC_MESSAGES")
    paths = sorted(os.path.join(folder, n) for n in os.listdir(folder) if n.endswith(".mo"))
    utf8 = [p for p in paths if charset(p) == "UTF-8"]
    others = [p for p in paths if charset(p) != "UTF-8"]
    messages = dict(zip(utf8, parallel(lambda p: catalogue(p, True), utf8)))
    total = sum(len(m) for m in messages.values())
    print("Japanese message catalogues (%s/ja/LC_MESSAGES): %d in UTF-8, %d in other "
          "character sets (%s)" % (LOCALES, len(utf8), len(others),
                                    ", ".join(sorted(set(charset(p) for p in others))) or "-"))
    print("  messages: pieces between control characters with Japanese text that code page 932")
    print("  holds, that the defaults can list whole (5 characters or more, no half-width")
    print("  katakana, not dropped by the repetition filter): %d" % total)
    runs = [("--search-kanji (UTF-8 off)", ["--search-kanji"]),
            ("--search-utf8", ["--search-utf8"]),
            ("--search-utf8 --search-kanji", ["--search-utf8", "--search-kanji"])]
    for label, options in runs:
        found = parallel(lambda p: jq.kind_rows(lexprobe, options, p), utf8)
        whole = japanese = mojibake = stray = 0
        for p, r in zip(utf8, found):
            texts = set(t for _, k, t in r if k == "UTF-8")
            whole += len(messages[p] & texts)
            everything = b"\0".join(messages[p])
            for _, kind, text in r:
                if not japanese_row(kind, text):
                    continue
                japanese += 1
                if kind == "ANSI":
                    mojibake += 1
                elif text not in everything:
                    stray += 1
        print("  %s" % label)
        print("    %-58s %s" % ("messages listed whole", pct(whole, total)))
        print("    %-58s %7d" % ("rows with Japanese text", japanese))
        print("    %-58s %s" % ("  mojibake: UTF-8 read as Shift-JIS pairs (ANSI rows)",
                                pct(mojibake, japanese)))
        print("    %-58s %s" % ("  UTF-8 rows that are none of the messages, nor a piece",
                                pct(stray, japanese)))
    if others:
        for label, options in runs[1:]:
            found = parallel(lambda p: jq.kind_rows(lexprobe, options, p), others)
            count = sum(1 for r in found for _, k, t in r if k == "UTF-8" and any(b >= 0x80 for b in t))
            print("  catalogues in other character sets, %s: %d UTF-8 rows with characters "
                  "outside ASCII (none is real UTF-8 text)" % (options and " ".join(options), count))
    return messages


def measure_other_languages(lexprobe):
    print("Other languages (UTF-8 catalogues, --search-utf8): pieces with characters outside")
    print("ASCII listed whole as one UTF-8 row (stand-ins included)")
    for lang in OTHER_LANGUAGES:
        folder = os.path.join(LOCALES, lang, "LC_MESSAGES")
        if not os.path.isdir(folder):
            continue
        paths = sorted(os.path.join(folder, n) for n in os.listdir(folder)
                       if n.endswith(".mo") and charset(os.path.join(folder, n)) == "UTF-8")
        pieces = parallel(lambda p: catalogue(p, False), paths)
        found = parallel(lambda p: jq.kind_rows(lexprobe, ["--search-utf8"], p), paths)
        whole = sum(len(m & set(t for _, k, t in r if k == "UTF-8")) for m, r in zip(pieces, found))
        print("  %-60s %s" % (lang, pct(whole, sum(len(m) for m in pieces))))


def measure_programs(work, lexprobe):
    progs = jq.programs(work)
    total = sum(len(p.sjis) for p in progs)
    print("Shift-JIS programs of the Japanese quality corpus (%d programs, %d messages in code "
          "page 932; they hold no UTF-8 text)" % (len(progs), total))
    for label, options in (("--search-kanji", ["--search-kanji"]),
                           ("--search-kanji --search-utf8", ["--search-kanji", "--search-utf8"]),
                           ("--search-utf8", ["--search-utf8"])):
        found = parallel(lambda p: jq.kind_rows(lexprobe, options, p.exe), progs)
        whole = sum(len(set(m for m in p.sjis if m.encode("cp932") in
                            set(t for _, k, t in r if k == "ANSI"))) for p, r in zip(progs, found))
        all_rows = sum(len(r) for r in found)
        utf8 = [(p, o) for p, r in zip(progs, found) for o, k, _ in r if k == "UTF-8"]
        in_code = sum(1 for p, o in utf8 if any(s <= o < s + n for s, n in p.code))
        print("  %s" % label)
        if "--search-kanji" in options:
            print("    %-58s %s" % ("Shift-JIS messages listed whole", pct(whole, total)))
        print("    %-58s %s" % ("UTF-8 rows, of all rows", pct(len(utf8), all_rows)))
        print("    %-58s %s" % ("  of them in the code section", pct(in_code, len(utf8))))
    return progs


def utf8_length(data, i):
    """Length of the well-formed multi-byte UTF-8 sequence at i, or 0."""
    n = 2 if 0xC2 <= data[i] <= 0xDF else 3 if 0xE0 <= data[i] <= 0xEF else \
        4 if 0xF0 <= data[i] <= 0xF4 else 0
    try:
        data[i:i + n].decode("utf-8")
        return n if len(data) >= i + n else 0
    except UnicodeDecodeError:
        return 0


def tie_census(messages, progs):
    """Where the two readings meet, in the texts themselves: Shift-JIS
    pairs that also begin a well-formed UTF-8 character, and UTF-8
    characters whose first two bytes are also a Shift-JIS pair; all of
    them, and those that come first in their text (after ASCII only),
    where the reading of the whole text is decided."""
    pairs = ties = first = first_ties = 0
    for p in progs:
        for m in p.sjis:
            data = m.encode("cp932")
            i, seen = 0, False
            while i < len(data):
                if lead(data[i]) and i + 1 < len(data):
                    tie = utf8_length(data, i) > 0
                    pairs += 1
                    ties += tie
                    if not seen:
                        first += 1
                        first_ties += tie
                    seen = True
                    i += 2
                else:
                    i += 1
    print("Where Shift-JIS and UTF-8 readings meet (the texts themselves)")
    print("  %-60s %s" % ("Shift-JIS pairs that also begin a UTF-8 character", pct(ties, pairs)))
    print("  %-60s %s" % ("  of the messages' first pairs", pct(first_ties, first)))
    chars = ties = 0
    for pieces in messages.values():
        for m in pieces:
            text = m.decode("cp932")
            data = text.encode("utf-8")
            i = 0
            while i < len(data):
                n = utf8_length(data, i)
                if n:
                    chars += 1
                    ties += lead(data[i]) and trail(data[i + 1])
                    i += n
                else:
                    i += 1
    print("  %-60s %s" % ("UTF-8 characters of the messages that are also pairs", pct(ties, chars)))


def main():
    work, lexprobe = sys.argv[1:3]
    messages = measure_catalogues(lexprobe)
    print()
    measure_other_languages(lexprobe)
    print()
    progs = measure_programs(work, lexprobe)
    print()
    tie_census(messages, progs)


if __name__ == "__main__":
    main()
