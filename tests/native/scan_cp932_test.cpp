// The code page 932 table of Japanese UTF-16 code units: known characters of
// every kind, the characters of the ranges that code page 932 lacks, the
// units just outside the ranges, and properties of the whole table.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <ios>
#include <map>
#include <string>
#include <vector>

#include "scan/cp932.h"
#include "scan/encodedrows.h"
#include "util/mbcs.h"

using lex::IsHalfWidthKatakana;
using lex::IsJapaneseUnit;
using lex::JapaneseUnitCp932;

namespace {

struct Known {
    const char *what;
    uint16_t unit;
    uint16_t form;  // 0: not Japanese
};

std::string Hex(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value);
    return text;
}

bool InRanges(uint32_t unit)
{
    return (unit >= 0x3000 && unit <= 0x30FF) || (unit >= 0x4E00 && unit <= 0x9FFF) ||
           (unit >= 0xFF01 && unit <= 0xFF9F);
}

bool IsTrailByte(unsigned byte)
{
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

} // namespace

TEST(Cp932Table, KnownCharacters)
{
    const Known cases[] = {
        {"hiragana a", 0x3042, 0x82A0},
        {"hiragana small a, first of its block", 0x3041, 0x829F},
        {"hiragana n, last of its block", 0x3093, 0x82F1},
        {"katakana a", 0x30A2, 0x8341},
        {"katakana vu", 0x30F4, 0x8394},
        {"katakana small ke, last of its block", 0x30F6, 0x8396},
        {"prolonged sound mark", 0x30FC, 0x815B},
        {"katakana middle dot", 0x30FB, 0x8145},
        {"ideographic space", 0x3000, 0x8140},
        {"ideographic full stop", 0x3002, 0x8142},
        {"ideographic iteration mark", 0x3005, 0x8158},
        {"ideographic number zero", 0x3007, 0x815A},
        {"double prime quotation mark (NEC row 13)", 0x301D, 0x8780},
        {"first kanji of JIS level 1", 0x4E9C, 0x889F},
        {"kanji of JIS level 1", 0x9ED2, 0x8D95},
        {"first kanji of JIS level 2", 0x5F0C, 0x989F},
        {"last kanji of JIS level 2", 0x7199, 0xEAA4},
        {"kanji of the ideograph row 1", 0x4EDD, 0x8157},
        {"IBM extension kanji, first", 0x7E8A, 0xFA5C},
        {"IBM extension kanji (tall taka)", 0x9AD9, 0xFBFC},
        {"IBM extension kanji, last", 0x9ED1, 0xFC4B},
        {"wave dash, written as the JIS wave dash", 0x301C, 0x8160},
        {"full-width tilde", 0xFF5E, 0x8160},
        {"full-width exclamation mark, first of its block", 0xFF01, 0x8149},
        {"full-width quotation mark, IBM row", 0xFF02, 0xFA57},
        {"full-width apostrophe, IBM row", 0xFF07, 0xFA56},
        {"full-width A", 0xFF21, 0x8260},
        {"full-width reverse solidus", 0xFF3C, 0x815F},
        {"full-width hyphen-minus", 0xFF0D, 0x817C},
        {"half-width ideographic full stop", 0xFF61, 0xA1},
        {"half-width katakana a", 0xFF71, 0xB1},
        {"half-width semi-voiced sound mark, last of the ranges", 0xFF9F, 0xDF},
        // Characters of the ranges that code page 932 lacks.
        {"hiragana vu", 0x3094, 0},
        {"unassigned U+3040", 0x3040, 0},
        {"combining voiced sound mark", 0x3099, 0},
        {"katakana digraph koto", 0x30FF, 0},
        {"left white lenticular bracket", 0x3016, 0},
        {"reversed double prime quotation mark", 0x301E, 0},
        {"kanji outside JIS and IBM", 0x4E02, 0},
        {"kanji variant of the IBM row", 0x7E6B, 0},
        {"last unified ideograph of the range", 0x9FFF, 0},
        {"full-width white parenthesis", 0xFF5F, 0},
        {"half-width full stop before the katakana", 0xFF60, 0},
        // Just outside each range.
        {"before the symbols", 0x2FFF, 0},
        {"after the katakana", 0x3100, 0},
        {"before the ideographs", 0x4DFF, 0},
        {"after the ideographs", 0xA000, 0},
        {"before the full-width forms", 0xFF00, 0},
        {"after the half-width katakana", 0xFFA0, 0},
        // Symbols: in code page 932, and Japanese text goes on with them.
        {"greek alpha", 0x03B1, 0x83BF},
        {"horizontal bar", 0x2015, 0x815C},
        {"full-width yen sign", 0xFFE5, 0x818F},
        // Latin-1 signs read as a byte and a zero: left out.
        {"section sign", 0x00A7, 0},
        {"ASCII A", 0x0041, 0},
        {"zero", 0x0000, 0},
    };
    for (const Known &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Hex(c.form), Hex(JapaneseUnitCp932(c.unit))) << "U+" << Hex(c.unit);
        EXPECT_EQ(c.form != 0 && InRanges(c.unit), IsJapaneseUnit(c.unit)) << "U+" << Hex(c.unit);
        EXPECT_EQ(c.form != 0 && !InRanges(c.unit), lex::IsJapaneseSymbol(c.unit))
            << "U+" << Hex(c.unit);
    }
}

