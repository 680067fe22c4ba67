// lexdrive: acts on a running Lexprobe.exe as a user would, for the
// screenshot script and the benchmark.  Every command finds the main window
// by its class, sends it what a user's action sends, and waits for the
// result where the command says so.
//
//   lexdrive wait                 until the main window is there
//   lexdrive file PATH            types PATH into the file name box
//   lexdrive drop PATH            drops PATH on the window (waits until it is
//                                 in the file name box)
//   lexdrive start                presses the start button (does not wait)
//   lexdrive progress PERCENT     until the progress bar reaches PERCENT
//   lexdrive done                 until a scan has completed (list shown)
//   lexdrive stop                 presses the stop button during a scan (waits
//                                 until the window is idle)
//   lexdrive hover ROW            puts the mouse on the text of the list's
//                                 ROW-th visible row, and waits for its tooltip
//   lexdrive find TEXT            opens the find dialog and presses its
//                                 find-next button for TEXT
//   lexdrive find-close           closes the find dialog
//   lexdrive filter TEXT          types TEXT into the filter box
//   lexdrive save PATH TYPE       saves through the real save dialog: PATH as
//                                 the name, TYPE the type's place (1 text, 2
//                                 CSV); does not wait for the file
//   lexdrive answer ID            presses button ID (6 yes, 7 no) of the
//                                 message box in front
//   lexdrive opt                  opens the settings dialog (waits for it)
//   lexdrive cancel               closes the settings dialog with Cancel
//   lexdrive about                opens the version dialog (waits for it)
//   lexdrive about-ok             closes the version dialog with OK
//   lexdrive command ID           sends the menu command ID (commands.h)
//   lexdrive menu LETTER          drops down the main menu with that access key
//   lexdrive escape               closes a dropped-down menu
//   lexdrive minimize             the main window's minimise box (waits until
//                                 the program is minimised)
//   lexdrive restore              restores the program as its taskbar button does
//   lexdrive close                closes the main window
//   lexdrive bench FILE           scan timing, responsiveness and memory (the
//                                 bare scan core with the settings the program
//                                 read from the registry at its start)
//   lexdrive press FILE N         N start presses on FILE, each until the list
//                                 is shown: the first and the fastest, and the
//                                 rows listed
#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>
#include <psapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "words/dictionary.h"
#include "base/exepath.h"
#include "scan/scanner.h"
#include "settings/settings.h"
#include "settings/settings_win.h"
#include "mainwindow/commands.h"
#include "util/boundary.h"
#include "util/handles_win.h"

namespace {

HWND g_main = nullptr;

HWND Item(int id)
{
    return GetDlgItem(g_main, id);
}

std::string Text(HWND wnd)
{
    char buf[512] = "";
    SendMessageTimeoutA(wnd, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf),
                        SMTO_NORMAL, 5000, nullptr);
    return buf;
}

bool WaitFor(bool (*ready)(), DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!ready()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(10);
    }
    return true;
}

bool FindMain()
{
    g_main = FindWindowA("TMainForm", nullptr);
    return g_main != nullptr && IsWindowVisible(g_main);
}

bool Idle()
{
    return Text(Item(IDC_STARTBTN)) == "検索開始(&I)";
}

bool Completed()
{
    return Idle() && IsWindowVisible(Item(IDC_LISTVIEW));
}

bool DialogShown()
{
    HWND dlg = FindWindowA(nullptr, "高度な設定");
    return dlg && IsWindowVisible(dlg);
}

const char kAboutCaption[] = "Lexprobe のバージョン情報";

bool AboutShown()
{
    HWND dlg = FindWindowA(nullptr, kAboutCaption);
    return dlg && IsWindowVisible(dlg);
}

// A host that only counts: the bare scan core's cost, and the longest
// stretch between two checkpoints (no window can answer faster than that).
class CountingHost : public lex::ScanHost {
public:
    size_t rows = 0;
    DWORD longest = 0;
    DWORD last = 0;  // 0 until the first checkpoint: the file read is not counted
    void ClearRows() override {}
    void AddRow(uint32_t, lex::RowKind, const char *, size_t, bool) override { rows++; }
    void SetProgress(int) override {}
    void ProcessEvents() override
    {
        DWORD now = GetTickCount();
        if (last && now - last > longest)
            longest = now - last;
        last = now;
    }
    bool AbortRequested() override { return false; }
};

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b)
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return double(b.QuadPart - a.QuadPart) / double(f.QuadPart);
}

LARGE_INTEGER Now()
{
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t;
}

