// Code page 932 forms of Japanese code units, looked up in the generated
// per-range arrays (the bit set kJapaneseUnitBits is generated beside them).
#include "scan/cp932.h"

#include "scan/cp932_table.h"

namespace lex {

uint16_t JapaneseUnitCp932(uint16_t unit)
{
    for (const Cp932Range &range : kCp932Ranges) {
        if (unit >= range.first && unit <= range.last)
            return range.forms[unit - range.first];
    }
    return 0;
}

} // namespace lex
