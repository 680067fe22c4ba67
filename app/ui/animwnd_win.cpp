// The window animation component and its hook window.
#include "ui/animwnd_win.h"

#include <algorithm>
#include <vector>

namespace lex {
namespace {

const char kHookClass[] = "TAnimateHookWnd";

const char kOnePerForm[] = "AnimateWindowはフォームに一つしか置けません";

// The forms that carry a component: at most one component each.
std::vector<const Form *> &Forms()
{
    static std::vector<const Form *> forms;
    return forms;
}

// 1 (armed) at start; 0 after a restore run on activation.
unsigned char g_restoreFlag = 1;

} // namespace

// Hook window.

void TAnimateHookWnd::SetParent(HWND parent)
{
    if (hwnd_ || !parent)
        return;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    wc.hInstance = instance;
    wc.lpszClassName = kHookClass;
    RegisterWindowClass(wc);
    // Not visible and disabled: it takes no room and no input.
    CreateHwnd(0, kHookClass, "", WS_CHILD | WS_DISABLED, 0, 0, 0, 0, parent, nullptr, instance);
}

LRESULT TAnimateHookWnd::OnMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_CREATE: {
        // The form's window exists now: after the default handling, its
        // procedure is replaced.
        LRESULT result = DefWindowProcA(hwnd_, msg, wp, lp);
        TAnimateWindow &c = component_;
        c.formHook_.Install(GetParent(hwnd_), [&c](UINT m, WPARAM w, LPARAM l) {
            return c.FormMessage(m, w, l);
        });
        return result;
    }
    case WM_DESTROY:
        // Before the default handling: the form's window gets its own
        // procedure back while it still exists.
        component_.formHook_.Remove();
        break;
    }
    return DefWindowProcA(hwnd_, msg, wp, lp);
}

// Component.

TAnimateWindow::TAnimateWindow(Form &owner) : form_(owner)
{
    std::vector<const Form *> &forms = Forms();
    if (std::find(forms.begin(), forms.end(), &owner) != forms.end())
        throw AnimateWindowError(kOnePerForm);
    forms.reserve(forms.size() + 1);  // nothing below may fail once a window is hooked
    // The first form's component, made while that form is being created
    // and before it is registered as the main window, serves the
    // application window.
    if (!Application::Instance().mainForm())
        appHook_.Install(Application::Instance().handle(), [this](UINT m, WPARAM w, LPARAM l) {
            return ApplicationMessage(m, w, l);
        });
    forms.push_back(&owner);
}

TAnimateWindow::~TAnimateWindow()
{
    // The hook window goes first; its WM_DESTROY gives the form's window
    // its procedure back.
    if (hookWnd_.hwnd())
        DestroyWindow(hookWnd_.hwnd());
    formHook_.Remove();
    // The main window unregisters itself before its components go.
    if (!Application::Instance().mainForm())
        appHook_.Remove();
    std::vector<const Form *> &forms = Forms();
    forms.erase(std::remove(forms.begin(), forms.end(), &form_), forms.end());
}

void TAnimateWindow::SetParentComponent(Form &parent)
{
    if (parent.hwnd())
        hookWnd_.SetParent(parent.hwnd());
}

int TAnimateWindow::RestoreFlag()
{
    return g_restoreFlag;
}

// The form's minimise command, and only the plain one (a value with any of
// the low four bits set goes the standard way), is taken over: the main
// window minimises the program itself, any other form asks the application
// window to.
LRESULT TAnimateWindow::FormMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    HWND app = Application::Instance().handle();
    if (msg == WM_SYSCOMMAND && wp == SC_MINIMIZE && app) {
        if (Application::Instance().mainForm() == &form_)
            Minimize();
        else
            PostMessageA(app, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        return 0;
    }
    return formHook_.CallPrevious(msg, wp, lp);
}

// Minimise and restore run here first; the message then goes on to the
// application window's own procedure in every case.  A restore run on
// activation disarms the next restore command, which only re-arms the flag:
// the system sends that command right after the activation, and the
// restore has already been played.
LRESULT TAnimateWindow::ApplicationMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_SYSCOMMAND:
        if (wp == SC_MINIMIZE) {
            Minimize();
        } else if (wp == SC_RESTORE) {
            if (g_restoreFlag == 1)
                Restore();
            else
                g_restoreFlag = 1;
        }
        break;
    case WM_ACTIVATEAPP:
        if (wp && IsIconic(appHook_.hwnd())) {
            Restore();
            g_restoreFlag = 0;
        }
        break;
    }
    return appHook_.CallPrevious(msg, wp, lp);
}

// The application window is laid over the form's top edge, then the
// system's default procedure minimises it, which plays the animation from
// there to the taskbar button and hides the windows it owns.
void TAnimateWindow::Minimize()
{
    Application &application = Application::Instance();
    HWND app = application.handle();
    HWND form = formHook_.hwnd() ? formHook_.hwnd() : form_.hwnd();
    if (!app || !form || !IsWindow(form))
        return;
    // A modal dialog disables the application window; minimising must
    // still work then.
    if (!IsWindowEnabled(app))
        EnableWindow(app, TRUE);
    RECT r = {};
    GetWindowRect(form, &r);
    SetForegroundWindow(app);
    SetWindowPos(app, nullptr, r.left, r.top, r.right - r.left, 0, SWP_NOZORDER);
    DefWindowProcA(app, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ShowWindow(app, SW_MINIMIZE);
    if (OnMinimize)
        OnMinimize(application);
}

// The application window's normal place becomes the main window's top edge,
// so the system's restore plays from the taskbar button to there; then the
// application window goes back to 0, 0 with no size.
void TAnimateWindow::Restore()
{
    Application &application = Application::Instance();
    HWND app = application.handle();
    Form *mainForm = application.mainForm();
    HWND main = mainForm ? mainForm->hwnd() : form_.hwnd();
    if (!app || !main || !IsWindow(main))
        return;
    WINDOWPLACEMENT mainPlace = {};
    mainPlace.length = sizeof mainPlace;
    WINDOWPLACEMENT appPlace = {};
    appPlace.length = sizeof appPlace;
    GetWindowPlacement(main, &mainPlace);
    GetWindowPlacement(app, &appPlace);
    appPlace.rcNormalPosition = mainPlace.rcNormalPosition;
    appPlace.rcNormalPosition.bottom = appPlace.rcNormalPosition.top;
    SetWindowPlacement(app, &appPlace);
    SetForegroundWindow(app);
    DefWindowProcA(app, WM_SYSCOMMAND, SC_RESTORE, 0);
    ShowWindow(app, SW_RESTORE);
    SetWindowPos(app, nullptr, 0, 0, 0, 0, SWP_NOZORDER);
    if (!IsWindowVisible(main))
        ShowWindow(main, SW_RESTORE);
    if (OnRestore)
        OnRestore(application);
}

} // namespace lex
