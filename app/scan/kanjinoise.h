// The Shift-JIS noise filter: whether the double-byte characters of an
// "ANSI" row read as Japanese text, or as machine code that happens to
// pair its bytes like Shift-JIS (x86 instructions such as "mov" and "lea"
// begin with bytes of the kanji rows).  Portable: no <windows.h>.
#pragma once

#include <cstddef>

namespace lex {

// `text` is a row as the scanner gathers single-byte text: printable bytes,
// and a lead byte always followed by its trail byte.  True for a row
// without double-byte characters.
//
// A row with hiragana, Japanese punctuation (the symbol row up to 0x81AC:
// "、。「」ー" and the like) or two katakana in a row reads as Japanese
// unless it holds more characters that Japanese text does not use
// (undefined codes, Greek, Cyrillic, box drawing, mathematical symbols,
// the NEC and IBM extension rows) than such marks.  A row of kanji,
// single katakana and full-width letters alone reads as Japanese only when
// it holds none of those characters, no level-2 kanji and no mark of x86
// code ('$' beside a double-byte character or after D L T \ d l t |, '&'
// right after one), and besides has a kanji or full-width letter outside
// the lead bytes that x86 "mov", "lea" and "nop" begin with (0x89, 0x8B,
// 0x8D, 0x90), an ASCII word of three letters, a printf directive ("%s",
// "%lu") or an accelerator ("(&F)", "(_F)").
bool ReadsAsJapanese(const char *text, size_t length);

} // namespace lex