// One press of the start button, timed until the list is shown.  The press
// returns once the scan has run and the list is shown; should the scan still
// run when it returns, the wait goes on until the window is idle with the
// list visible.
double TimedPress()
{
    LARGE_INTEGER a = Now();
    SendMessageA(Item(IDC_STARTBTN), BM_CLICK, 0, 0);
    WaitFor(Completed, 600000);
    return Seconds(a, Now());
}

// Measures, while a scan runs, how long the main window takes to answer a
// message: the worst case is what a user pressing stop waits at most.
struct Latency {
    HWND wnd;
    volatile LONG stop = 0;
    LARGE_INTEGER begin;
    double worst = 0;
    double worstAt = 0;  // seconds after the press that the worst answer began
    int samples = 0;
};

DWORD MeasureLatency(Latency *l)
{
    while (!l->stop) {
        LARGE_INTEGER a = Now();
        DWORD_PTR r;
        SendMessageTimeoutA(l->wnd, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &r);
        double s = Seconds(a, Now());
        if (s > l->worst) {
            l->worst = s;
            l->worstAt = Seconds(l->begin, a);
        }
        l->samples++;
        Sleep(5);
    }
    return 0;
}

DWORD WINAPI Probe(void *arg)
{
    return loom::CallGuarded<DWORD>(1, [&] { return MeasureLatency(static_cast<Latency *>(arg)); });
}

