// The folder of the running program's executable.
#pragma once

#include <string>

namespace lex {

// The executable's folder with a trailing separator, or "" when unknown.
std::string ExecutableDir();

} // namespace lex
