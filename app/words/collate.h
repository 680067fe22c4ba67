// The dictionary's sort order: a key per entry whose byte order is the
// platform's case-insensitive collation.  collate_posix.cpp (native builds)
// folds a-z to capitals; collate_win.cpp asks the user's locale.
#pragma once

#include <string>

namespace lex {

std::string CollationKey(const std::string &entry);

} // namespace lex
