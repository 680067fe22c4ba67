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

} // namespace lex
