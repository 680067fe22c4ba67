#include "ui/numberbox.h"

#include "settings/settings.h"

namespace lex {

int NumberBoxValue(const char *text)
{
    int v;
    if (!ParseInt(text, &v))
        v = kNumberBoxMin;
    return Clamp(v, kNumberBoxMin, kNumberBoxMax);
}

} // namespace lex
