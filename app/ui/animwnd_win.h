// TAnimateWindow: makes the system's minimise and restore animation play
// between the program's main window and its taskbar button.
//
// The taskbar button belongs to the hidden application window (see
// ui/application_win.h), so the system's own animation would start at its
// empty rectangle at 0, 0.  The component takes the minimise and restore
// commands over: it lays the application window over the top edge of the
// main window first, lets the system's default procedure minimise or
// restore it (which plays the animation from or to that rectangle), and
// then puts it back at 0, 0 with no size.
//
// The classes keep their T: without it the name would be user32's
// AnimateWindow function.
//
// Binding a window procedure to an instance: the form's window and the
// application window are subclassed (ui/window_win.h), with the component
// named in a window property.  That is the same code in 32 and 64 bits,
// needs no writable executable memory (which a per-instance code thunk
// would, and which data-execution prevention may refuse), and does not
// depend on the subclassing functions of common controls 6, which the
// program does not ask for.  The price, one property lookup per message, is
// small next to the message itself.
#pragma once

#include <windows.h>

#include <functional>
#include <stdexcept>

#include "ui/application_win.h"
#include "ui/window_win.h"

namespace lex {

class TAnimateWindow;

// The error raised when a second component is put on a form.
class AnimateWindowError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// TAnimateHookWnd: a hidden child window of the form with no size, content
// or input.  It exists to learn when the form's window is created and
// destroyed: its own creation and destruction come with the form's.
class TAnimateHookWnd : public Window {
public:
    explicit TAnimateHookWnd(TAnimateWindow &component) : component_(component) {}

    // Creates the hook window as a child of `parent`.  Its WM_CREATE hooks
    // the form's window; its WM_DESTROY (also when it is destroyed on its
    // own) unhooks it.
    void SetParent(HWND parent);

private:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

    TAnimateWindow &component_;
};

class TAnimateWindow {
public:
    // Notification with the application object as sender.
    using NotifyEvent = std::function<void(Application &sender)>;

    // Puts the component on `owner`.  A second component on the same form
    // raises AnimateWindowError and leaves the first one as it was.  The
    // component of the first form (before any main window is registered)
    // also takes over the application window's procedure.
    explicit TAnimateWindow(Form &owner);
    TAnimateWindow(const TAnimateWindow &) = delete;
    TAnimateWindow &operator=(const TAnimateWindow &) = delete;
    ~TAnimateWindow();

    // The form has loaded its components: the hook window becomes a child
    // of the form's window, if it has one.
    void SetParentComponent(Form &parent);

    // Called after a minimise and after a restore; both optional.
    NotifyEvent OnMinimize;
    NotifyEvent OnRestore;

    // The restore flag shared by all components: 1 (armed) at start, 0
    // after a restore run on activation, until the next restore command.
    static int RestoreFlag();

    // Whether the form's window, and the application window, currently run
    // through this component's procedures.
    bool FormHooked() const { return formHook_.hwnd() != nullptr; }
    bool ApplicationHooked() const { return appHook_.hwnd() != nullptr; }

private:
    friend class TAnimateHookWnd;
    LRESULT FormMessage(UINT msg, WPARAM wp, LPARAM lp);
    LRESULT ApplicationMessage(UINT msg, WPARAM wp, LPARAM lp);
    void Minimize();
    void Restore();

    Form &form_;
    WindowSubclass formHook_;  // the form's current window
    WindowSubclass appHook_;   // the application window (main window's component only)
    TAnimateHookWnd hookWnd_{*this};
};

} // namespace lex
