// The Shift-JIS noise filter (kanjinoise.h tells the rule).  The classes
// follow the rows of JIS X 0208 as code page 932 places them; every code of
// the kanji ranges is a character, so ranges are all the filter needs.
#include "scan/kanjinoise.h"

#include <cstdint>

#include "util/shiftjis.h"

namespace lex {

namespace {

enum class Kind { Hiragana, Katakana, Mark, Wide, Kanji1, Kanji2, Unused };

// By the lead byte first: most rows are decided there.
Kind KindOf(uint8_t lead, uint8_t trail)
{
    if (lead >= 0x89 && lead <= 0x97)
        return Kind::Kanji1;
    if ((lead >= 0x99 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xE9))
        return Kind::Kanji2;
    switch (lead) {
    case 0x81:
        return trail <= 0xAC ? Kind::Mark : Kind::Unused;
    case 0x82:
        if (trail >= 0x9F)
            return trail <= 0xF1 ? Kind::Hiragana : Kind::Unused;
        return (trail >= 0x4F && trail <= 0x58) || (trail >= 0x60 && trail <= 0x79) ||
                       (trail >= 0x81 && trail <= 0x9A)
                   ? Kind::Wide
                   : Kind::Unused;
    case 0x83:
        return trail <= 0x96 ? Kind::Katakana : Kind::Unused;
    case 0x88:
        return trail >= 0x9F ? Kind::Kanji1 : Kind::Unused;
    case 0x98:
        return trail <= 0x72 ? Kind::Kanji1 : trail >= 0x9F ? Kind::Kanji2 : Kind::Unused;
    case 0xEA:
        return trail <= 0xA4 ? Kind::Kanji2 : Kind::Unused;
    default:
        return Kind::Unused;
    }
}

// What a double-byte character adds to a row's account, as bits, for
// every lead byte (by its index among the lead bytes) and trail byte: the
// character's kind and whether its lead byte is one that x86 "mov", "lea"
// and "nop" begin with.  Built once from KindOf.
enum : uint8_t {
    kMarkBit = 1,      // hiragana or punctuation
    kKatakanaBit = 2,
    kUnusedBit = 4,
    kLevel2Bit = 8,
    kPlainBit = 16,    // a level-1 kanji or full-width letter outside those lead bytes
};

struct DoubleTable {
    uint8_t index[256];       // lead byte -> row of bits, 0xFF for other bytes
    uint8_t bits[60][256];
    DoubleTable()
    {
        uint8_t rows = 0;
        for (int lead = 0; lead < 256; ++lead) {
            const auto b = static_cast<uint8_t>(lead);
            index[b] = loom::sjis::IsLead(b) ? rows++ : 0xFF;
            if (index[b] == 0xFF)
                continue;
            const bool movLead = b == 0x89 || b == 0x8B || b == 0x8D || b == 0x90;
            for (int trail = 0; trail < 256; ++trail) {
                const Kind kind = KindOf(b, static_cast<uint8_t>(trail));
                uint8_t v = 0;
                if (kind == Kind::Hiragana || kind == Kind::Mark)
                    v = kMarkBit;
                else if (kind == Kind::Katakana)
                    v = kKatakanaBit;
                else if (kind == Kind::Unused)
                    v = kUnusedBit;
                else if (kind == Kind::Kanji2)
                    v = kLevel2Bit;
                else if (!movLead)
                    v = kPlainBit;
                bits[index[b]][trail] = v;
            }
        }
    }
};

const DoubleTable &Doubles()
{
    static const DoubleTable table;
    return table;
}

bool IsLetter(uint8_t b) { return static_cast<uint8_t>((b | 0x20) - 'a') < 26; }

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
    const DoubleTable &table = Doubles();
    const uint8_t *t = reinterpret_cast<const uint8_t *>(text);
    const uint8_t *const end = t + length;
    unsigned marks = 0, unused = 0, katakanaRun = 0, letters = 0, seen = 0;
    bool doubles = false, marked = false, code = false, wordLike = false;
    // The last character: a double-byte one, or the byte of a single one
    // (none at the start).
    bool afterDouble = false;
    uint8_t before = 0;
    for (const uint8_t *p = t; p < end;) {
        const uint8_t b = *p;
        const uint8_t row = table.index[b];
        if (row != 0xFF && p + 1 < end) {
            const unsigned v = table.bits[row][p[1]];
            doubles = true;
            code = code || (!afterDouble && before == '$');
            const unsigned katakana = (v & kKatakanaBit) != 0;
            katakanaRun = katakana ? katakanaRun + 1 : 0;
            marked = marked || (v & kMarkBit) != 0 || katakanaRun >= 2;
            marks += (v & (kMarkBit | kKatakanaBit)) != 0;
            unused += (v & kUnusedBit) != 0;
            seen |= v;
            afterDouble = true;
            letters = 0;
            p += 2;
            continue;
        }
        if (IsLetter(b)) {
            wordLike = wordLike || ++letters >= 3;
        } else {
            letters = 0;
            if (b == '$')
                code = code || afterDouble || (before != 0 && Contains("DLT\\dlt|", before));
            else if (b == '&')
                code = code || afterDouble;
            else if (b == '%')
                wordLike = wordLike || DirectiveAt(t, static_cast<size_t>(p - t), length);
            else if (b == '(')
                wordLike = wordLike || AcceleratorAt(t, static_cast<size_t>(p - t), length);
        }
        katakanaRun = 0;
        afterDouble = false;
        before = b;
        ++p;
    }
    if (!doubles)
        return true;
    if (marked)
        return unused < marks;
    return unused == 0 && !(seen & kLevel2Bit) && !code && ((seen & kPlainBit) || wordLike);
}

} // namespace lex
