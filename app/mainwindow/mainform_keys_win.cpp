// The main window's keyboard: what Enter presses, Tab and the arrows
// between the controls, the list's shortcuts, and the program's event loop
// that hands them the keys before the controls see them.
#include "mainwindow/mainform_win.h"

#include "mainwindow/commands.h"

namespace lex {

int MainForm::EnterButton(HWND focus) const
{
    if (focus == fileName_ || focus == ascii_.edit())
        return IDC_STARTBTN;
    for (HWND button : {startBtn_, browseBtn_, optBtn_, closeBtn_}) {
        if (focus == button)
            return GetDlgCtrlID(button);
    }
    return 0;
}

// What Enter presses, as in a dialog: the button with the focus, StartBtn
// (when it is enabled) from the two boxes; nothing in the list.
LRESULT MainForm::OnGetDefId()
{
    int id = EnterButton(GetFocus());
    return id ? MAKELONG(id, DC_HASDEFID) : 0;
}

// Keyboard navigation between the controls (Tab, arrows).
void MainForm::OnNextDlgCtl(WPARAM wp, LPARAM lp)
{
    HWND next = LOWORD(lp) ? reinterpret_cast<HWND>(wp) : GetNextDlgTabItem(hwnd_, GetFocus(), wp != 0);
    if (next)
        SetFocus(next);
}

// The list's shortcuts act whenever the main window has the keyboard; the
// text boxes keep Del, Ctrl+A, Ctrl+C and Ctrl+Z for their own editing.
bool MainForm::OnShortcut(const MSG *m)
{
    if (m->message != WM_KEYDOWN)
        return false;
    // F3 also repeats the search from the find dialog, which keeps the
    // keyboard then.
    HWND find = list_.findDialog();
    if (m->wParam == VK_F3 && find && (m->hwnd == find || IsChild(find, m->hwnd))) {
        list_.FindAgain(hwnd_, GetKeyState(VK_SHIFT) < 0, true);
        return true;
    }
    if (!(m->hwnd == hwnd_ || IsChild(hwnd_, m->hwnd)))
        return false;
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    bool alt = GetKeyState(VK_MENU) < 0;
    bool inEdit = m->hwnd == fileName_ || m->hwnd == ascii_.edit() || m->hwnd == filterBox_;
    if (alt)
        return false;
    if (OnFilterKey(m))
        return true;
    if (m->wParam == VK_F3 && !ctrl) {
        list_.FindAgain(hwnd_, GetKeyState(VK_SHIFT) < 0);
        return true;
    }
    if (m->wParam == 'S' && ctrl) {
        SaveItemClick(true);
        return true;
    }
    if (m->wParam == VK_DELETE && !ctrl && !inEdit) {
        EditItemClick();
        list_.DeleteSelected();
        return true;
    }
    if (m->wParam == 'C' && ctrl && !inEdit) {
        list_.Copy(hwnd_, settings_.SaveOption);
        return true;
    }
    if (m->wParam == 'F' && ctrl) {
        list_.ShowFind(hwnd_);
        return true;
    }
    if (m->wParam == 'Z' && ctrl && !inEdit) {
        list_.UndoDelete();
        return true;
    }
    if (m->wParam == 'A' && ctrl && !inEdit) {
        list_.SelectAll();
        return true;
    }
    return false;
}

bool MainForm::PreTranslate(MSG *m)
{
    if (destroyed_ || !hwnd_)
        return list_.IsFindDialogMessage(m);
    if (OnShortcut(m) || list_.IsFindDialogMessage(m))
        return true;
    return IsDialogMessageA(hwnd_, m) != FALSE;
}

int RunMessageLoop(MainForm &form)
{
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        if (!form.PreTranslate(&m)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
    return static_cast<int>(m.wParam);
}

} // namespace lex
