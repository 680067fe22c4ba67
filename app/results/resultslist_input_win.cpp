// The results list's input: the clicks and keys that select rows or
// toggle their check boxes, taken in the list's window procedure in front
// of the control, and the selection states asked of the control, kept in
// the store.
#include "results/resultslist_win.h"

#include <windowsx.h>

#include <algorithm>

namespace lex {

// User input that changes check boxes or the selection is handled here and
// never reaches the control: with the selection in the callback mask the
// control cannot tell which rows it changes (Wine, for one, reports a
// change only when the focus moves too), and its "deselect all" walks every
// row.  So a click on a check box and Space toggle the stored check state,
// and clicks and the movement keys set the stored selection the way a list
// view does; the control is told only where the focus goes.
LRESULT ResultsList::ListMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        SetFocus(hwnd_);
        OnLeftClick(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), (wp & MK_CONTROL) != 0, (wp & MK_SHIFT) != 0);
        return 0;
    case WM_RBUTTONDOWN:
        // A right click on a row that is not selected selects it alone, and
        // the pop-up menu comes with the button's release.  The control
        // never sees a click on a row: outside the first column it would
        // take it for a click on nothing and clear the selection.
        rightClickTaken_ = OnRightClick(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), (wp & (MK_CONTROL | MK_SHIFT)) != 0);
        if (rightClickTaken_)
            return 0;
        break;
    case WM_RBUTTONUP:
        if (rightClickTaken_) {
            rightClickTaken_ = false;
            return DefWindowProcA(hwnd_, msg, wp, lp);  // WM_CONTEXTMENU
        }
        break;
    case WM_KEYDOWN:
        if (OnKeyDown(static_cast<UINT>(wp)))
            return 0;
        break;
    case WM_CHAR:
        if (wp == ' ')
            return 0;
        break;
    case WM_MOUSEMOVE:
        OnMouseMove(wp, lp);
        break;
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_MOUSEWHEEL:
        ResetTextTip();
        break;
    case WM_SETFOCUS: {
        // The focus mark shows where the keyboard acts: a list entered with
        // Tab that has no focused row puts it on the top row in view (the
        // selection stays as it is).
        LRESULT result = subclass_.CallPrevious(msg, wp, lp);
        const size_t count = std::min(rows_.Count(), syncedCount_);
        if (count && FocusedRow() == kNoRow) {
            const size_t top = static_cast<size_t>(SendMessageA(hwnd_, LVM_GETTOPINDEX, 0, 0));
            SetFocusedRow(std::min(top, count - 1));
            SendMessageA(hwnd_, LVM_REDRAWITEMS, top, top);
        }
        return result;
    }
    case WM_SIZE: {
        LRESULT result = subclass_.CallPrevious(msg, wp, lp);
        FitTextColumn();
        return result;
    }
    case WM_NOTIFY: {
        auto *hdr = reinterpret_cast<NMHDR *>(lp);
        if (hdr && hdr->hwndFrom == textTip_ && textTip_ && OnTipNotify(hdr))
            return 0;
        LRESULT result = subclass_.CallPrevious(msg, wp, lp);
        // The user widened or narrowed the first two columns: the text
        // column takes what they leave.
        if (hdr && (hdr->code == HDN_ITEMCHANGEDA || hdr->code == HDN_ITEMCHANGEDW) &&
            reinterpret_cast<NMHEADERA *>(hdr)->iItem < kTextColumn)
            FitTextColumn();
        return result;
    }
    case LVM_SETITEMSTATE:
        // A selection set through the control's own message goes to the
        // store; the rest of the request (the focus) to the control.
        if (lp) {
            LVITEMA item = *reinterpret_cast<const LVITEMA *>(lp);
            if (item.stateMask & kStoreStates) {
                SetStoredState(static_cast<int>(wp), item.state, item.stateMask);
                item.stateMask &= ~kStoreStates;
                if (!item.stateMask)
                    return TRUE;
                return subclass_.CallPrevious(msg, wp, reinterpret_cast<LPARAM>(&item));
            }
        }
        break;
    case WM_NCDESTROY:
        hwnd_ = nullptr;
        break;
    }
    return subclass_.CallPrevious(msg, wp, lp);
}

