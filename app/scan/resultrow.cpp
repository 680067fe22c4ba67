// The offset text of a result row as a string.
#include "scan/resultrow.h"

namespace lex {

std::string OffsetText(uint32_t offset)
{
    char text[kOffsetTextLength];
    PutOffsetText(text, offset);
    return std::string(text, kOffsetTextLength);
}

} // namespace lex
