// Case-insensitive order for native builds: a-z compare as A-Z, which is the
// locale collation's order for entries made of ASCII letters.
#include "words/collate.h"

#include "util/ascii.h"

namespace lex {

std::string CollationKey(const std::string &entry)
{
    std::string key(entry);
    for (char &c : key)
        c = loom::UpperAscii(c);
    return key;
}

} // namespace lex
