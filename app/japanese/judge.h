// The Japanese-text judge: whether the characters of a row read as
// Japanese text or as machine code and tables that happen to decode as
// kana and kanji, and, where only the row's head or tail does not read as
// text, the part that does.  One judge for every encoding of Japanese text
// the walk finds.  Portable: no <windows.h>.
//
// The judge reads the row as a chain of character classes (model.h: ASCII
// by role, common and other hiragana, katakana, Japanese punctuation,
// full-width forms, kanji in bands by how often Japanese text uses them,
// other symbols) between its two edges, and adds up for every neighbouring
// pair how much likelier that pair is in Japanese text than in machine
// code read in the row's encoding: log-likelihood ratios counted when the
// program is built, from the machine's Japanese message catalogues and
// its own binaries.  The row reads as Japanese when the best-scoring span
// of its characters that holds a Japanese character scores above the
// encoding's threshold; the span is the whole row unless cutting a head or
// a tail raises the score by more than a cut costs.  Besides: a row with a
// single Japanese character scores its own ratio; no tail is cut at a
// clean end, nor ASCII alone off the head at a clean start; a short ASCII
// head glued to Japanese at a dirty start is cut; bytes left out between
// two characters cost a span twice a cut; a Shift-JIS row that is a whole
// string between clean edges earns a bonus, and a UTF-16 one made only of
// ASCII words and common Japanese characters reads as text, whole, as does
// a Shift-JIS one of small-letter words with a kana or two.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lex {
namespace japanese {

// The encoding a row was read in: machine code reads differently in each.
enum class JudgeForm : uint8_t { ShiftJis, Utf16Le, Utf8 };

// One character of a row: its code point, and where its bytes lie in the
// row (from `at`, `size` bytes), so that a caller can cut the row.
// `cls`: its class in the row's form (model.h's ClassOf), when the caller
// has it at hand (from a table of the encoding's bytes), or kClassUnknown.
constexpr uint8_t kClassUnknown = 0xFF;
struct RowChar {
    uint32_t code;
    uint32_t at;
    uint32_t size;
    uint8_t cls = kClassUnknown;
};

// What the row is read between: whether a zero, a tab, a line break (for
// UTF-16, any control code unit, as string tables' length words, or a
// dialog's control class atom 0x0080-0x0085) or the file's edge stands
// right before its first character (cleanStart) and right after its last
// one (cleanEnd).  Text nearly always sits so; machine code read as text
// mostly begins and ends at other bytes.
struct RowEdges {
    bool cleanStart;
    bool cleanEnd;
};

struct Verdict {
    // Whether characters [first, end) read as Japanese text.  When false,
    // the row holds nothing that does (first and end are then 0).
    bool japanese;
    uint32_t first, end;
    // The span's score, in sixteenths of a natural logarithm's unit above
    // the threshold (0 and above: Japanese): for measuring, not for rules.
    int32_t margin;
};

// A row without Japanese characters (kana, kanji, Japanese punctuation,
// full-width forms) never reads as Japanese: the caller keeps it by the
// rules of its other text.
Verdict JudgeRow(const RowChar *chars, size_t count, JudgeForm form, RowEdges edges);

// The bytes [*from, *to) of the row that a verdict keeps.
inline void KeptBytes(const RowChar *chars, const Verdict &v, uint32_t *from, uint32_t *to)
{
    *from = v.end > v.first ? chars[v.first].at : 0;
    *to = v.end > v.first ? chars[v.end - 1].at + chars[v.end - 1].size : 0;
}

} // namespace japanese
} // namespace lex
