// The main window's scan run: the scanner's host on the user-interface
// thread.
#include "mainwindow/scansession_win.h"

#include "results/resultslist_win.h"
#include "ui/msgbox_win.h"

namespace lex {
namespace {

// Why a scan could not run to its end.
const char kCannotOpen[] = "ファイルが開けません。調査を中断します。";
const char kTooLarge[] = "ファイルが大きすぎます (4 GB 以上のファイルは調べられません)。調査を中断します。";
const char kReadError[] = "ファイルを最後まで読み込めませんでした。調査を中断します。";

// Showing the progress (the bar, the status line and what goes with them)
// may take this share of a scan's time, 1/50: a move that takes 6 ms, as
// under Wine, is followed by the next one 300 ms later at the earliest.
constexpr DWORD kProgressShare = 50;
// However long a move takes, the bar moves at least once per this many
// progress intervals.
constexpr DWORD kLongestWait = 4;

double Milliseconds(const LARGE_INTEGER &from, const LARGE_INTEGER &to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

} // namespace

void ScanSession::SetIntervals(DWORD pumpMs, DWORD progressMs)
{
    pumpIntervalMs_ = pumpMs;
    progressIntervalMs_ = progressMs;
    progressWaitMs_ = progressMs;
}

ScanOutcome ScanSession::Run(const std::string &fileName, int minLength,
                             const ExtractionSettings &settings, const EnglishWordMarker *marker)
{
    abort_ = 0;
    progress_ = -1;
    fileName_ = fileName;
    SetProgress(0);
    lastPump_ = GetTickCount();
    scanning_ = true;
    int result = 1;
    InputError why = InputError::None;
    try {
        result = StringScanner(fileName.c_str(), minLength, settings, marker, *this, &why);
    } catch (...) {
        // Memory ran out inside the scan: it counts as stopped, so that the
        // window can go back to the stopped state before the error reaches
        // the window procedure's edge, which reports it.
        abort_ = 1;
        Returned();
        throw;
    }
    Returned();
    if (result == 1)
        return ReportFailure(why);
    if (abort_ != 0)
        return ScanOutcome::Stopped;
    abort_ = 1;
    return ScanOutcome::Completed;
}

bool ScanSession::DeferClose()
{
    if (scanning_)
        closePending_ = true;
    return scanning_;
}

// The scanner has returned, whichever way: the rows it added reach the list
// control.  The list stays hidden while a scan runs, so it learns its row
// count only now.
void ScanSession::Returned()
{
    scanning_ = false;
    list_.SyncCount();
}

// A scan that could not run to its end.  After a read error, or with memory
// exhausted, the rows found so far stay in the list, as after a stop; a
// file that could not be scanned at all leaves the list as it was.
ScanOutcome ScanSession::ReportFailure(InputError why)
{
    switch (why) {
    case InputError::TooLarge:
        ShowError(nullptr, kTooLarge);
        return ScanOutcome::NotOpened;
    case InputError::ShortRead:
        ShowError(nullptr, kReadError);
        return ScanOutcome::ReadError;
    case InputError::NoMemory:
        ReportOutOfMemory();
        return ScanOutcome::NoMemory;
    default:
        ShowError(nullptr, kCannotOpen);
        return ScanOutcome::NotOpened;
    }
}

// The file is open: from here on the list holds its rows.  Its full path is
// taken now, while the current folder is the one the name was given in.
void ScanSession::ClearRows()
{
    // The list may hold many rows; releasing them can take a moment, so the
    // menu bar shows the busy notice alone meanwhile, drawn by one pump.
    window_.ShowBusyNotice(true);
    PumpMessages();
    list_.Clear();
    listedFile_ = FullPathOf(fileName_);
    window_.ShowBusyNotice(false);
    window_.ShowScanStarted();
}

void ScanSession::AddRow(uint32_t offset, RowKind kind, const char *text, size_t length,
                         bool checked)
{
    list_.AppendRow(offset, kind, text, length, checked);
}

void ScanSession::SetProgress(int percent)
{
    progressWanted_ = percent;
    ShowProgress(GetTickCount());
}

// The bar follows the scan's percentage at most once per progress interval
// (a move repaints the bar there and then), or less often where a move
// takes long (kProgressShare); the first position of a scan shows at once.
// The time a move takes is measured with the performance counter: the tick
// count moves in steps of 10 to 16 ms on Windows.
void ScanSession::ShowProgress(DWORD now)
{
    if (progressWanted_ == progress_)
        return;
    if (progress_ >= 0 && now - lastProgress_ < progressWaitMs_)
        return;
    progress_ = progressWanted_;
    lastProgress_ = now;
    LARGE_INTEGER before, after;
    QueryPerformanceCounter(&before);
    window_.ShowProgress(progress_);
    QueryPerformanceCounter(&after);
    const double wait = Milliseconds(before, after) * kProgressShare;
    const double longest = double(progressIntervalMs_) * kLongestWait;
    progressWaitMs_ = wait <= progressIntervalMs_ ? progressIntervalMs_
                      : wait >= longest          ? static_cast<DWORD>(longest)
                                                 : static_cast<DWORD>(wait);
}

// Called by the scanner at its checkpoints; dispatches messages only once a
// time slice has passed, since every message query costs a server call.
void ScanSession::ProcessEvents()
{
    DWORD now = GetTickCount();
    if (now - lastPump_ < pumpIntervalMs_)
        return;
    lastPump_ = now;
    ShowProgress(now);
    PumpMessages();
}

bool ScanSession::AbortRequested()
{
    return abort_ != 0;
}

void ScanSession::PumpMessages()
{
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            // Leave the quit request for the program's own loop.
            PostQuitMessage(static_cast<int>(m.wParam));
            break;
        }
        if (!window_.PreTranslate(&m)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
    if (pumpHook_)
        pumpHook_();
}

} // namespace lex
