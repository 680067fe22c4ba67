// The generated code page 932 table against Windows's own converter: for
// every code unit of the Japanese ranges, WideCharToMultiByte(932) without
// best-fit characters succeeds exactly for the units the table holds, and
// writes the bytes the table gives.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "scan/cp932.h"

namespace {

// Where the program deliberately differs from Windows.
struct Difference {
    uint16_t unit;
    uint16_t form;  // the program's form
    const char *why;
};

const Difference kDifferences[] = {
    // Windows has no form of its own for the wave dash (its best fit is the
    // full-width tilde).  The program writes it as the JIS wave dash 0x8160,
    // which Windows shows as the tilde, so that Japanese text such as
    // "1〜10" stays one string instead of being cut at the dash.
    {0x301C, 0x8160, "wave dash"},
};

const Difference *FindDifference(uint16_t unit)
{
    for (const Difference &d : kDifferences) {
        if (d.unit == unit)
            return &d;
    }
    return nullptr;
}

std::string Hex(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value);
    return text;
}

// Windows's form of one unit: the bytes as lead << 8 | trail or a single
// byte, or 0 when the code page has no exact form (the default character
// was used, or the conversion failed).
uint16_t WindowsForm(uint16_t unit)
{
    const wchar_t text[1] = {static_cast<wchar_t>(unit)};
    char out[4] = {};
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, text, 1, out, sizeof out,
                                      nullptr, &usedDefault);
    if (n <= 0 || usedDefault)
        return 0;
    const auto byte = [&](int i) { return static_cast<unsigned char>(out[i]); };
    if (n == 1)
        return byte(0);
    if (n == 2)
        return static_cast<uint16_t>(byte(0) << 8 | byte(1));
    return 0xFFFF;  // never a form: the comparison reports it
}

} // namespace

TEST(Cp932Windows, TableMatchesWideCharToMultiByte)
{
    ASSERT_TRUE(IsValidCodePage(932));
    const struct {
        uint16_t first, last;
    } ranges[] = {{0x3000, 0x30FF}, {0x4E00, 0x9FFF}, {0xFF01, 0xFF9F}};

    unsigned compared = 0, japanese = 0, mismatches = 0;
    for (const auto &range : ranges) {
        for (uint32_t unit = range.first; unit <= range.last; ++unit) {
            const uint16_t u = static_cast<uint16_t>(unit);
            const uint16_t mine = lex::JapaneseUnitCp932(u);
            const Difference *d = FindDifference(u);
            const uint16_t expected = d ? d->form : WindowsForm(u);
            ++compared;
            japanese += lex::IsJapaneseUnit(u);
            if (mine != expected || lex::IsJapaneseUnit(u) != (expected != 0)) {
                if (++mismatches <= 40) {
                    ADD_FAILURE() << "U+" << Hex(unit) << ": table " << Hex(mine)
                                  << ", Windows " << Hex(WindowsForm(u));
                }
            }
        }
    }
    EXPECT_EQ(0u, mismatches) << "of " << compared << " units";
    std::printf("compared %u units, %u Japanese\n", compared, japanese);
}

// The differences are real: Windows does answer otherwise for each of them
// (when it stops doing so, the entry is no longer needed).
TEST(Cp932Windows, EveryListedDifferenceIsOne)
{
    for (const Difference &d : kDifferences) {
        EXPECT_NE(d.form, WindowsForm(d.unit)) << d.why;
        EXPECT_EQ(d.form, lex::JapaneseUnitCp932(d.unit)) << d.why;
    }
}