int Bench(const char *file)
{
    // The bare scan core in this process, on the same file, with the
    // settings the window read from the registry at its start.
    lex::ExtractionSettings settings;
    lex::LoadSettings(settings, nullptr);
    lex::WordDictionary dict;
    // English.dic beside this program, as Lexprobe.exe finds it beside itself.
    lex::LoadDictionaryFile(lex::DictionaryBesideExecutable().c_str(), dict);
    lex::EnglishWordMarker marker(dict, settings);
    CountingHost counting;
    LARGE_INTEGER a = Now();
    int rc = lex::StringScanner(file, settings.MinExtractStr, settings, &marker, counting);
    double core = Seconds(a, Now());
    if (rc != 0) {
        std::fprintf(stderr, "lexdrive: cannot scan %s\n", file);
        return 1;
    }

    SendMessageA(Item(IDC_FILENAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file));
    Latency latency;
    latency.wnd = g_main;
    latency.begin = Now();
    loom::KernelObject probe(CreateThread(nullptr, 0, Probe, &latency, 0, nullptr));
    latency.begin = Now();
    double gui = TimedPress();
    latency.stop = 1;
    WaitForSingleObject(probe.get(), INFINITE);
    probe.reset();
    bool shown = Completed();
    int rows = ListView_GetItemCount(Item(IDC_LISTVIEW));

    // The same scan again, with the list of the first on screen.
    double again = TimedPress();

    // With the rows listed: the window resized (the text column follows),
    // and the mouse moved over the text column (the tooltip's cell test).
    RECT w;
    GetWindowRect(g_main, &w);
    a = Now();
    for (int i = 1; i <= 10; ++i)
        SetWindowPos(g_main, nullptr, 0, 0, w.right - w.left + (i % 2) * 120, w.bottom - w.top,
                      SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    double resize = Seconds(a, Now()) / 10;
    HWND list = Item(IDC_LISTVIEW);
    a = Now();
    for (int i = 0; i < 100; ++i)
        SendMessageA(list, WM_MOUSEMOVE, 0, MAKELPARAM(200 + i % 7, 30 + (i * 14) % 200));
    double move = Seconds(a, Now()) / 100;

    // A stop press a quarter into a second scan (by its progress bar, so
    // that a fast scan is still running then): how long until the window
    // is idle again.
    PostMessageA(Item(IDC_STARTBTN), BM_CLICK, 0, 0);
    bool running = WaitFor([] {
        DWORD_PTR pos = 0;
        SendMessageTimeoutA(Item(IDC_PROGRESSBAR), PBM_GETPOS, 0, 0, SMTO_NORMAL, 5000, &pos);
        return IsWindowVisible(Item(IDC_PROGRESSBAR)) && pos >= 25;
    }, 60000);
    a = Now();
    SendMessageA(Item(IDC_STARTBTN), BM_CLICK, 0, 0);
    double stop = Seconds(a, Now());

    DWORD pid = 0;
    GetWindowThreadProcessId(g_main, &pid);
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    loom::KernelObject proc(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    bool mem = proc.valid() && GetProcessMemoryInfo(proc.get(), &pmc, sizeof pmc);

    std::printf("core scan (no window)      %8.2f s  %zu rows, %zu dictionary words\n", core,
                counting.rows, dict.size());
    std::printf("longest core checkpoint gap %7lu ms (between two 64 KiB checkpoints of the walk)\n",
                static_cast<unsigned long>(counting.longest));
    std::printf("start press to list shown  %8.2f s  %d rows  %s\n", gui, rows,
                shown ? "list shown" : "LIST NOT SHOWN");
    std::printf("ratio window / core        %8.2f\n", gui / core);
    std::printf("again, list on screen      %8.2f s  ratio %.2f\n", again, again / core);
    std::printf("window resize, list shown  %8.1f ms  (text column fitted)\n", resize * 1000);
    std::printf("mouse move over the list   %8.2f ms  (tooltip cell test)\n", move * 1000);
    std::printf("worst message latency      %8.1f ms over %d probes, at %.2f s of %.2f s\n",
                latency.worst * 1000, latency.samples, latency.worstAt, gui);
    if (running)
        std::printf("stop press to idle         %8.1f ms\n", stop * 1000);
    else
        std::printf("stop press to idle         (the second scan showed no progress)\n");
    if (mem)
        std::printf("peak working set           %8.1f MB  peak private %8.1f MB\n",
                    pmc.PeakWorkingSetSize / 1048576.0, pmc.PeakPagefileUsage / 1048576.0);
    return shown ? 0 : 1;
}

// `presses` scans of `file` in a row, as a user pressing start again and
// again: the first press finds no list on screen, the later ones replace it.
int Press(const char *file, int presses)
{
    SendMessageA(Item(IDC_FILENAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file));
    double first = 0, best = 0;
    bool shown = true;
    for (int i = 0; i < presses; ++i) {
        double s = TimedPress();
        shown = shown && Completed();
        if (i == 0)
            first = s;
        if (i == 0 || s < best)
            best = s;
    }
    std::printf("first press %.3f s, best of %d %.3f s, %d rows%s\n", first, presses, best,
                ListView_GetItemCount(Item(IDC_LISTVIEW)), shown ? "" : ", LIST NOT SHOWN");
    return shown ? 0 : 1;
}

// A drop as the shell's drop target hands it to the window: a DROPFILES
// block with the name, in the program's own memory (a drop block is memory
// of the receiving process, so it is written there from outside).  The drop
// functions take a fixed block as well as a movable one; freeing it at the
// end of the drop fails quietly under Wine, and the page stays until the
// program ends.  For the screenshots under Wine only.
int Drop(const char *path)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(g_main, &pid);
    loom::KernelObject process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid));
    DROPFILES header = {};
    header.pFiles = sizeof header;
    header.pt.x = 40;
    header.pt.y = 20;
    std::string block(reinterpret_cast<const char *>(&header), sizeof header);
    block += path;
    block.append(2, '\0');  // the name's end and the list's end
    void *remote = process.valid() ? VirtualAllocEx(process.get(), nullptr, block.size(),
                                                    MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)
                                   : nullptr;
    if (!remote || !WriteProcessMemory(process.get(), remote, block.data(), block.size(), nullptr)) {
        std::fprintf(stderr, "lexdrive: cannot write the drop into the program\n");
        return 1;
    }
    PostMessageA(g_main, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0);
    static std::string want;
    want = path;
    return WaitFor([] { return Text(Item(IDC_FILENAME)) == want; }, 10000) ? 0 : 1;
}

// The mouse on the text column of a visible row: the rows share the room
// below the header among those a page holds; the text column starts after
// the first two (80 and 60 pixels wide).
int Hover(int row)
{
    HWND list = Item(IDC_LISTVIEW);
    HWND header = GetWindow(list, GW_CHILD);
    RECT h = {}, client = {};
    if (header)
        GetWindowRect(header, &h);
    GetClientRect(list, &client);
    const int perPage = static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
    const int rowHeight = perPage > 0 ? (client.bottom - (h.bottom - h.top)) / perPage : 14;
    SetForegroundWindow(g_main);
    // A headless X server may put the pointer back where it was, and the
    // list may have seen its last move there: the pointer is put on the
    // row again, and the list told of it once a second, until the tip shows.
    const POINT want = {h.left + 80 + 60 + 40, h.bottom + row * rowHeight + rowHeight / 2};
    for (int tries = 0; tries < 50; ++tries) {
        POINT at;
        if (GetCursorPos(&at) && (at.x != want.x || at.y != want.y))
            SetCursorPos(want.x, want.y);
        if (tries % 5 == 4) {
            POINT inList = want;
            ScreenToClient(list, &inList);
            PostMessageA(list, WM_MOUSEMOVE, 0, MAKELPARAM(inList.x, inList.y));
        }
        Sleep(200);
        for (HWND tip = FindWindowA(TOOLTIPS_CLASSA, nullptr); tip;
             tip = FindWindowExA(nullptr, tip, TOOLTIPS_CLASSA, nullptr))
            if (IsWindowVisible(tip))
                return 0;
    }
    return 1;
}

