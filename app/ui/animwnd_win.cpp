// The window animation component and its hook window.
#include "ui/animwnd_win.h"

#include <algorithm>
#include <vector>

#include "ui/boundary_win.h"

namespace lex {
namespace {

const char kHookClass[] = "TAnimateHookWnd";
// The window property that names the component whose procedure a window
// runs through (on the form's window and on the application window).
const char kBindingProp[] = "TAnimateWindow";

const char kOnePerForm[] = "AnimateWindowはフォームに一つしか置けません";

// The forms that carry a component: at most one component each.
std::vector<const Form *> &Forms()
{
    static std::vector<const Form *> forms;
    return forms;
}

// 1 (armed) at start; 0 after a restore run on activation.
unsigned char g_restoreFlag = 1;

WNDPROC ProcOf(HWND wnd)
{
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(wnd, GWLP_WNDPROC));
}

void SetProc(HWND wnd, WNDPROC proc)
{
    SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
}

TAnimateWindow *BoundTo(HWND wnd)
{
    return static_cast<TAnimateWindow *>(GetPropA(wnd, kBindingProp));
}

} // namespace

// Hook window.

void TAnimateHookWnd::SetParent(HWND parent)
{
    if (wnd_.valid() || !parent)
        return;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    if (!GetClassInfoA(instance, kHookClass, &wc)) {
        wc.lpfnWndProc = WndProc;
        wc.hInstance = instance;
        wc.lpszClassName = kHookClass;
        RegisterClassA(&wc);
    }
    // Not visible and disabled: it takes no room and no input.
    CreateWindowExA(0, kHookClass, "", WS_CHILD | WS_DISABLED, 0, 0, 0, 0, parent, nullptr,
                    instance, this);
}

LRESULT CALLBACK TAnimateHookWnd::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE) {
        auto *cs = reinterpret_cast<CREATESTRUCTA *>(lp);
        auto *self = static_cast<TAnimateHookWnd *>(cs->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->wnd_.reset(hwnd);
    }
    auto *self = reinterpret_cast<TAnimateHookWnd *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(hwnd, msg, wp, lp);
    return GuardedMessage<LRESULT>(0, [&] { return self->OnMessage(hwnd, msg, wp, lp); });
}

LRESULT TAnimateHookWnd::OnMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_CREATE: {
        // The form's window exists now: after the default handling, its
        // procedure is replaced.
        LRESULT result = DefWindowProcA(hwnd, msg, wp, lp);
        component_.formHook_.Install(GetParent(hwnd), TAnimateWindow::FormProc, &component_);
        return result;
    }
    case WM_DESTROY:
        // Before the default handling: the form's window gets its own
        // procedure back while it still exists.
        component_.formHook_.Remove();
        break;
    case WM_NCDESTROY:
        // Gone with the form's window or on its own: nothing left to destroy.
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        wnd_.release();
        break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
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
        appHook_.Install(Application::Instance().handle(), ApplicationProc, this);
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

// Installing keeps the window's procedure, names this component on the
// window and puts `proc` in its place; removing undoes that (on a window
// that still exists).
void TAnimateWindow::Hook::Install(HWND target, WNDPROC proc, TAnimateWindow *self)
{
    if (wnd || !target)
        return;
    prev = ProcOf(target);
    SetPropA(target, kBindingProp, self);
    SetProc(target, proc);
    wnd = target;
}

void TAnimateWindow::Hook::Remove()
{
    if (!wnd)
        return;
    if (IsWindow(wnd)) {
        SetProc(wnd, prev);
        RemovePropA(wnd, kBindingProp);
    }
    wnd = nullptr;
    prev = nullptr;
}

LRESULT CALLBACK TAnimateWindow::FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    TAnimateWindow *self = BoundTo(hwnd);
    if (!self)
        return DefWindowProcA(hwnd, msg, wp, lp);
    return GuardedMessage<LRESULT>(0, [&] { return self->FormMessage(hwnd, msg, wp, lp); });
}

LRESULT CALLBACK TAnimateWindow::ApplicationProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    TAnimateWindow *self = BoundTo(hwnd);
    if (!self)
        return DefWindowProcA(hwnd, msg, wp, lp);
    return GuardedMessage<LRESULT>(0, [&] {
        return self->ApplicationMessage(hwnd, msg, wp, lp);
    });
}

// The form's minimise command, and only the plain one (a value with any of
// the low four bits set goes the standard way), is taken over: the main
// window minimises the program itself, any other form asks the application
// window to.
LRESULT TAnimateWindow::FormMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    HWND app = Application::Instance().handle();
    if (msg == WM_SYSCOMMAND && wp == SC_MINIMIZE && app) {
        if (Application::Instance().mainForm() == &form_)
            Minimize();
        else
            PostMessageA(app, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        return 0;
    }
    return CallWindowProcA(formHook_.prev, hwnd, msg, wp, lp);
}

// Minimise and restore run here first; the message then goes on to the
// application window's own procedure in every case.  A restore run on
// activation disarms the next restore command, which only re-arms the flag:
// the system sends that command right after the activation, and the
// restore has already been played.
LRESULT TAnimateWindow::ApplicationMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
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
        if (wp && IsIconic(hwnd)) {
            Restore();
            g_restoreFlag = 0;
        }
        break;
    }
    return CallWindowProcA(appHook_.prev, hwnd, msg, wp, lp);
}

// The application window is laid over the form's top edge, then the
// system's default procedure minimises it, which plays the animation from
// there to the taskbar button and hides the windows it owns.
void TAnimateWindow::Minimize()
{
    Application &application = Application::Instance();
    HWND app = application.handle();
    HWND form = formHook_.wnd ? formHook_.wnd : form_.hwnd();
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
