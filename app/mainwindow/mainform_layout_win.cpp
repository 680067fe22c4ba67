// The main window's controls: made in tab order at their places in the
// top panel, and laid out again whenever the window's size or state
// changes (the right-hand buttons keep to the right edge, the status line
// runs along the bottom, the progress bar above it, and the list fills the
// space between the panel and them).
#include "mainwindow/mainform_win.h"

#include <commctrl.h>

#include "mainwindow/commands.h"
#include "settings/settings_win.h"
#include "ui/screenplace_win.h"
#include "ui/uifont_win.h"

namespace lex {
namespace {

// The top panel is 85 pixels high and the progress bar 19.
constexpr int kPanelHeight = 85;
constexpr int kProgressHeight = 19;
constexpr int kRightButtonWidth = 107;
constexpr int kButtonHeight = 23;
constexpr int kBrowseWidth = 75;
constexpr int kFileNameLeft = 86;
// The status line's right-hand part, which holds the row count.
constexpr int kCountPartWidth = 230;

// Identifiers of the three labels (never addressed by the program).
constexpr int kFileLabelId = 1011;
constexpr int kAsciiLabelId = 1012;
constexpr int kFilterLabelId = 1015;

HMENU IdMenu(int id)
{
    return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
}

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

    // The filter box shows with the list, above it.
    filterLabel_ = make(0, "STATIC", "絞り込み(&R):", SS_LEFT, 8, kPanelHeight + 7, 76, 14,
                        kFilterLabelId);
    filterBox_ = make(WS_EX_CLIENTEDGE, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, kFileNameLeft,
                      kPanelHeight + 3, 250, 21, IDC_FILTERBOX);
    ShowFilterBar(false);

