// The integer parser used for registry values, number boxes and options,
// and the clamp of the integer settings' ranges.
#include <gtest/gtest.h>

#include <climits>
#include <utility>

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

TEST(IntRange, BringsValuesIntoRange)
{
    const lex::IntRange r = {1, 1000, 5};
    const std::pair<int, int> cases[] = {
        {0, 1}, {INT_MIN, 1}, {5000, 1000}, {5, 5}, {1000, 1000}, {INT_MAX, 1000},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.second, r.Clamp(c.first)) << c.first;
}
