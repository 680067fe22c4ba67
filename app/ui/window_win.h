// The window base of the program's own windows, as ui/dialog_win.h is for
// its dialogs: `this` bound to the window and one trampoline that hands
// the window's messages to the object, with no exception passing into the
// system (GuardedMessage).  Two kinds of binding:
//
// - Window: a window of a class of the program's own (the main window, the
//   application window, the animation component's hook window).  `this`
//   travels with CreateWindowEx and is kept in the window's user data.
// - WindowSubclass: a procedure put in front of the procedure of a window
//   that exists already (the results list's list view, and the form and
//   application windows that the animation component hooks).  Those
//   windows may keep their own object in their user data, so this binding
//   is a window property; one subclass of the program's own per window.
#pragma once

#include <windows.h>

#include <functional>

namespace lex {

class Window {
public:
    Window(const Window &) = delete;
    Window &operator=(const Window &) = delete;

    HWND hwnd() const { return hwnd_; }

protected:
    Window() = default;
    // Destroys the window if it is still there.  The derived object is gone
    // by then: the messages of the destruction no longer reach its handlers.
    virtual ~Window();

    // Registers the class `wc` describes, with the trampoline as its
    // procedure, unless the class is registered already.
    static bool RegisterWindowClass(WNDCLASSA wc);

    // Creates a window of such a class, bound to this object from its
    // WM_NCCREATE on (hwnd_ is set from then on).  Null when it fails.
    HWND CreateHwnd(DWORD exStyle, const char *className, const char *title, DWORD style, int x,
                    int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance);

    // Every message from WM_NCCREATE to WM_NCDESTROY; what the window does
    // not handle goes to DefWindowProcA.  After WM_NCDESTROY the binding is
    // gone and hwnd_ is null.
    virtual LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) = 0;

    HWND hwnd_ = nullptr;

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
};

class WindowSubclass {
public:
    // Sees every message of the window while installed; passes on what it
    // does not take with CallPrevious.
    using Handler = std::function<LRESULT(UINT msg, WPARAM wp, LPARAM lp)>;

    WindowSubclass() = default;
    WindowSubclass(const WindowSubclass &) = delete;
    WindowSubclass &operator=(const WindowSubclass &) = delete;
    ~WindowSubclass() { Remove(); }

    // Puts the trampoline in front of `target`'s procedure, keeping that
    // one for CallPrevious.  Nothing happens while this subclass is
    // installed, for a null window, or on a window that already runs
    // through a subclass of the program's own.
    void Install(HWND target, Handler handler);
    // Gives the window its procedure back, if it still exists.  A window
    // being destroyed gets it back after its WM_NCDESTROY.
    void Remove();

    HWND hwnd() const { return wnd_; }
    LRESULT CallPrevious(UINT msg, WPARAM wp, LPARAM lp) const
    {
        return CallWindowProcA(prev_, wnd_, msg, wp, lp);
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    HWND wnd_ = nullptr;
    WNDPROC prev_ = nullptr;
    Handler handler_;
};

} // namespace lex