TEST(Cp932Table, BitsAgreeWithTheFormsAndSymbolsStayOutsideTheRanges)
{
    for (uint32_t unit = 0; unit <= 0xFFFF; ++unit) {
        const uint16_t u = static_cast<uint16_t>(unit);
        const uint16_t form = JapaneseUnitCp932(u);
        ASSERT_EQ(form != 0 && InRanges(unit), IsJapaneseUnit(u)) << "U+" << Hex(unit);
        ASSERT_EQ(form != 0 && !InRanges(unit), lex::IsJapaneseSymbol(u)) << "U+" << Hex(unit);
    }
}

TEST(Cp932Table, FormsAreShiftJisAndWindowsChoice)
{
    for (uint32_t unit = 0; unit <= 0xFFFF; ++unit) {
        const uint16_t u = static_cast<uint16_t>(unit);
        const unsigned form = JapaneseUnitCp932(u);
        if (form == 0)
            continue;
        SCOPED_TRACE("U+" + Hex(unit) + " -> " + Hex(form));
        if (IsHalfWidthKatakana(u)) {
            // JIS X 0201 katakana keep their order: U+FF61 is 0xA1.
            EXPECT_EQ(0xA1u + (unit - 0xFF61), form);
            continue;
        }
        const unsigned lead = form >> 8, trail = form & 0xFF;
        EXPECT_TRUE(loom::IsShiftJisLeadByte(static_cast<unsigned char>(lead)));
        EXPECT_TRUE(IsTrailByte(trail));
        // Windows writes the IBM rows, never the NEC-selected copies of them.
        EXPECT_TRUE(lead != 0xED && lead != 0xEE);
    }
}

TEST(Cp932Table, EveryFormBelongsToOneCharacterExceptTheWaveDash)
{
    std::map<uint16_t, std::vector<uint16_t>> units;
    for (uint32_t unit = 0; unit <= 0xFFFF; ++unit) {
        const uint16_t u = static_cast<uint16_t>(unit);
        if (const uint16_t form = JapaneseUnitCp932(u))
            units[form].push_back(u);
    }
    // The wave dash has no form of its own: it is written as the JIS wave
    // dash, which Windows reads as the full-width tilde; so are the double
    // vertical line (read as the parallel sign) and the minus sign (read as
    // the full-width hyphen-minus).
    const std::map<uint16_t, std::vector<uint16_t>> shared = {
        {0x8160, {0x301C, 0xFF5E}}, {0x8161, {0x2016, 0x2225}}, {0x817C, {0x2212, 0xFF0D}}};
    for (const auto &[form, us] : units) {
        if (us.size() == 1)
            continue;
        const auto known = shared.find(form);
        EXPECT_TRUE(known != shared.end() && known->second == us)
            << Hex(form) << " written for " << us.size() << " units, first U+" << Hex(us[0]);
    }
}

TEST(Cp932Table, WholeBlocksAndTheCountOfIdeographs)
{
    struct Block {
        const char *what;
        uint16_t first, last;
        unsigned expected;  // units of the block that are Japanese
    };
    // Hiragana, katakana, full-width ASCII and half-width katakana are
    // complete in code page 932; the ideographs are the 2965 of JIS level 1,
    // the 3390 of level 2, one of the symbol rows and 326 IBM extension
    // kanji of this block.
    const Block blocks[] = {
        {"hiragana", 0x3041, 0x3093, 0x3093 - 0x3041 + 1},
        {"katakana", 0x30A1, 0x30F6, 0x30F6 - 0x30A1 + 1},
        {"full-width ASCII", 0xFF01, 0xFF5E, 0xFF5E - 0xFF01 + 1},
        {"half-width katakana", 0xFF61, 0xFF9F, 0xFF9F - 0xFF61 + 1},
        {"ideographs", 0x4E00, 0x9FFF, 2965 + 3390 + 1 + 326},
    };
    for (const Block &b : blocks) {
        unsigned count = 0;
        for (uint32_t unit = b.first; unit <= b.last; ++unit)
            count += IsJapaneseUnit(static_cast<uint16_t>(unit));
        EXPECT_EQ(b.expected, count) << b.what;
    }
}

TEST(JisX0208, RowAndCellAsCodePage932HoldsThem)
{
    // Row, cell, character: odd and even rows, cells on both sides of
    // 0x5F, NEC's and IBM's rows, and cells the code page leaves empty.
    const uint32_t cases[][3] = {{0x21, 0x21, 0x3000}, {0x25, 0x74, 0x30F4}, {0x30, 0x7E, 0x852D},
                                 {0x2D, 0x21, 0x2460}, {0x79, 0x21, 0x7E8A}, {0x22, 0x2F, 0},
                                 {0x29, 0x21, 0},      {0x7E, 0x7E, 0}};
    for (const auto &c : cases)
        EXPECT_EQ(c[2], lex::JisX0208Char(static_cast<uint8_t>(c[0]), static_cast<uint8_t>(c[1])))
            << std::hex << c[0] << " " << c[1];
}