int ResultsList::RowAt(int x, int y, bool *onCheckBox) const
{
    LVHITTESTINFO hit = {};
    hit.pt.x = x;
    hit.pt.y = y;
    int row = static_cast<int>(subclass_.CallPrevious(LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (row < 0 || !(hit.flags & LVHT_ONITEM) || static_cast<size_t>(row) >= rows_.Count())
        return -1;
    if (onCheckBox)
        *onCheckBox = hit.iSubItem == 0 && (hit.flags & LVHT_ONITEM) == LVHT_ONITEMSTATEICON;
    return row;
}

void ResultsList::OnLeftClick(int x, int y, bool ctrl, bool shift)
{
    bool onCheckBox = false;
    int row = RowAt(x, y, &onCheckBox);
    if (row < 0) {
        // Empty space: a plain click clears the selection.
        if (!ctrl && !shift && rows_.SelectedCount()) {
            rows_.ClearSelection();
            RedrawRows();
        }
        return;
    }
    if (onCheckBox) {
        ToggleChecked(row);
        return;
    }
    SelectByUser(static_cast<size_t>(row), ctrl, shift);
}

bool ResultsList::OnRightClick(int x, int y, bool modifiers)
{
    int row = RowAt(x, y, nullptr);
    if (row < 0)
        return false;
    SetFocus(hwnd_);
    if (!modifiers && !rows_.Selected(row))
        SelectByUser(static_cast<size_t>(row), false, false);
    return true;
}

// The movement keys: the focus moves as in any list view; plain keys select
// the new row alone, Shift selects from the anchor to it, Ctrl moves only
// the focus.  Space toggles the focused row's check box, Ctrl+Space its
// selection.
bool ResultsList::OnKeyDown(UINT key)
{
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    bool shift = GetKeyState(VK_SHIFT) < 0;
    size_t count = std::min(rows_.Count(), syncedCount_);
    size_t focus = FocusedRow();
    if (key == VK_SPACE) {
        if (focus != kNoRow) {
            if (ctrl)
                SelectByUser(focus, true, false);
            else
                ToggleChecked(static_cast<int>(focus));
        }
        return true;
    }
    if (count == 0)
        return false;
    long long last = static_cast<long long>(count) - 1;
    long long from = focus == kNoRow ? -1 : static_cast<long long>(focus);
    long long top = SendMessageA(hwnd_, LVM_GETTOPINDEX, 0, 0);
    long long page = std::max<long long>(1, SendMessageA(hwnd_, LVM_GETCOUNTPERPAGE, 0, 0));
    long long to;
    switch (key) {
    case VK_UP:
        to = from < 0 ? 0 : from - 1;
        break;
    case VK_DOWN:
        to = from + 1;
        break;
    case VK_HOME:
        to = 0;
        break;
    case VK_END:
        to = last;
        break;
    case VK_PRIOR:
        // First to the top of the page, then a page further.
        to = from == top ? from - page + 1 : top;
        break;
    case VK_NEXT:
        to = from == top + page - 1 ? from + page - 1 : top + page - 1;
        break;
    default:
        return false;
    }
    to = std::max<long long>(0, std::min(to, last));
    if (ctrl && !shift) {
        SetFocusedRow(static_cast<size_t>(to), false);
        return true;
    }
    SelectByUser(static_cast<size_t>(to), false, shift);
    return true;
}

// One row chosen by the user: alone, toggled (Ctrl) or as the end of a
// range from the anchor (Shift; with Ctrl added to what is selected).
void ResultsList::SelectByUser(size_t row, bool ctrl, bool shift)
{
    int mark = static_cast<int>(SendMessageA(hwnd_, LVM_GETSELECTIONMARK, 0, 0));
    size_t anchor = mark >= 0 && static_cast<size_t>(mark) < rows_.Count() ? static_cast<size_t>(mark) : kNoRow;
    if (anchor == kNoRow)
        anchor = FocusedRow() != kNoRow ? FocusedRow() : row;
    if (shift) {
        if (!ctrl)
            rows_.ClearSelection();
        for (size_t i = std::min(anchor, row), last = std::max(anchor, row); i <= last; ++i)
            rows_.SetSelected(i, true);
    } else if (ctrl) {
        rows_.SetSelected(row, !rows_.Selected(row));
        anchor = row;
    } else {
        rows_.ClearSelection();
        rows_.SetSelected(row, true);
        anchor = row;
    }
    SetFocusedRow(row, false);
    SendMessageA(hwnd_, LVM_SETSELECTIONMARK, 0, static_cast<LPARAM>(anchor));
    RedrawRows();
}

// LVM_SETITEMSTATE for the states the store keeps (row -1: every row).
void ResultsList::SetStoredState(int row, UINT state, UINT mask)
{
    if (row == -1) {
        if (mask & LVIS_SELECTED) {
            if (state & LVIS_SELECTED)
                rows_.SelectAll();
            else
                rows_.ClearSelection();
        }
        if (mask & LVIS_STATEIMAGEMASK) {
            UINT image = (state & LVIS_STATEIMAGEMASK) >> 12;
            if (image == 1 || image == 2) {
                for (size_t i = 0, n = rows_.Count(); i < n; ++i)
                    rows_.SetChecked(i, image == 2);
            }
        }
        RedrawRows();
        return;
    }
    if (row < 0 || static_cast<size_t>(row) >= rows_.Count())
        return;
    if (mask & LVIS_SELECTED)
        rows_.SetSelected(row, (state & LVIS_SELECTED) != 0);
    if (mask & LVIS_STATEIMAGEMASK) {
        UINT image = (state & LVIS_STATEIMAGEMASK) >> 12;
        if (image == 1 || image == 2)
            rows_.SetChecked(row, image == 2);
    }
    SendMessageA(hwnd_, LVM_REDRAWITEMS, row, row);
}

void ResultsList::ToggleChecked(int row)
{
    if (row < 0 || static_cast<size_t>(row) >= rows_.Count())
        return;
    rows_.SetChecked(row, !rows_.Checked(row));
    SendMessageA(hwnd_, LVM_REDRAWITEMS, row, row);
}

} // namespace lex
