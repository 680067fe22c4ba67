// The main window TMainForm.
#include "mainwindow/mainform_win.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include "about/about_ids.h"
#include "base/exepath.h"
#include "base/userpath.h"
#include "mainwindow/commands.h"
#include "mainwindow/mainform_ids.h"
#include "settings/settings_win.h"
#include "ui/dialog_win.h"
#include "ui/msgbox_win.h"
#include "ui/shell_win.h"

namespace lex {
namespace {

const char kClassName[] = "TMainForm";
const char kTitle[] = "Lexprobe";

// The window opens 553 x 309 pixels large.
constexpr int kInitialWidth = 553;
constexpr int kInitialHeight = 309;

// Posted by OpenFile: the scan of a file named on the command line starts
// from the message loop, once the window is on screen.
constexpr UINT kStartScan = WM_APP + 1;
// Posted on activation: the find dialog is put back in front.
constexpr UINT kKeepFindInFront = WM_APP + 2;

// Least time between two counts told to a list on screen during a scan.
constexpr DWORD kListSyncIntervalMs = 1000;

std::string WindowText(HWND wnd)
{
    int n = GetWindowTextLengthA(wnd);
    std::string text(static_cast<size_t>(n) + 1, '\0');
    n = GetWindowTextA(wnd, &text[0], n + 1);
    text.resize(static_cast<size_t>(n > 0 ? n : 0));
    return text;
}

MainForm::OpenDialogHook &OpenHook()
{
    static MainForm::OpenDialogHook hook;
    return hook;
}

} // namespace

const char MainForm::kStartCaption[] = "検索開始(&I)";
const char MainForm::kStopCaption[] = "中止(&L)";

void MainForm::SetOpenDialogHook(OpenDialogHook hook)
{
    OpenHook() = std::move(hook);
}

MainForm::~MainForm()
{
    // The main window unregisters itself before its component goes, which
    // then gives the application window its own procedure back.
    Application::Instance().UnregisterMainForm(*this);
    animateWindow1_.reset();
    if (hwnd_ && IsWindow(hwnd_)) {
        options_.quitOnDestroy = false;
        DestroyWindow(hwnd_);
    }
}

bool MainForm::Create(HINSTANCE instance, const Options &options)
{
    options_ = options;
    list_.rows().SetMemoryLimit(options.rowMemoryLimit);
    scan_.SetIntervals(options.pumpIntervalMs, options.progressIntervalMs);
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_LISTVIEW_CLASSES |
                                                ICC_PROGRESS_CLASS | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&icc);

    WNDCLASSA wc = {};
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_LEXPROBE));
    if (!RegisterWindowClass(wc))
        return false;
    HMENU bar = LoadMenuA(instance, MAKEINTRESOURCEA(IDR_MAINMENU));
    // Owned by the application window, which carries the taskbar button.
    HWND owner = Application::Instance().handle();
    if (!CreateHwnd(WS_EX_CONTROLPARENT | WS_EX_ACCEPTFILES, kClassName, kTitle,
                    WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                    kInitialWidth, kInitialHeight, owner, bar, instance))
        return false;
    menu_.Attach(hwnd_, bar);
    menu_.SetVisible(MesItem, false);
    menu_.SetVisible(ShowItem, false);
    menu_.SetVisible(EditItem, false);
    menu_.Redraw();
    CreateControls();
    list_.SetCountChanged([this] { ShowStatus(); });
    list_.SetNoticeShown([this](const std::string &notice) {
        notice_ = notice;
        ShowStatus();
    });
    animateWindow1_ = std::make_unique<TAnimateWindow>(*this);
    animateWindow1_->SetParentComponent(*this);
    FormResize();
    Layout();
    FormCreate();
    RestoreLayout();
    // The dialogs belong to the application window, as the main window does.
    HWND dialogOwner = owner ? owner : hwnd_;
    optForm_.Create(dialogOwner);
    aboutDlg_.Create(dialogOwner);
    Application::Instance().RegisterMainForm(*this);
    return true;
}

