// The settings dialog: its handlers, its pixel layout and its modal loop.
#include "Option/optform_win.h"

#include <optional>

#include "Option/optform_ids.h"
#include "Win/application_win.h"
#include "Win/boundary_win.h"
#include "Win/uifont_win.h"

namespace lex {
namespace {

// The form's client area and where every control sits in it, in pixels.
constexpr int kClientWidth = 327;
constexpr int kClientHeight = 272;

struct Place {
    int id, x, y, w, h;
};
constexpr Place kLayout[] = {
    {IDC_HEADSEARCH, 8, 8, 28, 14},
    {IDC_RULESEARCH, 40, 14, 279, 2},
    {IDC_CHKSEARCHKANJI, 24, 26, 290, 18},
    {IDC_CHKHALFKANA, 24, 48, 290, 18},
    {IDC_CHKRECURRENCE, 24, 74, 16, 18},
    {IDC_SPNRECURRENCE, 42, 72, 56, 21},
    // Three lines: the sentence wraps in the narrow column.
    {IDC_LBLRECURRENCE, 104, 74, 215, 42},
    {IDC_LBLEXAMPLE, 104, 118, 215, 14},
    {IDC_CHKENGLISH, 24, 138, 295, 18},
    {IDC_CHKSEPARATOR, 42, 160, 277, 18},
    {IDC_CHKINITIAL, 42, 182, 277, 18},
    {IDC_HEADSAVE, 8, 206, 28, 14},
    {IDC_RULESAVE, 40, 212, 279, 2},
    {IDC_CHKSAVEOPTION, 24, 224, 290, 18},
    {IDOK, 160, 244, 75, 25},
    {IDCANCEL, 244, 244, 75, 25},
};

OptForm::ShowHook &Hook()
{
    static OptForm::ShowHook hook;
    return hook;
}

} // namespace

OptForm::~OptForm()
{
    if (hwnd_ && IsWindow(hwnd_))
        DestroyWindow(hwnd_);
}

void OptForm::SetShowHook(ShowHook hook)
{
    Hook() = std::move(hook);
}

bool OptForm::Create(HWND owner)
{
    HINSTANCE inst = GetModuleHandleA(nullptr);
    hwnd_ = CreateDialogParamA(inst, MAKEINTRESOURCEA(IDD_OPTFORM), owner, DlgProc,
                               reinterpret_cast<LPARAM>(this));
    return hwnd_ != nullptr;
}

INT_PTR CALLBACK OptForm::DlgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    return GuardedMessage<INT_PTR>(FALSE, [&] { return Dispatch(hwnd, msg, wp, lp); });
}

INT_PTR OptForm::Dispatch(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_INITDIALOG) {
        auto *self = reinterpret_cast<OptForm *>(lp);
        SetWindowLongPtrA(hwnd, DWLP_USER, lp);
        self->hwnd_ = hwnd;
        self->spnRecurrence_.Attach(GetDlgItem(hwnd, IDC_SPNRECURRENCE),
                                    GetDlgItem(hwnd, IDC_SPNRECURRENCESPIN));
        // The template's font would come with the default character set;
        // the form's own font carries Shift-JIS.
        self->font_.reset(CreateUiFont(hwnd));
        SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(self->font_.get()), FALSE);
        SetFontOfChildren(hwnd, self->font_.get());
        self->Layout();
        return FALSE;
    }
    auto *self = reinterpret_cast<OptForm *>(GetWindowLongPtrA(hwnd, DWLP_USER));
    return self ? self->OnMessage(msg, wp, lp) : FALSE;
}

INT_PTR OptForm::OnMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_CHKRECURRENCE:
            if (HIWORD(wp) == BN_CLICKED)
                ChkRecurrenceClick();
            return TRUE;
        case IDC_CHKENGLISH:
            if (HIWORD(wp) == BN_CLICKED)
                ChkEnglishClick();
            return TRUE;
        case IDC_SPNRECURRENCE:
            if (HIWORD(wp) == EN_KILLFOCUS)
                spnRecurrence_.OnKillFocus();
            return TRUE;
        case IDOK:
            BtnOKClick();
            return TRUE;
        case IDCANCEL:
            Close(IDCANCEL);
            return TRUE;
        }
        break;
    case WM_NOTIFY: {
        auto *hdr = reinterpret_cast<const NMHDR *>(lp);
        if (hdr->hwndFrom == spnRecurrence_.spin() && hdr->code == UDN_DELTAPOS) {
            SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT,
                              spnRecurrence_.OnDeltaPos(reinterpret_cast<const NMUPDOWN *>(lp)));
            return TRUE;
        }
        break;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        // SpnRecurrence shows whether it can be used by its background.
        if (reinterpret_cast<HWND>(lp) == spnRecurrence_.edit()) {
            int color = IsWindowEnabled(spnRecurrence_.edit()) ? COLOR_WINDOW : COLOR_BTNFACE;
            HDC dc = reinterpret_cast<HDC>(wp);
            SetBkColor(dc, GetSysColor(color));
            SetTextColor(dc, GetSysColor(IsWindowEnabled(spnRecurrence_.edit())
                                             ? COLOR_WINDOWTEXT
                                             : COLOR_GRAYTEXT));
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(color));
        }
        break;
    case WM_CLOSE:
        Close(IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

void OptForm::Layout()
{
    RECT r = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrA(hwnd_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(hwnd_, GWL_EXSTYLE)));
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (const Place &p : kLayout) {
        RECT b = {p.x, p.y, p.x + p.w, p.y + p.h};
        if (p.id == IDC_SPNRECURRENCE)
            spnRecurrence_.Move(b);
        else
            MoveWindow(GetDlgItem(hwnd_, p.id), p.x, p.y, p.w, p.h, FALSE);
    }
}

