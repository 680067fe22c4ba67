// The results list: an owner-data list view that draws its rows, their
// check boxes and their selection from the RowStore, and the commands of
// the "編集(&E)" and "表示(&V)" menus, the pop-up menu, the find dialog and
// the results file.
//
// Why the selection lives in the store: an owner-data list view keeps its
// own selection as index ranges, and changing the selection of every row
// through the control costs time in proportion to the row count (minutes
// for a million rows under Wine).  With LVIS_SELECTED and the state image
// in the callback mask the control asks the store for both, so selecting,
// inverting, sorting and deleting are plain store operations followed by a
// repaint.  The clicks and keys that select rows or toggle check boxes are
// handled in the list's window procedure (ListMessage); what the control
// still changes on its own (LVN_ITEMCHANGED for one row or for all rows,
// LVN_ODSTATECHANGED for a range) is recorded as it is reported.
//
// The list's input (clicks and keys) is in resultslist_input_win.cpp, the
// tooltip of cut texts in resultslist_tip_win.cpp, the find dialog in
// resultslist_find_win.cpp, the copy in resultslist_copy_win.cpp, the
// filter and the undo in resultslist_view_win.cpp and the results file in
// resultsfile_win.cpp.
#include "results/resultslist_win.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "scan/resultrow.h"
#include "results/listviewxp_win.h"
#include "results/resultslist_commands.h"
#include "util/handles_win.h"
#include "ui/msgbox_win.h"

namespace lex {
namespace {

struct Column {
    const char *caption;
    int width;
};
const Column kColumns[] = {{"アドレス", 80}, {"種類", 88}, {"文字列", 400}};
// The text column's caption in length order.
const char kTextByLengthCaption[] = "文字列 (長さ順)";
// The text column is never made narrower than this to fit the list.
constexpr int kMinTextWidth = 100;

// The column whose header shows the sort arrow for `key`: the check boxes
// stand in the first column.
int SortedColumn(SortKey key)
{
    switch (key) {
    case SortKey::Kind:
        return 1;
    case SortKey::Name:
    case SortKey::Length:
        return ResultsList::kTextColumn;
    default:
        return 0;
    }
}

// The three texts of a row as the columns show them.
struct CellText {
    char buffer[kOffsetTextLength];
    const char *text;
    size_t length;
};

CellText Cell(const RowStore &rows, size_t row, int column)
{
    CellText cell{};
    switch (column) {
    case 0:
        PutOffsetText(cell.buffer, rows.Offset(row));
        cell.text = cell.buffer;
        cell.length = kOffsetTextLength;
        break;
    case 1:
        cell.text = KindText(rows.Kind(row));
        cell.length = KindTextLength(rows.Kind(row));
        break;
    case 2:
        cell.text = rows.Text(row);
        cell.length = rows.TextLength(row);
        break;
    default:
        cell.text = "";
        cell.length = 0;
        break;
    }
    return cell;
}

UINT StoreState(const RowStore &rows, size_t row)
{
    return (rows.Selected(row) ? LVIS_SELECTED : 0u) | INDEXTOSTATEIMAGEMASK(rows.Checked(row) ? 2 : 1);
}

// A cell's text in the control's ANSI buffer, cut to what it holds.
void PutText(LVITEMA &item, const CellText &cell)
{
    size_t n = std::min(cell.length, static_cast<size_t>(item.cchTextMax - 1));
    std::memcpy(item.pszText, cell.text, n);
    item.pszText[n] = '\0';
}

// A cell's text in the control's UTF-16 buffer.  Each byte becomes at most
// one UTF-16 unit, so a prefix of cchTextMax - 1 bytes always fits.
void PutText(LVITEMW &item, const CellText &cell)
{
    size_t n = std::min(cell.length, static_cast<size_t>(item.cchTextMax - 1));
    int written = n ? MultiByteToWideChar(CP_ACP, 0, cell.text, static_cast<int>(n), item.pszText,
                                          item.cchTextMax - 1)
                    : 0;
    item.pszText[written > 0 ? written : 0] = L'\0';
}

// Answers the control's request for a row's text and states from the
// store; a row past the store is left as the control asked for it.
template <typename Item>
void FillItem(const RowStore &rows, Item &item)
{
    if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= rows.Count())
        return;
    size_t row = static_cast<size_t>(item.iItem);
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
        PutText(item, Cell(rows, row, item.iSubItem));
    if (item.mask & LVIF_STATE) {
        UINT mask = item.stateMask & ResultsList::kStoreStates;
        item.state = (item.state & ~mask) | (StoreState(rows, row) & mask);
    }
}

} // namespace

ResultsList::~ResultsList()
{
    if (findDlg_ && IsWindow(findDlg_))
        DestroyWindow(findDlg_);
}

