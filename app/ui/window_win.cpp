#include "ui/window_win.h"

#include "ui/boundary_win.h"

namespace lex {
namespace {

// The window property that names the subclass a window runs through.
const char kSubclassProp[] = "lex.WindowSubclass";

} // namespace

Window::~Window()
{
    if (hwnd_ && IsWindow(hwnd_)) {
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

bool Window::RegisterWindowClass(WNDCLASSA wc)
{
    WNDCLASSA existing = {};
    if (GetClassInfoA(wc.hInstance, wc.lpszClassName, &existing))
        return true;
    wc.lpfnWndProc = WndProc;
    return RegisterClassA(&wc) != 0;
}

HWND Window::CreateHwnd(DWORD exStyle, const char *className, const char *title, DWORD style,
                        int x, int y, int width, int height, HWND parent, HMENU menu,
                        HINSTANCE instance)
{
    return CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent, menu,
                           instance, this);
}

LRESULT CALLBACK Window::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE) {
        auto *self = static_cast<Window *>(reinterpret_cast<CREATESTRUCTA *>(lp)->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    }
    auto *self = reinterpret_cast<Window *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(hwnd, msg, wp, lp);
    LRESULT result = GuardedMessage<LRESULT>(0, [&] { return self->OnMessage(msg, wp, lp); });
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

void WindowSubclass::Install(HWND target, Handler handler)
{
    if (wnd_ || !target || GetPropA(target, kSubclassProp))
        return;
    handler_ = std::move(handler);
    prev_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(target, GWLP_WNDPROC));
    SetPropA(target, kSubclassProp, this);
    SetWindowLongPtrA(target, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc));
    wnd_ = target;
}

void WindowSubclass::Remove()
{
    if (!wnd_)
        return;
    if (IsWindow(wnd_)) {
        SetWindowLongPtrA(wnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(prev_));
        RemovePropA(wnd_, kSubclassProp);
    }
    wnd_ = nullptr;
    prev_ = nullptr;
}

LRESULT CALLBACK WindowSubclass::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    auto *self = static_cast<WindowSubclass *>(GetPropA(hwnd, kSubclassProp));
    if (!self)
        return DefWindowProcA(hwnd, msg, wp, lp);
    LRESULT result = GuardedMessage<LRESULT>(0, [&] { return self->handler_(msg, wp, lp); });
    if (msg == WM_NCDESTROY)
        self->Remove();
    return result;
}

} // namespace lex
