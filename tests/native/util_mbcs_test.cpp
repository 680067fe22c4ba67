// Walks over double-byte text: character lengths, the last single-byte
// character, the comparison by character codes and the comparison that
// ignores the case of letters.  Shift-JIS is written as byte escapes.
#include "util/mbcs.h"

#include <gtest/gtest.h>

namespace {

using namespace loom;

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

} // namespace
