// Program start-up: the application window titled "Lexprobe" (it carries
// the taskbar button), the main window (which reads the settings and the
// dictionary and creates the settings dialog), a file named on the command
// line, then the event loop until the main window has closed.
#include <windows.h>

#include "about/about_ids.h"
#include "startup/cmdline.h"
#include "mainwindow/mainform_win.h"
#include "ui/application_win.h"
#include "ui/boundary_win.h"

namespace {

bool IsFile(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsMinimizeCommand(int show)
{
    return show == SW_MINIMIZE || show == SW_SHOWMINIMIZED || show == SW_SHOWMINNOACTIVE ||
           show == SW_FORCEMINIMIZE;
}

int Run(HINSTANCE instance, int show)
{
    lex::Application &application = lex::Application::Instance();
    if (!application.CreateHandle(instance, "Lexprobe",
                                  LoadIconA(instance, MAKEINTRESOURCEA(IDI_LEXPROBE))))
        return 1;
    int result;
    {
        lex::MainForm form;
        if (!form.Create(instance, lex::MainForm::Options()))
            return 1;
        // A shortcut set to start minimised minimises the program (the
        // application window), not the main window alone.
        form.Show(IsMinimizeCommand(show) ? SW_SHOWNORMAL : show);
        UpdateWindow(form.hwnd());
        if (IsMinimizeCommand(show))
            PostMessageA(application.handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        std::string file = lex::CommandLineFile(GetCommandLineA(), IsFile);
        if (!file.empty())
            form.OpenFile(file, true);
        result = lex::RunMessageLoop(form);
    }
    application.DestroyHandle();
    return result;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    // Start-up runs outside any window procedure: it has an edge of its own.
    // An error raised while the windows are made (a component put on a form
    // twice) is reported there, and the program ends.
    return lex::GuardedMessage(1, [&] { return Run(instance, show); });
}