// The find dialog: the dialog box of the program's thread that the main
// window owns.
BOOL CALLBACK IsFindDialog(HWND wnd, LPARAM found)
{
    char cls[16] = "";
    GetClassNameA(wnd, cls, sizeof cls);
    if (!IsWindowVisible(wnd) || GetWindow(wnd, GW_OWNER) != g_main || std::strcmp(cls, "#32770") != 0)
        return TRUE;
    *reinterpret_cast<HWND *>(found) = wnd;
    return FALSE;
}

HWND FindDialog()
{
    HWND found = nullptr;
    EnumThreadWindows(GetWindowThreadProcessId(g_main, nullptr), IsFindDialog,
                      reinterpret_cast<LPARAM>(&found));
    return found;
}

int Find(const char *text)
{
    PostMessageA(g_main, WM_COMMAND, MAKEWPARAM(IDM_FIND, 0), 0);
    if (!WaitFor([] { return FindDialog() != nullptr; }, 10000))
        return 1;
    HWND dialog = FindDialog();
    SetDlgItemTextA(dialog, edt1, text);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    Sleep(500);
    return 0;
}

// The save dialog, by its title; the message box in front that has a
// button of g_answer's id.
HWND g_found = nullptr;
int g_answer = 0;

bool SaveDialogShown()
{
    return (g_found = FindWindowA("#32770", "検索結果の保存")) != nullptr;
}

bool AnswerShown()
{
    g_found = GetForegroundWindow();
    return g_found && GetDlgItem(g_found, g_answer) != nullptr;
}

int Save(const char *path, int type)
{
    PostMessageA(g_main, WM_COMMAND, MAKEWPARAM(IDM_SAVE, 0), 0);
    if (!WaitFor(SaveDialogShown, 10000))
        return 1;
    HWND dialog = g_found;
    Sleep(300);
    SendDlgItemMessageA(dialog, cmb1, CB_SETCURSEL, static_cast<WPARAM>(type - 1), 0);
    // The dialog takes the type as the list closes on it.
    for (const WORD code : {CBN_SELCHANGE, CBN_SELENDOK})
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, code),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, cmb1)));
    SetDlgItemTextA(dialog, GetDlgItem(dialog, cmb13) ? cmb13 : edt1, path);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    Sleep(500);
    return 0;
}

