// Times the results list's commands on a big list in a real owner-data
// list view: sorting, filter changes, the selection commands, deleting half
// the rows, a find that walks the whole list, saving, and what a user's
// click costs.
// Usage: list_bench [rows] [folder for the results file]
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "mainwindow/commands.h"
#include "results/resultslist_win.h"
#include "ui/msgbox_win.h"

namespace {

lex::ResultsList *g_list = nullptr;

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NOTIFY && g_list) {
        LRESULT result = 0;
        if (g_list->OnNotify(reinterpret_cast<NMHDR *>(lp), &result))
            return result;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Runs `step` and then lets the list repaint; prints the time of each.
template <typename Step>
void Time(HWND lv, const char *what, Step step)
{
    double start = Now();
    step();
    double ms = (Now() - start) * 1000.0;
    UpdateWindow(lv);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&m);
    double paint = (Now() - start) * 1000.0 - ms;
    std::printf("%-44s %9.1f ms   repaint %7.1f ms%s\n", what, ms, paint, ms >= 500.0 ? "  (over 0.5 s)" : "");
    std::fflush(stdout);
}

int SelectedCount(HWND lv)
{
    return static_cast<int>(SendMessageA(lv, LVM_GETSELECTEDCOUNT, 0, 0));
}

} // namespace

