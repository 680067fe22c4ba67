// The results list's tooltip: the whole of a text that its column cuts,
// shown while the mouse rests on the cell.
#include "results/resultslist_win.h"

#include <windowsx.h>

#include <algorithm>

#include "util/mbcs.h"

namespace lex {
namespace {

// The room the list view leaves around a cell's text, and the most of a
// text a tooltip shows (in bytes) and how wide it may grow before it wraps.
constexpr int kCellPadding = 12;
constexpr size_t kMaxTipText = 2048;
constexpr int kTipWidth = 600;

} // namespace

// One tool over the list whose rectangle is the text cell under the mouse
// while that cell cuts its text, and empty otherwise; its text is asked for
// when it shows.
void ResultsList::CreateTextTip()
{
    textTip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                               WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    if (!textTip_)
        return;
    TOOLINFOA ti = {};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.uFlags = TTF_SUBCLASS;
    ti.hwnd = hwnd_;
    ti.uId = 1;
    ti.lpszText = LPSTR_TEXTCALLBACKA;
    SendMessageA(textTip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    SendMessageA(textTip_, TTM_SETMAXTIPWIDTH, 0, kTipWidth);
}

// The mouse over the list: when it comes to another text cell, the tip of
// the last one goes, and the new cell gets one if its text is cut.  Costs
// one hit test a move and one text measure a cell, whatever the row count.
void ResultsList::OnMouseMove(WPARAM wp, LPARAM lp)
{
    const int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
    if (!textTip_)
        return;
    LVHITTESTINFO hit = {};
    hit.pt.x = x;
    hit.pt.y = y;
    int row = static_cast<int>(subclass_.CallPrevious(LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (row < 0 || hit.iSubItem != kTextColumn || !(hit.flags & LVHT_ONITEM) ||
        static_cast<size_t>(row) >= std::min(rows_.Count(), syncedCount_))
        row = -1;
    if (row == tipRow_)
        return;
    ResetTextTip();
    tipRow_ = row;
    TOOLINFOA ti = {};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.hwnd = hwnd_;
    ti.uId = 1;
    if (row >= 0) {
        RECT cell = {};
        cell.top = kTextColumn;
        cell.left = LVIR_LABEL;
        SendMessageA(hwnd_, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
        const int room = static_cast<int>(SendMessageA(hwnd_, LVM_GETCOLUMNWIDTH, kTextColumn, 0)) - kCellPadding;
        // Every character is at least a pixel wide, so a text of more bytes
        // than the column has pixels is cut without measuring it.
        const size_t length = rows_.TextLength(row);
        std::string text(rows_.Text(row), std::min(length, kMaxTipText));
        bool cut = length > static_cast<size_t>(std::max(room, 0)) ||
                   SendMessageA(hwnd_, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text.c_str())) > room;
        if (cut) {
            if (length > text.size()) {
                // Cut at a character's start, never inside a double-byte one.
                size_t end = 0;
                while (end < text.size() && end + loom::CharLength(text.c_str() + end, loom::SystemLeadByte) <= text.size())
                    end += loom::CharLength(text.c_str() + end, loom::SystemLeadByte);
                text.resize(end);
                text += "...";
            }
            tipText_ = std::move(text);
            ti.rect = cell;
            SendMessageA(textTip_, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&ti));
        }
    }
    // The tooltip saw this move before its tool took the cell: it sees it
    // again, so that the tip comes without a further move.
    MSG move = {hwnd_, WM_MOUSEMOVE, wp, lp, 0, {x, y}};
    SendMessageA(textTip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&move));
}

// The rows under the mouse changed (sorted, deleted, scrolled, a new
// scan): the tip goes until the mouse moves again.
void ResultsList::ResetTextTip()
{
    if (!textTip_)
        return;
    tipRow_ = -1;
    tipText_.clear();
    SendMessageA(textTip_, TTM_POP, 0, 0);
    TOOLINFOA ti = {};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.hwnd = hwnd_;
    ti.uId = 1;
    SendMessageA(textTip_, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&ti));
}

bool ResultsList::OnTipNotify(NMHDR *hdr)
{
    if (hdr->code != TTN_GETDISPINFOA)
        return false;
    auto *info = reinterpret_cast<NMTTDISPINFOA *>(hdr);
    info->lpszText = const_cast<char *>(tipText_.c_str());
    info->szText[0] = '\0';
    info->hinst = nullptr;
    return true;
}

} // namespace lex
