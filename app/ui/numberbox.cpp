#include "ui/numberbox.h"

namespace lex {

int NumberBoxValue(const char *text, const IntRange &range, int fallback)
{
    int v;
    return ParseInt(text, &v) ? range.Clamp(v) : range.Clamp(fallback);
}

} // namespace lex
