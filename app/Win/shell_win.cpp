// Shell requests of the program, with the hook the GUI tests use.
#include "Win/shell_win.h"

#include <shellapi.h>

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
        ShellExecuteA(owner, "open", file.c_str(), parameters, directory, show));
}

void SetShellOpenHook(ShellOpenHook hook)
{
    Hook() = std::move(hook);
}

std::string ExeFolder()
{
    char path[MAX_PATH * 2] = "";
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path)
        return std::string();
    size_t cut = 0;
    for (size_t i = 0; i < n; i++) {
        if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < n) {
            i++;
            continue;
        }
        if (path[i] == '\\')
            cut = i + 1;
    }
    return std::string(path, cut);
}

} // namespace lex
