#!/usr/bin/env python3
"""Writes the C++ table of the code page 932 (Shift-JIS) forms of the
Japanese characters that a UTF-16LE string may hold:

    make-cp932-table.py OUTPUT.cpp

The build runs this (the output lives in the build tree, never in the
sources), so the native build, its tests and fuzz targets and the Windows
build all use one mapping.  Three ranges of UTF-16 code units are covered,
each by one array of 16-bit forms:

    U+3000-U+30FF  CJK symbols and punctuation, hiragana, katakana
    U+4E00-U+9FFF  CJK ideographs
    U+FF01-U+FF9F  full-width forms, half-width katakana

A form is lead byte << 8 | trail byte, or the single byte 0xA1-0xDF of a
half-width katakana, or 0 for a character that code page 932 lacks.  The
bit set kJapaneseUnitBits has one bit per code unit, set exactly where the
form is not 0; a unit outside the ranges has no bit.

The other double-byte characters of code page 932 (Greek, Cyrillic,
punctuation such as quotation marks and ellipses, arrows, mathematical
signs, circled numbers, box drawing, shapes, squared words, compatibility
ideographs, full-width signs; not the Latin-1 signs, whose code units read
as a byte and a zero, nor the user-defined rows) form the symbols: the bit
set kJapaneseSymbolBits and the sorted array kCp932Symbols of
unit << 16 | form.

The forms come from Python's strict "cp932" encoder (nothing is replaced),
with one change: for the characters that code page 932 holds twice, in the
NEC-selected rows 0xED-0xEE and in the IBM rows 0xFA-0xFC (ideographs, and
the full-width quotation mark and apostrophe), Python writes the NEC form
while Windows writes the IBM one.  Both read back as the same
character; the table takes the IBM form, so that the bytes are those that
Windows itself writes for the character (and those of the same text found
as Shift-JIS).

The way back, for writing rows in UTF-8: kCp932Chars holds the character
(a code point below U+10000) of every double-byte form, lead bytes
0x81-0x9F and 0xE0-0xFC by trail bytes 0x40-0xFC, as Python's decoder reads
it (the user-defined rows 0xF0-0xF9 as the private use area, as Windows
reads them), 0 where code page 932 assigns no character.
"""
import os
import sys

RANGES = [
    ("Kana", 0x3000, 0x30FF),
    ("Ideographs", 0x4E00, 0x9FFF),
    ("FullWidth", 0xFF01, 0xFF9F),
]

LEAD_BYTES = list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD))
TRAIL_BYTES = list(range(0x40, 0x7F)) + list(range(0x80, 0xFD))


def ibm_forms():
    """The characters of the IBM extension rows 0xFA-0xFC and their forms."""
    forms = {}
    for lead in (0xFA, 0xFB, 0xFC):
        for trail in TRAIL_BYTES:
            try:
                char = bytes([lead, trail]).decode("cp932")
            except UnicodeDecodeError:
                continue
            forms.setdefault(char, lead << 8 | trail)
    return forms


def form_of(unit, ibm):
    """The form of one code unit, 0 when code page 932 lacks it."""
    char = chr(unit)
    try:
        encoded = char.encode("cp932")
    except UnicodeEncodeError:
        return 0
    if len(encoded) == 1:
        if not 0xA1 <= encoded[0] <= 0xDF:
            sys.exit("U+%04X: unexpected single byte %02X" % (unit, encoded[0]))
        return encoded[0]
    if len(encoded) != 2 or encoded[0] not in LEAD_BYTES or encoded[1] not in TRAIL_BYTES:
        sys.exit("U+%04X: unexpected form %s" % (unit, encoded.hex()))
    if encoded[0] in (0xED, 0xEE) and char in ibm:
        return ibm[char]
    return encoded[0] << 8 | encoded[1]


def double_byte(units, ibm):
    """(unit, form) of every unit of `units` that code page 932 holds as a
    double-byte character."""
    result = []
    for unit in units:
        try:
            encoded = chr(unit).encode("cp932")
        except UnicodeEncodeError:
            continue
        if len(encoded) == 2:
            result.append((unit, form_of(unit, ibm)))
    return result