bool OptForm::Checked(int id) const
{
    return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED;
}

void OptForm::SetChecked(int id, bool on)
{
    CheckDlgButton(hwnd_, id, on ? BST_CHECKED : BST_UNCHECKED);
}

OptFormValues OptForm::Values() const
{
    OptFormValues v;
    v.SearchKanji = Checked(IDC_CHKSEARCHKANJI);
    v.HalfKana = Checked(IDC_CHKHALFKANA);
    v.Recurrence = Checked(IDC_CHKRECURRENCE);
    v.English = Checked(IDC_CHKENGLISH);
    v.Initial = Checked(IDC_CHKINITIAL);
    v.Separator = Checked(IDC_CHKSEPARATOR);
    v.SaveOption = Checked(IDC_CHKSAVEOPTION);
    v.RecurrenceTime = spnRecurrence_.Value();
    return v;
}

// Puts the settings as they stand into the controls, in the order the
// settings are listed; the English-word dependants are enabled before
// SaveOption is set, SpnRecurrence last.
void OptForm::FormShow()
{
    OptFormValues v = OptFormFromSettings(*settings_);
    SetChecked(IDC_CHKSEARCHKANJI, v.SearchKanji);
    SetChecked(IDC_CHKHALFKANA, v.HalfKana);
    SetChecked(IDC_CHKRECURRENCE, v.Recurrence);
    SetChecked(IDC_CHKENGLISH, v.English);
    SetChecked(IDC_CHKINITIAL, v.Initial);
    SetChecked(IDC_CHKSEPARATOR, v.Separator);
    ChkEnglishClick();
    SetChecked(IDC_CHKSAVEOPTION, v.SaveOption);
    spnRecurrence_.SetValue(v.RecurrenceTime);
    ChkRecurrenceClick();
}

void OptForm::ChkRecurrenceClick()
{
    spnRecurrence_.Enable(RecurrenceBoxEnabled(Values()));
    InvalidateRect(spnRecurrence_.edit(), nullptr, TRUE);
}

void OptForm::ChkEnglishClick()
{
    bool on = EnglishDependantsEnabled(Values());
    EnableWindow(GetDlgItem(hwnd_, IDC_CHKSEPARATOR), on);
    EnableWindow(GetDlgItem(hwnd_, IDC_CHKINITIAL), on);
}

void OptForm::BtnOKClick()
{
    if (settings_)
        OptFormToSettings(Values(), *settings_);
    Close(IDOK);
}

void OptForm::Close(int result)
{
    result_ = result;
    done_ = true;
}

int OptForm::ShowModal(ExtractionSettings &settings, int x, int y)
{
    settings_ = &settings;
    result_ = IDCANCEL;
    done_ = false;
    FormShow();
    SetWindowPos(hwnd_, HWND_TOP, x, y, 0, 0, SWP_NOSIZE);
    // The program's other windows (the main window and the application
    // window that owns the dialog) take no input meanwhile.
    HWND active = GetActiveWindow();
    std::optional<TaskWindowsDisabled> others;
    others.emplace(hwnd_);
    ShowWindow(hwnd_, SW_SHOW);
    SetFocus(GetDlgItem(hwnd_, IDC_CHKSEARCHKANJI));
    if (Hook())
        Hook()(hwnd_);
    MSG m;
    while (!done_) {
        BOOL got = GetMessageA(&m, nullptr, 0, 0);
        if (got <= 0) {
            // The program is ending: hand the quit request on to the main loop.
            PostQuitMessage(got == 0 ? static_cast<int>(m.wParam) : 1);
            break;
        }
        if (!IsDialogMessageA(hwnd_, &m)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
    // The other windows are enabled before the dialog disappears, so that
    // the activation goes back to the program and not to another one; then
    // to the window that had it.
    others.reset();
    ShowWindow(hwnd_, SW_HIDE);
    if (active && active != hwnd_ && IsWindow(active))
        SetActiveWindow(active);
    settings_ = nullptr;
    done_ = true;
    return result_;
}

} // namespace lex
