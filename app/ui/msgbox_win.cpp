// Message boxes of the program, with the hook the GUI tests use.
#include "ui/msgbox_win.h"

namespace lex {
namespace {

MessageBoxHook &Hook()
{
    static MessageBoxHook hook;
    return hook;
}

} // namespace

HWND BoxOwner(HWND owner)
{
    if (owner)
        return owner;
    HWND active = GetActiveWindow();
    return active && IsWindowVisible(active) && IsWindowEnabled(active) ? active : nullptr;
}

int ShowMessageBox(HWND owner, const std::string &text, const std::string &caption, UINT type)
{
    if (Hook())
        return Hook()(text, caption, type);
    owner = BoxOwner(owner);
    if (!owner)
        type |= MB_TASKMODAL;
    return MessageBoxA(owner, text.c_str(), caption.c_str(), type);
}

void ShowError(HWND owner, const std::string &text)
{
    ShowMessageBox(owner, text, "エラー", MB_OK | MB_ICONERROR);
}

void ShowInfo(HWND owner, const std::string &text)
{
    ShowMessageBox(owner, text, "情報", MB_OK | MB_ICONINFORMATION);
}

void ReportError(const std::string &message)
{
    std::string text = message;
    // The period goes after a message whose last character sorts above ".";
    // a message ending in a double-byte character always gets one.
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.')
        text += '.';
    ShowMessageBox(nullptr, text, "Lexprobe", MB_OK | MB_ICONSTOP);
}

const char kOutOfMemory[] = "メモリが不足しています";

void ReportOutOfMemory() noexcept
{
    try {
        ReportError(kOutOfMemory);
    } catch (...) {
        HWND owner = BoxOwner(nullptr);
        MessageBoxA(owner, kOutOfMemory, "Lexprobe", MB_OK | MB_ICONSTOP | (owner ? 0 : MB_TASKMODAL));
    }
}

void SetMessageBoxHook(MessageBoxHook hook)
{
    Hook() = std::move(hook);
}

} // namespace lex
