// The offset text of a result row.
#include "scan/resultrow.h"

namespace lex {

void PutOffsetText(char *out, uint32_t offset)
{
    static const char kHex[] = "0123456789ABCDEF";
    for (size_t d = kOffsetTextLength; d-- > 0;) {
        out[d] = kHex[offset & 15];
        offset >>= 4;
    }
}

std::string OffsetText(uint32_t offset)
{
    char text[kOffsetTextLength];
    PutOffsetText(text, offset);
    return std::string(text, kOffsetTextLength);
}

} // namespace lex
