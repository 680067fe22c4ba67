// The main window's title and status line: the title names the file whose
// rows the list holds, the status line tells how its scan went (during a
// scan: how far it has got) and how many rows the list holds (with a
// filter: of how many, "N 行中 M 行を表示").  During a
// scan both follow the progress bar, at most once per progress interval.
#include "mainwindow/mainform_win.h"

#include <commctrl.h>

#include "mainwindow/commands.h"
#include "util/mbcs.h"
#include "util/path.h"

namespace lex {
namespace {

// 1234567 as "1,234,567".
std::string Grouped(size_t n)
{
    std::string digits = std::to_string(n), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return out;
}

} // namespace

void MainForm::CreateStatusBar()
{
    HINSTANCE inst = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd_, GWLP_HINSTANCE));
    statusBar_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                 hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_STATUSBAR)),
                                 inst, nullptr);
    SendMessageA(statusBar_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    SendMessageA(statusBar_, WM_SIZE, 0, 0);
}

void MainForm::ShowTitle()
{
    std::string title = baseTitle_;
    const std::string &file = scan_.ListedFile();
    if (!file.empty())
        title += std::string(" - ") + loom::ExtractFileName(file.c_str(), loom::SystemLeadByte);
    SetWindowTextA(hwnd_, title.c_str());
}

// The file is open and its rows now fill the emptied list.
void MainForm::ShowScanStarted()
{
    ShowTitle();
    ShowStatus();
}

void MainForm::ShowStatus()
{
    if (!statusBar_ || !hwnd_)
        return;
    std::string state, count;
    const bool listed = !scan_.ListedFile().empty();
    const std::string percent = std::to_string(scan_.Scanning() ? scan_.Percent() : listPercent_) + "%";
    if (scan_.Scanning()) {
        state = "検索中... " + percent;
    } else if (listed) {
        switch (listOutcome_) {
        case ScanOutcome::Completed:
            state = "完了";
            break;
        case ScanOutcome::Stopped:
            state = percent + " の位置で中止しました";
            break;
        case ScanOutcome::ReadError:
            state = percent + " の位置で読み込めなくなりました";
            break;
        case ScanOutcome::NoMemory:
            state = percent + " の位置でメモリが不足しました";
            break;
        case ScanOutcome::NotOpened:
            break;
        }
    }
    if (!scan_.Scanning() && !notice_.empty())
        state = notice_;
    const RowStore &rows = list_.rows();
    if ((scan_.Scanning() || listed) && rows.Filter().Active())
        count = Grouped(rows.TotalCount()) + " 行中 " + Grouped(rows.Count()) + " 行を表示";
    else if (scan_.Scanning() || listed)
        count = Grouped(rows.Count()) + " 行";

    SendMessageA(statusBar_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(state.c_str()));
    SendMessageA(statusBar_, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(count.c_str()));
}

} // namespace lex
