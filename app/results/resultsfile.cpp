// The results file's portable rules.
#include "results/resultsfile.h"

namespace lex {

std::string ForceTxtExtension(const std::string &path, loom::LeadByteFn isLead)
{
    return ForceExtension(path, ".txt", isLead);
}

std::string ForceExtension(const std::string &path, const char *ext, loom::LeadByteFn isLead)
{
    size_t dot = std::string::npos;
    for (const char *p = path.c_str(); *p; p += loom::CharLength(p, isLead)) {
        if (loom::CharLength(p, isLead) != 1)
            continue;
        if (*p == '\\' || *p == ':')
            dot = std::string::npos;  // a dot before a separator is a folder's
        else if (*p == '.')
            dot = static_cast<size_t>(p - path.c_str());
    }
    if (dot == std::string::npos)
        return path + ext;
    return path.substr(0, dot) + ext;
}

} // namespace lex
