// The main window TMainForm and the scan run.
#include "mainwindow/mainform_win.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include "startup/exepath.h"
#include "mainwindow/commands.h"
#include "mainwindow/mainform_ids.h"
#include "settings/settings_win.h"
#include "ui/boundary_win.h"
#include "ui/dialog_win.h"
#include "ui/msgbox_win.h"
#include "ui/shell_win.h"
#include "ui/uifont_win.h"

namespace lex {
namespace {

const char kClassName[] = "TMainForm";
const char kTitle[] = "Lexprobe";
const char kStartCaption[] = "検索開始(&I)";
const char kStopCaption[] = "中止(&L)";

// Why a scan could not run to its end.
const char kCannotOpen[] = "ファイルが開けません。調査を中断します。";
const char kTooLarge[] = "ファイルが大きすぎます (4 GB 以上のファイルは調べられません)。調査を中断します。";
const char kReadError[] = "ファイルを最後まで読み込めませんでした。調査を中断します。";

// The window opens 553 x 309 pixels large, with an 85-pixel top panel and a
// 19-pixel progress bar; while the list is hidden the client area is 100
// pixels high.
constexpr int kInitialWidth = 553;
constexpr int kInitialHeight = 309;
constexpr int kMinWidth = 450;
constexpr int kPanelHeight = 85;
constexpr int kProgressHeight = 19;
constexpr int kIdleClientHeight = 100;
constexpr int kRightButtonWidth = 107;
constexpr int kButtonHeight = 23;
constexpr int kBrowseWidth = 75;
constexpr int kFileNameLeft = 86;

// Posted by OpenFile: the scan of a file named on the command line starts
// from the message loop, once the window is on screen.
constexpr UINT kStartScan = WM_APP + 1;

// Identifiers of the two labels (never addressed by the program).
constexpr int kFileLabelId = 1011;
constexpr int kAsciiLabelId = 1012;

HMENU IdMenu(int id)
{
    return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
}

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
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_LISTVIEW_CLASSES |
                                                ICC_PROGRESS_CLASS | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&icc);

    WNDCLASSA wc = {};
    if (!GetClassInfoA(instance, kClassName, &wc)) {
        wc.lpfnWndProc = WndProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kClassName;
        wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
        if (!RegisterClassA(&wc))
            return false;
    }
    HMENU bar = LoadMenuA(instance, MAKEINTRESOURCEA(IDR_MAINMENU));
    // Owned by the application window, which carries the taskbar button.
    HWND owner = Application::Instance().handle();
    hwnd_ = CreateWindowExA(WS_EX_CONTROLPARENT | WS_EX_ACCEPTFILES, kClassName, kTitle,
                            WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                            CW_USEDEFAULT, kInitialWidth, kInitialHeight, owner, bar, instance,
                            this);
    if (!hwnd_)
        return false;
    menu_.Attach(hwnd_, bar);
    menu_.SetVisible(MesItem, false);
    menu_.SetVisible(ShowItem, false);
    menu_.SetVisible(EditItem, false);
    menu_.Redraw();
    CreateControls();
    animateWindow1_ = std::make_unique<TAnimateWindow>(*this);
    animateWindow1_->SetParentComponent(*this);
    FormResize();
    Layout();
    FormCreate();
    // The dialogs belong to the application window, as the main window does.
    HWND dialogOwner = owner ? owner : hwnd_;
    optForm_.Create(dialogOwner);
    aboutDlg_.Create(dialogOwner);
    Application::Instance().RegisterMainForm(*this);
    return true;
}

