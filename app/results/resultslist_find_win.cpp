// The results list's find dialog: the modeless system find dialog with a
// button of the program's own, "すべて検索(&A)", whose find-next walks the
// text column from the focused row and goes on from the other end, and
// whose find-all selects every row that matches.
#include "results/resultslist_win.h"

#include <dlgs.h>

#include "ui/boundary_win.h"
#include "ui/msgbox_win.h"

namespace lex {
namespace {

// The find-all button, put where the dialog's help button would stand.
constexpr int kFindAllId = 0x4F0;
const char kListProperty[] = "LexprobeResultsList";
// What the user chooses in the dialog: the direction and match case.
constexpr DWORD kChoices = FR_DOWN | FR_MATCHCASE;

const char kWrappedDown[] = "末尾まで検索したので、先頭から続けて検索しました。";
const char kWrappedUp[] = "先頭まで検索したので、末尾から続けて検索しました。";

RECT WindowRectOf(HWND wnd)
{
    RECT r = {};
    GetWindowRect(wnd, &r);
    return r;
}

// A button as the dialog's own buttons are, one row below its cancel
// button; the dialog grows when the row does not fit.
void AddFindAllButton(HWND dialog)
{
    HWND ok = GetDlgItem(dialog, IDOK), cancel = GetDlgItem(dialog, IDCANCEL);
    if (!ok || !cancel)
        return;
    RECT first = WindowRectOf(ok), second = WindowRectOf(cancel);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&first), 2);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&second), 2);
    const int step = second.top - first.top;
    RECT place = second;
    OffsetRect(&place, 0, step);
    HWND button = CreateWindowExA(0, "BUTTON", "すべて検索(&A)", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                  place.left, place.top, place.right - place.left, place.bottom - place.top,
                                  dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFindAllId)),
                                  GetModuleHandleA(nullptr), nullptr);
    SendMessageA(button, WM_SETFONT, SendMessageA(ok, WM_GETFONT, 0, 0), FALSE);
    // In the tab order right after the cancel button.
    SetWindowPos(button, cancel, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RECT client;
    GetClientRect(dialog, &client);
    const int lack = place.bottom + (second.top - first.bottom) - client.bottom;
    if (lack > 0) {
        RECT outer = WindowRectOf(dialog);
        SetWindowPos(dialog, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top + lack,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

} // namespace

// The dialog's hook: the find-all button is added when the dialog is made
// and its clicks are the list's; everything else is the dialog's own.
UINT_PTR CALLBACK ResultsList::FindHook(HWND dialog, UINT msg, WPARAM wp, LPARAM lp)
{
    return GuardedMessage<UINT_PTR>(FALSE, [&]() -> UINT_PTR {
        if (msg == WM_INITDIALOG) {
            const auto *request = reinterpret_cast<const FINDREPLACEA *>(lp);
            SetPropA(dialog, kListProperty, reinterpret_cast<HANDLE>(request->lCustData));
            AddFindAllButton(dialog);
            return TRUE;
        }
        auto *self = static_cast<ResultsList *>(GetPropA(dialog, kListProperty));
        if (msg == WM_COMMAND && LOWORD(wp) == kFindAllId && HIWORD(wp) == BN_CLICKED && self) {
            self->ReadFindDialog();
            self->FindAll(self->findWhat_, (self->choices_ & FR_MATCHCASE) != 0);
            return TRUE;
        }
        if (msg == WM_DESTROY)
            RemovePropA(dialog, kListProperty);
        return FALSE;
    });
}

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
        find_.lpstrFindWhat = findWhat_;
        find_.wFindWhatLen = sizeof findWhat_;
    }
    // The direction and match case as the dialog last had them: Wine's
    // dialog, once closed, leaves other flags in the structure.
    find_.hwndOwner = owner;
    find_.Flags = choices_ | FR_HIDEWHOLEWORD | FR_ENABLEHOOK;
    find_.lpfnHook = FindHook;
    find_.lCustData = reinterpret_cast<LPARAM>(this);
    findDlg_ = FindTextA(&find_);
}

void ResultsList::OnFindMessage(LPARAM lp)
{
    const auto *request = reinterpret_cast<const FINDREPLACEA *>(lp);
    if (!request)
        return;
    if (request == &find_)
        choices_ = request->Flags & kChoices;
    if (request->Flags & FR_DIALOGTERM) {
        if (request == &find_)
            findDlg_ = nullptr;
        return;
    }
    if ((request->Flags & FR_FINDNEXT) && request->lpstrFindWhat)
        FindNext(request->lpstrFindWhat, (request->Flags & FR_DOWN) != 0,
                 (request->Flags & FR_MATCHCASE) != 0, true);
}

