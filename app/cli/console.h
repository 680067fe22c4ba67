// What the front end takes from the system it runs on: the encoding of its
// text, its line end, whether standard input is a terminal, and the
// standard streams as bytes.  console_posix.cpp and console_win.cpp
// implement it.
#pragma once

#include <string>

#include "cli/lines.h"

namespace lex {

struct SystemText {
    TextEncoding encoding;
    bool crlf;        // lines end in CR LF
    std::string why;  // where the choice comes from, for the help
};

// On POSIX systems the locale's character set (the first of LC_ALL,
// LC_CTYPE and LANG that is set): code page 932 where it names Shift-JIS
// or CP932, else UTF-8; lines end in LF.  On Windows code page 932 and
// CR LF, the text of a Japanese console.
SystemText SystemTextFormat();

// Whether standard input is a terminal (a console), which is never read
// unless "-" names it.
bool StandardInputIsTerminal();

// A name that leads to the file behind standard input, for comparing it
// with the output file; null where the system has none.
const char *StandardInputPath();

// Standard output takes the lines' bytes as they are.
void SetBinaryStandardOutput();

} // namespace lex
