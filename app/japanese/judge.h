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
// clean end, nor ASCII alone off the head at a clean start, nor a
// Japanese word after it; a short ASCII head glued to Japanese at a dirty
// start is cut, and in Shift-JIS and UTF-8 rows one before the text's own
// ASCII start (a space, a format, a closing quote's or bracket's opening
// one, an option, a count: "T$'%s' ファイル"), as is a rare character
// glued to the text there; the text's own start, when the pairs cut it,
// is taken back ("\"%s\"に対する"); bytes left out between
// two characters cost a span twice a cut; a Shift-JIS row that is a whole
// string between clean edges earns a bonus, and a UTF-16 one made only of
// ASCII words and common Japanese characters reads as text, whole, as does
// a Shift-JIS one of small-letter words with a kana or two, and one of
// ASCII text (a word, a format or a mnemonic) with kana and kanji set in
// it as words, between spaces and punctuation ("%lld年", "PGP 鍵", "色(_C)").
// A whole Shift-JIS string weighs against its cut spans with its bonus,
// unless its head reads as a zero of code and the bytes after it ("職xcel");
// a Shift-JIS word before a mnemonic at a clean end ("H削除(_D)") reads as
// text from the word on, whatever its score.
#pragma once

#include <cstddef>
#include <cstdint>

#include "japanese/model.h"

namespace lex {
namespace japanese {

// The encoding a row was read in: machine code reads differently in each.
enum class JudgeForm : uint8_t { ShiftJis, Utf16Le, Utf8 };

// Kana and the kanji of the three commonest bands: what text is mostly
// made of, and machine code read as text seldom makes.
constexpr bool IsCommonTextClass(uint8_t c)
{
    return (c >= kHiraganaCommon && c <= kLongVowel) || (c >= kKanji1 && c <= kKanji3);
}

// Kanji that Japanese text sets right before a katakana word: prefixes
// ("全", "再", "非", "各"), directions, sizes, colours and materials,
// countries and places, and the nouns a loanword is named after.  Any
// other kanji right before a katakana word at a dirty edge is mostly
// machine code's last byte and the text's first lead byte ("加パスワード"
// of 89 C1).
bool LoanwordPrefix(uint32_t u);

// One character of a row: its code point, and where its bytes lie in the
// row (from `at`, `size` bytes), so that a caller can cut the row.
// `cls`: its class in the row's form (model.h's ClassOf), when the caller
// has it at hand (from a table of the encoding's bytes), or kClassUnknown.
// `pair`: in a Shift-JIS row, a double-byte character's lead and trail
// bytes (lead << 8 | trail), which machine code's instructions show
// through; 0 for any other character or when the caller does not say.
constexpr uint8_t kClassUnknown = 0xFF;
struct RowChar {
    uint32_t code;
    uint32_t at;
    uint32_t size;
    uint8_t cls = kClassUnknown;
    uint16_t pair = 0;
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
    // Below 0 it may be a bound on the best span's score, not the score.
    int32_t margin;
};

// A row without Japanese characters (kana, kanji, Japanese punctuation,
// full-width forms) never reads as Japanese: the caller keeps it by the
// rules of its other text.
// `ease`: how far below the encoding's threshold the span's score may be
// (text in an encoding whose form machine code seldom takes); the
// verdict's margin counts from the lowered threshold.
Verdict JudgeRow(const RowChar *chars, size_t count, JudgeForm form, RowEdges edges,
                 int32_t ease = 0);
// The same verdict worked out span by span, without first bounding the
// row's best score (JudgeRow settles most rows of machine code so): the
// fuzz target checks that both agree.
Verdict JudgeRowWhole(const RowChar *chars, size_t count, JudgeForm form, RowEdges edges,
                      int32_t ease = 0);

// The margin bound of a row whose best span scores at most `best` before
// the bonuses (ScoreBound::Margin).
int32_t BoundMargin(JudgeForm form, bool cleanStart, bool cleanEnd, int64_t best);
// The least such `best` whose margin bound is 0, not below: a row whose
// best span scores less before the bonuses does not read as Japanese.
int64_t BoundNeed(JudgeForm form, bool cleanStart, bool cleanEnd);

// A bound on the score of every span of a row, fed its characters'
// classes one by one: each span's head scores as if it stood at the row's
// start or at a dirty edge without paying for a cut, and so does its tail
// at a dirty end; bytes left out cost nothing, a single Japanese character
// nothing more, and a whole string between clean edges earns its bonus.
// The best of these spans (a running sum) scores at least as much as any
// span the judge weighs, so a bound below the threshold settles that the
// row does not read as Japanese.  Machine code read as text, nearly all
// of the rows the judge is given, ends there: a caller may bound a row
// from its bytes before it works out its characters.
class ScoreBound {
public:
    static constexpr size_t kBoundedChars = 65535;
    // The row's start edge stands as the class before its first character,
    // where a span may also begin as at a dirty edge, and the empty span
    // before it may end there: both only loosen the bound.
    ScoreBound(JudgeForm form, bool cleanStart)
        : score_(kPairScore[static_cast<int>(form)]), form_(form), cleanStart_(cleanStart),
          prev_(score_[cleanStart ? kCleanEdge : kDirtyEdge])
    {
    }
    void Add(uint8_t cls)
    {
        const int32_t ended = run_ + prev_[kDirtyEdge];
        dirtyEnd_ = ended > dirtyEnd_ ? ended : dirtyEnd_;
        const int32_t on = run_ + prev_[cls], begun = score_[kDirtyEdge][cls];
        run_ = on > begun ? on : begun;
        prev_ = score_[cls];
    }
    // Below 0: no span of the row so far, ended at a clean edge or not,
    // reads as Japanese (the value bounds the verdict's margin); 0: one
    // may (always so for a whole string between clean edges that a rule
    // keeps below the threshold, and for a row without characters).
    int32_t Margin(bool cleanEnd) const
    {
        if (Empty())
            return 0;
        return BoundMargin(form_, cleanStart_, cleanEnd, Best(cleanEnd));
    }
    // Whether Margin(cleanEnd) is 0, not below, with `need` the row's
    // BoundNeed (a caller that bounds many rows keeps it).
    bool Reaches(bool cleanEnd, int64_t need) const { return Empty() || Best(cleanEnd) >= need; }

private:
    bool Empty() const { return prev_ >= score_[kCharClasses]; }
    // The best span's score before the bonuses.
    int32_t Best(bool cleanEnd) const
    {
        const int32_t best = run_ + prev_[cleanEnd ? kCleanEdge : kDirtyEdge];
        return !cleanEnd && dirtyEnd_ > best ? dirtyEnd_ : best;
    }

    const int16_t (*score_)[kRowClasses];
    JudgeForm form_;
    bool cleanStart_;
    // The scores after the last character's class (at first the start
    // edge's).
    const int16_t *prev_;
    // The best span ending at the last character, and the best ended at a
    // dirty edge before it (a pair scores below 2^15 either way: for at
    // most kBoundedChars characters they stay in range).
    int32_t run_ = 0;
    int32_t dirtyEnd_ = INT32_MIN / 2;
};

// The bytes [*from, *to) of the row that a verdict keeps.
inline void KeptBytes(const RowChar *chars, const Verdict &v, uint32_t *from, uint32_t *to)
{
    *from = v.end > v.first ? chars[v.first].at : 0;
    *to = v.end > v.first ? chars[v.end - 1].at + chars[v.end - 1].size : 0;
}

} // namespace japanese
} // namespace lex