def symbols(ibm):
    """(unit, form) of every double-byte character outside RANGES, from
    U+0100 on, private use areas left out."""
    return double_byte((u for u in range(0x100, 0x10000)
                        if not any(first <= u <= last for _, first, last in RANGES)
                        and not 0xD800 <= u <= 0xF8FF), ibm)


def latin1_signs(ibm):
    """(unit, form) of every character U+0080-U+00FF that code page 932
    holds as a double-byte character (the control character U+0080, which
    Python maps to the byte 0x80, is no sign)."""
    return double_byte(range(0x80, 0x100), ibm)


def decoded_pairs():
    """The character of every lead and trail byte pair, 0 where none."""
    chars = []
    for lead in LEAD_BYTES:
        for trail in range(0x40, 0xFD):
            try:
                char = bytes([lead, trail]).decode("cp932")
            except UnicodeDecodeError:
                chars.append(0)
                continue
            if len(char) != 1 or ord(char) > 0xFFFF:
                sys.exit("%02X %02X: unexpected character" % (lead, trail))
            chars.append(ord(char))
    return chars


def c_array(ctype, name, values, per_line, width):
    lines = ["const %s %s[%d] = {" % (ctype, name, len(values))]
    for i in range(0, len(values), per_line):
        chunk = values[i:i + per_line]
        lines.append("    " + ", ".join("0x%0*X" % (width, v) for v in chunk) + ",")
    lines.append("};")
    return "\n".join(lines)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make-cp932-table.py OUTPUT.cpp")
    out = sys.argv[1]
    ibm = ibm_forms()

    bits = [0] * (65536 // 32)
    parts = [
        "// Generated by scripts/make-cp932-table.py from Python's cp932 codec; do not edit.",
        '#include "scan/cp932.h"',
        '#include "scan/cp932_table.h"',
        "",
        "namespace lex {",
        "",
    ]
    for name, first, last in RANGES:
        forms = [form_of(unit, ibm) for unit in range(first, last + 1)]
        for unit, form in zip(range(first, last + 1), forms):
            if form:
                bits[unit >> 5] |= 1 << (unit & 31)
        parts.append("// U+%04X-U+%04X" % (first, last))
        parts.append(c_array("uint16_t", "kCp932" + name, forms, 12, 4))
        parts.append("")
    parts.append("const Cp932Range kCp932Ranges[kCp932RangeCount] = {")
    for name, first, last in RANGES:
        parts.append("    {0x%04X, 0x%04X, kCp932%s}," % (first, last, name))
    parts.append("};")
    parts.append("")
    parts.append(c_array("uint32_t", "kJapaneseUnitBits", bits, 8, 8))
    parts.append("")
    symbol_bits = [0] * (65536 // 32)
    pairs = symbols(ibm)
    for unit, _ in pairs:
        symbol_bits[unit >> 5] |= 1 << (unit & 31)
    parts.append(c_array("uint32_t", "kJapaneseSymbolBits", symbol_bits, 8, 8))
    parts.append("")
    parts.append(c_array("uint32_t", "kCp932Symbols", [u << 16 | f for u, f in pairs], 6, 8))
    parts.append("const size_t kCp932SymbolCount = %d;" % len(pairs))
    parts.append("")
    latin1 = latin1_signs(ibm)
    parts.append(c_array("uint32_t", "kCp932Latin1", [u << 16 | f for u, f in latin1], 6, 8))
    parts.append("const size_t kCp932Latin1Count = %d;" % len(latin1))
    parts.append("")
    parts.append(c_array("uint16_t", "kCp932Chars", decoded_pairs(), 12, 4))
    parts.append("")
    parts.append("} // namespace lex")
    parts.append("")

    # Written whole under another name first, so that a failed run never
    # leaves half a table for the next build to compile.
    tmp = out + ".tmp"
    with open(tmp, "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(parts))
    os.replace(tmp, out)


if __name__ == "__main__":
    main()
