// The locale's case-insensitive collation as sort keys: LCMapStringA with
// LCMAP_SORTKEY orders keys, compared as bytes, the way CompareStringA with
// NORM_IGNORECASE orders the strings.  Keys give std::sort a consistent
// order, which a comparison callback of the locale need not.
#include "words/collate.h"

#include <windows.h>

namespace lex {

std::string CollationKey(const std::string &entry)
{
    if (entry.empty())
        return std::string();
    const int length = static_cast<int>(entry.size());
    // One call for the keys of words, which fit the buffer; a longer key is
    // measured first.
    char buffer[256];
    int need = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, entry.data(),
                            length, buffer, sizeof buffer);
    std::string key;
    if (need > 0) {
        key.assign(buffer, static_cast<size_t>(need));
    } else {
        need = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, entry.data(),
                            length, nullptr, 0);
        if (need <= 0)
            return entry;
        key.assign(static_cast<size_t>(need), '\0');
        need = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, entry.data(),
                            length, reinterpret_cast<LPSTR>(&key[0]), need);
        if (need <= 0)
            return entry;
        key.resize(static_cast<size_t>(need));
    }
    // The key ends with a zero byte, which is not part of the order.
    if (!key.empty() && key.back() == '\0')
        key.pop_back();
    return key;
}

} // namespace lex