int Answer(int id)
{
    g_answer = id;
    if (!WaitFor(AnswerShown, 10000))
        return 1;
    PostMessageA(g_found, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(g_found, id)));
    Sleep(300);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: lexdrive wait|file PATH|drop PATH|start|progress N|done|stop|hover ROW|find TEXT|find-close|opt|cancel|about|about-ok|command ID|menu KEY|escape|minimize|restore|close|bench FILE|press FILE N\n");
        return 2;
    }
    std::string cmd = argv[1];
    // A minimised program's main window is hidden.
    bool found = cmd == "restore" ? (g_main = FindWindowA("TMainForm", nullptr)) != nullptr
                                  : WaitFor(FindMain, 30000);
    if (!found) {
        std::fprintf(stderr, "lexdrive: no Lexprobe window\n");
        return 1;
    }
    if (cmd == "wait")
        return 0;
    if (cmd == "file" && argc > 2) {
        SendMessageA(Item(IDC_FILENAME), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[2]));
        return 0;
    }
    if (cmd == "filter" && argc > 2) {
        SendMessageA(Item(IDC_FILTERBOX), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[2]));
        Sleep(300);
        return 0;
    }
    if (cmd == "save" && argc > 3)
        return Save(argv[2], std::atoi(argv[3]));
    if (cmd == "answer" && argc > 2)
        return Answer(std::atoi(argv[2]));
    if (cmd == "drop" && argc > 2)
        return Drop(argv[2]);
    if (cmd == "start") {
        PostMessageA(Item(IDC_STARTBTN), BM_CLICK, 0, 0);
        return 0;
    }
    if (cmd == "progress" && argc > 2) {
        static int want;
        want = std::atoi(argv[2]);
        return WaitFor([] {
            DWORD_PTR pos = 0;
            SendMessageTimeoutA(Item(IDC_PROGRESSBAR), PBM_GETPOS, 0, 0, SMTO_NORMAL, 5000, &pos);
            return static_cast<int>(pos) >= want;
        }, 120000) ? 0 : 1;
    }
    if (cmd == "done")
        return WaitFor(Completed, 600000) ? 0 : 1;
    if (cmd == "stop") {
        PostMessageA(Item(IDC_STARTBTN), BM_CLICK, 0, 0);
        return WaitFor(Completed, 60000) ? 0 : 1;
    }
    if (cmd == "hover" && argc > 2)
        return Hover(std::atoi(argv[2]));
    if (cmd == "find" && argc > 2)
        return Find(argv[2]);
    if (cmd == "find-close") {
        HWND dialog = FindDialog();
        if (dialog)
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return dialog ? 0 : 1;
    }
    if (cmd == "opt") {
        PostMessageA(Item(IDC_OPTBTN), BM_CLICK, 0, 0);
        return WaitFor(DialogShown, 10000) ? 0 : 1;
    }
    if (cmd == "cancel") {
        HWND dlg = FindWindowA(nullptr, "高度な設定");
        if (dlg)
            PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
        return dlg ? 0 : 1;
    }
    if (cmd == "about") {
        // The dialog is modal: the command returns only when it closes, so
        // it is posted.
        PostMessageA(g_main, WM_COMMAND, MAKEWPARAM(IDM_VERSION, 0), 0);
        return WaitFor(AboutShown, 30000) ? 0 : 1;
    }
    if (cmd == "about-ok") {
        HWND dlg = FindWindowA(nullptr, kAboutCaption);
        if (dlg)
            PostMessageA(dlg, WM_COMMAND, IDOK, 0);
        return dlg ? 0 : 1;
    }
    if (cmd == "command" && argc > 2) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(g_main, WM_COMMAND, MAKEWPARAM(std::atoi(argv[2]), 0), 0,
                            SMTO_NORMAL, 30000, &ignored);
        return 0;
    }
    if (cmd == "focus-list") {
        // The keyboard in the list, as a click would put it there: focus
        // is set from the program's own input queue.
        HWND list = Item(IDC_LISTVIEW);
        const DWORD thread = GetWindowThreadProcessId(list, nullptr);
        AttachThreadInput(GetCurrentThreadId(), thread, TRUE);
        SetForegroundWindow(g_main);
        SetFocus(list);
        AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
        return 0;
    }
    if (cmd == "menu" && argc > 2) {
        // What Alt and the access key send: the menu loop runs inside the
        // program, so only post it.
        SetForegroundWindow(g_main);
        PostMessageA(g_main, WM_SYSCOMMAND, SC_KEYMENU, static_cast<unsigned char>(argv[2][0]));
        return 0;
    }
    if (cmd == "menu-key" && argc > 2) {
        // An access key in the menu dropped down, read by its menu loop.
        HWND menu = FindWindowA("#32768", nullptr);
        return menu && PostMessageA(menu, WM_CHAR, static_cast<unsigned char>(argv[2][0]), 0) ? 0 : 1;
    }
    if (cmd == "escape") {
        HWND menu = FindWindowA("#32768", nullptr);
        if (menu)
            PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageA(g_main, WM_CANCELMODE, 0, 0);
        return 0;
    }
    if (cmd == "minimize" || cmd == "restore") {
        // The taskbar button belongs to the application window, the main
        // window's owner.
        static HWND app;
        app = GetWindow(g_main, GW_OWNER);
        if (cmd == "minimize") {
            PostMessageA(g_main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
            return WaitFor([] { return IsIconic(app) && !IsWindowVisible(g_main); }, 10000) ? 0 : 1;
        }
        PostMessageA(app, WM_SYSCOMMAND, SC_RESTORE, 0);
        return WaitFor([] { return !IsIconic(app) && IsWindowVisible(g_main); }, 10000) ? 0 : 1;
    }
    if (cmd == "close") {
        PostMessageA(g_main, WM_CLOSE, 0, 0);
        return 0;
    }
    if (cmd == "bench" && argc > 2)
        return Bench(argv[2]);
    if (cmd == "press" && argc > 3 && std::atoi(argv[3]) > 0)
        return Press(argv[2], std::atoi(argv[3]));
    std::fprintf(stderr, "lexdrive: unknown command %s\n", cmd.c_str());
    return 2;
}
