#include "ui/numberbox.h"

namespace lex {

int NumberBoxValue(const char *text, const IntRange &range)
{
    int v;
    if (!ParseInt(text, &v))
        v = range.min;
    return range.Clamp(v);
}

} // namespace lex
