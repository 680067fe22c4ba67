// The Shift-JIS noise filter (kanjinoise.h tells the rule).  The classes
// follow the rows of JIS X 0208 as code page 932 places them; every code of
// the kanji ranges is a character, so ranges are all the filter needs.
#include "scan/kanjinoise.h"

#include <cstdint>

#include "util/shiftjis.h"

namespace lex {

namespace {

enum class Kind { Hiragana, Katakana, Mark, Wide, Kanji1, Kanji2, Unused };

Kind KindOf(unsigned code)
{
    if (code >= 0x829F && code <= 0x82F1)
        return Kind::Hiragana;
    if (code >= 0x8340 && code <= 0x8396)
        return Kind::Katakana;
    if (code >= 0x8140 && code <= 0x81AC)
        return Kind::Mark;
    if ((code >= 0x824F && code <= 0x8258) || (code >= 0x8260 && code <= 0x8279) ||
        (code >= 0x8281 && code <= 0x829A))
        return Kind::Wide;
    if (code >= 0x889F && code <= 0x9872)
        return Kind::Kanji1;
    if (code >= 0x989F && code <= 0xEAA4)
        return Kind::Kanji2;
    return Kind::Unused;
}

bool IsLetter(uint8_t b) { return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z'); }

bool Contains(const char *set, uint8_t b)
{
    for (; *set; ++set) {
        if (static_cast<uint8_t>(*set) == b)
            return true;
    }
    return false;
}

// A printf directive at t[i] == '%': flags, width, precision and length,
// then a conversion.
bool DirectiveAt(const uint8_t *t, size_t i, size_t n)
{
    size_t j = i + 1;
    while (j < n && Contains("-+ #0123456789.*hlLqjzt", t[j]))
        ++j;
    return j < n && Contains("diouxXcsp", t[j]);
}

// "(&F)" or "(_F)" at t[i] == '('.
bool AcceleratorAt(const uint8_t *t, size_t i, size_t n)
{
    return i + 3 < n && (t[i + 1] == '&' || t[i + 1] == '_') &&
           (IsLetter(t[i + 2]) || (t[i + 2] >= '0' && t[i + 2] <= '9')) && t[i + 3] == ')';
}

} // namespace

bool ReadsAsJapanese(const char *text, size_t length)
{
    const uint8_t *t = reinterpret_cast<const uint8_t *>(text);
    size_t doubles = 0, marks = 0, unused = 0, katakanaRun = 0, letters = 0;
    bool marked = false, level2 = false, code = false, plain = false, wordLike = false;
    // The last character: a double-byte one, or the byte of a single one
    // (none at the start).
    bool afterDouble = false;
    int before = -1;
    for (size_t i = 0; i < length;) {
        const uint8_t b = t[i];
        if (loom::sjis::IsLead(b) && i + 1 < length) {
            const Kind kind = KindOf(static_cast<unsigned>(b) << 8 | t[i + 1]);
            ++doubles;
            code = code || before == '$';
            katakanaRun = kind == Kind::Katakana ? katakanaRun + 1 : 0;
            marked = marked || kind == Kind::Hiragana || kind == Kind::Mark || katakanaRun >= 2;
            if (kind == Kind::Hiragana || kind == Kind::Mark || kind == Kind::Katakana)
                ++marks;
            else if (kind == Kind::Unused)
                ++unused;
            else if (kind == Kind::Kanji2)
                level2 = true;
            else if (b != 0x89 && b != 0x8B && b != 0x8D && b != 0x90)
                plain = true;
            afterDouble = true;
            before = -1;
            letters = 0;
            i += 2;
            continue;
        }
        if (b == '$' && (afterDouble || (before >= 0 && Contains("DLT\\dlt|", static_cast<uint8_t>(before)))))
            code = true;
        if (b == '&' && afterDouble)
            code = true;
        if ((b == '%' && DirectiveAt(t, i, length)) || (b == '(' && AcceleratorAt(t, i, length)))
            wordLike = true;
        letters = IsLetter(b) ? letters + 1 : 0;
        wordLike = wordLike || letters >= 3;
        katakanaRun = 0;
        afterDouble = false;
        before = b;
        ++i;
    }
    if (doubles == 0)
        return true;
    if (marked)
        return unused < marks;
    return unused == 0 && !level2 && !code && (plain || wordLike);
}

} // namespace lex