void MainForm::CreateControls()
{
    HINSTANCE inst = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd_, GWLP_HINSTANCE));
    font_.reset(CreateUiFont(hwnd_));

    auto make = [&](DWORD ex, const char *cls, const char *text, DWORD style, int x, int y,
                    int w, int h, int id) {
        HWND c = CreateWindowExA(ex, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                                 hwnd_, IdMenu(id), inst, nullptr);
        SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        return c;
    };
    // Creation order is the tab order.
    fileLabel_ = make(0, "STATIC", "ファイル名 :", SS_LEFT, 8, 14, 76, 14, kFileLabelId);
    fileName_ = make(WS_EX_CLIENTEDGE, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, kFileNameLeft,
                     10, 250, 21, IDC_FILENAME);
    browseBtn_ = make(0, "BUTTON", "参照(&B)...", WS_TABSTOP | BS_PUSHBUTTON, 330, 9,
                      kBrowseWidth, kButtonHeight, IDC_BROWSEBTN);
    RECT asciiBox = {kFileNameLeft, 44, kFileNameLeft + 60, 44 + 21};
    ascii_.Create(hwnd_, IDC_ASCII, IDC_ASCIISPIN, asciiBox, font_.get(), kMinExtractStrRange);
    ascii_.SetValue(settings_.MinExtractStr);
    asciiLabel_ = make(0, "STATIC", "文字以上の文字列を抽出", SS_LEFT, kFileNameLeft + 66, 47,
                       200, 14, kAsciiLabelId);
    startBtn_ = make(0, "BUTTON", kStartCaption, WS_TABSTOP | WS_DISABLED | BS_DEFPUSHBUTTON,
                     420, 4, kRightButtonWidth, kButtonHeight, IDC_STARTBTN);
    optBtn_ = make(0, "BUTTON", "高度な設定(&O)", WS_TABSTOP | BS_PUSHBUTTON, 420, 30,
                   kRightButtonWidth, kButtonHeight, IDC_OPTBTN);
    closeBtn_ = make(0, "BUTTON", "閉じる(&C)", WS_TABSTOP | BS_PUSHBUTTON, 420, 56,
                     kRightButtonWidth, kButtonHeight, IDC_CLOSEBTN);

    list_.Create(hwnd_, IDC_LISTVIEW);
    if (list_.hwnd()) {
        SendMessageA(list_.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        ShowWindow(list_.hwnd(), SW_HIDE);
    }

    progressBar_ = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | PBS_SMOOTH, 0, 0, 0, 0,
                                   hwnd_, IdMenu(IDC_PROGRESSBAR), inst, nullptr);
    SendMessageA(progressBar_, PBM_SETRANGE32, 0, 100);

    // The browse button's tooltip.  The structure size of common controls
    // 5 keeps this working with every comctl32.
    tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                               WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                               inst, nullptr);
    TOOLINFOA ti = {};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = hwnd_;
    ti.uId = reinterpret_cast<UINT_PTR>(browseBtn_);
    ti.lpszText = const_cast<char *>("ダイアログボックスからファイルを選択します。");
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

