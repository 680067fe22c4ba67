// The window base: a window of a class of the program's own, a subclass in
// front of it, and how the bindings end.
#include <windows.h>

#include <gtest/gtest.h>

#include "ui/window_win.h"

namespace {

class ProbeWindow : public lex::Window {
public:
    bool Create()
    {
        WNDCLASSA wc = {};
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "UiWindowProbe";
        return RegisterWindowClass(wc) && CreateHwnd(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 10,
                                                     10, nullptr, nullptr, wc.hInstance);
    }

private:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override
    {
        return msg == WM_APP ? 10 : DefWindowProcA(hwnd_, msg, wp, lp);
    }
};

// A second subclass on a window would find the first one's binding and call
// itself for ever: it is refused, and the first keeps working.
TEST(WindowBase, OneSubclassPerWindowAndTheBindingsEndWithTheWindow)
{
    ProbeWindow probe;
    ASSERT_TRUE(probe.Create());
    HWND wnd = probe.hwnd();
    EXPECT_EQ(10, SendMessageA(wnd, WM_APP, 0, 0));

    lex::WindowSubclass first, second;
    int secondCalls = 0;
    first.Install(wnd, [&](UINT msg, WPARAM wp, LPARAM lp) {
        return first.CallPrevious(msg, wp, lp) + (msg == WM_APP ? 1 : 0);
    });
    second.Install(wnd, [&](UINT msg, WPARAM wp, LPARAM lp) {
        secondCalls++;
        return second.CallPrevious(msg, wp, lp);
    });
    EXPECT_EQ(wnd, first.hwnd());
    EXPECT_EQ(nullptr, second.hwnd());
    EXPECT_EQ(11, SendMessageA(wnd, WM_APP, 0, 0));
    EXPECT_EQ(0, secondCalls);

    // Removed, the window has its procedure back and takes another subclass.
    first.Remove();
    EXPECT_EQ(10, SendMessageA(wnd, WM_APP, 0, 0));
    second.Install(wnd, [&](UINT msg, WPARAM wp, LPARAM lp) {
        secondCalls++;
        return second.CallPrevious(msg, wp, lp);
    });
    EXPECT_EQ(10, SendMessageA(wnd, WM_APP, 0, 0));
    EXPECT_GT(secondCalls, 0);

    DestroyWindow(wnd);
    EXPECT_EQ(nullptr, second.hwnd());
    EXPECT_EQ(nullptr, probe.hwnd());
}

} // namespace
