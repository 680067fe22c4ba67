// Program start-up: the main window (which reads the settings and the
// dictionary and creates the settings dialog), then the event loop until the
// main window has closed.
#include <windows.h>

#include "Main/mainform_win.h"
#include "Win/boundary_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    // Start-up runs outside any window procedure: it has an edge of its own.
    return lex::GuardedMessage(1, [&] {
        lex::MainForm form;
        if (!form.Create(instance, lex::MainForm::Options()))
            return 1;
        ShowWindow(form.hwnd(), show);
        UpdateWindow(form.hwnd());
        return lex::RunMessageLoop(form);
    });
}