    list_.Create(hwnd_, IDC_LISTVIEW);
    if (list_.hwnd()) {
        SendMessageA(list_.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        ShowWindow(list_.hwnd(), SW_HIDE);
    }

    progressBar_ = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | PBS_SMOOTH, 0, 0, 0, 0,
                                   hwnd_, IdMenu(IDC_PROGRESSBAR), inst, nullptr);
    SendMessageA(progressBar_, PBM_SETRANGE32, 0, 100);
    CreateStatusBar();

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

// While the list is hidden the window can only be widened or narrowed,
// unless the user has maximised it.
void MainForm::FormResize()
{
    if (inResize_ || !hwnd_ || IsZoomed(hwnd_))
        return;
    if (ListShown())
        return;
    RECT c;
    GetClientRect(hwnd_, &c);
    if (c.bottom - c.top != IdleClientHeight())
        SetClientHeight(IdleClientHeight());
}

int MainForm::IdleClientHeight() const
{
    RECT status = {};
    if (statusBar_)
        GetWindowRect(statusBar_, &status);
    return kIdleClientHeight + (status.bottom - status.top);
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

void MainForm::Layout()
{
    if (!progressBar_ || !statusBar_)
        return;  // still being created
    RECT c;
    GetClientRect(hwnd_, &c);
    int width = c.right - c.left;
    int height = c.bottom - c.top;
    PanelResize(width);
    // The status line sizes itself along the bottom edge; its row count
    // keeps to the right end.
    SendMessageA(statusBar_, WM_SIZE, 0, 0);
    int parts[] = {width > kCountPartWidth ? width - kCountPartWidth : 0, -1};
    SendMessageA(statusBar_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    RECT status;
    GetWindowRect(statusBar_, &status);
    height -= status.bottom - status.top;
    bool progress = IsWindowVisible(progressBar_);
    MoveIfChanged(hwnd_, progressBar_, 0, height - kProgressHeight, width, kProgressHeight);
    // The filter box reaches as far as the file name box.
    RECT name;
    GetWindowRect(fileName_, &name);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT *>(&name), 2);
    MoveIfChanged(hwnd_, filterBox_, kFileNameLeft, kPanelHeight + 3, name.right - kFileNameLeft, 21);
    if (list_.hwnd()) {
        const int top = kPanelHeight + (IsWindowVisible(filterBox_) ? kFilterHeight : 0);
        int bottom = height - (progress ? kProgressHeight : 0);
        int listHeight = bottom - top;
        MoveIfChanged(hwnd_, list_.hwnd(), 0, top, width, listHeight > 0 ? listHeight : 0);
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

bool MainForm::ListShown() const
{
    return list_.hwnd() && IsWindowVisible(list_.hwnd());
}

int MainForm::WindowHeightFor(int clientHeight) const
{
    RECT c, w;
    GetClientRect(hwnd_, &c);
    GetWindowRect(hwnd_, &w);
    return clientHeight + (w.bottom - w.top) - (c.bottom - c.top);
}

int MainForm::MinListWindowHeight() const
{
    return WindowHeightFor(IdleClientHeight() - kIdleClientHeight + kPanelHeight + kFilterHeight +
                           kMinListHeight);
}

// Never narrower than 450 pixels; with the list shown, never so low that
// the list has no room.
void MainForm::OnGetMinMaxInfo(MINMAXINFO *info) const
{
    info->ptMinTrackSize.x = kMinWidth;
    if (ListShown())
        info->ptMinTrackSize.y = MinListWindowHeight();
}

// The list is about to show: the window takes the height it had when it
// last showed its list, or grows to half the screen's height unless it is
// larger.  A maximised window keeps its size, and the height goes to its
// normal place, so that restoring it shows the list too.
void MainForm::SizeForList()
{
    const int half = GetSystemMetrics(SM_CYSCREEN) / 2;
    RECT client;
    GetClientRect(hwnd_, &client);
    // A window manager may leave a window that reports itself maximised at
    // the size it was given while hidden, only as high as its panel: there
    // would be no room for the list.
    if (IsZoomed(hwnd_) && client.bottom - client.top < kPanelHeight + kFilterHeight + kMinListHeight) {
        ShowWindow(hwnd_, SW_RESTORE);
        GetClientRect(hwnd_, &client);
    }
    inResize_ = true;
    if (IsZoomed(hwnd_)) {
        WINDOWPLACEMENT wp = {};
        wp.length = sizeof wp;
        GetWindowPlacement(hwnd_, &wp);
        RECT &normal = wp.rcNormalPosition;
        if (listHeight_ > 0 || normal.bottom - normal.top < MinListWindowHeight()) {
            normal.bottom = normal.top + (listHeight_ > 0 ? listHeight_ : WindowHeightFor(half));
            wp.flags = 0;
            wp.showCmd = SW_SHOWMAXIMIZED;
            SetWindowPlacement(hwnd_, &wp);
        }
    } else if (listHeight_ > 0) {
        RECT w;
        GetWindowRect(hwnd_, &w);
        SetWindowPos(hwnd_, nullptr, 0, 0, w.right - w.left, listHeight_,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (client.bottom - client.top < half) {
        SetClientHeight(half);
    }
    inResize_ = false;
    listHeight_ = 0;
    Layout();
}

// The stored place is taken when the window would be usable there (its
// caption on a monitor, its size within the screens); otherwise (a screen
// since removed, damaged values) the window opens where the system puts
// it.  The height of the window with its list, and the column widths, are
// taken when they fit the screens; the list's text column is fitted to the
// window again as soon as the list shows.
void MainForm::RestoreLayout()
{
    const WindowLayout layout = LoadWindowLayout();
    const std::vector<ScreenRect> areas = MonitorWorkAreas();
    const int screenWidth = Bounds(areas).Width();
    for (int i = 0; i < WindowLayout::kColumns; ++i) {
        const int width = layout.columnWidths[i];
        if (list_.hwnd() && width != WindowLayout::kNoWidth && width <= screenWidth)
            SendMessageA(list_.hwnd(), LVM_SETCOLUMNWIDTH, i, MAKELPARAM(width, 0));
    }
    startMaximized_ = layout.maximized;
    RECT w;
    GetWindowRect(hwnd_, &w);
    PlaceNeeds needs;
    needs.minWidth = kMinWidth;
    needs.captionHeight = GetSystemMetrics(SM_CYCAPTION);
    needs.minHeight = MinListWindowHeight();
    listHeight_ = SizeFits(kMinWidth, layout.listHeight, areas, needs) ? layout.listHeight : 0;
    if (!layout.hasPlace)
        return;
    // Until the list shows, the window is only as high as its panel.
    const int idleHeight = w.bottom - w.top;
    needs.minHeight = idleHeight;
    const ScreenRect place = {layout.left, layout.top, layout.left + layout.width,
                              layout.top + idleHeight};
    if (!PlaceIsUsable(place, areas, needs))
        return;
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    GetWindowPlacement(hwnd_, &wp);
    wp.flags = 0;
    wp.showCmd = SW_HIDE;
    wp.rcNormalPosition = RECT{place.left, place.top, place.right, place.bottom};
    SetWindowPlacement(hwnd_, &wp);
}

// While the list is hidden the window is only as high as its panel: the
// height from the last time the list showed is kept then, or none.
void MainForm::StoreLayout()
{
    WindowLayout layout;
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    if (GetWindowPlacement(hwnd_, &wp)) {
        const RECT &r = wp.rcNormalPosition;
        layout.hasPlace = true;
        layout.left = r.left;
        layout.top = r.top;
        layout.width = r.right - r.left;
        layout.listHeight = ListShown() ? r.bottom - r.top : listHeight_;
        layout.maximized = wp.showCmd == SW_SHOWMAXIMIZED ||
                           (wp.showCmd == SW_SHOWMINIMIZED && (wp.flags & WPF_RESTORETOMAXIMIZED));
    }
    for (int i = 0; list_.hwnd() && i < WindowLayout::kColumns; ++i)
        layout.columnWidths[i] = static_cast<int>(SendMessageA(list_.hwnd(), LVM_GETCOLUMNWIDTH, i, 0));
    SaveWindowLayout(layout);
}

void MainForm::Show(int command)
{
    const bool plain = command == SW_SHOW || command == SW_SHOWNORMAL || command == SW_SHOWDEFAULT;
    ShowWindow(hwnd_, startMaximized_ && plain ? SW_SHOWMAXIMIZED : command);
}

} // namespace lex
