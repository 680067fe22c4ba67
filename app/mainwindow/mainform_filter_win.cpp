// The main window's filter box: a text box above the list that shows only
// the rows whose text holds what is typed, as it is typed (the list's other
// conditions are the "表示(&V)" menu's, kept by the list).  Esc in the box
// empties it; Ctrl+E and "文字列で絞り込む(&F)" give it the keyboard.
#include "mainwindow/mainform_win.h"

#include "mainwindow/commands.h"

namespace lex {

void MainForm::ShowFilterBar(bool shown)
{
    ShowWindow(filterLabel_, shown ? SW_SHOW : SW_HIDE);
    ShowWindow(filterBox_, shown ? SW_SHOW : SW_HIDE);
}

void MainForm::FilterBoxChange()
{
    const int n = GetWindowTextLengthA(filterBox_);
    std::string text(static_cast<size_t>(n) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(filterBox_, &text[0], n + 1)));
    list_.SetFilterText(text);
}

bool MainForm::OnFilterCommand(int id)
{
    switch (id) {
    case IDM_FILTERTEXT:
        if (IsWindowVisible(filterBox_)) {
            SetFocus(filterBox_);
            SendMessageA(filterBox_, EM_SETSEL, 0, -1);
        }
        return true;
    case IDM_FILTERCLEAR:
        // Emptying the box takes the text away (FilterBoxChange).
        SetWindowTextA(filterBox_, "");
        list_.SetFilter(RowFilter());
        return true;
    }
    return false;
}

bool MainForm::OnFilterKey(const MSG *m)
{
    if (m->message != WM_KEYDOWN)
        return false;
    if (m->wParam == 'E' && GetKeyState(VK_CONTROL) < 0) {
        OnFilterCommand(IDM_FILTERTEXT);
        return true;
    }
    if (m->wParam == VK_ESCAPE && m->hwnd == filterBox_ && GetWindowTextLengthA(filterBox_) > 0) {
        SetWindowTextA(filterBox_, "");
        return true;
    }
    return false;
}

} // namespace lex
