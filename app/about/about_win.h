// The version dialog TAboutDlg: created once at start-up, hidden, and shown
// modally by "バージョン情報(&A)...".  It shows the versions of the program
// and of loomlib.dll, the library's system report, and prepares a support
// mail.  The Help menu's readme command lives here too.
#pragma once

#include <windows.h>

#include <functional>

#include "util/handles_win.h"
#include "ui/dialog_win.h"

namespace lex {

class AboutDlg : public Dialog {
public:
    // Creates the dialog (hidden) from its template, owned by `owner`.
    bool Create(HWND owner);

    // Fills the dialog, shows it centred on the screen and returns when it
    // is closed (IDOK or IDCANCEL).
    int ShowModal();

    // Tests: runs once the dialog is on screen, inside ShowModal, with the
    // dialog's window; it ends the dialog by pressing one of its buttons.
    using ShowHook = std::function<void(HWND dialog)>;
    static void SetShowHook(ShowHook hook);

private:
    void OnInit() override;
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void Layout();
    void CenterOnScreen();
    void FormShow();
    void BtnMailClick();

    loom::FontHandle font_;
    loom::FontHandle titleFont_;
};

// "ReadMe 表示(&R)": hands readme.htm beside the program to the shell; a
// message box owned by `owner` says so when the shell cannot open it.
void ShowReadMe(HWND owner);

} // namespace lex