// Settings first (the debug notice comes before the window is shown), then
// the dictionary.  A dictionary that cannot be read is reported and the
// window works without it.
void MainForm::FormCreate()
{
    LoadSettings(settings_, [this] {
        baseTitle_ = WindowText(hwnd_) + " (デバッグ)";
        SetWindowTextA(hwnd_, baseTitle_.c_str());
        ShowInfo(nullptr, "Lexprobe はデバッグモードです。");
    });
    ascii_.SetValue(settings_.MinExtractStr);
    settings_.MinExtractStr = ascii_.Value();

    marker_.SetHitReport([](const std::string &text, const std::string &entry) {
        ShowInfo(nullptr, "ターゲット: " + text + "\r" + "ヒットした単語: " + entry);
    });
    std::string path = options_.dictionaryPath;
    if (path.empty())
        path = DictionaryBesideExecutable();
    if (!LoadDictionaryFile(path.c_str(), dict_))
        ReportError("ファイル " + path + " は開けません");
}

// One handler per message; a handler that returns false leaves the
// message to the default procedure.
LRESULT MainForm::OnMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    static const UINT findMessage = RegisterWindowMessageA(FINDMSGSTRINGA);
    if (msg == findMessage && findMessage != 0) {
        list_.OnFindMessage(lp);
        return 0;
    }
    switch (msg) {
    case WM_COMMAND:
        OnCommand(LOWORD(wp), HIWORD(wp));
        return 0;
    case WM_NOTIFY:
        return OnNotify(reinterpret_cast<const NMHDR *>(lp));
    case WM_CONTEXTMENU:
        if (OnContextMenu(reinterpret_cast<HWND>(wp), lp))
            return 0;
        break;
    case WM_INITMENUPOPUP:
        OnInitMenuPopup(reinterpret_cast<HMENU>(wp));
        return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        if (HBRUSH brush = OnCtlColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp)))
            return reinterpret_cast<LRESULT>(brush);
        break;
    case WM_SIZE:
        OnSize(wp);
        return 0;
    case kKeepFindInFront:
        list_.KeepFindInFront();
        return 0;
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO *>(lp));
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case DM_GETDEFID:
        return OnGetDefId();
    case WM_ACTIVATE:
        if (OnActivate(wp))
            return 0;
        break;
    case WM_NEXTDLGCTL:
        OnNextDlgCtl(wp, lp);
        return 0;
    case WM_DROPFILES:
        FormDropFiles(reinterpret_cast<HDROP>(wp));
        return 0;
    case kStartScan:
        OnStartScan();
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    }
    return DefWindowProcA(hwnd_, msg, wp, lp);
}

// The pop-up menu of the list; false for any other window.
bool MainForm::OnContextMenu(HWND wnd, LPARAM lp)
{
    if (!list_.hwnd() || wnd != list_.hwnd())
        return false;
    list_.OnContextMenu(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
    return true;
}

void MainForm::OnInitMenuPopup(HMENU popup)
{
    if (popup == menu_.Popup(EditItem))
        EditItemClick();
    else if (popup == menu_.Popup(ShowItem))
        list_.ShowFilterChecks(popup);
}

void MainForm::OnSize(WPARAM kind)
{
    if (kind == SIZE_MINIMIZED)
        return;
    FormResize();
    Layout();
}

// An etched line along the top panel's top edge.
void MainForm::OnPaint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT r;
    GetClientRect(hwnd_, &r);
    r.bottom = 2;
    DrawEdge(dc, &r, EDGE_ETCHED, BF_TOP);
    EndPaint(hwnd_, &ps);
}

// The find dialog stays in front of the window that owns it; under Wine
// the window that becomes active is raised above it once the activation
// has reached the X server, so that is mended after it.  True when the
// activation is handled (the focus kept where it was).
bool MainForm::OnActivate(WPARAM wp)
{
    if (LOWORD(wp) != WA_INACTIVE)
        PostMessageA(hwnd_, kKeepFindInFront, 0, 0);
    return KeepFocusOnActivate(wp);
}

// A file named on the command line, once the window is on screen.
void MainForm::OnStartScan()
{
    if (!scan_.Scanning() && IsWindowEnabled(startBtn_))
        StartBtnClick();
}

// Closing is always allowed, and stops a running scan.
void MainForm::OnClose()
{
    scan_.RequestStop();
    FormClose();
}

void MainForm::OnDestroy()
{
    destroyed_ = true;
    if (options_.quitOnDestroy)
        PostQuitMessage(0);
}

