// The program's calls on the Windows shell.  Every document and link the program hands to the shell goes through
// ShellOpen, so that the GUI tests can watch what would be opened instead
// of starting a browser or a mail program.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace lex {

// The shell's "open" of `file` (a document or a link): ShellExecuteA's
// result, above 32 for success.  A mail link goes as the shell can take it
// (under Wine, cut to what Wine's shell survives); the hook below sees it
// as asked for.  `parameters` and `directory` may be null.
INT_PTR ShellOpen(HWND owner, const std::string &file, const char *parameters,
                  const char *directory, int show);

// What a request to the shell carried; null texts stay null.
struct ShellRequest {
    HWND owner;
    std::string file;
    const char *parameters;
    const char *directory;
    int show;
};
// Tests install a hook that sees every request instead of the shell and
// returns the result to report.  An empty hook restores the real shell.
using ShellOpenHook = std::function<INT_PTR(const ShellRequest &request)>;
void SetShellOpenHook(ShellOpenHook hook);

} // namespace lex
