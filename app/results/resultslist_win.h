// The main window's results list: an owner-data report list view (class
// TListViewXP) with check boxes and multiple selection that draws from the
// program's RowStore, and the list commands that act on it (sorting, the
// find dialog, deleting, selecting, the pop-up menu, the results file).
//
// The main window owns one ResultsList and forwards WM_NOTIFY from the
// list, its menu commands and the find dialog's registered message to it.
// A scan's rows arrive through AppendRow (from the main window's scan
// session) and reach the control in batches (SyncCount).
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "results/rowstore.h"
#include "ui/window_win.h"

namespace lex {

class ResultsList {
public:
    ResultsList() = default;
    ResultsList(const ResultsList &) = delete;
    ResultsList &operator=(const ResultsList &) = delete;
    ~ResultsList();

    // Creates the list view (hidden) as a child of `parent` with control id
    // `id`, the columns "アドレス" 80, "種類" 60, "文字列" 400, and the
    // pop-up menu.
    bool Create(HWND parent, int id);
    HWND hwnd() const { return hwnd_; }
    RowStore &rows() { return rows_; }
    const RowStore &rows() const { return rows_; }

    // Scan host side.
    void Clear();                      // delete all rows
    void AppendRow(uint32_t offset, RowKind kind, const char *text, size_t length, bool checked);
    void SyncCount();                  // tell the control how many rows there are now

    // Runs whenever the control's row count changes (a scan's rows told,
    // rows deleted), for the window's status line.
    void SetCountChanged(std::function<void()> changed) { countChanged_ = std::move(changed); }
    // Shows a command's notice in the window's status line (a search that
    // went on from the other end, the count of find-all); "" takes it away.
    void SetNoticeShown(std::function<void(const std::string &)> shown) { notice_ = std::move(shown); }

    // WM_NOTIFY from the list view (and its header).  Returns true when
    // handled, with the window procedure's result in *result.
    bool OnNotify(const NMHDR *hdr, LRESULT *result);
    // WM_CONTEXTMENU on the list: the pop-up menu.
    void OnContextMenu(int x, int y);

    // The commands of the "編集(&E)" and "表示(&V)" menus and of the pop-up
    // menu (the find dialog owned by `owner`); false for any other command.
    bool OnCommand(int id, HWND owner);
    void OnColumnClick(int column);    // header click, with the "文字列" toggle
    void SortBy(SortKey key);
    void DeleteSelected();
    void SelectAll();
    void InvertSelection();
    void SelectChecked();
    bool HasSelection() const;

    // Which rows the list shows (resultslist_view_win.cpp).  SetFilter
    // shows the rows `filter` lets through, the focused row kept when it
    // stays in sight; the status line's count follows.  The "表示(&V)"
    // menu's filter entries change one condition each; SetFilterText the
    // text that rows must hold (the main window's filter box).
    void SetFilter(const RowFilter &filter);
    void SetFilterText(const std::string &text);
    const RowFilter &Filter() const { return rows_.Filter(); }
    // Check marks of the filter entries of the "表示(&V)" menu `view`, as
    // it opens.
    void ShowFilterChecks(HMENU view) const;
    // "元に戻す(&U)": the rows of the last deletion come back, selected,
    // the first of them focused.
    void UndoDelete();
    bool CanUndo() const { return rows_.CanUndo(); }

    // The find dialog: ShowFind opens it (or brings an open one to the
    // front); OnFindMessage handles the registered FINDMSGSTRING message the
    // owner receives; IsFindDialogMessage lets the message loop route
    // keyboard input to the modeless dialog.
    void ShowFind(HWND owner);
    void OnFindMessage(LPARAM lp);
    bool IsFindDialogMessage(MSG *msg);
    HWND findDialog() const { return findDlg_; }
    // Puts an open find dialog back in front of its owner, which has come to
    // the front (Wine raises an owner that becomes active above the windows
    // it owns).
    void KeepFindInFront();
    // F3 and Shift+F3: the find dialog's search once more, with its text
    // and choices as an open dialog shows them, in its direction or
    // (`reverse`) the other way; pressed in the dialog (`fromDialog`) it
    // keeps the keyboard.  With no search text yet the dialog opens instead.
    void FindAgain(HWND owner, bool reverse, bool fromDialog = false);
    // The find dialog's "すべて検索(&A)": every row whose text holds `what`
    // is selected, the first of them focused; the status line tells how
    // many.
    void FindAll(const std::string &what, bool matchCase);

    // "結果の保存(&S)...": the save dialog with two types, the results
    // file (the name's extension forced to ".txt") and the CSV file (to
    // ".csv"), and one write of the rows shown.  A file of the name written
    // is replaced only when the user says so ("いいえ" goes back to the
    // dialog).  A name that leads to `sourceFile`, the file the rows came
    // from (best given as a full path: the dialog may move the current
    // folder), is refused and the file kept.  Errors go through the
    // program's top-level error handler.
    void Save(HWND owner, bool textOnly, const std::string &sourceFile);
    static const char kSaveTitle[];
    // The save dialog's types, by their place in its list.
    static constexpr DWORD kTextType = 1, kCsvType = 2;
    // The writes behind Save: the rows shown in one write to `path` as it
    // stands (the extension as given); an existing file is replaced only
    // once the new one is whole.  Return false after reporting the error.
    bool SaveTo(const std::string &path, bool textOnly);
    bool SaveCsvTo(const std::string &path);