// A menu command comes with the code of a button click (0); the buttons'
// identifiers are not used by the menus.
void MainForm::OnCommand(int id, int code)
{
    if ((code == BN_CLICKED && OnButtonClicked(id)) || OnFilterCommand(id) ||
        list_.OnCommand(id, hwnd_))
        return;
    switch (id) {
    case IDC_FILTERBOX:
        if (code == EN_CHANGE)
            FilterBoxChange();
        break;
    case IDC_FILENAME:
        if (code == EN_CHANGE)
            FileNameChange();
        break;
    case IDC_ASCII:
        if (code == EN_KILLFOCUS)
            ascii_.OnKillFocus();
        break;
    case IDM_CLOSE:
        CloseBtnClick();
        break;
    case IDM_SAVE:
        SaveItemClick(false);
        break;
    case IDM_COPY:
        list_.Copy(hwnd_, settings_.SaveOption);
        break;
    case IDM_README:
        ShowReadMeitemClick();
        break;
    case IDM_VERSION:
        VerItemClick();
        break;
    }
}

bool MainForm::OnButtonClicked(int id)
{
    switch (id) {
    case IDC_BROWSEBTN:
        BrowseBtnClick();
        return true;
    case IDC_STARTBTN:
        StartBtnClick();
        return true;
    case IDC_OPTBTN:
        OptBtnClick();
        return true;
    case IDC_CLOSEBTN:
        CloseBtnClick();
        return true;
    }
    return false;
}

LRESULT MainForm::OnNotify(const NMHDR *hdr)
{
    if (hdr->hwndFrom == ascii_.spin() && hdr->code == UDN_DELTAPOS)
        return ascii_.OnDeltaPos(reinterpret_cast<const NMUPDOWN *>(hdr));
    LRESULT result = 0;
    if (list_.OnNotify(hdr, &result))
        return result;
    return 0;
}

// FileName and Ascii show by their background whether they can be used.
HBRUSH MainForm::OnCtlColor(HDC dc, HWND control)
{
    if (control != fileName_ && control != ascii_.edit())
        return nullptr;
    return PaintControl(dc, control, inputsWindowColor_ ? COLOR_WINDOW : COLOR_BTNFACE);
}

// The rows are saved as they came from the file that was scanned, which
// they must never replace (the file name box may name another one by now).
// Ctrl+S saves only a list that holds rows.
void MainForm::SaveItemClick(bool onlyWithRows)
{
    UINT state = GetMenuState(menu_.Popup(FileItem), IDM_SAVE, MF_BYCOMMAND);
    if ((state & (MF_GRAYED | MF_DISABLED)) || (onlyWithRows && list_.rows().Count() == 0))
        return;
    list_.Save(hwnd_, settings_.SaveOption, scan_.ListedFile());
    BackFromDialog();
}

void MainForm::FileNameChange()
{
    EnableWindow(startBtn_, GetWindowTextLengthA(fileName_) > 0);
}

void MainForm::BrowseBtnClick()
{
    char path[32768] = "";
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hwnd_;
    ofn.lpstrFilter = "すべてのファイル\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = path;
    ofn.nMaxFile = sizeof path;
    ofn.lpstrTitle = "文字列を抽出するファイルの選択";
    ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER;
    BOOL chosen = OpenHook() ? OpenHook()(ofn) : GetOpenFileNameA(&ofn);
    BackFromDialog();
    if (chosen)
        SetFileNameText(path);
}

// A dialog has closed: the main window is the active window again, with
// the focus where it was (KeepFocusOnActivate), and not another program's,
// which a window manager may have chosen as the dialog disappeared.
void MainForm::BackFromDialog()
{
    if (IsWindowVisible(hwnd_) && GetForegroundWindow() != hwnd_)
        SetForegroundWindow(hwnd_);
}

// A chosen or dropped name: the box shows the end of the path, where the
// file's own name stands.
void MainForm::SetFileNameText(const std::string &path)
{
    SetWindowTextA(fileName_, path.c_str());
    const WPARAM end = static_cast<WPARAM>(GetWindowTextLengthA(fileName_));
    SendMessageA(fileName_, EM_SETSEL, end, static_cast<LPARAM>(end));
    SendMessageA(fileName_, EM_SCROLLCARET, 0, 0);
}

