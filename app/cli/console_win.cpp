// The front end's system on Windows: code page 932 and CR LF, the console
// behind standard input, and standard output in binary mode.
#include "cli/console.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

namespace lex {

SystemText SystemTextFormat()
{
    return {TextEncoding::Cp932, true, "the Windows console"};
}

bool StandardInputIsTerminal()
{
    // A console answers GetConsoleMode; a pipe, a file or the NUL device
    // (which _isatty takes for a terminal) does not.
    DWORD mode;
    return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

const char *StandardInputPath()
{
    return nullptr;
}

void SetBinaryStandardOutput()
{
    // Lines end in CR LF already; the runtime must not add another CR.
    _setmode(_fileno(stdout), _O_BINARY);
}

} // namespace lex