// Settings first (the debug notice comes before the window is shown), then
// the dictionary.  A dictionary that cannot be read is reported and the
// window works without it.
void MainForm::FormCreate()
{
    LoadSettings(settings_, [this] {
        std::string caption = WindowText(hwnd_) + " (デバッグ)";
        SetWindowTextA(hwnd_, caption.c_str());
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

LRESULT CALLBACK MainForm::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE) {
        auto *cs = reinterpret_cast<CREATESTRUCTA *>(lp);
        auto *self = static_cast<MainForm *>(cs->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    }
    auto *self = reinterpret_cast<MainForm *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(hwnd, msg, wp, lp);
    return GuardedMessage<LRESULT>(0, [&] { return self->OnMessage(msg, wp, lp); });
}

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
        if (list_.hwnd() && reinterpret_cast<HWND>(wp) == list_.hwnd()) {
            list_.OnContextMenu(static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
            return 0;
        }
        break;
    case WM_INITMENUPOPUP:
        if (reinterpret_cast<HMENU>(wp) == menu_.Popup(EditItem))
            EditItemClick();
        return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
        HBRUSH brush = OnCtlColor(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
        if (brush)
            return reinterpret_cast<LRESULT>(brush);
        break;
    }
    case WM_SIZE:
        if (wp != SIZE_MINIMIZED) {
            FormResize();
            Layout();
        }
        return 0;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO *>(lp)->ptMinTrackSize.x = kMinWidth;
        return 0;
    case WM_PAINT: {
        // An etched line along the top panel's top edge.
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        RECT r;
        GetClientRect(hwnd_, &r);
        r.bottom = 2;
        DrawEdge(dc, &r, EDGE_ETCHED, BF_TOP);
        EndPaint(hwnd_, &ps);
        return 0;
    }
    case DM_GETDEFID:
        // Enter presses StartBtn (when it is enabled), as in a dialog.
        return MAKELONG(IDC_STARTBTN, DC_HASDEFID);
    case WM_NEXTDLGCTL: {
        // Keyboard navigation between the controls (Tab, arrows).
        HWND next = LOWORD(lp) ? reinterpret_cast<HWND>(wp)
                               : GetNextDlgTabItem(hwnd_, GetFocus(), wp != 0);
        if (next)
            SetFocus(next);
        return 0;
    }
    case WM_DROPFILES:
        FormDropFiles(reinterpret_cast<HDROP>(wp));
        return 0;
    case kStartScan:
        if (!scanning_ && IsWindowEnabled(startBtn_))
            StartBtnClick();
        return 0;
    case WM_CLOSE:
        // Closing is always allowed, and stops a running scan.
        abort_ = 1;
        FormClose();
        return 0;
    case WM_DESTROY:
        destroyed_ = true;
        if (options_.quitOnDestroy)
            PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd_, msg, wp, lp);
}

void MainForm::OnCommand(int id, int code)
{
    switch (id) {
    case IDC_FILENAME:
        if (code == EN_CHANGE)
            FileNameChange();
        break;
    case IDC_ASCII:
        if (code == EN_KILLFOCUS)
            ascii_.OnKillFocus();
        break;
    case IDC_BROWSEBTN:
        if (code == BN_CLICKED)
            BrowseBtnClick();
        break;
    case IDC_STARTBTN:
        if (code == BN_CLICKED)
            StartBtnClick();
        break;
    case IDC_OPTBTN:
        if (code == BN_CLICKED)
            OptBtnClick();
        break;
    case IDC_CLOSEBTN:
        if (code == BN_CLICKED)
            CloseBtnClick();
        break;
    case IDM_CLOSE:
        CloseBtnClick();
        break;
    case IDM_SAVE:
        list_.Save(hwnd_, settings_.SaveOption, WindowText(fileName_));
        break;
    case IDM_DELETE:
    case IDM_POPUPDELETE:
        list_.DeleteSelected();
        break;
    case IDM_FIND:
        list_.ShowFind(hwnd_);
        break;
    case IDM_SELECTALL:
        list_.SelectAll();
        break;
    case IDM_REVERSE:
        list_.InvertSelection();
        break;
    case IDM_SELECTCHECK:
        list_.SelectChecked();
        break;
    case IDM_SORTADDRESS:
        list_.SortBy(SortKey::Address);
        break;
    case IDM_SORTNAME:
        list_.SortBy(SortKey::Name);
        break;
    case IDM_SORTLENGTH:
        list_.SortBy(SortKey::Length);
        break;
    case IDM_SORTCHECK:
        list_.SortBy(SortKey::Checked);
        break;
    case IDM_README:
        ShowReadMeitemClick();
        break;
    case IDM_VERSION:
        VerItemClick();
        break;
    }
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
    bool window;
    if (control == fileName_)
        window = fileNameWindowColor_;
    else if (control == ascii_.edit())
        window = asciiWindowColor_;
    else
        return nullptr;
    return PaintControl(dc, control, window ? COLOR_WINDOW : COLOR_BTNFACE);
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
    if (chosen)
        SetWindowTextA(fileName_, path);
}

void MainForm::OpenFile(const std::string &path, bool startScan)
{
    if (scanning_ || !hwnd_)
        return;
    SetWindowTextA(fileName_, path.c_str());
    if (startScan)
        PostMessageA(hwnd_, kStartScan, 0, 0);
}

// The first dropped item that is not a folder goes into FileName; a drop of
// folders only changes nothing.
void MainForm::FormDropFiles(HDROP dropped)
{
    loom::DropHandle drop(dropped);
    UINT count = DragQueryFileA(drop.get(), 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count && !scanning_; i++) {
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
}

void MainForm::ShowReadMeitemClick()
{
    ShowReadMe(hwnd_);
}

// The dialog is modal: the main window waits until it is closed.
void MainForm::VerItemClick()
{
    aboutDlg_.ShowModal();
}

void MainForm::CloseBtnClick()
{
    abort_ = 1;
    SendMessageA(hwnd_, WM_CLOSE, 0, 0);
}

// Saves the settings at once.  A scan that is still running when the window
// closes may consult the dictionary in its last emission, so then the
// window only disappears, and the dictionary and the window go once the
// scan has returned (StartBtnClick).
void MainForm::FormClose()
{
    if (closePending_ || destroyed_)
        return;
    settings_.MinExtractStr = ascii_.Value();
    SaveSettings(settings_);
    if (scanning_) {
        closePending_ = true;
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

void MainForm::FormResize()
{
    if (inResize_ || !hwnd_)
        return;
    if (list_.hwnd() && IsWindowVisible(list_.hwnd()))
        return;
    RECT c;
    GetClientRect(hwnd_, &c);
    if (c.bottom - c.top != kIdleClientHeight)
        SetClientHeight(kIdleClientHeight);
}

void MainForm::SetClientHeight(int height)
{
    RECT c, w;
    GetClientRect(hwnd_, &c);
    GetWindowRect(hwnd_, &w);
    int dy = height - (c.bottom - c.top);
    inResize_ = true;
    SetWindowPos(hwnd_, nullptr, 0, 0, w.right - w.left, (w.bottom - w.top) + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    inResize_ = false;
    Layout();
}

namespace {

// Moves `wnd` only when its place changes: moving the list view costs
// time with many rows, and Layout runs on every state change.
void MoveIfChanged(HWND parent, HWND wnd, int x, int y, int w, int h)
{
    RECT r;
    GetWindowRect(wnd, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&r), 2);
    if (r.left != x || r.top != y || r.right - r.left != w || r.bottom - r.top != h)
        MoveWindow(wnd, x, y, w, h, TRUE);
}

} // namespace

void MainForm::Layout()
{
    if (!progressBar_)
        return;  // still being created
    RECT c;
    GetClientRect(hwnd_, &c);
    int width = c.right - c.left;
    int height = c.bottom - c.top;
    PanelResize(width);
    bool progress = IsWindowVisible(progressBar_);
    MoveIfChanged(hwnd_, progressBar_, 0, height - kProgressHeight, width, kProgressHeight);
    if (list_.hwnd()) {
        int bottom = height - (progress ? kProgressHeight : 0);
        int listHeight = bottom - kPanelHeight;
        MoveIfChanged(hwnd_, list_.hwnd(), 0, kPanelHeight, width, listHeight > 0 ? listHeight : 0);
    }
}

void MainForm::PanelResize(int width)
{
    for (HWND b : {startBtn_, optBtn_, closeBtn_}) {
        RECT r;
        GetWindowRect(b, &r);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT *>(&r), 2);
        int w = r.right - r.left;
        MoveIfChanged(hwnd_, b, width - w - 6, r.top, w, r.bottom - r.top);
    }
    if (width < 400)
        return;
    RECT br, fr;
    GetWindowRect(browseBtn_, &br);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT *>(&br), 2);
    int bw = br.right - br.left;
    int browseLeft = width - bw - 140;
    MoveIfChanged(hwnd_, browseBtn_, browseLeft, br.top, bw, br.bottom - br.top);
    GetWindowRect(fileName_, &fr);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT *>(&fr), 2);
    MoveIfChanged(hwnd_, fileName_, fr.left, fr.top, browseLeft - fr.left - 4, fr.bottom - fr.top);
}

void MainForm::EditItemClick()
{
    EnableMenuItem(menu_.Popup(EditItem), IDM_DELETE,
                   MF_BYCOMMAND | (list_.HasSelection() ? MF_ENABLED : MF_GRAYED));
}

// Start, or during a scan stop, a scan.
void MainForm::StartBtnClick()
{
    abort_ = 0;
    if (stopCaption_ || scanning_) {
        // A stop request, nested inside the running scan's message pump.
        // (After a stop the button reads "検索開始(&I)" again until the
        // scan has returned; a press then only repeats the stop, so that
        // no second scan starts inside the first.)
        abort_ = 1;
        RestoreControls();
        return;
    }
    PrepareScan();

    std::string fileName = WindowText(fileName_);
    int minLength = ascii_.Value();
    progress_ = -1;
    SetProgress(0);
    lastPump_ = GetTickCount();
    scanning_ = true;
    int result = 1;
    InputError why = InputError::None;
    try {
        result = StringScanner(fileName.c_str(), minLength, settings_,
                               settings_.CheckEnglish ? &marker_ : nullptr, *this, &why);
    } catch (...) {
        // Memory ran out inside the scan: the window is put back to the
        // stopped state before the error reaches the window procedure's
        // edge, which reports it, so that the next start press scans again.
        abort_ = 1;
        ScanReturned();
        FinishScan();
        throw;
    }
    ScanReturned();

    if (result == 1) {
        ReportScanFailure(why);
    } else if (abort_ == 0) {
        // The progress bar goes first (restoring the controls below would
        // hide it anyway), so the list is sized once: each resize of a list
        // of a million rows costs about 0.1 s under Wine.
        ShowWindow(progressBar_, SW_HIDE);
        ShowWindow(list_.hwnd(), SW_SHOW);
        menu_.SetVisible(EditItem, true);
        menu_.SetVisible(ShowItem, true);
        menu_.Redraw();
        EnableMenuItem(menu_.Popup(FileItem), IDM_SAVE, MF_BYCOMMAND | MF_ENABLED);
        SetClientHeight(GetSystemMetrics(SM_CYSCREEN) / 2);
        abort_ = 1;
    }
    FinishScan();
}

// A scan that could not run to its end.  After a read error, or with memory
// exhausted, the window is in the stopped state: the rows found so far stay
// in the (hidden) list, as after a stop.
void MainForm::ReportScanFailure(InputError why)
{
    switch (why) {
    case InputError::TooLarge:
        ShowError(nullptr, kTooLarge);
        break;
    case InputError::ShortRead:
        ShowError(nullptr, kReadError);
        break;
    case InputError::NoMemory:
        ReportOutOfMemory();
        break;
    default:
        ShowError(nullptr, kCannotOpen);
        break;
    }
}

// The scan has returned, whichever way: the rows it added reach the list
// control.
void MainForm::ScanReturned()
{
    scanning_ = false;
    list_.SyncCount();
}

// The controls come back, and a close that came during the scan goes ahead.
void MainForm::FinishScan()
{
    RestoreControls();
    if (closePending_) {
        ReleaseDictionary();
        DestroyWindow(hwnd_);
    }
}

void MainForm::PrepareScan()
{
    ShowWindow(list_.hwnd(), SW_HIDE);
    SetClientHeight(kIdleClientHeight);
    SendMessageA(progressBar_, PBM_SETPOS, 0, 0);
    ShowWindow(progressBar_, SW_SHOW);
    SetWindowTextA(startBtn_, kStopCaption);
    stopCaption_ = true;
    menu_.SetVisible(ShowItem, false);
    menu_.SetVisible(EditItem, false);
    menu_.Redraw();
    EnableMenuItem(menu_.Popup(FileItem), IDM_SAVE, MF_BYCOMMAND | MF_GRAYED);
    // The keyboard focus must not be left on a control about to be disabled:
    // it goes to the stop button, so Enter and Space stop the scan.
    HWND focus = GetFocus();
    if (focus == fileName_ || focus == optBtn_ || focus == ascii_.edit() ||
        focus == browseBtn_ || focus == list_.hwnd())
        SetFocus(startBtn_);
    EnableWindow(fileName_, FALSE);
    fileNameWindowColor_ = false;
    EnableWindow(optBtn_, FALSE);
    ascii_.Enable(false);
    asciiWindowColor_ = false;
    EnableWindow(browseBtn_, FALSE);
    InvalidateRect(fileName_, nullptr, TRUE);
    InvalidateRect(ascii_.edit(), nullptr, TRUE);
    Layout();
}

void MainForm::RestoreControls()
{
    EnableWindow(fileName_, TRUE);
    fileNameWindowColor_ = true;
    EnableWindow(optBtn_, TRUE);
    ascii_.Enable(true);
    asciiWindowColor_ = true;
    EnableWindow(browseBtn_, TRUE);
    SetWindowTextA(startBtn_, kStartCaption);
    stopCaption_ = false;
    ShowWindow(progressBar_, SW_HIDE);
    InvalidateRect(fileName_, nullptr, TRUE);
    InvalidateRect(ascii_.edit(), nullptr, TRUE);
    Layout();
}

// Scan host.

void MainForm::ClearRows()
{
    // The list may hold many rows; releasing them can take a moment, so the
    // menu bar shows the busy notice alone meanwhile.
    menu_.SetVisible(MesItem, true);
    menu_.SetVisible(FileItem, false);
    menu_.SetVisible(HelpItem, false);
    menu_.Redraw();
    PumpMessages();
    list_.Clear();
    menu_.SetVisible(FileItem, true);
    menu_.SetVisible(HelpItem, true);
    menu_.SetVisible(MesItem, false);
    menu_.Redraw();
}

void MainForm::AddRow(uint32_t offset, bool wide, const char *text, size_t length, bool checked)
{
    list_.AppendRow(offset, wide, text, length, checked);
}

void MainForm::SetProgress(int percent)
{
    progressWanted_ = percent;
    ShowProgress(GetTickCount());
}

// The bar follows the scan's percentage at most once per progress interval
// (a move repaints the bar there and then); the first position of a scan
// shows at once.
void MainForm::ShowProgress(DWORD now)
{
    if (progressWanted_ == progress_)
        return;
    if (progress_ >= 0 && now - lastProgress_ < options_.progressIntervalMs)
        return;
    progress_ = progressWanted_;
    lastProgress_ = now;
    SendMessageA(progressBar_, PBM_SETPOS, static_cast<WPARAM>(progress_), 0);
}

// Called by the scanner at its checkpoints; dispatches messages only once a
// time slice has passed, since every message query costs a server call.
// The list stays hidden while a scan runs, so it learns its row count only
// when the scan returns.
void MainForm::ProcessEvents()
{
    DWORD now = GetTickCount();
    if (now - lastPump_ < options_.pumpIntervalMs)
        return;
    lastPump_ = now;
    ShowProgress(now);
    PumpMessages();
}

bool MainForm::AbortRequested()
{
    return abort_ != 0;
}

void MainForm::PumpMessages()
{
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            // Leave the quit request for the program's own loop.
            PostQuitMessage(static_cast<int>(m.wParam));
            break;
        }
        if (!PreTranslate(&m)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
    if (pumpHook_)
        pumpHook_();
}

// The list's shortcuts act whenever the main window has the keyboard; the
// text boxes keep Del and Ctrl+A for their own editing.
bool MainForm::OnShortcut(const MSG *m)
{
    if (m->message != WM_KEYDOWN || !(m->hwnd == hwnd_ || IsChild(hwnd_, m->hwnd)))
        return false;
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    bool alt = GetKeyState(VK_MENU) < 0;
    bool inEdit = m->hwnd == fileName_ || m->hwnd == ascii_.edit();
    if (alt)
        return false;
    if (m->wParam == VK_DELETE && !ctrl && !inEdit) {
        EditItemClick();
        list_.DeleteSelected();
        return true;
    }
    if (m->wParam == 'F' && ctrl) {
        list_.ShowFind(hwnd_);
        return true;
    }
    if (m->wParam == 'A' && ctrl && !inEdit) {
        list_.SelectAll();
        return true;
    }
    return false;
}

bool MainForm::PreTranslate(MSG *m)
{
    if (list_.IsFindDialogMessage(m))
        return true;
    if (destroyed_ || !hwnd_)
        return false;
    if (OnShortcut(m))
        return true;
    return IsDialogMessageA(hwnd_, m) != FALSE;
}

int RunMessageLoop(MainForm &form)
{
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        if (!form.PreTranslate(&m)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
    return static_cast<int>(m.wParam);
}

} // namespace lex