// The dialog tells its text and choices only when its find-next button is
// pressed; a search from the keyboard takes them as the dialog shows them
// now.
void ResultsList::ReadFindDialog()
{
    if (!findDlg_ || !IsWindow(findDlg_))
        return;
    GetDlgItemTextA(findDlg_, edt1, findWhat_, sizeof findWhat_);
    choices_ = (IsDlgButtonChecked(findDlg_, rad2) == BST_CHECKED ? FR_DOWN : 0) |
               (IsDlgButtonChecked(findDlg_, chx2) == BST_CHECKED ? FR_MATCHCASE : 0);
}

void ResultsList::FindAgain(HWND owner, bool reverse, bool fromDialog)
{
    ReadFindDialog();
    if (findWhat_[0] == '\0') {
        ShowFind(owner);
        return;
    }
    const bool down = (choices_ & FR_DOWN) != 0;
    FindNext(findWhat_, reverse ? !down : down, (choices_ & FR_MATCHCASE) != 0, fromDialog);
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

// A search that reaches the end (or, upwards, the start) goes on from the
// other end up to the focused row, and says so in the status line.
void ResultsList::FindNext(const std::string &what, bool down, bool matchCase, bool fromDialog)
{
    if (!hwnd_)
        return;
    // Rows of a running scan that the control has not been told about yet
    // are listed before the search, so a hit can always be shown.
    SyncCount();
    const size_t focus = FocusedRow();
    size_t hit = rows_.FindNext(focus, down, what, matchCase);
    bool wrapped = false;
    if (hit == kNoRow && (focus != kNoRow || !down)) {
        hit = rows_.FindNext(down ? kNoRow : rows_.Count(), down, what, matchCase);
        wrapped = hit != kNoRow;
    }
    if (hit == kNoRow) {
        Notice("");
        ShowInfo(nullptr, "\"" + what + "\" が見つかりません。");
        return;
    }
    Notice(wrapped ? (down ? kWrappedDown : kWrappedUp) : "");
    rows_.ClearSelection();
    rows_.SetSelected(hit, true);
    ShowFound(hit, fromDialog);
}

void ResultsList::FindAll(const std::string &what, bool matchCase)
{
    if (!hwnd_)
        return;
    SyncCount();
    const size_t found = rows_.SelectMatching(what, matchCase);
    if (found == 0) {
        Notice("");
        ShowInfo(nullptr, "\"" + what + "\" が見つかりません。");
        return;
    }
    Notice("\"" + what + "\" を含む行: " + std::to_string(found) + " 行");
    ShowFound(rows_.FindNext(kNoRow, true, what, matchCase), true);
}

// The hit (the first of them) takes the focus mark and is scrolled into
// view, out from under the find dialog.  From the dialog, the dialog keeps
// the keyboard, so that Enter finds the next hit; F3 in the list leaves it
// in the list.
void ResultsList::ShowFound(size_t row, bool fromDialog)
{
    SetFocusedRow(row);
    SendMessageA(hwnd_, LVM_ENSUREVISIBLE, row, FALSE);
    RedrawRows();
    MoveFindDialogOff(row);
    if (!fromDialog) {
        SetFocus(GetAncestor(hwnd_, GA_ROOT));
        SetFocus(hwnd_);
    }
}

// Moves an open find dialog off `row` and off the status line below the
// list, where the notice of a search that went on from the other end
// stands: below the row while it stays above the status line, else above
// the row, else below the window; where the screen has room for none, the
// row alone is kept clear.
void ResultsList::MoveFindDialogOff(size_t row)
{
    if (!findDlg_ || !IsWindowVisible(findDlg_))
        return;
    RECT cell = {};
    cell.left = LVIR_BOUNDS;
    if (!SendMessageA(hwnd_, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&cell)))
        return;
    MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT *>(&cell), 2);
    const RECT list = WindowRectOf(hwnd_), window = WindowRectOf(GetAncestor(hwnd_, GA_ROOT));
    const RECT status = {window.left, list.bottom, window.right, window.bottom};
    RECT dialog = WindowRectOf(findDlg_), overlap;
    if (!IntersectRect(&overlap, &dialog, &cell) && !IntersectRect(&overlap, &dialog, &status))
        return;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromRect(&cell, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT &work = monitor.rcWork;
    const int height = dialog.bottom - dialog.top;
    int top;
    if (cell.bottom + height <= list.bottom)
        top = cell.bottom;
    else if (cell.top - height >= work.top)
        top = cell.top - height;
    else if (window.bottom + height <= work.bottom)
        top = window.bottom;
    else
        top = cell.bottom + height <= work.bottom ? cell.bottom : cell.top - height;
    SetWindowPos(findDlg_, nullptr, dialog.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace lex
