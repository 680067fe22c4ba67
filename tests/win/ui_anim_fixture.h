// The program's window arrangement in this process: the application window
// (taskbar button) owning a real main window with its animation component,
// as the program starts them.
#pragma once

#include "mainwindow_fixture.h"

#include "ui/animwnd_win.h"
#include "ui/application_win.h"

namespace animtest {

using lex::MainForm;
using lex::TAnimateWindow;
using lex::Application;

inline RECT WindowRect(HWND wnd)
{
    RECT r = {};
    GetWindowRect(wnd, &r);
    return r;
}

inline RECT NormalRect(HWND wnd)
{
    WINDOWPLACEMENT p = {};
    p.length = sizeof p;
    GetWindowPlacement(wnd, &p);
    return p.rcNormalPosition;
}

inline bool SameRect(const RECT &a, const RECT &b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline std::string Describe(const RECT &r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
           std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

// A window's top edge: its left, top and width, height 0.
inline RECT TopEdge(const RECT &r)
{
    RECT edge = r;
    edge.bottom = r.top;
    return edge;
}

class Program : public apptest::App {
protected:
    void TearDown() override
    {
        apptest::App::TearDown();
        Application::Instance().DestroyHandle();
    }

    // The application window first, then the main window on it.
    MainForm &StartProgram()
    {
        EXPECT_TRUE(Application::Instance().CreateHandle(GetModuleHandleA(nullptr), "Lexprobe", nullptr));
        MainForm &form = Start();
        form.animateWindow1().OnMinimize = [this](Application &) { minimized_++; };
        form.animateWindow1().OnRestore = [this](Application &) { restored_++; };
        // The restore flag is shared by the whole process: a restore command
        // on a restored program re-arms it without playing anything.
        if (TAnimateWindow::RestoreFlag() == 0)
            SendMessageA(AppWnd(), WM_SYSCOMMAND, SC_RESTORE, 0);
        restored_ = 0;
        return form;
    }

    HWND AppWnd() const { return Application::Instance().handle(); }

    int minimized_ = 0;
    int restored_ = 0;
};

} // namespace animtest
