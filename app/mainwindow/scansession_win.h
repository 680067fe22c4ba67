// The scan run of the main window.  A scan runs on the user-interface
// thread inside the start button's handler; between the scanner's
// checkpoints this session dispatches the window's messages, so a stop
// press, a close, the Help menu's modal dialogs and the list's shortcuts
// run nested inside the scan.  What they share with it lives here: the
// abort flag, whether the scanner is inside, and a close that waits for
// the scan.  The session is also the scanner's host: the rows go to the
// results list, the progress to the window (at most once per progress
// interval), and messages are dispatched once per pump interval.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "scan/scanner.h"
#include "settings/settings.h"

namespace lex {

class EnglishWordMarker;
class ResultsList;

// How a scan ended.
enum class ScanOutcome {
    Completed,  // the walk reached the end of the file
    Stopped,    // a stop or a close
    NotOpened,  // not found, not opened or too large: the list keeps what it held
    ReadError,  // the file could not be read to its end: the rows found so far stay
    NoMemory,   // memory ran out for the rows: the rows found so far stay
};

// What a scan needs from the window that shows it.
class ScanWindow {
public:
    // The menu bar shows the busy notice alone (while the old rows are
    // released), or its usual entries again.
    virtual void ShowBusyNotice(bool shown) = 0;
    // The file is open and the list, emptied, takes its rows from now on
    // (the session's ListedFile).
    virtual void ShowScanStarted() = 0;
    // The progress bar's position, 0..100 (at most once per progress
    // interval: the rest of the window's display of a running scan goes
    // with it).
    virtual void ShowProgress(int percent) = 0;
    // The window's share of a message the pump took (dialog navigation, the
    // list's shortcuts, the find dialog); true when it was dealt with.
    virtual bool PreTranslate(MSG *msg) = 0;

protected:
    ~ScanWindow() = default;
};

class ScanSession : private ScanHost {
public:
    ScanSession(ScanWindow &window, ResultsList &list) : window_(window), list_(list) {}
    ScanSession(const ScanSession &) = delete;
    ScanSession &operator=(const ScanSession &) = delete;

    // Time between two message pumps, and least time between two moves of
    // the progress bar (each move repaints the bar at once, which costs
    // milliseconds under Wine).  Where a move takes long, the bar waits
    // longer, so that showing the progress takes a small share of the scan.
    void SetIntervals(DWORD pumpMs, DWORD progressMs);

    // Scans the file `fileName` and returns once the scanner has returned,
    // the list knowing all its rows.  Completed when the walk reached the
    // end with no stop or close requested (the abort flag is then set); a
    // failure is reported here (the rows found so far stay).  Memory
    // running out inside the scan sets the abort flag and goes on to the
    // caller as the exception it is.
    ScanOutcome Run(const std::string &fileName, int minLength,
                    const ExtractionSettings &settings, const EnglishWordMarker *marker);

    // The full path of the file whose rows the list holds, as it was when
    // its scan started (a relative name stays tied to the folder it was
    // given in); empty before the first scan that opened its file.
    const std::string &ListedFile() const { return listedFile_; }
    // How far the latest scan got, 0..100.
    int Percent() const { return progressWanted_ < 0 ? 0 : progressWanted_; }

    // A stop or a close: the scanner ends at its next abort check.
    void RequestStop() { abort_ = 1; }
    // The abort flag: 0 while a scan may run on.
    int AbortFlag() const { return abort_; }
    // True while the scanner is inside Run.
    bool Scanning() const { return scanning_; }

    // A close while the scanner is inside waits for it: true then, and the
    // window goes once Run has returned (ClosePending).
    bool DeferClose();
    bool ClosePending() const { return closePending_; }

    // Runs after every message pump (tests press buttons here).
    void SetPumpHook(std::function<void()> hook) { pumpHook_ = std::move(hook); }

private:
    // ScanHost
    void ClearRows() override;
    void AddRow(uint32_t offset, RowKind kind, const char *text, size_t length,
                bool checked) override;
    void SetProgress(int percent) override;
    void ProcessEvents() override;
    bool AbortRequested() override;

    void Returned();
    ScanOutcome ReportFailure(InputError why);
    void ShowProgress(DWORD now);
    void PumpMessages();

    ScanWindow &window_;
    ResultsList &list_;
    std::string fileName_;    // as the running scan was given it
    std::string listedFile_;
    DWORD pumpIntervalMs_ = 0;
    DWORD progressIntervalMs_ = 0;

    int abort_ = 0;
    bool scanning_ = false;      // the scanner is inside Run
    bool closePending_ = false;  // closed during a scan: the window goes once it returns
    int progress_ = -1;          // the position the bar shows
    int progressWanted_ = -1;    // the scan's latest percentage
    DWORD lastProgress_ = 0;     // when the bar last moved
    DWORD progressWaitMs_ = 0;   // least time until the next move
    DWORD lastPump_ = 0;
    std::function<void()> pumpHook_;
};

} // namespace lex
