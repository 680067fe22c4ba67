// The integer parser used for registry values, number boxes and options,
// and the ranges that the integer settings are brought into.
#include <gtest/gtest.h>

#include <climits>

#include "settings/settings.h"

TEST(ParseInt, AcceptsDecimalAndHexadecimalForms)
{
    const struct {
        const char *text;
        int value;
    } good[] = {
        {"0", 0},          {"42", 42},        {"   42", 42},      {"-7", -7},
        {"+7", 7},         {"  -12", -12},    {"$1F", 31},       {"x10", 16},
        {"X10", 16},       {"$ff", 255},      {"-$10", -16},     {"007", 7},
        {"2147483647", INT_MAX},              {"-2147483648", INT_MIN},
        {"$7FFFFFFF", INT_MAX},               {"-$80000000", INT_MIN},
    };
    for (const auto &c : good) {
        int v = 12345;
        EXPECT_TRUE(lex::ParseInt(c.text, &v)) << c.text;
        EXPECT_EQ(c.value, v) << c.text;
    }
}

TEST(ParseInt, RejectsEverythingElseAndLeavesTheValue)
{
    const char *bad[] = {"",        "   ",        "-",           "+",     "$",     "x",
                         "12a",     "12 ",        "1 2",         "0x10",  "$G",    "--1",
                         "1.5",     "\t1",        "2147483648",  "-2147483649",
                         "$80000000", "99999999999999999999",    "1e3",   "- 1"};
    for (const char *text : bad) {
        int v = 12345;
        EXPECT_FALSE(lex::ParseInt(text, &v)) << '"' << text << '"';
        EXPECT_EQ(12345, v) << text;
    }
    int v = 1;
    EXPECT_FALSE(lex::ParseInt(nullptr, &v));
}

// The integers as the registry may hold them after a hand edit: each is
// brought into 1 to 1000 on its own (below it, the default), the other left
// as it was.
TEST(ClampToRanges, BringsEachIntegerIntoItsRange)
{
    using S = lex::ExtractionSettings;
    const struct {
        int S::*field;
        int stored;
        int used;
    } cases[] = {
        {&S::RecurrenceTime, 0, 4},         {&S::RecurrenceTime, -7, 4},
        {&S::RecurrenceTime, INT_MIN, 4},   {&S::RecurrenceTime, 1, 1},
        {&S::RecurrenceTime, 4, 4},         {&S::RecurrenceTime, 1000, 1000},
        {&S::RecurrenceTime, 1001, 1000},   {&S::RecurrenceTime, INT_MAX, 1000},
        {&S::MinExtractStr, 0, 5},          {&S::MinExtractStr, -1, 5},
        {&S::MinExtractStr, 5, 5},          {&S::MinExtractStr, 5000, 1000},
        {&S::MinJapaneseStr, 0, lex::kMinJapaneseStrRange.def}, {&S::MinJapaneseStr, 5000, 1000},
    };
    for (const auto &c : cases) {
        S s;
        s.RecurrenceTime = 77;
        s.MinExtractStr = 77;
        s.*c.field = c.stored;
        lex::ClampToRanges(s);
        EXPECT_EQ(c.used, s.*c.field) << c.stored;
        const int other = c.field == &S::RecurrenceTime ? s.MinExtractStr : s.RecurrenceTime;
        EXPECT_EQ(77, other) << c.stored;
    }
}