bool ResultsList::Create(HWND parent, int id)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!RegisterListViewXP(instance))
        return false;
    hwnd_ = CreateWindowExA(WS_EX_CLIENTEDGE, kListViewXPClass, "",
                            WS_CHILD | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 0, 0, 0, 0,
                            parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (!hwnd_)
        return false;
    SendMessageA(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
    SendMessageA(hwnd_, LVM_SETCALLBACKMASK, kStoreStates, 0);
    // The columns ask for no header image (index -1); TListViewXP keeps the
    // image flag from reaching the control.
    for (int i = 0; i < 3; ++i) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_IMAGE | LVCF_SUBITEM;
        column.pszText = const_cast<char *>(kColumns[i].caption);
        column.cx = kColumns[i].width;
        column.iImage = -1;
        column.iSubItem = i;
        SendMessageA(hwnd_, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    subclass_.Install(hwnd_, [this](UINT msg, WPARAM wp, LPARAM lp) {
        return ListMessage(msg, wp, lp);
    });
    CreateTextTip();
    return true;
}

// The text column takes the width that the other two leave in the list's
// client area (a vertical scroll bar already left out), so long texts get
// all the room the window has.  Runs on every change of the list's size;
// one column width, whatever the row count.
void ResultsList::FitTextColumn()
{
    if (!hwnd_ || fitting_)
        return;
    RECT client;
    GetClientRect(hwnd_, &client);
    int width = client.right - client.left;
    for (int column = 0; column < kTextColumn; ++column)
        width -= static_cast<int>(SendMessageA(hwnd_, LVM_GETCOLUMNWIDTH, column, 0));
    width = std::max(width, kMinTextWidth);
    if (width == static_cast<int>(SendMessageA(hwnd_, LVM_GETCOLUMNWIDTH, kTextColumn, 0)))
        return;
    fitting_ = true;
    SendMessageA(hwnd_, LVM_SETCOLUMNWIDTH, kTextColumn, MAKELPARAM(width, 0));
    fitting_ = false;
}

// The sorted column's header carries the ascending arrow (the only order
// there is); -1 takes it away.  The text column sorts two ways, so its
// caption says which in length order.
void ResultsList::ShowSortArrow(int column, bool byLength)
{
    const int shown = byLength ? kTextColumn + 1 : column;  // the text column's two orders apart
    if (!hwnd_ || shown == sortedColumn_)
        return;
    sortedColumn_ = shown;
    HWND header = reinterpret_cast<HWND>(SendMessageA(hwnd_, LVM_GETHEADER, 0, 0));
    for (int i = 0; header && i <= kTextColumn; ++i) {
        HDITEMA item = {};
        item.mask = HDI_FORMAT;
        if (!SendMessageA(header, HDM_GETITEMA, i, reinterpret_cast<LPARAM>(&item)))
            continue;
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (i == column)
            item.fmt |= HDF_SORTUP;
        if (i == kTextColumn) {
            item.mask |= HDI_TEXT;
            item.pszText = const_cast<char *>(byLength ? kTextByLengthCaption : kColumns[i].caption);
        }
        SendMessageA(header, HDM_SETITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
}

void ResultsList::Clear()
{
    rows_.Clear();
    syncedCount_ = 0;
    if (hwnd_) {
        SendMessageA(hwnd_, LVM_SETITEMCOUNT, 0, 0);
        SendMessageA(hwnd_, LVM_SETSELECTIONMARK, 0, -1);
    }
    // The new rows come in the order the scan finds them.
    ShowSortArrow(-1);
    ResetTextTip();
    if (countChanged_)
        countChanged_();
}

void ResultsList::AppendRow(uint32_t offset, RowKind kind, const char *text, size_t length,
                            bool checked)
{
    rows_.Append(offset, kind, text, length, checked);
}

void ResultsList::SyncCount()
{
    if (!hwnd_ || rows_.Count() == syncedCount_)
        return;
    // Rows added after a sort stand at the end, out of its order.
    if (rows_.Count() > syncedCount_)
        ShowSortArrow(-1);
    syncedCount_ = rows_.Count();
    SendMessageA(hwnd_, LVM_SETITEMCOUNT, static_cast<WPARAM>(syncedCount_),
                 LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    if (countChanged_)
        countChanged_();
}

bool ResultsList::OnNotify(const NMHDR *hdr, LRESULT *result)
{
    if (!hwnd_ || !hdr || hdr->hwndFrom != hwnd_)
        return false;
    // The notification structures are the control's to be filled in.
    NMHDR *mutableHdr = const_cast<NMHDR *>(hdr);
    *result = 0;
    switch (hdr->code) {
    case LVN_GETDISPINFOA:
        return OnGetDispInfoA(reinterpret_cast<NMLVDISPINFOA *>(mutableHdr));
    case LVN_GETDISPINFOW:
        return OnGetDispInfoW(reinterpret_cast<NMLVDISPINFOW *>(mutableHdr));
    case LVN_ITEMCHANGED:
        OnItemChanged(reinterpret_cast<const NMLISTVIEW *>(hdr));
        return true;
    case LVN_ODSTATECHANGED:
        OnStateRangeChanged(reinterpret_cast<const NMLVODSTATECHANGE *>(hdr));
        return true;
    case LVN_COLUMNCLICK:
        OnColumnClick(reinterpret_cast<const NMLISTVIEW *>(hdr)->iSubItem);
        return true;
    case LVN_ODFINDITEMA:
    case LVN_ODFINDITEMW:
        // Type-ahead search by label is not offered.
        *result = -1;
        return true;
    default:
        return false;
    }
}

bool ResultsList::OnGetDispInfoA(NMLVDISPINFOA *info)
{
    FillItem(rows_, info->item);
    return true;
}

bool ResultsList::OnGetDispInfoW(NMLVDISPINFOW *info)
{
    FillItem(rows_, info->item);
    return true;
}

// A selection change made by the control (a click, the keyboard): one row,
// or all rows when iItem is -1.  The control does not repaint rows whose
// only change is a state it does not keep, so the rows are redrawn here.
void ResultsList::OnItemChanged(const NMLISTVIEW *change)
{
    if (!(change->uChanged & LVIF_STATE))
        return;
    bool was = (change->uOldState & LVIS_SELECTED) != 0;
    bool now = (change->uNewState & LVIS_SELECTED) != 0;
    if (was == now)
        return;
    if (change->iItem == -1) {
        if (now)
            rows_.SelectAll();
        else
            rows_.ClearSelection();
        RedrawRows();
    } else if (change->iItem >= 0 && static_cast<size_t>(change->iItem) < rows_.Count()) {
        rows_.SetSelected(change->iItem, now);
        SendMessageA(hwnd_, LVM_REDRAWITEMS, change->iItem, change->iItem);
    }
}

// A range selected with Shift (iFrom to iTo, both included).
void ResultsList::OnStateRangeChanged(const NMLVODSTATECHANGE *change)
{
    bool was = (change->uOldState & LVIS_SELECTED) != 0;
    bool now = (change->uNewState & LVIS_SELECTED) != 0;
    if (was == now || change->iFrom < 0 || change->iTo < change->iFrom)
        return;
    size_t last = std::min(static_cast<size_t>(change->iTo) + 1, rows_.Count());
    for (size_t row = static_cast<size_t>(change->iFrom); row < last; ++row)
        rows_.SetSelected(row, now);
    SendMessageA(hwnd_, LVM_REDRAWITEMS, change->iFrom, change->iTo);
}

size_t ResultsList::FocusedRow() const
{
    if (!hwnd_)
        return kNoRow;
    int row = static_cast<int>(SendMessageA(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    return row >= 0 && static_cast<size_t>(row) < rows_.Count() ? static_cast<size_t>(row) : kNoRow;
}

void ResultsList::SetFocusedRow(size_t row, bool anchor)
{
    LVITEMA item = {};
    item.stateMask = LVIS_FOCUSED;
    item.state = LVIS_FOCUSED;
    SendMessageA(hwnd_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    if (anchor)
        SendMessageA(hwnd_, LVM_SETSELECTIONMARK, 0, static_cast<LPARAM>(row));
}

void ResultsList::RedrawRows()
{
    if (hwnd_)
        InvalidateRect(hwnd_, nullptr, TRUE);
    ResetTextTip();
}

bool ResultsList::OnCommand(int id, HWND owner)
{
    if (OnFilterCommand(id))
        return true;
    switch (id) {
    case IDM_UNDO:
        UndoDelete();
        return true;
    case IDM_DELETE:
    case IDM_POPUPDELETE:
        DeleteSelected();
        return true;
    case IDM_FIND:
        ShowFind(owner);
        return true;
    case IDM_SELECTALL:
        SelectAll();
        return true;
    case IDM_REVERSE:
        InvertSelection();
        return true;
    case IDM_SELECTCHECK:
        SelectChecked();
        return true;
    case IDM_SORTADDRESS:
        SortBy(SortKey::Address);
        return true;
    case IDM_SORTNAME:
        SortBy(SortKey::Name);
        return true;
    case IDM_SORTLENGTH:
        SortBy(SortKey::Length);
        return true;
    case IDM_SORTCHECK:
        SortBy(SortKey::Checked);
        return true;
    }
    return false;
}

void ResultsList::OnColumnClick(int column)
{
    switch (column) {
    case 0:
        SortBy(SortKey::Address);
        break;
    case 1:
        SortBy(SortKey::Kind);
        break;
    case 2:
        // Successive clicks on "文字列" alternate name and length order.
        SortBy(textToggle_ == 0 ? SortKey::Name : SortKey::Length);
        textToggle_ = textToggle_ == 0 ? 1 : 0;
        break;
    default:
        break;
    }
}

// The control cannot sort owner data: the store sorts and the list is
// repainted.  Selection and check state travel with their rows; the focus
// follows its row too, as it does when the control sorts its own items.
void ResultsList::SortBy(SortKey key)
{
    if (rows_.Count() == 0)
        return;
    size_t focus = FocusedRow();
    const char *focusText = focus != kNoRow ? rows_.Text(focus) : nullptr;
    try {
        rows_.Sort(key);
    } catch (const std::bad_alloc &) {
        ReportOutOfMemory();
        return;
    }
    ShowSortArrow(SortedColumn(key), key == SortKey::Length);
    if (focusText) {
        for (size_t row = 0, n = rows_.Count(); row < n; ++row) {
            if (rows_.Text(row) == focusText) {
                if (row != focus)
                    SetFocusedRow(row);
                break;
            }
        }
    }
    RedrawRows();
}

void ResultsList::DeleteSelected()
{
    if (!hwnd_ || rows_.SelectedCount() == 0)
        return;
    // Where the focused row stands once the selected rows above it are gone;
    // a focused row that is deleted leaves no focus behind.
    size_t focus = FocusedRow();
    size_t newFocus = kNoRow;
    if (focus != kNoRow && !rows_.Selected(focus)) {
        size_t above = 0;
        for (size_t row = 0; row < focus; ++row)
            above += rows_.Selected(row) ? 1 : 0;
        newFocus = focus - above;
    }
    rows_.DeleteSelected();
    ShowNewRows(newFocus, LVSICF_NOSCROLL);
}

void ResultsList::RunWithHourglass(void (RowStore::*command)())
{
    SetCursor(LoadCursor(nullptr, IDC_WAIT));
    (rows_.*command)();
    RedrawRows();
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
}

void ResultsList::SelectAll()
{
    RunWithHourglass(&RowStore::SelectAll);
}

void ResultsList::InvertSelection()
{
    RunWithHourglass(&RowStore::InvertSelection);
}

void ResultsList::SelectChecked()
{
    RunWithHourglass(&RowStore::SelectChecked);
}

bool ResultsList::HasSelection() const
{
    return rows_.SelectedCount() > 0;
}

HMENU ResultsList::CreatePopup() const
{
    HMENU menu = CreatePopupMenu();
    if (!menu)
        return nullptr;
    AppendMenuA(menu, MF_STRING | (HasSelection() ? MF_ENABLED : MF_GRAYED), IDM_COPY,
                "コピー(&C)");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    if (HasSelection()) {
        AppendMenuA(menu, MF_STRING, IDM_POPUPDELETE, "リストから削除");
    } else {
        AppendMenuA(menu, MF_STRING, IDM_SORTADDRESS, "アドレス順");
        AppendMenuA(menu, MF_STRING, IDM_SORTNAME, "文字列の名前順");
        AppendMenuA(menu, MF_STRING, IDM_SORTLENGTH, "文字列の長さ順");
        AppendMenuA(menu, MF_STRING, IDM_SORTCHECK, "チェックあり/なし順");
    }
    return menu;
}

void ResultsList::OnContextMenu(int x, int y)
{
    if (!hwnd_)
        return;
    if (x == -1 && y == -1) {
        // From the keyboard: below the focused row, or at the list's corner.
        POINT pt = {0, 0};
        size_t focus = FocusedRow();
        RECT rc = {};
        rc.left = LVIR_BOUNDS;
        if (focus != kNoRow && SendMessageA(hwnd_, LVM_GETITEMRECT, focus, reinterpret_cast<LPARAM>(&rc))) {
            pt.x = rc.left;
            pt.y = rc.bottom;
        }
        ClientToScreen(hwnd_, &pt);
        x = pt.x;
        y = pt.y;
    }
    loom::MenuHandle menu(CreatePopup());
    if (!menu.valid())
        return;
    HWND owner = GetAncestor(hwnd_, GA_ROOT);
    int command = static_cast<int>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN,
                                                  x, y, 0, owner, nullptr));
    menu.reset();
    // Copying is the window's own command, which knows the results file's
    // layout; the other entries are the list's commands.
    if (command == IDM_COPY)
        SendMessageA(owner, WM_COMMAND, IDM_COPY, 0);
    else if (command != 0)
        OnCommand(command, owner);
}

} // namespace lex
