#include "ui/dialog_win.h"

#include <optional>

#include "ui/application_win.h"
#include "ui/boundary_win.h"
#include "ui/uifont_win.h"

namespace lex {

Dialog::~Dialog()
{
    // The derived dialog is gone by now: the messages of the destruction
    // must not reach its handlers.
    if (hwnd_ && IsWindow(hwnd_)) {
        SetWindowLongPtrA(hwnd_, DWLP_USER, 0);
        DestroyWindow(hwnd_);
    }
}

bool Dialog::CreateFromTemplate(HWND owner, int templateId)
{
    hwnd_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), owner,
                               DlgProc, reinterpret_cast<LPARAM>(this));
    return hwnd_ != nullptr;
}

INT_PTR CALLBACK Dialog::DlgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    return GuardedMessage<INT_PTR>(FALSE, [&]() -> INT_PTR {
        if (msg == WM_INITDIALOG) {
            auto *self = reinterpret_cast<Dialog *>(lp);
            SetWindowLongPtrA(hwnd, DWLP_USER, lp);
            self->hwnd_ = hwnd;
            self->OnInit();
            return FALSE;
        }
        auto *self = reinterpret_cast<Dialog *>(GetWindowLongPtrA(hwnd, DWLP_USER));
        return self ? self->OnMessage(msg, wp, lp) : FALSE;
    });
}

void Dialog::Close(int result)
{
    result_ = result;
    done_ = true;
}

int Dialog::RunModal(HWND focus, const ShowHook &shown)
{
    result_ = IDCANCEL;
    done_ = false;
    // The program's other windows (the owner, and the main window beside the
    // application window that owns the dialog) take no input meanwhile.
    HWND active = GetActiveWindow();
    std::optional<TaskWindowsDisabled> others;
    others.emplace(hwnd_);
    ShowWindow(hwnd_, SW_SHOW);
    if (focus)
        SendMessageA(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
    if (shown)
        shown(hwnd_);
    MSG m;
    while (!done_) {
        BOOL got = GetMessageA(&m, nullptr, 0, 0);
        if (got <= 0) {
            // The program is ending: hand the quit request on to the main loop.
            PostQuitMessage(got == 0 ? static_cast<int>(m.wParam) : 1);
            break;
        }
        if (!IsDialogMessageA(hwnd_, &m)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
    // The other windows are enabled, and the window the user came from made
    // active again, before the dialog disappears: the dialog's owner is the
    // hidden application window, so once the dialog is gone the system (a
    // window manager, under Wine) would hand the activation to another
    // program.
    others.reset();
    if (active && active != hwnd_ && IsWindow(active)) {
        SetForegroundWindow(active);
        SetActiveWindow(active);
    }
    ShowWindow(hwnd_, SW_HIDE);
    done_ = true;
    return result_;
}

void Dialog::SetDialogFont(HFONT font)
{
    font_.reset(font);
    SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetFontOfChildren(hwnd_, font);
}

void SetClientSize(HWND window, int width, int height)
{
    RECT r = {0, 0, width, height};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE)));
    SetWindowPos(window, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HBRUSH PaintControl(HDC dc, HWND control, int background)
{
    SetBkColor(dc, GetSysColor(background));
    SetTextColor(dc, GetSysColor(IsWindowEnabled(control) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    return GetSysColorBrush(background);
}

} // namespace lex
