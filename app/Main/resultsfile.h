// The results file's portable rules.
#pragma once

#include <string>

namespace lex {

// Forces the extension of a results file name to ".txt": the last "." after
// the last "\" or ":" (never the second byte of a Shift-JIS double-byte
// character) and what follows are replaced, otherwise ".txt" is appended.
std::string ForceTxtExtension(const std::string &path);

} // namespace lex