    // "コピー(&C)": the selected rows' lines of the results file (see
    // Save), CR LF between them, on the clipboard as CF_TEXT (code page
    // 932) and CF_UNICODETEXT, owned by `owner`.  Nothing happens without
    // a selection; errors are reported.  True when the clipboard holds them.
    bool Copy(HWND owner, bool textOnly);

    // The pop-up menu as it opens now: the copy entry (greyed without a
    // selection), then with a selection the delete entry, without one the
    // four sort entries.  The caller destroys it.
    HMENU CreatePopup() const;

    // Tests answer the save dialog instead of a user: the hook sees the
    // dialog's description and returns what GetSaveFileNameA would.
    using SaveDialogHook = std::function<BOOL(OPENFILENAMEA &ofn)>;
    static void SetSaveDialogHook(SaveDialogHook hook);

    // No row (FocusedRow without a focus, a search without a hit).
    static constexpr size_t kNoRow = SIZE_MAX;
    // The states of a row that the store keeps and the control asks for.
    static constexpr UINT kStoreStates = LVIS_SELECTED | LVIS_STATEIMAGEMASK;
    // The column of the rows' texts ("文字列").
    static constexpr int kTextColumn = 2;

private:
    // The list's input, in front of the control (resultslist_input_win.cpp).
    LRESULT ListMessage(UINT msg, WPARAM wp, LPARAM lp);
    int RowAt(int x, int y, bool *onCheckBox) const;
    void OnLeftClick(int x, int y, bool ctrl, bool shift);
    // True when the click was on a row, and so taken from the control.
    bool OnRightClick(int x, int y, bool modifiers);
    bool OnKeyDown(UINT key);
    void SelectByUser(size_t row, bool ctrl, bool shift);
    void SetStoredState(int row, UINT state, UINT mask);
    void ToggleChecked(int row);
    // The tooltip of cut texts (resultslist_tip_win.cpp).
    void CreateTextTip();
    void OnMouseMove(WPARAM wp, LPARAM lp);
    void ResetTextTip();
    bool OnTipNotify(NMHDR *hdr);

    void FitTextColumn();
    void ShowSortArrow(int column, bool byLength = false);
    bool OnGetDispInfoA(NMLVDISPINFOA *info);
    bool OnGetDispInfoW(NMLVDISPINFOW *info);
    void OnItemChanged(const NMLISTVIEW *change);
    void OnStateRangeChanged(const NMLVODSTATECHANGE *change);
    void FindNext(const std::string &what, bool down, bool matchCase, bool fromDialog);
    void ReadFindDialog();
    void ShowFound(size_t row, bool fromDialog);
    void MoveFindDialogOff(size_t row);
    static UINT_PTR CALLBACK FindHook(HWND dialog, UINT msg, WPARAM wp, LPARAM lp);
    void Notice(const std::string &text) const
    {
        if (notice_)
            notice_(text);
    }
    size_t FocusedRow() const;
    void SetFocusedRow(size_t row, bool anchor = true);
    void RedrawRows();
    void RunWithHourglass(void (RowStore::*command)());
    bool WriteOut(const std::string &path, const std::function<std::string()> &build);
    bool OnFilterCommand(int id);
    // Tells the control the store's row count after the rows shown changed
    // all at once, with the focus on `focus` (kNoRow: none); `countFlags`
    // are the LVSICF_ flags of the new count (LVSICF_NOSCROLL keeps the
    // view where it stands).
    void ShowNewRows(size_t focus, LPARAM countFlags = 0);

    HWND hwnd_ = nullptr;
    WindowSubclass subclass_;  // the list view's input, in front of TListViewXP
    std::function<void()> countChanged_;
    std::function<void(const std::string &)> notice_;
    bool fitting_ = false;     // the text column is being fitted to the list's width
    bool rightClickTaken_ = false;  // the right button went down on a row
    int sortedColumn_ = -1;    // the column whose header shows the sort arrow (3: the text column by length)
    // The tooltip that shows a text the column cuts: the cell under the
    // mouse, and the text it shows.
    HWND textTip_ = nullptr;
    int tipRow_ = -1;
    std::string tipText_;
    RowStore rows_;
    size_t syncedCount_ = 0;
    // Which order the next click on the "文字列" header applies: 0 name
    // order, 1 length order.  Lives as long as the list, across scans.
    int textToggle_ = 0;
    // The find dialog and what it keeps while the program runs: the search
    // text, the direction and the match-case choice.
    HWND findDlg_ = nullptr;
    FINDREPLACEA find_ = {};
    char findWhat_[256] = {};
    DWORD choices_ = FR_DOWN;  // direction down at first, match case off
    // The save dialog's last chosen name and type.
    std::string saveName_;
    DWORD saveType_ = kTextType;
};

// The full path of `path` as the current folder gives it now; `path`
// itself when that fails.
std::string FullPathOf(const std::string &path);

} // namespace lex
