// The application window and the main-window record.
#include "ui/application_win.h"

#include "ui/boundary_win.h"

namespace lex {
namespace {

const char kClassName[] = "TApplication";

// Posted to the application window when it has become the active window:
// the activation goes on to the form the user works with.
constexpr UINT kActivateForm = WM_APP + 1;

} // namespace

Application &Application::Instance()
{
    static Application application;
    return application;
}

bool Application::CreateHandle(HINSTANCE instance, const char *title, HICON icon)
{
    if (hwnd_)
        return true;
    WNDCLASSA wc = {};
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = icon;
    wc.lpszClassName = kClassName;
    if (!RegisterWindowClass(wc))
        return false;
    // A caption and a system menu with a minimise box, so that the system
    // offers minimise and restore for the taskbar button; no thick frame, so
    // that the system keeps the size of 0 x 0.
    if (!CreateHwnd(0, kClassName, title,
                    WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0,
                    0, 0, nullptr, nullptr, instance))
        return false;
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    return true;
}

void Application::DestroyHandle()
{
    if (hwnd_)
        DestroyWindow(hwnd_);
}

void Application::RegisterMainForm(Form &form)
{
    if (!mainForm_)
        mainForm_ = &form;
}

void Application::UnregisterMainForm(Form &form)
{
    if (mainForm_ == &form)
        mainForm_ = nullptr;
}

LRESULT Application::OnMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    HWND wnd = hwnd_;
    switch (msg) {
    case WM_CLOSE:
        // Close from the taskbar button: the program ends by closing its main
        // window, never by destroying this one (which would take the owned
        // windows with it unasked).
        if (mainForm_ && IsWindow(mainForm_->hwnd()))
            SendMessageA(mainForm_->hwnd(), WM_CLOSE, 0, 0);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) != WA_INACTIVE)
            PostMessageA(wnd, kActivateForm, 0, 0);
        break;
    case kActivateForm:
        ActivateForm();
        return 0;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

// The application window itself takes no input: while it is the active
// window and not minimised, the activation goes to the form last used (a
// modal dialog while one is open), or else to the main window.
void Application::ActivateForm()
{
    HWND wnd = hwnd_;
    if (GetActiveWindow() != wnd || IsIconic(wnd))
        return;
    HWND target = GetLastActivePopup(wnd);
    if ((!target || target == wnd || !IsWindowVisible(target)) && mainForm_)
        target = mainForm_->hwnd();
    if (target && target != wnd && IsWindowVisible(target) && IsWindowEnabled(target))
        SetActiveWindow(target);
}

TaskWindowsDisabled::TaskWindowsDisabled(HWND modal) : modal_(modal)
{
    EnumThreadWindows(GetCurrentThreadId(), Disable, reinterpret_cast<LPARAM>(this));
}

TaskWindowsDisabled::~TaskWindowsDisabled()
{
    for (HWND wnd : disabled_)
        if (IsWindow(wnd))
            EnableWindow(wnd, TRUE);
}

BOOL CALLBACK TaskWindowsDisabled::Disable(HWND wnd, LPARAM param)
{
    auto *self = reinterpret_cast<TaskWindowsDisabled *>(param);
    return GuardedMessage<BOOL>(FALSE, [&] {
        if (wnd != self->modal_ && IsWindowVisible(wnd) && IsWindowEnabled(wnd)) {
            self->disabled_.push_back(wnd);
            EnableWindow(wnd, FALSE);
        }
        return TRUE;
    });
}

} // namespace lex
