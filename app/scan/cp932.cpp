// Code page 932 forms of Japanese code units, looked up in the generated
// per-range arrays and the sorted array of symbols (the bit sets are
// generated beside them).
#include "scan/cp932.h"

#include <algorithm>

#include "scan/cp932_table.h"

namespace lex {

uint16_t JapaneseUnitCp932(uint16_t unit)
{
    for (const Cp932Range &range : kCp932Ranges) {
        if (unit >= range.first && unit <= range.last)
            return range.forms[unit - range.first];
    }
    if (!IsJapaneseSymbol(unit))
        return 0;
    const uint32_t *end = kCp932Symbols + kCp932SymbolCount;
    const uint32_t *at = std::lower_bound(kCp932Symbols, end, static_cast<uint32_t>(unit) << 16);
    return at != end && at[0] >> 16 == unit ? static_cast<uint16_t>(at[0] & 0xFFFF) : 0;
}

uint16_t Cp932Form(uint32_t code)
{
    if (code < 0x80)
        return static_cast<uint16_t>(code);
    if (code < 0x100) {
        const uint32_t *end = kCp932Latin1 + kCp932Latin1Count;
        const uint32_t *at = std::lower_bound(kCp932Latin1, end, code << 16);
        return at != end && at[0] >> 16 == code ? static_cast<uint16_t>(at[0] & 0xFFFF) : 0;
    }
    if (code > 0xFFFF)
        return 0;
    return JapaneseUnitCp932(static_cast<uint16_t>(code));
}

size_t PutStandIn(uint32_t code, char *out)
{
    static const char kHex[] = "0123456789ABCDEF";
    int digits = 1;
    while (digits < 6 && code >> (4 * digits))
        ++digits;
    char *p = out;
    *p++ = '\\';
    *p++ = 'u';
    *p++ = '{';
    for (int d = digits - 1; d >= 0; --d)
        *p++ = kHex[(code >> (4 * d)) & 15];
    *p++ = '}';
    return static_cast<size_t>(p - out);
}

} // namespace lex
