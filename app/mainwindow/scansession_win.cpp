// The main window's scan run: the scanner's host on the user-interface
// thread.
#include "mainwindow/scansession_win.h"

#include "base/inputfile.h"
#include "base/systemerror_win.h"
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

// Why `path` cannot be opened, as the system tells it: the scan's own open
// is tried again (it failed an instant ago), and its last error read at
// once.  A folder is named as such, where the system only says that access
// is denied.
std::string CannotOpenReason(const std::string &path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return "フォルダーは調べられません。ファイルを指定してください。";
    InputFile probe;
    if (probe.Open(path.c_str()) == InputError::None)
        return std::string();
    return SystemErrorText(GetLastError());
}

// A failure's message: what went wrong, then the file and why.
std::string FailureText(const char *what, const std::string &path, const std::string &reason)
{
    std::string text = std::string(what) + "\n\n" + path;
    if (!reason.empty())
        text += "\n" + reason;
    return text;
}

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
    const std::string path = FullPathOf(fileName_);
    switch (why) {
    case InputError::TooLarge:
        ShowError(nullptr, FailureText(kTooLarge, path, ""));
        return ScanOutcome::NotOpened;
    case InputError::ShortRead:
        ShowError(nullptr, FailureText(kReadError, path, ""));
        return ScanOutcome::ReadError;
    case InputError::NoMemory:
        ReportOutOfMemory();
        return ScanOutcome::NoMemory;
    default:
        ShowError(nullptr, FailureText(kCannotOpen, path, CannotOpenReason(fileName_)));
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
