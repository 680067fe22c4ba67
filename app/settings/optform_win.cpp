// The settings dialog: its handlers, its pixel layout and its modal loop.
#include "settings/optform_win.h"

#include "settings/optform_ids.h"
#include "ui/dialog_win.h"
#include "ui/uifont_win.h"

namespace lex {
namespace {

// The form's client area and where every control sits in it, in pixels.
constexpr int kClientWidth = 351;
constexpr int kClientHeight = 346;

struct Place {
    int id, x, y, w, h;
};
constexpr Place kLayout[] = {
    {IDC_HEADSEARCH, 8, 8, 28, 14},
    {IDC_RULESEARCH, 40, 14, 303, 2},
    {IDC_CHKSEARCHKANJI, 24, 26, 314, 18},
    {IDC_CHKKANJINOISE, 42, 48, 301, 18},
    {IDC_CHKSEARCHWIDE, 24, 70, 314, 18},
    {IDC_CHKSEARCHUTF8, 24, 92, 314, 18},
    {IDC_CHKSEARCHRESOURCES, 24, 114, 314, 18},
    {IDC_CHKHALFKANA, 24, 136, 314, 18},
    {IDC_CHKRECURRENCE, 24, 162, 16, 18},
    {IDC_SPNRECURRENCE, 42, 160, 56, 21},
    // Two lines, the sentence and its bracketed exception, each whole on
    // its line.
    {IDC_LBLRECURRENCE, 104, 162, 239, 28},
    {IDC_LBLEXAMPLE, 104, 192, 239, 14},
    {IDC_CHKENGLISH, 24, 212, 319, 18},
    {IDC_CHKSEPARATOR, 42, 234, 301, 18},
    {IDC_CHKINITIAL, 42, 256, 301, 18},
    {IDC_HEADSAVE, 8, 280, 28, 14},
    {IDC_RULESAVE, 40, 286, 303, 2},
    {IDC_CHKSAVEOPTION, 24, 298, 314, 18},
    {IDOK, 184, 318, 75, 25},
    {IDCANCEL, 268, 318, 75, 25},
};

} // namespace

bool OptForm::Create(HWND owner)
{
    return CreateFromTemplate(owner, IDD_OPTFORM);
}

void OptForm::OnInit()
{
    spnRecurrence_.Attach(GetDlgItem(hwnd_, IDC_SPNRECURRENCE),
                          GetDlgItem(hwnd_, IDC_SPNRECURRENCESPIN), kRecurrenceTimeRange);
    SetDialogFont(CreateUiFont(hwnd_));
    Layout();
}

INT_PTR OptForm::OnMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wp) == BN_CLICKED && OnButtonClicked(LOWORD(wp)))
            return TRUE;
        if (LOWORD(wp) == IDC_SPNRECURRENCE && HIWORD(wp) == EN_KILLFOCUS) {
            spnRecurrence_.OnKillFocus();
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
            return reinterpret_cast<INT_PTR>(
                PaintControl(reinterpret_cast<HDC>(wp), spnRecurrence_.edit(), color));
        }
        break;
    case WM_CLOSE:
        Close(IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

bool OptForm::OnButtonClicked(int id)
{
    switch (id) {
    case IDC_CHKSEARCHKANJI:
        ChkSearchKanjiClick();
        return true;
    case IDC_CHKRECURRENCE:
        ChkRecurrenceClick();
        return true;
    case IDC_CHKENGLISH:
        ChkEnglishClick();
        return true;
    case IDOK:
        BtnOKClick();
        return true;
    case IDCANCEL:
        Close(IDCANCEL);
        return true;
    }
    return false;
}

void OptForm::Layout()
{
    SetClientSize(hwnd_, kClientWidth, kClientHeight);
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
    v.KanjiNoise = Checked(IDC_CHKKANJINOISE);
    v.SearchWideJapanese = Checked(IDC_CHKSEARCHWIDE);
    v.SearchUtf8 = Checked(IDC_CHKSEARCHUTF8);
    v.SearchResources = Checked(IDC_CHKSEARCHRESOURCES);
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
// settings are listed; the noise filter's box is enabled after the kanji
// box is set, the English-word dependants before SaveOption is set,
// SpnRecurrence last.
void OptForm::FormShow()
{
    OptFormValues v = OptFormFromSettings(*settings_);
    SetChecked(IDC_CHKSEARCHKANJI, v.SearchKanji);
    SetChecked(IDC_CHKKANJINOISE, v.KanjiNoise);
    ChkSearchKanjiClick();
    SetChecked(IDC_CHKSEARCHWIDE, v.SearchWideJapanese);
    SetChecked(IDC_CHKSEARCHUTF8, v.SearchUtf8);
    SetChecked(IDC_CHKSEARCHRESOURCES, v.SearchResources);
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

void OptForm::ChkSearchKanjiClick()
{
    EnableWindow(GetDlgItem(hwnd_, IDC_CHKKANJINOISE), KanjiNoiseBoxEnabled(Values()));
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

int OptForm::ShowModal(ExtractionSettings &settings, int x, int y)
{
    settings_ = &settings;
    FormShow();
    SetWindowPos(hwnd_, HWND_TOP, x, y, 0, 0, SWP_NOSIZE);
    int result = RunModal(GetDlgItem(hwnd_, IDC_CHKSEARCHKANJI));
    settings_ = nullptr;
    return result;
}

} // namespace lex
