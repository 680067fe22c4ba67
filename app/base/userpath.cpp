#include "base/userpath.h"

namespace lex {

std::string PathFromUserText(const std::string &text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    const size_t last = text.find_last_not_of(' ');
    if (last > first && text[first] == '"' && text[last] == '"')
        return PathFromUserText(text.substr(first + 1, last - first - 1));
    return text.substr(first, last - first + 1);
}

} // namespace lex