void MainForm::OpenFile(const std::string &path, bool startScan)
{
    if (scan_.Scanning() || !hwnd_)
        return;
    SetFileNameText(path);
    if (startScan)
        PostMessageA(hwnd_, kStartScan, 0, 0);
}

// The first dropped item that is not a folder goes into FileName; a drop of
// folders only changes nothing.
void MainForm::FormDropFiles(HDROP dropped)
{
    loom::DropHandle drop(dropped);
    UINT count = DragQueryFileA(drop.get(), 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count && !scan_.Scanning(); i++) {
        UINT length = DragQueryFileA(drop.get(), i, nullptr, 0);
        std::string name(length + 1, '\0');
        name.resize(DragQueryFileA(drop.get(), i, &name[0], length + 1));
        DWORD attributes = GetFileAttributesA(name.c_str());
        if (name.empty() ||
            (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)))
            continue;
        OpenFile(name, false);
        break;
    }
}

void MainForm::OptBtnClick()
{
    RECT r;
    GetWindowRect(hwnd_, &r);
    optForm_.ShowModal(settings_, r.left + 40, r.top + 40);
    BackFromDialog();
}

void MainForm::ShowReadMeitemClick()
{
    ShowReadMe(hwnd_);
}

// The dialog is modal: the main window waits until it is closed.
void MainForm::VerItemClick()
{
    aboutDlg_.ShowModal();
    BackFromDialog();
}

void MainForm::CloseBtnClick()
{
    scan_.RequestStop();
    SendMessageA(hwnd_, WM_CLOSE, 0, 0);
}

// Saves the settings at once.  A scan that is still running when the window
// closes may consult the dictionary in its last emission, so then the
// window only disappears, and the dictionary and the window go once the
// scan has returned (StartBtnClick).
void MainForm::FormClose()
{
    if (scan_.ClosePending() || destroyed_)
        return;
    settings_.MinExtractStr = ascii_.Value();
    SaveSettings(settings_);
    StoreLayout();
    if (scan_.DeferClose()) {
        ShowWindow(hwnd_, SW_HIDE);
        return;
    }
    ReleaseDictionary();
    DestroyWindow(hwnd_);
}

void MainForm::ReleaseDictionary()
{
    dict_.Clear();
}

void MainForm::EditItemClick()
{
    const UINT state = list_.HasSelection() ? MF_ENABLED : MF_GRAYED;
    EnableMenuItem(menu_.Popup(EditItem), IDM_COPY, MF_BYCOMMAND | state);
    EnableMenuItem(menu_.Popup(EditItem), IDM_DELETE, MF_BYCOMMAND | state);
    EnableMenuItem(menu_.Popup(EditItem), IDM_UNDO,
                   MF_BYCOMMAND | (list_.CanUndo() ? MF_ENABLED : MF_GRAYED));
}

// Start, or during a scan stop, a scan.
void MainForm::StartBtnClick()
{
    if (WindowText(startBtn_) == kStopCaption || scan_.Scanning()) {
        // A stop request, nested inside the running scan's message pump.
        // (After a stop the button reads "検索開始(&I)" again until the
        // scan has returned; a press then only repeats the stop, so that
        // no second scan starts inside the first.)
        scan_.RequestStop();
        RestoreControls();
        return;
    }
    // A path in quotes is taken without them, and the box shows it so.
    const std::string path = PathFromUserText(WindowText(fileName_));
    if (path != WindowText(fileName_))
        SetFileNameText(path);
    if (!ascii_.HoldsNumber()) {
        ShowError(hwnd_, "最小の文字数には " + std::to_string(kMinExtractStrRange.min) + " から " +
                             std::to_string(kMinExtractStrRange.max) + " までの数を入れてください。");
        SetFocus(ascii_.edit());
        SendMessageA(ascii_.edit(), EM_SETSEL, 0, -1);
        return;
    }
    PrepareScan();
    ScanOutcome outcome;
    try {
        outcome = scan_.Run(path, ascii_.Value(), settings_,
                            settings_.CheckEnglish ? &marker_ : nullptr);
    } catch (...) {
        // Memory ran out inside the scan: the rows found so far are shown
        // before the error reaches the window procedure's edge, which
        // reports it, so that the next start press scans again.
        EndScan(ScanOutcome::NoMemory);
        throw;
    }
    EndScan(outcome);
}

