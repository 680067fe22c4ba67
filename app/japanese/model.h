// The tables of the Japanese-text judge, generated when the program is
// built (scripts/make-japanese-model.py: what they are counted from).
// Portable: no <windows.h>.
#pragma once

#include <cstdint>

namespace lex {
namespace japanese {

// Character classes.  The numbers are those of the generating script's
// CLASSES list (its generated file checks them).
enum CharClass : uint8_t {
    kSpace, kDigit, kCapital, kSmall, kStop, kOpen, kClose, kQuote,
    kDollar, kPercent, kAmp, kMath, kSign,
    kHiraganaCommon, kHiragana, kKatakana, kLongVowel, kJapaneseStop, kBracket,
    kJapaneseSign, kWide, kWideSign, kHalfKatakana,
    kKanji1, kKanji2, kKanji3, kKanji4, kKanji5, kCodeLike,
    kSymbol, kOther,
    kCharClasses
};
// Kana, kanji, Japanese punctuation and full-width forms: the characters
// that make a row one with Japanese text.
constexpr bool IsJapaneseClass(uint8_t c) { return c >= kHiraganaCommon && c <= kCodeLike; }

// A row's edges as classes: before its first character (after a zero, a
// tab, a line break, in UTF-16 any control unit or a dialog's class atom,
// or the file's start: clean; after anything else: dirty) and after its
// last one.
constexpr uint8_t kCleanEdge = kCharClasses, kDirtyEdge = kCharClasses + 1;
constexpr int kRowClasses = kCharClasses + 2;

// Encodings the pair scores are counted for (JudgeForm in judge.h).
constexpr int kForms = 3;

// The class of a code point of the BMP, kClassBlocks[kClassBlockOf[u >> 8]][u & 0xFF],
// before the code-like characters of kCodeLikeBits are taken out.
extern const uint8_t kClassBlockOf[256];
extern const uint8_t kClassBlocks[][256];

// kPairScore[form][before][after]: ln of how much likelier the class
// `after` follows `before` in Japanese text than in machine code read as
// text of that encoding, in sixteenths.  Row `before` kCleanEdge or
// kDirtyEdge scores a row's first character; column `after` kCleanEdge or
// kDirtyEdge its end.
extern const int16_t kPairScore[kForms][kRowClasses][kRowClasses];

// kOneJapaneseScore[form]: ln of how much likelier a row with a single
// Japanese character is in text than in machine code read in that
// encoding, in sixteenths (machine code makes lone characters: "$ん",
// "並%").
extern const int16_t kOneJapaneseScore[kForms];

// kCodeLikeBits[form]: one bit per BMP code point, set for the kana and
// kanji that machine code read in that encoding makes far more often than
// Japanese text uses them; they are of the class kCodeLike there.
extern const uint32_t kCodeLikeBits[kForms][65536 / 32];
// The same for machine code read as UTF-16BE, whose text is read with the
// pair scores of UTF-16LE (but for the kanji of the two rarest bands).
extern const uint32_t kCodeLikeBitsUtf16Be[65536 / 32];

// The class of a code point with the code-like characters of `codeLike`
// (one of the tables above).
inline uint8_t ClassOfWith(uint32_t code, const uint32_t *codeLike)
{
    if (code >= 0x10000)
        return kOther;
    if ((codeLike[code >> 5] >> (code & 31)) & 1)
        return kCodeLike;
    return kClassBlocks[kClassBlockOf[code >> 8]][code & 0xFF];
}

inline uint8_t ClassOf(uint32_t code, int form) { return ClassOfWith(code, kCodeLikeBits[form]); }

} // namespace japanese
} // namespace lex
