// The running program's executable and its folder.
#pragma once

#include <string>

namespace lex {

// The executable's full path, or "" when unknown.
std::string ExecutablePath();

// The executable's folder with a trailing separator, or "" when unknown.
std::string ExecutableDir();

} // namespace lex
