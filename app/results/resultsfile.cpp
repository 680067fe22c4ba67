// The results file's portable rules.
#include "results/resultsfile.h"

#include <cstring>


namespace lex {

size_t ResultsLineLength(RowKind kind, size_t textLength, bool textOnly)
{
    const size_t columns = textOnly ? 0 : kOffsetTextLength + 1 + KindTextLength(kind) + 1;
    return columns + textLength + 2;
}

char *PutResultsLine(char *out, uint32_t offset, RowKind kind, const char *text, size_t length,
                     bool textOnly)
{
    if (!textOnly) {
        PutOffsetText(out, offset);
        out += kOffsetTextLength;
        *out++ = '\t';
        const size_t kindLength = KindTextLength(kind);
        std::memcpy(out, KindText(kind), kindLength);
        out += kindLength;
        *out++ = '\t';
    }
    if (length != 0)
        std::memcpy(out, text, length);
    out += length;
    *out++ = '\r';
    *out++ = '\n';
    return out;
}

std::string ForceTxtExtension(const std::string &path, loom::LeadByteFn isLead)
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
        return path + ".txt";
    return path.substr(0, dot) + ".txt";
}

} // namespace lex
