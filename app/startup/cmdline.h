// The file named on the program's command line: "open with", a shortcut
// with a file, a file dropped on the program's icon.
#pragma once

#include <functional>
#include <string>

namespace lex {

// `commandLine` is the whole command line, the program's name first.
// Returns the first argument after the program's name, or "" when there
// is none.  Double quotes group text with blanks and are removed; there is
// no escape character, since file names cannot hold a double quote and a
// backslash is a plain character there (also as the second byte of a
// double-byte character).  A rest of the line without any quote that names
// an existing file as a whole (`fileExists`) is taken whole, so that a
// shortcut whose file name has blanks but no quotes works too.
std::string CommandLineFile(const char *commandLine,
                            const std::function<bool(const std::string &)> &fileExists);

} // namespace lex
