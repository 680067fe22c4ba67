// The command line's file argument.
//
// The scan goes byte by byte: in the double-byte code pages of Windows the
// second byte of a character is 0x40 or above, so it is never taken for a
// blank (0x20, 0x09) or a double quote (0x22).
#include "startup/cmdline.h"

namespace lex {
namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Reads one argument at `p` (which is not blank) into `arg`; returns the
// position after it.
const char *ReadArgument(const char *p, std::string &arg)
{
    bool quoted = false;
    for (; *p && (quoted || !IsBlank(*p)); p++) {
        if (*p == '"')
            quoted = !quoted;
        else
            arg += *p;
    }
    return p;
}

const char *SkipBlanks(const char *p)
{
    while (IsBlank(*p))
        p++;
    return p;
}

} // namespace

std::string CommandLineFile(const char *commandLine,
                            const std::function<bool(const std::string &)> &fileExists)
{
    if (!commandLine)
        return std::string();
    // The program's name: a quoted name ends at its closing quote (as the
    // shell reads it, the next argument may follow without a blank).
    const char *p = SkipBlanks(commandLine);
    if (*p == '"') {
        p++;
        while (*p && *p != '"')
            p++;
        if (*p)
            p++;
    } else {
        while (*p && !IsBlank(*p))
            p++;
    }
    p = SkipBlanks(p);

    std::string rest(p);
    while (!rest.empty() && IsBlank(rest.back()))
        rest.pop_back();
    if (rest.find('"') == std::string::npos && rest.find_first_of(" \t") != std::string::npos &&
        fileExists && fileExists(rest))
        return rest;
    std::string arg;
    ReadArgument(p, arg);
    return arg;
}

} // namespace lex
