// A file name as a user types or pastes it.
#pragma once

#include <string>

namespace lex {

// `text` without the spaces around it, and a name in double quotes without
// them: Explorer's "パスのコピー" puts a path in quotes, and no file name
// holds a double quote.
std::string PathFromUserText(const std::string &text);

} // namespace lex
