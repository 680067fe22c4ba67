// Case-insensitive order for native builds: a-z compare as A-Z, which is the
// locale collation's order for entries made of ASCII letters.
#include "Check/collate.h"

namespace lex {

std::string CollationKey(const std::string &entry)
{
    std::string key(entry);
    for (char &c : key)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 0x20);
    return key;
}

} // namespace lex
