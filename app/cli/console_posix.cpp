// The front end's system on POSIX systems: the locale named by the
// environment, isatty(3), /dev/stdin.
#include "cli/console.h"

#include <cctype>
#include <cstdlib>
#include <unistd.h>

namespace lex {

namespace {

// The character set of a locale name such as "ja_JP.SJIS@euro": what
// stands between "." and "@", lower case, without "-" and "_".
std::string CharacterSet(const std::string &locale)
{
    const size_t dot = locale.find('.');
    if (dot == std::string::npos)
        return "";
    std::string set;
    for (size_t i = dot + 1; i < locale.size() && locale[i] != '@'; ++i) {
        const char c = locale[i];
        if (c != '-' && c != '_')
            set += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return set;
}

} // namespace

SystemText SystemTextFormat()
{
    for (const char *variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char *value = std::getenv(variable);
        if (!value || !*value)
            continue;
        const std::string set = CharacterSet(value);
        const bool cp932 = set == "sjis" || set == "shiftjis" || set == "cp932" ||
                           set == "windows31j" || set == "mskanji";
        return {cp932 ? TextEncoding::Cp932 : TextEncoding::Utf8, false,
                std::string("the locale ") + variable + "=" + value};
    }
    return {TextEncoding::Utf8, false, "no locale set"};
}

bool StandardInputIsTerminal()
{
    return ::isatty(STDIN_FILENO) == 1;
}

const char *StandardInputPath()
{
    return "/dev/stdin";
}

void SetBinaryStandardOutput() {}

} // namespace lex
