// Which rows the results list shows (the filter of the "表示(&V)" menu and
// the main window's filter box) and the undo of the last deletion.  Both
// change the rows shown all at once: the control is told the new count in
// one message and the focus goes to the row it stood on, where that row is
// still shown.
#include "results/resultslist_win.h"

#include <new>

#include "results/resultslist_commands.h"
#include "ui/msgbox_win.h"

namespace lex {
namespace {

// The kind filter's entries stand in RowKind order.
static_assert(IDM_FILTERUNICODE - IDM_FILTERANSI == static_cast<int>(RowKind::Unicode) &&
                  IDM_FILTERUTF8 - IDM_FILTERANSI == static_cast<int>(RowKind::Utf8) &&
                  IDM_FILTERRESOURCE - IDM_FILTERANSI == static_cast<int>(RowKind::Resource) &&
                  IDM_FILTEREUCJP - IDM_FILTERANSI == static_cast<int>(RowKind::EucJp) &&
                  IDM_FILTERISO2022JP - IDM_FILTERANSI == static_cast<int>(RowKind::Iso2022Jp) &&
                  IDM_FILTERUTF16BE - IDM_FILTERANSI == static_cast<int>(RowKind::Utf16Be) &&
                  IDM_FILTERUTF16BE - IDM_FILTERANSI + 1 == static_cast<int>(kRowKinds),
              "one kind filter entry per kind, in kind order");

// A row as it is found again after the rows shown changed: its text lives
// at one place in the store for as long as the row does (an empty text is
// told apart by its offset).
struct RowMark {
    const char *text = nullptr;
    uint32_t offset = 0;
};

RowMark MarkOf(const RowStore &rows, size_t row)
{
    return row == ResultsList::kNoRow ? RowMark{} : RowMark{rows.Text(row), rows.Offset(row)};
}

size_t FindMark(const RowStore &rows, RowMark mark)
{
    if (!mark.text)
        return ResultsList::kNoRow;
    for (size_t row = 0, n = rows.Count(); row < n; ++row)
        if (rows.Text(row) == mark.text && rows.Offset(row) == mark.offset)
            return row;
    return ResultsList::kNoRow;
}

} // namespace

void ResultsList::SetFilter(const RowFilter &filter)
{
    const RowMark focus = MarkOf(rows_, FocusedRow());
    try {
        rows_.SetFilter(filter);
    } catch (const std::bad_alloc &) {
        ReportOutOfMemory();
        return;
    }
    ShowNewRows(FindMark(rows_, focus));
}

void ResultsList::SetFilterText(const std::string &text)
{
    if (text == rows_.Filter().text)
        return;
    RowFilter filter = rows_.Filter();
    filter.text = text;
    SetFilter(filter);
}

void ResultsList::UndoDelete()
{
    if (!rows_.CanUndo())
        return;
    try {
        rows_.UndoDelete();
    } catch (const std::bad_alloc &) {
        ReportOutOfMemory();
        return;
    }
    size_t first = kNoRow;
    for (size_t row = 0, n = rows_.Count(); row < n && first == kNoRow; ++row)
        if (rows_.Selected(row))
            first = row;
    ShowNewRows(first);
    if (first != kNoRow)
        SendMessageA(hwnd_, LVM_ENSUREVISIBLE, first, FALSE);
}

void ResultsList::ShowNewRows(size_t focus, LPARAM countFlags)
{
    if (!hwnd_)
        return;
    SendMessageA(hwnd_, WM_SETREDRAW, FALSE, 0);
    // The control's focus is an index: the row at it now is another one.
    const int old = static_cast<int>(SendMessageA(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (old >= 0) {
        LVITEMA item = {};
        item.stateMask = LVIS_FOCUSED;
        SendMessageA(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(old), reinterpret_cast<LPARAM>(&item));
    }
    syncedCount_ = rows_.Count();
    SendMessageA(hwnd_, LVM_SETITEMCOUNT, static_cast<WPARAM>(syncedCount_), countFlags);
    if (focus != kNoRow)
        SetFocusedRow(focus);
    else
        SendMessageA(hwnd_, LVM_SETSELECTIONMARK, 0, -1);
    SendMessageA(hwnd_, WM_SETREDRAW, TRUE, 0);
    RedrawRows();
    if (countChanged_)
        countChanged_();
}

// One condition each; the kind entries take one kind or any.
bool ResultsList::OnFilterCommand(int id)
{
    RowFilter filter = rows_.Filter();
    switch (id) {
    case IDM_FILTERJAPANESE:
        filter.japanese = !filter.japanese;
        break;
    case IDM_FILTERCHECKED:
        filter.checkedOnly = !filter.checkedOnly;
        break;
    case IDM_FILTERANYKIND:
        filter.kind = RowFilter::kAnyKind;
        break;
    case IDM_FILTERANSI:
    case IDM_FILTERUNICODE:
    case IDM_FILTERUTF8:
    case IDM_FILTERRESOURCE:
    case IDM_FILTEREUCJP:
    case IDM_FILTERISO2022JP:
    case IDM_FILTERUTF16BE:
        filter.kind = static_cast<int>(RowKind::Ansi) + (id - IDM_FILTERANSI);
        break;
    default:
        return false;
    }
    SetFilter(filter);
    return true;
}

void ResultsList::ShowFilterChecks(HMENU view) const
{
    const RowFilter &f = rows_.Filter();
    const auto check = [view](UINT id, bool on) {
        CheckMenuItem(view, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    };
    check(IDM_FILTERJAPANESE, f.japanese);
    check(IDM_FILTERCHECKED, f.checkedOnly);
    const UINT kind = f.kind == RowFilter::kAnyKind
                          ? IDM_FILTERANYKIND
                          : static_cast<UINT>(IDM_FILTERANSI + f.kind - static_cast<int>(RowKind::Ansi));
    CheckMenuRadioItem(view, IDM_FILTERANYKIND, IDM_FILTERUTF16BE, kind, MF_BYCOMMAND);
    EnableMenuItem(view, IDM_FILTERCLEAR, MF_BYCOMMAND | (f.Active() ? MF_ENABLED : MF_GRAYED));
}

} // namespace lex
