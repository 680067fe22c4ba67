// The integer parser.
#include "base/intrange.h"

#include <climits>
#include <cstdint>

namespace lex {

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

bool ParseInt(const char *text, int *out)
{
    if (!text)
        return false;
    const char *p = text;
    while (*p == ' ')
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    int base = 10;
    if (*p == '$' || *p == 'x' || *p == 'X') {
        base = 16;
        ++p;
    }
    // The magnitude is gathered in 64 bits and checked against the range of
    // int after every digit, so a long run of digits cannot overflow.
    const int64_t limit = negative ? -static_cast<int64_t>(INT_MIN) : INT_MAX;
    int64_t value = 0;
    int digits = 0;
    for (; *p; ++p) {
        int d = HexDigit(*p);
        if (d < 0 || d >= base)
            return false;
        value = value * base + d;
        if (value > limit)
            return false;
        ++digits;
    }
    if (digits == 0)
        return false;
    *out = static_cast<int>(negative ? -value : value);
    return true;
}

} // namespace lex
