// The program's application object: the hidden top-level window that
// carries the program's taskbar button and owns the main window and the
// dialogs, and the record of which form is the program's main window.
//
// The application window is a captioned pop-up at 0, 0 with no size: it is
// "shown" (so the taskbar lists it) but covers nothing.  Minimising the
// program minimises this window, and the system then hides the windows it
// owns; restoring it shows them again.
#pragma once

#include <windows.h>

#include <vector>

#include "ui/window_win.h"

namespace lex {

// A window of the program made by a class of its own (the main window, a
// dialog).  The application and the window components know a form by its
// object, since its window may be created and destroyed more than once.
class Form {
public:
    virtual HWND hwnd() const = 0;

protected:
    ~Form() = default;
};

class Application : private Window {
public:
    // The program's one application object.
    static Application &Instance();

    // Creates the application window titled `title` (the taskbar's text)
    // with the program's icon `icon` (may be null) and shows it without
    // activating it.  False when it cannot be made.
    bool CreateHandle(HINSTANCE instance, const char *title, HICON icon);
    void DestroyHandle();
    // The application window; null when the program runs without one (the
    // window tests create forms on their own).
    HWND handle() const { return hwnd_; }

    // The program's main window: the first form that registers itself,
    // until it unregisters.  Null before and after.
    Form *mainForm() const { return mainForm_; }
    void RegisterMainForm(Form &form);
    void UnregisterMainForm(Form &form);

private:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void ActivateForm();

    Form *mainForm_ = nullptr;
};

// While a modal window runs, the program's other top-level windows (the
// application window and the main window among them) take no input.  They
// are enabled again when this goes out of scope.
class TaskWindowsDisabled {
public:
    explicit TaskWindowsDisabled(HWND modal);
    TaskWindowsDisabled(const TaskWindowsDisabled &) = delete;
    TaskWindowsDisabled &operator=(const TaskWindowsDisabled &) = delete;
    ~TaskWindowsDisabled();

private:
    static BOOL CALLBACK Disable(HWND wnd, LPARAM self);
    HWND modal_;
    std::vector<HWND> disabled_;
};

} // namespace lex
