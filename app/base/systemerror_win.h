// The system's own text for an error code, for messages that say why.
#pragma once

#include <string>

namespace lex {

// The text of `code` (GetLastError) in the system's language, without the
// line break the system ends it with; "error N" when the system has none.
std::string SystemErrorText(unsigned long code);

} // namespace lex
