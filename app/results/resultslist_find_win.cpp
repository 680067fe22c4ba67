// The results list's find dialog: the modeless system find dialog, whose
// find-next walks the text column from the focused row.
#include "results/resultslist_win.h"

#include "ui/msgbox_win.h"

namespace lex {

void ResultsList::ShowFind(HWND owner)
{
    if (findDlg_ && IsWindow(findDlg_)) {
        ShowWindow(findDlg_, SW_SHOWNORMAL);
        SetForegroundWindow(findDlg_);
        BringWindowToTop(findDlg_);
        return;
    }
    if (find_.lStructSize == 0) {
        // First opening: direction down, match case offered and off.
        find_.lStructSize = sizeof find_;
        find_.Flags = FR_DOWN;
        find_.lpstrFindWhat = findWhat_;
        find_.wFindWhatLen = sizeof findWhat_;
    }
    find_.hwndOwner = owner;
    find_.Flags &= ~(FR_FINDNEXT | FR_DIALOGTERM | FR_REPLACE | FR_REPLACEALL);
    find_.Flags |= FR_HIDEWHOLEWORD;
    findDlg_ = FindTextA(&find_);
}

void ResultsList::OnFindMessage(LPARAM lp)
{
    const auto *request = reinterpret_cast<const FINDREPLACEA *>(lp);
    if (!request)
        return;
    if (request->Flags & FR_DIALOGTERM) {
        if (request == &find_)
            findDlg_ = nullptr;
        return;
    }
    if ((request->Flags & FR_FINDNEXT) && request->lpstrFindWhat)
        FindNext(request->lpstrFindWhat, (request->Flags & FR_DOWN) != 0, (request->Flags & FR_MATCHCASE) != 0);
}

void ResultsList::FindAgain(HWND owner, bool reverse)
{
    if (findWhat_[0] == '\0') {
        ShowFind(owner);
        return;
    }
    const bool down = (find_.Flags & FR_DOWN) != 0;
    FindNext(findWhat_, reverse ? !down : down, (find_.Flags & FR_MATCHCASE) != 0);
}

void ResultsList::KeepFindInFront()
{
    if (findDlg_ && IsWindowVisible(findDlg_))
        SetWindowPos(findDlg_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool ResultsList::IsFindDialogMessage(MSG *msg)
{
    return findDlg_ && IsDialogMessageA(findDlg_, msg);
}

void ResultsList::FindNext(const std::string &what, bool down, bool matchCase)
{
    if (!hwnd_)
        return;
    // Rows of a running scan that the control has not been told about yet
    // are listed before the search, so a hit can always be shown.
    SyncCount();
    size_t hit = rows_.FindNext(FocusedRow(), down, what, matchCase);
    if (hit == kNoRow) {
        ShowInfo(nullptr, "\"" + what + "\" が見つかりません。");
        return;
    }
    rows_.ClearSelection();
    rows_.SetSelected(hit, true);
    SetFocusedRow(hit);
    SendMessageA(hwnd_, LVM_ENSUREVISIBLE, hit, FALSE);
    RedrawRows();
    SetFocus(GetAncestor(hwnd_, GA_ROOT));
    SetFocus(hwnd_);
}

} // namespace lex