// However a scan ended, the list shows the rows it holds: those of this
// scan (completed, stopped, cut short by a read error or by memory running
// out), or, when this file could not be scanned at all, those of the last
// scan as they were.  Before any scan has opened its file the list stays
// hidden.
void MainForm::EndScan(ScanOutcome outcome)
{
    if (outcome != ScanOutcome::NotOpened) {
        listOutcome_ = outcome;
        listPercent_ = scan_.Percent();
    }
    if (!scan_.ListedFile().empty())
        ShowResults();
    ShowTitle();
    ShowStatus();
    FinishScan();
}

// The progress bar goes first (restoring the controls would hide it
// anyway), and the window takes its height while the list is still hidden,
// so the list is sized once and shows at its size: each resize of a list
// of a million rows on screen costs about 0.05 s under Wine.
void MainForm::ShowResults()
{
    ShowWindow(progressBar_, SW_HIDE);
    menu_.SetVisible(EditItem, true);
    menu_.SetVisible(ShowItem, true);
    menu_.Redraw();
    EnableMenuItem(menu_.Popup(FileItem), IDM_SAVE, MF_BYCOMMAND | MF_ENABLED);
    ShowFilterBar(true);
    SizeForList();
    ShowWindow(list_.hwnd(), SW_SHOW);
}

// The controls come back, and a close that came during the scan goes ahead.
void MainForm::FinishScan()
{
    RestoreControls();
    if (scan_.ClosePending()) {
        ReleaseDictionary();
        DestroyWindow(hwnd_);
    }
}

// The window keeps its size, and the list what it holds until the file is
// open: a file that cannot be scanned leaves it as it was.
void MainForm::PrepareScan()
{
    notice_.clear();
    SendMessageA(progressBar_, PBM_SETPOS, 0, 0);
    ShowWindow(progressBar_, SW_SHOW);
    SetWindowTextA(startBtn_, kStopCaption);
    menu_.SetVisible(ShowItem, false);
    menu_.SetVisible(EditItem, false);
    menu_.Redraw();
    EnableMenuItem(menu_.Popup(FileItem), IDM_SAVE, MF_BYCOMMAND | MF_GRAYED);
    // The keyboard focus must not be left on a control about to be disabled:
    // it goes to the stop button, so Enter and Space stop the scan, and
    // comes back when the scan ends.
    HWND focus = GetFocus();
    if (focus == fileName_ || focus == optBtn_ || focus == ascii_.edit() ||
        focus == browseBtn_ || focus == list_.hwnd()) {
        focusBeforeScan_ = focus;
        SetFocus(startBtn_);
    }
    EnableInputs(false);
    Layout();
}

void MainForm::RestoreControls()
{
    EnableInputs(true);
    SetWindowTextA(startBtn_, kStartCaption);
    ShowWindow(progressBar_, SW_HIDE);
    Layout();
    if (focusBeforeScan_ && GetFocus() == startBtn_ && IsWindowVisible(focusBeforeScan_))
        SetFocus(focusBeforeScan_);
    focusBeforeScan_ = nullptr;
}

// The controls that would change the scan's inputs are locked while it
// runs; the two boxes show it by their background.
void MainForm::EnableInputs(bool on)
{
    EnableWindow(fileName_, on);
    EnableWindow(optBtn_, on);
    ascii_.Enable(on);
    EnableWindow(browseBtn_, on);
    inputsWindowColor_ = on;
    InvalidateRect(fileName_, nullptr, TRUE);
    InvalidateRect(ascii_.edit(), nullptr, TRUE);
}

// The scan's display.

void MainForm::ShowBusyNotice(bool shown)
{
    menu_.SetVisible(MesItem, shown);
    menu_.SetVisible(FileItem, !shown);
    menu_.SetVisible(HelpItem, !shown);
    menu_.Redraw();
}

// A list on screen from the last scan shows the new rows as they come, once
// a second: telling a visible list its count redraws its scroll bar, which
// costs 5 to 20 ms under Wine.
void MainForm::ShowProgress(int percent)
{
    SendMessageA(progressBar_, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
    const DWORD now = GetTickCount();
    if (list_.hwnd() && IsWindowVisible(list_.hwnd()) && now - lastListSync_ >= kListSyncIntervalMs) {
        lastListSync_ = now;
        list_.SyncCount();
    }
    ShowStatus();
}

} // namespace lex
