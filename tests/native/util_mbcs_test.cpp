// Walks over double-byte text: character lengths, the last single-byte
// character, the comparison by character codes, the comparisons and the
// lower-casing that ignore the case of letters, and the bounded copy.
// Shift-JIS is written as byte escapes.
#include "util/mbcs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace loom;

// 日本 in Shift-JIS.
const std::string kNihonSjis = "\x93\xfa\x96\x7b";

TEST(FindLastChar, NeverTheSecondByteOfACharacter)
{
    struct Case {
        const char *text;
        char c;
        int at;  // -1: none
    } const cases[] = {
        {"a\\b\\c", '\\', 3},
        {"abc", '\\', -1},
        {"", '\\', -1},
        // ソ (83 5C) and 表 (95 5C) hold no backslash.
        {"\x83\x5C", '\\', -1},
        {"a\\\x95\x5C", '\\', 1},
        {"\x95\x5C\\", '\\', 2},
        // A lead byte at the very end stands alone; the NUL is never passed.
        {"a\\\x95", '\\', 1},
        // The trail byte range holds no "." or ":": those are found anyway.
        {"\x83\x5C.x", '.', 2},
    };
    for (const Case &c : cases) {
        const char *found = FindLastChar(c.text, c.c, IsShiftJisLeadByte);
        EXPECT_EQ(c.at, found ? found - c.text : -1) << c.text;
    }
    // In a single-byte code page 0x5C always is a backslash.
    EXPECT_STREQ("\\", FindLastChar("\x83\x5C", '\\', NoLeadBytes));
}

TEST(MbCompare, OrdersByCharacterCodes)
{
    struct Case {
        const char *a;
        const char *b;
        int sign;
    } cases[] = {
        {"", "", 0},
        {"", "a", -1},
        {"ab", "abc", -1},
        {"B", "a", -1},           // upper and lower case differ
        {"a", "b", -1},
        {"\x82\xA0", "\x82\xA0", 0},
        {"\x82\xA0", "\x82\xA2", -1},
        // Half-width katakana is one single byte: below every double-byte
        // character, although its byte is above the lead byte.
        {"\xB1", "\x82\xA0", -1},
        {"\xDF", "\xE0\x40", -1},
        {"x\xB1", "x\x82\xA0", -1},
        // A double-byte character ends no earlier than a single byte.
        {"\x82\xA0", "\x82", 1},
        // A lead byte at the end stands alone.
        {"a\x82", "a\x82", 0},
        {"a\x82", "a\x81\x40", -1},
    };
    for (const auto &c : cases) {
        int forward = MbCompare(c.a, c.b, IsShiftJisLeadByte);
        int backward = MbCompare(c.b, c.a, IsShiftJisLeadByte);
        EXPECT_EQ(c.sign, (forward > 0) - (forward < 0)) << c.a << " / " << c.b;
        EXPECT_EQ(-c.sign, (backward > 0) - (backward < 0)) << c.b << " / " << c.a;
    }
}

TEST(MbCompare, SingleByteCodePageComparesBytes)
{
    EXPECT_LT(MbCompare("\x82\xA0", "\xB1", NoLeadBytes), 0);
    EXPECT_GT(MbCompare("\xB1", "\x82\xA0", NoLeadBytes), 0);
}

TEST(MbEqualsIgnoreCase, DoubleByteCharactersMatchExactly)
{
    // ア (83 41) and ャ (83 61): second bytes that are 'A' and 'a'.
    EXPECT_FALSE(MbEqualsIgnoreCase("\x83\x41.txt", "\x83\x61.txt", IsShiftJisLeadByte));
    EXPECT_TRUE(MbEqualsIgnoreCase("\x83\x41.TXT", "\x83\x41.txt", IsShiftJisLeadByte));
    EXPECT_TRUE(MbEqualsIgnoreCase("\x93\xfa\x96\x7b" "A", "\x93\xfa\x96\x7b" "a",
                                   IsShiftJisLeadByte));
    EXPECT_FALSE(MbEqualsIgnoreCase("ab", "abc", IsShiftJisLeadByte));
    EXPECT_FALSE(MbEqualsIgnoreCase("abc", "ab", IsShiftJisLeadByte));
    // Only ASCII letters fold: '@' and '`' differ by 0x20 too.
    EXPECT_FALSE(MbEqualsIgnoreCase("@", "`", IsShiftJisLeadByte));
    EXPECT_FALSE(MbEqualsIgnoreCase("[", "{", IsShiftJisLeadByte));
}

TEST(CopyBounded, AtMostLimitBytesWithoutSplittingACharacter)
{
    struct Case {
        const char *what;
        std::string src;
        std::size_t limit, expected;
    } cases[] = {
        {"short", "1.0.0", 250, 5},
        {"empty", "", 250, 0},
        {"exactly the limit", std::string(250, 'x'), 250, 250},
        {"300 single bytes", std::string(300, 'A'), 250, 250},
        {"lead byte at byte 250", std::string(249, 'x') + kNihonSjis, 250, 249},
        {"character ends at byte 250", std::string(248, 'x') + kNihonSjis, 250, 250},
        {"double-byte only", kNihonSjis + kNihonSjis + kNihonSjis, 250, 12},
        {"lone lead byte at the end", std::string(249, 'x') + "\x81", 250, 250},
        {"no room", "abc", 0, 0},
        {"room for half a character", kNihonSjis, 1, 0},
        {"room for one and a half", kNihonSjis, 3, 2},
    };
    for (const Case &c : cases) {
        std::vector<char> dst(260, '\x7f');
        std::size_t n = CopyBounded(dst.data(), c.src.c_str(), c.limit, IsShiftJisLeadByte);
        EXPECT_EQ(c.expected, n) << c.what;
        EXPECT_EQ(c.src.substr(0, c.expected), std::string(dst.data())) << c.what;
        for (std::size_t i = c.expected + 1; i < dst.size(); ++i)
            ASSERT_EQ('\x7f', dst[i]) << c.what << ": byte " << i << " written";
    }
}

TEST(LowerAsciiAndStartsWith, KeepDoubleByteCharactersWhole)
{
    // ア is 83 41: its second byte is an "A" that must stay as it is.
    const std::string a = "\x83\x41";
    struct Case {
        std::string text, lower;
    } lowers[] = {
        {"KERNEL32.DLL", "kernel32.dll"},
        {a + "B" + a, a + "b" + a},
        {"X\x83", "x\x83"},
        {"", ""},
    };
    for (const Case &c : lowers) {
        std::string text = c.text;
        LowerAscii(text, IsShiftJisLeadByte);
        EXPECT_EQ(c.lower, text) << c.text;
    }
    struct Prefix {
        std::string text, prefix;
        bool starts;
    } prefixes[] = {
        {"MyLib.dll", "mylib", true},
        {"mylib.dll", "", true},
        {"my", "mylib", false},
        {a + "x.dll", a + "X", true},
        {"\x83\x61x.dll", a, false},
        {"Ax.dll", "a", true},
    };
    for (const Prefix &c : prefixes)
        EXPECT_EQ(c.starts, StartsWithIgnoreCase(c.text.c_str(), c.prefix.c_str(),
                                                         IsShiftJisLeadByte))
            << c.text << " / " << c.prefix;
}

} // namespace
