// The version dialog TAboutDlg: created once at start-up, hidden, and shown
// modally by "バージョン情報(&A)...".  It shows the versions of the program
// and of loomlib.dll, the library's system report, and prepares a support
// mail.  The Help menu's readme command lives here too.
#pragma once

#include <windows.h>

#include "util/handles_win.h"
#include "ui/dialog_win.h"

namespace lex {

class AboutDlg : public DialogOfKind<AboutDlg> {
public:
    // Creates the dialog (hidden) from its template, owned by `owner`.
    bool Create(HWND owner);

    // Fills the dialog, shows it centred on the screen and returns when it
    // is closed (IDOK or IDCANCEL).
    int ShowModal();

private:
    void OnInit() override;
    INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
    void Layout();
    void CenterOnScreen();
    void FormShow();
    void BtnMailClick();

    loom::FontHandle titleFont_;
};

// "ReadMe 表示(&R)": hands readme.htm beside the program to the shell; a
// message box owned by `owner` says so when the shell cannot open it.
void ShowReadMe(HWND owner);

} // namespace lex
