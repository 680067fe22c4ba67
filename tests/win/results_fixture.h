// The test window of the results list tests: a parent that plays the main
// window (it hands the list's notifications and the find dialog's message
// to the ResultsList) and helpers that act on and read the real control.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "mainwindow/commands.h"
#include "results/resultslist_win.h"
#include "ui/msgbox_win.h"

namespace listtest {

inline lex::ResultsList *g_list = nullptr;
inline UINT g_findMessage = 0;

inline LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (g_list) {
        if (msg == WM_NOTIFY) {
            LRESULT result = 0;
            if (g_list->OnNotify(reinterpret_cast<NMHDR *>(lp), &result))
                return result;
        } else if (msg == g_findMessage && g_findMessage) {
            g_list->OnFindMessage(lp);
            return 0;
        }
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

inline void Pump()
{
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (g_list && g_list->IsFindDialogMessage(&m))
            continue;
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

struct Box {
    std::string text;
    std::string caption;
    UINT type;
};

struct Row {
    uint32_t offset;
    bool wide;
    std::string text;
    bool checked;
};

class ResultsListTest : public ::testing::Test {
protected:
    // One visible parent for the whole suite: under Wine without a window
    // manager, destroying a visible top-level window waits for the X server.
    static void SetUpTestSuite()
    {
        g_findMessage = RegisterWindowMessageA(FINDMSGSTRINGA);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "ListTestParent";
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        RegisterClassA(&wc);
        s_parent = CreateWindowA("ListTestParent", "parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 700, 500,
                                 nullptr, nullptr, wc.hInstance, nullptr);
    }
    static void TearDownTestSuite()
    {
        DestroyWindow(s_parent);
        s_parent = nullptr;
    }
    void SetUp() override
    {
        parent_ = s_parent;
        ASSERT_NE(nullptr, parent_);
        list_ = new lex::ResultsList;
        g_list = list_;
        ASSERT_TRUE(list_->Create(parent_, IDC_LISTVIEW));
        lv_ = list_->hwnd();
        MoveWindow(lv_, 0, 0, 680, 400, TRUE);
        ShowWindow(lv_, SW_SHOW);
        SetForegroundWindow(parent_);
        SetFocus(lv_);
        lex::SetMessageBoxHook([this](const std::string &text, const std::string &caption, UINT type) {
            boxes_.push_back({text, caption, type});
            return (type & MB_TYPEMASK) == MB_YESNO ? yesNo_ : IDOK;
        });
        list_->SetNoticeShown([this](const std::string &notice) { notices_.push_back(notice); });
        Pump();
    }
    void TearDown() override
    {
        lex::SetMessageBoxHook(nullptr);
        lex::ResultsList::SetSaveDialogHook(nullptr);
        g_list = nullptr;
        if (list_ && list_->hwnd())
            DestroyWindow(list_->hwnd());
        delete list_;
        list_ = nullptr;
        Pump();
    }

public:
    void Fill(const std::vector<Row> &rows)
    {
        list_->Clear();
        for (const Row &r : rows)
            list_->AppendRow(r.offset, r.wide ? lex::RowKind::Unicode : lex::RowKind::Ansi,
                             r.text.data(), r.text.size(), r.checked);
        list_->SyncCount();
        Pump();
    }
    // Rows "row00", "row01", ... at offsets 0x10, 0x20, ...; every third
    // row checked.
    void FillNumbered(int n)
    {
        std::vector<Row> rows;
        for (int i = 0; i < n; ++i) {
            char text[16];
            wsprintfA(text, "row%02d", i);
            rows.push_back({static_cast<uint32_t>(0x10 * (i + 1)), false, text, i % 3 == 0});
        }
        Fill(rows);
    }

    int Count() const { return static_cast<int>(SendMessageA(lv_, LVM_GETITEMCOUNT, 0, 0)); }
    std::string Text(int row, int column) const
    {
        char buffer[300] = {};
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = buffer;
        item.cchTextMax = sizeof buffer;
        SendMessageA(lv_, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        return buffer;
    }
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> texts;
        for (int i = 0; i < Count(); ++i)
            texts.push_back(Text(i, 2));
        return texts;
    }
    // The rows the control reports as selected, asked row by row.
    std::set<int> Selected() const
    {
        std::set<int> rows;
        for (int i = 0; i < Count(); ++i) {
            if (SendMessageA(lv_, LVM_GETITEMSTATE, i, LVIS_SELECTED) & LVIS_SELECTED)
                rows.insert(i);
        }
        return rows;
    }
    int SelectedCount() const { return static_cast<int>(SendMessageA(lv_, LVM_GETSELECTEDCOUNT, 0, 0)); }
    bool Checked(int row) const
    {
        UINT state = static_cast<UINT>(SendMessageA(lv_, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
        return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
    }
    int Focused() const { return static_cast<int>(SendMessageA(lv_, LVM_GETNEXTITEM, -1, LVNI_FOCUSED)); }
    void SetState(int row, UINT state, UINT mask)
    {
        LVITEMA item = {};
        item.state = state;
        item.stateMask = mask;
        SendMessageA(lv_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
        Pump();
    }
    void Select(std::initializer_list<int> rows)
    {
        for (int row : rows)
            SetState(row, LVIS_SELECTED, LVIS_SELECTED);
    }
    void Focus(int row) { SetState(row, LVIS_FOCUSED, LVIS_FOCUSED); }
    // A left click at x on a row, with the modifier keys in `keys`.
    void Click(int row, int x, WPARAM keys = 0)
    {
        RECT rc = {};
        rc.left = LVIR_BOUNDS;
        SendMessageA(lv_, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rc));
        LPARAM at = MAKELPARAM(x, (rc.top + rc.bottom) / 2);
        SendMessageA(lv_, WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
        SendMessageA(lv_, WM_LBUTTONUP, keys, at);
        Pump();
    }
    // The x co-ordinate of a row's check box, found by hit testing.
    int CheckBoxX(int row) const
    {
        RECT rc = {};
        rc.left = LVIR_BOUNDS;
        SendMessageA(lv_, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rc));
        for (int x = 0; x < 60; ++x) {
            LVHITTESTINFO hit = {};
            hit.pt.x = x;
            hit.pt.y = (rc.top + rc.bottom) / 2;
            if (SendMessageA(lv_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) == row &&
                (hit.flags & LVHT_ONITEM) == LVHT_ONITEMSTATEICON)
                return x;
        }
        return -1;
    }
    void ClickHeader(int column)
    {
        HWND header = reinterpret_cast<HWND>(SendMessageA(lv_, LVM_GETHEADER, 0, 0));
        RECT rc = {};
        SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&rc));
        LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
        SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(header, WM_LBUTTONUP, 0, at);
        Pump();
    }
    void FindNext(const char *what, bool down, bool matchCase)
    {
        char buffer[64];
        lstrcpyA(buffer, what);
        FINDREPLACEA request = {};
        request.lStructSize = sizeof request;
        request.Flags = FR_FINDNEXT | (down ? FR_DOWN : 0) | (matchCase ? FR_MATCHCASE : 0);
        request.lpstrFindWhat = buffer;
        request.wFindWhatLen = sizeof buffer;
        list_->OnFindMessage(reinterpret_cast<LPARAM>(&request));
        Pump();
    }

    inline static HWND s_parent = nullptr;
    HWND parent_ = nullptr;
    HWND lv_ = nullptr;
    lex::ResultsList *list_ = nullptr;
    std::vector<Box> boxes_;
    int yesNo_ = IDYES;  // the answer to a question
    std::vector<std::string> notices_;  // the status line's notices, in turn
};

} // namespace listtest
