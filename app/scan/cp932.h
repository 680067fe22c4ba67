// Code page 932 (Shift-JIS) forms of the characters of Japanese text that a
// UTF-16LE string may hold.  The table behind it is generated when the
// program is built, so every build and every test uses the same mapping.
// Portable: no <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lex {

// One bit per UTF-16 code unit: set for the Japanese characters that code
// page 932 holds, in hiragana and katakana (U+3040-U+30FF), CJK ideographs
// (U+4E00-U+9FFF), CJK symbols and punctuation (U+3000-U+303F), full-width
// forms (U+FF01-U+FF60) and half-width katakana (U+FF61-U+FF9F).
extern const uint32_t kJapaneseUnitBits[65536 / 32];

inline bool IsJapaneseUnit(uint16_t unit)
{
    return (kJapaneseUnitBits[unit >> 5] >> (unit & 31)) & 1;
}

inline bool IsHalfWidthKatakana(uint16_t unit)
{
    return unit >= 0xFF61 && unit <= 0xFF9F;
}

// The other double-byte characters of code page 932, from U+0100 on:
// Greek, Cyrillic, punctuation such as quotation marks and ellipses,
// arrows, mathematical signs, circled numbers, box drawing, shapes, squared
// words, compatibility ideographs, full-width signs.  They never begin
// Japanese text; inside it, they go on with it.  (The Latin-1 signs that
// code page 932 holds are left out: their code units read as a byte and a
// zero, the form of ASCII UTF-16 text.)
extern const uint32_t kJapaneseSymbolBits[65536 / 32];

inline bool IsJapaneseSymbol(uint16_t unit)
{
    return (kJapaneseSymbolBits[unit >> 5] >> (unit & 31)) & 1;
}

// Kana, CJK symbols and punctuation, and half-width katakana: what marks a
// string as Japanese text rather than a run of ideographs.
inline bool IsKanaOrSymbol(uint16_t unit)
{
    return (unit >= 0x3000 && unit <= 0x30FF) || IsHalfWidthKatakana(unit);
}

// The Shift-JIS bytes of a Japanese character or symbol: lead byte << 8 |
// trail byte, or the one byte (0xA1-0xDF) of half-width katakana.  0 when
// IsJapaneseUnit(unit) and IsJapaneseSymbol(unit) are both false.
uint16_t JapaneseUnitCp932(uint16_t unit);

// The code page 932 form of any character (a Unicode code point): the byte
// itself for ASCII, the one byte 0xA1-0xDF of a half-width katakana, or
// lead byte << 8 | trail byte; 0 when code page 932 lacks the character
// (its user-defined rows, mapped to the private use area, count as lacking).
uint16_t Cp932Form(uint32_t code);

// The stand-in that a row's text holds for a character that code page 932
// lacks: "\u{", the code point in upper-case hexadecimal digits without
// leading zeros, "}" (U+00E9 is \u{E9}, U+1F600 is \u{1F600}).  Writes it
// at `out` (at most kMaxStandIn bytes) and returns its length.
constexpr size_t kMaxStandIn = 10;
size_t PutStandIn(uint32_t code, char *out);

// The character (a code point) of the double-byte form `lead`, `trail`;
// 0 when code page 932 assigns none (a trail byte outside 0x40-0xFC
// included).  Its user-defined rows read as the private use area.
uint32_t Cp932Char(uint8_t lead, uint8_t trail);

// A row's text (code page 932 bytes) in UTF-8, for output that is not in
// code page 932: single bytes and double-byte characters as their
// characters, and with `standIns` (the text of a UTF-8 row, the only kind
// that holds them) every stand-in as the character it stands for.  Only a
// stand-in as PutStandIn writes it, for a character that code page 932
// lacks, is one: a text "\u{41}" stays as it is.  A byte that begins no
// character, or a pair that code page 932 does not assign, is written as
// U+FFFD.  Writes at most kMaxUtf8PerByte * length bytes at `out` and
// returns how many.
constexpr size_t kMaxUtf8PerByte = 3;
size_t Cp932TextToUtf8(const char *text, size_t length, bool standIns, char *out);

} // namespace lex
