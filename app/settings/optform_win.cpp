// The settings dialog: its handlers, its pixel layout and its modal loop.
#include "settings/optform_win.h"

#include "settings/optform_ids.h"
#include "ui/dialog_win.h"
#include "ui/uifont_win.h"

namespace lex {
namespace {

// The form's client area and where every control sits in it, in pixels.
constexpr int kClientWidth = 351;
constexpr int kClientHeight = 464;

struct Place {
    int id, x, y, w, h;
};
constexpr Place kLayout[] = {
    {IDC_HEADSEARCH, 8, 8, 28, 14},
    {IDC_RULESEARCH, 40, 14, 303, 2},
    {IDC_CHKSEARCHKANJI, 24, 26, 314, 18},
    {IDC_CHKSEARCHWIDE, 24, 48, 314, 18},
    {IDC_CHKSEARCHUTF8, 24, 70, 314, 18},
    // The further encodings, in a group of their own.
    {IDC_GRPENCODINGS, 24, 92, 319, 88},
    {IDC_CHKSEARCHEUCJP, 36, 110, 300, 18},
    {IDC_CHKSEARCHISO2022JP, 36, 132, 300, 18},
    {IDC_CHKSEARCHUTF16BE, 36, 154, 300, 18},
    // What the Japanese settings share: the judge and the length.
    {IDC_CHKKANJINOISE, 42, 184, 301, 18},
    {IDC_SPNMINJAPANESE, 42, 206, 56, 21},
    {IDC_LBLMINJAPANESE, 104, 209, 239, 14},
    {IDC_CHKSEARCHRESOURCES, 24, 232, 314, 18},
    {IDC_CHKHALFKANA, 24, 254, 314, 18},
    {IDC_CHKRECURRENCE, 24, 280, 16, 18},
    {IDC_SPNRECURRENCE, 42, 278, 56, 21},
    // Two lines, the sentence and its bracketed exception, each whole on
    // its line.
    {IDC_LBLRECURRENCE, 104, 280, 239, 28},
    {IDC_LBLEXAMPLE, 104, 310, 239, 14},
    {IDC_CHKENGLISH, 24, 330, 319, 18},
    {IDC_CHKSEPARATOR, 42, 352, 301, 18},
    {IDC_CHKINITIAL, 42, 374, 301, 18},
    {IDC_HEADSAVE, 8, 398, 28, 14},
    {IDC_RULESAVE, 40, 404, 303, 2},
    {IDC_CHKSAVEOPTION, 24, 416, 314, 18},
    {IDOK, 184, 436, 75, 25},
    {IDCANCEL, 268, 436, 75, 25},
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
    spnMinJapanese_.Attach(GetDlgItem(hwnd_, IDC_SPNMINJAPANESE),
                           GetDlgItem(hwnd_, IDC_SPNMINJAPANESESPIN), kMinJapaneseStrRange);
    SetDialogFont(CreateUiFont(hwnd_));
    Layout();
}

INT_PTR OptForm::OnMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wp) == BN_CLICKED && OnButtonClicked(LOWORD(wp)))
            return TRUE;
        if (HIWORD(wp) == EN_KILLFOCUS) {
            for (NumberBox *box : {&spnRecurrence_, &spnMinJapanese_})
                if (reinterpret_cast<HWND>(lp) == box->edit()) {
                    box->OnKillFocus();
                    return TRUE;
                }
        }
        break;
    case WM_NOTIFY: {
        auto *hdr = reinterpret_cast<const NMHDR *>(lp);
        if (hdr->code != UDN_DELTAPOS)
            break;
        for (NumberBox *box : {&spnRecurrence_, &spnMinJapanese_})
            if (hdr->hwndFrom == box->spin()) {
                SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT,
                                  box->OnDeltaPos(reinterpret_cast<const NMUPDOWN *>(lp)));
                return TRUE;
            }
        break;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        // The number boxes show whether they can be used by their
        // background.
        for (NumberBox *box : {&spnRecurrence_, &spnMinJapanese_})
            if (reinterpret_cast<HWND>(lp) == box->edit()) {
                int color = IsWindowEnabled(box->edit()) ? COLOR_WINDOW : COLOR_BTNFACE;
                return reinterpret_cast<INT_PTR>(
                    PaintControl(reinterpret_cast<HDC>(wp), box->edit(), color));
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
    case IDC_CHKSEARCHWIDE:
    case IDC_CHKSEARCHUTF8:
    case IDC_CHKSEARCHEUCJP:
    case IDC_CHKSEARCHISO2022JP:
    case IDC_CHKSEARCHUTF16BE:
        ChkJapaneseClick();
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
        else if (p.id == IDC_SPNMINJAPANESE)
            spnMinJapanese_.Move(b);
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
    v.SearchEucJp = Checked(IDC_CHKSEARCHEUCJP);
    v.SearchIso2022Jp = Checked(IDC_CHKSEARCHISO2022JP);
    v.SearchUtf16Be = Checked(IDC_CHKSEARCHUTF16BE);
    v.HalfKana = Checked(IDC_CHKHALFKANA);
    v.Recurrence = Checked(IDC_CHKRECURRENCE);
    v.English = Checked(IDC_CHKENGLISH);
    v.Initial = Checked(IDC_CHKINITIAL);
    v.Separator = Checked(IDC_CHKSEPARATOR);
    v.SaveOption = Checked(IDC_CHKSAVEOPTION);
    v.RecurrenceTime = spnRecurrence_.Value();
    v.MinJapaneseStr = spnMinJapanese_.Value();
    return v;
}

// Puts the settings as they stand into the controls, in the order the
// settings are listed; the Japanese settings' shared controls are enabled
// after the three Japanese boxes are set, the English-word dependants
// before SaveOption is set, SpnRecurrence last.
void OptForm::FormShow()
{
    OptFormValues v = OptFormFromSettings(*settings_);
    SetChecked(IDC_CHKSEARCHKANJI, v.SearchKanji);
    SetChecked(IDC_CHKKANJINOISE, v.KanjiNoise);
    SetChecked(IDC_CHKSEARCHWIDE, v.SearchWideJapanese);
    SetChecked(IDC_CHKSEARCHUTF8, v.SearchUtf8);
    SetChecked(IDC_CHKSEARCHEUCJP, v.SearchEucJp);
    SetChecked(IDC_CHKSEARCHISO2022JP, v.SearchIso2022Jp);
    SetChecked(IDC_CHKSEARCHUTF16BE, v.SearchUtf16Be);
    SetChecked(IDC_CHKSEARCHRESOURCES, v.SearchResources);
    spnMinJapanese_.SetValue(v.MinJapaneseStr);
    ChkJapaneseClick();
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

void OptForm::ChkJapaneseClick()
{
    const bool on = JapaneseBoxesEnabled(Values());
    EnableWindow(GetDlgItem(hwnd_, IDC_CHKKANJINOISE), on);
    spnMinJapanese_.Enable(on);
    EnableWindow(GetDlgItem(hwnd_, IDC_LBLMINJAPANESE), on);
    InvalidateRect(spnMinJapanese_.edit(), nullptr, TRUE);
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
