// Shell requests of the program, with the hook the GUI tests use.
#include "ui/shell_win.h"

#include <shellapi.h>

#include "util/mail_link_win.h"

namespace lex {
namespace {

ShellOpenHook &Hook()
{
    static ShellOpenHook hook;
    return hook;
}

} // namespace

INT_PTR ShellOpen(HWND owner, const std::string &file, const char *parameters,
                  const char *directory, int show)
{
    if (Hook())
        return Hook()(ShellRequest{owner, file, parameters, directory, show});
    return reinterpret_cast<INT_PTR>(
        ShellExecuteA(owner, "open", loom::ShellSafeLink(file).c_str(), parameters, directory, show));
}

void SetShellOpenHook(ShellOpenHook hook)
{
    Hook() = std::move(hook);
}

} // namespace lex
