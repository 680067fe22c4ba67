// The results file's portable rules.
#include "Main/resultsfile.h"

namespace lex {

std::string ForceTxtExtension(const std::string &path)
{
    // Shift-JIS lead bytes; the byte after one belongs to its character and
    // is never a "\", ":" or ".", even when it has that code (0x5C).
    auto isLead = [](unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); };
    size_t dot = std::string::npos;
    for (size_t i = 0; i < path.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (isLead(c)) {
            ++i;  // skip the trail byte
            continue;
        }
        if (c == '\\' || c == ':')
            dot = std::string::npos;  // a dot before a separator is a folder's
        else if (c == '.')
            dot = i;
    }
    if (dot == std::string::npos)
        return path + ".txt";
    return path.substr(0, dot) + ".txt";
}

} // namespace lex
