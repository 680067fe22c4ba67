// What the window does while a scan runs: the progress bar moves no more
// often than its interval allows, yet follows the scan, and the hidden list
// learns its row count once, when the scan returns.
#include "mainwindow_fixture.h"

#include <string>
#include <vector>

namespace apptest {
namespace {

// Positions the progress bar was sent, in order, by subclassing it.
std::vector<int> g_positions;
WNDPROC g_barProc = nullptr;

LRESULT CALLBACK RecordingBar(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == PBM_SETPOS)
        g_positions.push_back(static_cast<int>(wp));
    return CallWindowProcA(g_barProc, wnd, msg, wp, lp);
}

void RecordBar(HWND bar)
{
    g_positions.clear();
    g_barProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingBar)));
}

void StopRecording(HWND bar)
{
    SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_barProc));
}

TEST_F(App, TheProgressBarMovesOncePerIntervalAndFollowsTheScan)
{
    // ~3.6 MB: about 55 checkpoints, each a new percentage.
    const std::string file = Write("many.bin", ManyStrings(200000));
    struct Case {
        DWORD interval;
        size_t leastMoves, mostMoves;  // PBM_SETPOS during the scan, start included
    };
    // Interval 0: every new percentage shows.  A long interval: only the
    // scan's first position (0) after the start's reset; no scan here lasts
    // ten minutes.
    const Case cases[] = {
        {0, 40, 102},
        {600000, 2, 2},
    };
    for (const Case &c : cases) {
        form_.reset();
        MainForm &form = Start(0, lex::RowStore::kNoMemoryLimit, c.interval);
        SetFileName(file);
        HWND bar = Item(IDC_PROGRESSBAR);
        RecordBar(bar);
        int pumps = 0;
        std::vector<int> shown;  // what the bar holds at each pump
        LRESULT listCount = -1;
        form.SetPumpHook([&] {
            ++pumps;
            shown.push_back(static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0)));
            listCount = SendMessageA(form.list().hwnd(), LVM_GETITEMCOUNT, 0, 0);
        });
        Click(Item(IDC_STARTBTN));
        form.SetPumpHook(nullptr);
        StopRecording(bar);

        SCOPED_TRACE(c.interval);
        ASSERT_GT(pumps, 0);
        EXPECT_GE(g_positions.size(), c.leastMoves);
        EXPECT_LE(g_positions.size(), c.mostMoves);
        ASSERT_FALSE(g_positions.empty());
        EXPECT_EQ(0, g_positions.front());
        for (size_t i = 1; i < g_positions.size(); ++i)
            EXPECT_LE(g_positions[i - 1], g_positions[i]) << i;
        if (c.interval == 0)
            EXPECT_GE(g_positions.back(), 90);
        else
            EXPECT_EQ(0, shown.back());
        // While the scan ran the hidden list was not told of the rows; it
        // holds every one of them once the scan has returned.
        EXPECT_EQ(0, listCount);
        EXPECT_EQ(200000u, form.list().rows().Count());
        EXPECT_EQ(200000, SendMessageA(form.list().hwnd(), LVM_GETITEMCOUNT, 0, 0));
        EXPECT_TRUE(IsWindowVisible(form.list().hwnd()));
    }
}

// A stop lists the rows found so far.
TEST_F(App, AStoppedScanTellsTheListItsRows)
{
    MainForm &form = Start();
    SetFileName(Write("many.bin", ManyStrings(200000)));
    int pumps = 0;
    form.SetPumpHook([&] {
        if (++pumps == 3)
            Click(Item(IDC_STARTBTN));
    });
    Click(Item(IDC_STARTBTN));
    form.SetPumpHook(nullptr);
    const size_t rows = form.list().rows().Count();
    EXPECT_GT(rows, 0u);
    EXPECT_LT(rows, 200000u);
    EXPECT_EQ(static_cast<LRESULT>(rows), SendMessageA(form.list().hwnd(), LVM_GETITEMCOUNT, 0, 0));
    EXPECT_TRUE(IsWindowVisible(form.list().hwnd()));
}

} // namespace
} // namespace apptest
