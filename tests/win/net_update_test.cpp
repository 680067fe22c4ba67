// The update entry and the update window's template in the library's
// resources, as a program of the suite would use them.
#include "net/loomnet.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

BOOL CALLBACK CountWindow(HWND, LPARAM count)
{
    ++*reinterpret_cast<int *>(count);
    return TRUE;
}

int ThreadWindows()
{
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

TEST(LoomUpdate, ReturnsOneAndShowsNothing)
{
    int windows = ThreadWindows();
    EXPECT_EQ(1, LoomUpdate());
    EXPECT_EQ(windows, ThreadWindows());
}

INT_PTR CALLBACK PlainDialog(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

TEST(UpdateDialog, TemplateBuildsAWorkingWindow)
{
    HMODULE lib = GetModuleHandleA("loomlib.dll");
    ASSERT_NE(nullptr, lib);
    EXPECT_NE(nullptr, FindResourceExA(lib, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(500),
                                       MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)));
    // The progress bar's class exists once the common controls are loaded.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
    ASSERT_TRUE(InitCommonControlsEx(&controls));
    HWND dialog = CreateDialogParamA(lib, MAKEINTRESOURCEA(500), nullptr, PlainDialog, 0);
    ASSERT_NE(nullptr, dialog);

    // The lines a program writes its messages into, the bar it moves and the
    // button that cancels.
    for (int id : {400, 1002, 1003, IDCANCEL})
        EXPECT_NE(nullptr, GetDlgItem(dialog, id)) << id;
    HWND bar = GetDlgItem(dialog, 1000);
    ASSERT_NE(nullptr, bar);
    SendMessageA(bar, PBM_SETRANGE32, 0, 200);
    SendMessageA(bar, PBM_SETPOS, 150, 0);
    EXPECT_EQ(150, SendMessageA(bar, PBM_GETPOS, 0, 0));
    EXPECT_EQ(MAKELONG(IDCANCEL, DC_HASDEFID), SendMessageA(dialog, DM_GETDEFID, 0, 0));

    // Every control lies inside the window's client area.
    RECT client;
    GetClientRect(dialog, &client);
    for (int id : {400, 1000, 1002, 1003, IDCANCEL}) {
        RECT r;
        GetWindowRect(GetDlgItem(dialog, id), &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&r), 2);
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right &&
                    r.bottom <= client.bottom)
            << id;
    }
    DestroyWindow(dialog);
}

} // namespace
