// The generated table behind cp932.h: for each range of UTF-16 code units
// that holds Japanese characters, the code page 932 form of every unit
// (lead byte << 8 | trail byte, one byte 0xA1-0xDF, or 0 where code page
// 932 lacks the character).  scripts/make-cp932-table.py writes the
// definitions when the program is built.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lex {

struct Cp932Range {
    uint16_t first;          // first code unit of the range
    uint16_t last;           // last code unit, inclusive
    const uint16_t *forms;   // last - first + 1 forms, from `first` on
};

constexpr int kCp932RangeCount = 3;
extern const Cp932Range kCp932Ranges[kCp932RangeCount];

// The symbols (cp932.h), as code unit << 16 | form, in the order of their
// code units.
extern const uint32_t kCp932Symbols[];
extern const size_t kCp932SymbolCount;

// The Latin-1 signs that code page 932 holds (U+0080-U+00FF), likewise.
extern const uint32_t kCp932Latin1[];
extern const size_t kCp932Latin1Count;

// The character of every double-byte form (cp932.h, Cp932Char): for the
// lead bytes 0x81-0x9F and 0xE0-0xFC in order, one per trail byte
// 0x40-0xFC; 0 where code page 932 assigns none.
constexpr size_t kCp932LeadCount = 60;
constexpr size_t kCp932TrailCount = 0xFC - 0x40 + 1;
extern const uint16_t kCp932Chars[kCp932LeadCount * kCp932TrailCount];

} // namespace lex