int main(int argc, char **argv)
{
    const size_t rows = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
    std::string folder = argc > 2 ? argv[2] : ".";

    WNDCLASSA wc = {};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ListBenchParent";
    RegisterClassA(&wc);
    HWND parent = CreateWindowA("ListBenchParent", "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600,
                                nullptr, nullptr, wc.hInstance, nullptr);
    lex::ResultsList list;
    g_list = &list;
    if (!parent || !list.Create(parent, IDC_LISTVIEW)) {
        std::fprintf(stderr, "cannot create the list\n");
        return 1;
    }
    HWND lv = list.hwnd();
    MoveWindow(lv, 0, 0, 780, 560, TRUE);
    ShowWindow(lv, SW_SHOW);
    int boxes = 0;
    lex::SetMessageBoxHook([&](const std::string &, const std::string &, UINT) {
        ++boxes;
        return IDOK;
    });

    std::printf("results list, %zu rows\n", rows);
    // Texts of 5 to 40 lower-case letters from a fixed pseudo-random
    // sequence; every seventh row checked, every fifth one "Unicode".
    Time(lv, "append rows and set the count", [&] {
        unsigned seed = 12345;
        char text[64];
        for (size_t i = 0; i < rows; ++i) {
            seed = seed * 1103515245u + 12345u;
            size_t length = 5 + (seed >> 16) % 36;
            for (size_t k = 0; k < length; ++k) {
                seed = seed * 1103515245u + 12345u;
                text[k] = static_cast<char>('a' + (seed >> 16) % 26);
            }
            list.AppendRow(static_cast<uint32_t>(i * 16),
                           i % 5 == 0 ? lex::RowKind::Unicode : lex::RowKind::Ansi, text, length,
                           i % 7 == 0);
        }
        list.SyncCount();
    });

    Time(lv, "sort: name order", [&] { list.SortBy(lex::SortKey::Name); });
    Time(lv, "sort: length order", [&] { list.SortBy(lex::SortKey::Length); });
    Time(lv, "sort: check order", [&] { list.SortBy(lex::SortKey::Checked); });
    Time(lv, "sort: kind order", [&] { list.SortBy(lex::SortKey::Kind); });
    Time(lv, "sort: address order", [&] { list.SortBy(lex::SortKey::Address); });
    Time(lv, "header click on \"text\" (name order)", [&] { list.OnColumnClick(2); });

    // A filter change, as typing into the filter box or a menu entry makes
    // it: each walks every row.
    const struct {
        const char *what;
        const char *text;
        bool checkedOnly;
        int kind;
    } filters[] = {
        {"filter: text \"ab\" (typed)", "ab", false, lex::RowFilter::kAnyKind},
        {"filter: text \"abc\" (one more letter)", "abc", false, lex::RowFilter::kAnyKind},
        {"filter: text \"zzz#\" (no row)", "zzz#", false, lex::RowFilter::kAnyKind},
        {"filter: checked rows", "", true, lex::RowFilter::kAnyKind},
        {"filter: kind Unicode", "", false, static_cast<int>(lex::RowKind::Unicode)},
        {"filter: Japanese rows (none here)", "", false, lex::RowFilter::kAnyKind},
        {"filter: none (every row back)", "", false, lex::RowFilter::kAnyKind},
    };
    for (const auto &f : filters) {
        lex::RowFilter filter;
        filter.text = f.text;
        filter.checkedOnly = f.checkedOnly;
        filter.kind = f.kind;
        filter.japanese = std::strstr(f.what, "Japanese") != nullptr;
        Time(lv, f.what, [&] { list.SetFilter(filter); });
        std::printf("  shown: %zu of %zu\n", list.rows().Count(), list.rows().TotalCount());
    }

    Time(lv, "select all", [&] { list.SelectAll(); });
    std::printf("  selected: %zu\n", list.rows().SelectedCount());
    bool copied = false;
    Time(lv, "copy the selection (address, kind, text)", [&] { copied = list.Copy(lv, false); });
    Time(lv, "copy the selection (text only)", [&] { copied = list.Copy(lv, true) && copied; });
    std::printf("  on the clipboard: %s\n", copied ? "yes" : "no");
    Time(lv, "invert selection", [&] { list.InvertSelection(); });
    std::printf("  selected: %zu\n", list.rows().SelectedCount());
    Time(lv, "select checked", [&] { list.SelectChecked(); });
    std::printf("  selected: %zu\n", list.rows().SelectedCount());

    Time(lv, "LVM_GETSELECTEDCOUNT through the control", [&] { std::printf("  count %d\n", SelectedCount(lv)); });

    // Half the rows selected (every other one), then deleted.
    list.rows().ClearSelection();
    for (size_t i = 0; i < list.rows().Count(); i += 2)
        list.rows().SetSelected(i, true);
    Time(lv, "delete half the rows", [&] { list.DeleteSelected(); });
    std::printf("  rows left: %zu, in the control: %d\n", list.rows().Count(),
                static_cast<int>(SendMessageA(lv, LVM_GETITEMCOUNT, 0, 0)));

    // A search text that no row holds: the walk covers the whole list and
    // ends with the not-found box (answered by the hook).
    char what[] = "zz#zz";
    FINDREPLACEA request = {};
    request.lStructSize = sizeof request;
    request.lpstrFindWhat = what;
    request.wFindWhatLen = sizeof what;
    request.Flags = FR_FINDNEXT | FR_DOWN;
    Time(lv, "find next down over the whole list", [&] { list.OnFindMessage(reinterpret_cast<LPARAM>(&request)); });
    request.Flags = FR_FINDNEXT | FR_DOWN | FR_MATCHCASE;
    Time(lv, "find next down, match case", [&] { list.OnFindMessage(reinterpret_cast<LPARAM>(&request)); });
    std::printf("  not-found boxes: %d\n", boxes);

    std::string path = folder + "\\list_bench.txt";
    Time(lv, "save (address, kind, text)", [&] { list.SaveTo(path, false); });
    DeleteFileA(path.c_str());

    // What the control itself costs for a user's click on a big list.
    list.rows().ClearSelection();
    RECT rc = {};
    rc.left = LVIR_BOUNDS;
    SendMessageA(lv, LVM_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&rc));
    LPARAM at = MAKELPARAM(40, (rc.top + rc.bottom) / 2);
    Time(lv, "user click on a row, nothing selected", [&] {
        SendMessageA(lv, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(lv, WM_LBUTTONUP, 0, at);
    });
    Time(lv, "user click on a row, one row selected", [&] {
        SendMessageA(lv, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(lv, WM_LBUTTONUP, 0, at);
    });
    Time(lv, "clear (a new scan)", [&] { list.Clear(); });

    lex::SetMessageBoxHook(nullptr);
    g_list = nullptr;
    DestroyWindow(parent);
    return 0;
}
