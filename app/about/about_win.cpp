// The version dialog: its handlers, its pixel layout and its modal loop.
// This is where the program calls the library: GetFileVerInfo for the two
// files' versions, LoomGetSystemInfo for the report and szURLEncode for the
// mail; every buffer they fill is the dialog's own and lives only for the
// handler that needs it.
#include "about/about_win.h"

#include <cstring>
#include <string>
#include <vector>

#include "about/about.h"
#include "about/about_ids.h"
#include "base/exepath.h"
#include "sysinfo/loomsys.h"
#include "util/loomutil.h"
#include "version/loomver.h"
#include "ui/dialog_win.h"
#include "ui/msgbox_win.h"
#include "ui/shell_win.h"
#include "ui/uifont_win.h"

namespace lex {
namespace {

// The dialog's client area and where every control sits in it, in pixels.
constexpr int kClientWidth = 353;
constexpr int kClientHeight = 324;
constexpr int kFontPixels = 12;
constexpr int kTitlePixels = 24;

struct Place {
    int id, x, y, w, h;
};
constexpr Place kLayout[] = {
    {IDC_IMAGE1, 12, 16, 32, 32},
    {IDC_LABEL1, 56, 16, 200, 28},
    {IDC_VERSION, 56, 44, 285, 16},
    {IDC_COPYRIGHT, 56, 72, 285, 16},
    {IDC_LABEL2, 56, 112, 285, 14},
    {IDC_SYSINFO, 56, 128, 285, 133},
    {IDOK, 196, 268, 147, 21},
    {IDC_BTNMAIL, 196, 296, 146, 20},
};

// The system report's buffer, and the capacity the library is told.
constexpr int kReportBytes = 32767;

// A field of the version record up to its terminating NUL.
std::string Field(const char (&field)[FILEVERINFO_FIELD_SIZE])
{
    return std::string(field, strnlen(field, sizeof field));
}

} // namespace

bool AboutDlg::Create(HWND owner)
{
    return CreateFromTemplate(owner, IDD_ABOUTDLG);
}

void AboutDlg::OnInit()
{
    SetDialogFont(CreateUiFontOfHeight(kFontPixels));
    titleFont_.reset(CreateUiFontOfHeight(kTitlePixels, FW_BOLD));
    SendDlgItemMessageA(hwnd_, IDC_LABEL1, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.get()),
                        FALSE);
    // The report alone can fill 32 KB: no limit on the text.
    SendDlgItemMessageA(hwnd_, IDC_SYSINFO, EM_SETLIMITTEXT, 0, 0);
    Layout();
}

INT_PTR AboutDlg::OnMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDOK:
            Close(IDOK);
            return TRUE;
        case IDCANCEL:
            Close(IDCANCEL);
            return TRUE;
        case IDC_BTNMAIL:
            if (HIWORD(wp) == BN_CLICKED)
                BtnMailClick();
            return TRUE;
        }
        break;
    case WM_CTLCOLORSTATIC:
        // SysInfo is read-only and painted in the button-face colour.
        if (reinterpret_cast<HWND>(lp) == GetDlgItem(hwnd_, IDC_SYSINFO))
            return reinterpret_cast<INT_PTR>(PaintControl(reinterpret_cast<HDC>(wp),
                                                          reinterpret_cast<HWND>(lp), COLOR_BTNFACE));
        break;
    case WM_CLOSE:
        Close(IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

void AboutDlg::Layout()
{
    SetClientSize(hwnd_, kClientWidth, kClientHeight);
    for (const Place &p : kLayout)
        MoveWindow(GetDlgItem(hwnd_, p.id), p.x, p.y, p.w, p.h, FALSE);
}

void AboutDlg::CenterOnScreen()
{
    RECT r;
    GetWindowRect(hwnd_, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    SetWindowPos(hwnd_, HWND_TOP, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE);
}

// Fills the labels and SysInfo afresh on every showing: the program's
// version and copyright, both files' versions and the report.
void AboutDlg::FormShow()
{
    FileVerInfo record;
    GetFileVerInfo(ExecutablePath().c_str(), &record);
    const std::string exeVersion = Field(record.FileVersion);
    SetDlgItemTextA(hwnd_, IDC_COPYRIGHT, Field(record.LegalCopyright).c_str());
    SetDlgItemTextA(hwnd_, IDC_VERSION, ("Version " + exeVersion).c_str());

    std::vector<char> report(kReportBytes, '\0');
    LoomGetSystemInfo(report.data(), kReportBytes);

    // A library without a readable version leaves the record empty.
    GetFileVerInfo((ExecutableDir() + "loomlib.dll").c_str(), &record);
    SetDlgItemTextA(
        hwnd_, IDC_SYSINFO,
        AboutSysInfoText(exeVersion, Field(record.FileVersion), report.data()).c_str());
}

// Opens a new mail to the vendor with the dialog's text in its body.  The
// buffer is sized for the encoded text, which can be three times as long.
void AboutDlg::BtnMailClick()
{
    HWND sysInfo = GetDlgItem(hwnd_, IDC_SYSINFO);
    const int length = GetWindowTextLengthA(sysInfo);
    std::string link;
    {
        std::vector<char> mail(MailBufferSize(static_cast<std::size_t>(length)), '\0');
        GetWindowTextA(sysInfo, mail.data(), length + 1);
        link = SupportMailLink(szURLEncode(mail.data()));
    }
    if (ShellOpen(nullptr, link, nullptr, nullptr, SW_SHOWNORMAL) <= 32)
        ShowError(nullptr, "メールソフトを起動できません。");
}

int AboutDlg::ShowModal()
{
    FormShow();
    CenterOnScreen();
    return RunModal(GetDlgItem(hwnd_, IDOK));
}

// A readme that is missing, or that no program opens, is reported; what a
// program that starts does with it is its own affair.
void ShowReadMe(HWND owner)
{
    const std::string path = ExecutableDir() + "readme.htm";
    if (ShellOpen(owner, path, "", "", SW_SHOWNORMAL) <= 32)
        ShowError(owner, "説明書 " + path + " を開けません。");
}

} // namespace lex
