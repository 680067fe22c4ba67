// The folder of the running executable, where English.dic is looked for.
#pragma once

#include <string>

namespace lexcli {

// The executable's folder with a trailing separator, or "" when unknown.
std::string ExecutableDir();

} // namespace lexcli
