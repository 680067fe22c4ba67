// LoomVerInfo: the suite's version dialog, from the library's own dialog
// template 100.  One dialog procedure with a small handler per message;
// the dialog keeps no state of its own but the caller's bitmap, which stays
// in one process-wide variable for painting (the caller owns it).
#include <windows.h>
#include <shellapi.h>

#include "sysinfo/loomsys.h"
#include "util/boundary.h"
#include "util/handles_win.h"
#include "util/libtext.h"
#include "util/loomshell.h"
#include "util/loomutil.h"
#include "util/mail_link_win.h"
#include "verdlg/loomverinfo.h"
#include "verdlg/verdlg.h"
#include "version/exeinfo.h"
#include "version/loomver.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

enum DialogItem : int {
    kDialogTemplate = 100,
    kItemMail = 10,
    kItemPicture = 100,
    kItemProductLine = 200,
    kItemCopyright = 400,
    kItemProductName = 500,
    kItemText = 1000,
};

// Sizes of the texts the dialog builds and reads back.
constexpr int kListCapacity = 32767;
constexpr int kReportCapacity = 32767;
constexpr int kProductNameRead = 256;
constexpr int kTextRead = 65536;
constexpr DWORD kDisplayNameSize = 256;
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Loomkit";

HBITMAP g_bitmap;

HMODULE Self()
{
    return GetModuleHandleA("loomlib.dll");
}

const char *Text(unsigned id)
{
    return LoadLibText(id);
}

// The folder of loomlib.dll itself.
std::string LibraryDir()
{
    char path[MAX_PATH] = "";
    DWORD n = GetModuleFileNameA(Self(), path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return std::string();
    strExtractFileDir(path);
    return path;
}

// The version of a component, from the first of the library's folder, the
// system folder and the Windows folder that holds it as a program file.
std::string ComponentVersion(const char *file, void *)
{
    const std::string libraryDir = LibraryDir();
    char dir[MAX_PATH + 1] = "";
    SeekFileInPossibleDir(file, libraryDir.c_str(), dir);
    if (dir[0] == '\0')
        return Text(loom::kMsgComponentMissing);
    std::vector<char> path(std::strlen(dir) + std::strlen(file) + 2);
    std::strcpy(path.data(), dir);
    strCatPath(path.data(), file);
    FileVerInfo info;
    GetFileVerInfo(path.data(), &info);
    if (info.FileVersion[0] == '\0')
        return Text(loom::kMsgNoVersion);
    return info.FileVersion;
}

std::string ComponentList()
{
    char displayName[kDisplayNameSize] = "";
    RegReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", displayName,
                  kDisplayNameSize);
    std::vector<char> list(kListCapacity, '\0');
    loom::BuildComponentList(list.data(), kListCapacity, displayName, Text, ComponentVersion,
                             nullptr);
    return list.data();
}

// The system report; as far as it got when it stopped early.
std::string SystemReport()
{
    std::vector<char> report(kReportCapacity, '\0');
    LoomGetSystemInfo(report.data(), kReportCapacity);
    return report.data();
}

void CentreOnDesktop(HWND dialog)
{
    RECT desktop, own;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(dialog, &own);
    int left = ((desktop.right - desktop.left) - (own.right - own.left)) / 2;
    int top = ((desktop.bottom - desktop.top) - (own.bottom - own.top)) / 2;
    SetWindowPos(dialog, HWND_NOTOPMOST, left, top, 0, 0, SWP_NOSIZE);
}

BOOL OnInitDialog(HWND dialog, const VerInfoParam &param)
{
    CentreOnDesktop(dialog);
    const std::string product = loom::FieldText(param.ProductName, sizeof param.ProductName);
    const std::string version = loom::FieldText(param.VersionText, sizeof param.VersionText);
    const std::string copyright =
        loom::FieldText(param.CopyrightText, sizeof param.CopyrightText);
    SetDlgItemTextA(dialog, kItemProductLine, loom::ProductLine(product, version).c_str());
    SetDlgItemTextA(dialog, kItemCopyright, copyright.c_str());
    SetDlgItemTextA(dialog, kItemProductName, product.c_str());
    // A null ExtraText adds nothing, like an empty one.
    std::string text = ComponentList() + SystemReport() + (param.ExtraText ? param.ExtraText : "");
    SetDlgItemTextA(dialog, kItemText, text.c_str());
    SetWindowTextA(dialog, loom::FormatText(Text(loom::kMsgVerDlgTitle), product.c_str()).c_str());
    g_bitmap = param.Bitmap;
    return TRUE;
}

// The bitmap at its own size, centred on the picture item's rectangle.
void OnPaint(HWND dialog)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(dialog, &ps);
    BITMAP facts;
    if (g_bitmap && GetObjectA(g_bitmap, sizeof facts, &facts)) {
        RECT item;
        GetWindowRect(GetDlgItem(dialog, kItemPicture), &item);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&item), 2);
        int left = item.left + ((item.right - item.left) - facts.bmWidth) / 2;
        int top = item.top + ((item.bottom - item.top) - facts.bmHeight) / 2;
        loom::MemoryDc memory(CreateCompatibleDC(dc));
        if (memory.valid()) {
            HGDIOBJ old = SelectObject(memory.get(), g_bitmap);
            BitBlt(dc, left, top, facts.bmWidth, facts.bmHeight, memory.get(), 0, 0, SRCCOPY);
            SelectObject(memory.get(), old);
        }
    }
    EndPaint(dialog, &ps);
}

void OnMail(HWND dialog)
{
    char product[kProductNameRead] = "";
    GetDlgItemTextA(dialog, kItemProductName, product, kProductNameRead - 1);
    std::vector<char> text(kTextRead, '\0');
    GetDlgItemTextA(dialog, kItemText, text.data(), kTextRead - 1);
    const std::string link =
        loom::ShellSafeLink(loom::MailLink(Text(loom::kMsgMailLink), product, text.data()));
    HINSTANCE result = ShellExecuteA(dialog, "open", link.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(result) <= 32) {
        std::string message = Text(loom::kMsgNoMailer);
        MessageBoxA(dialog, message.c_str(), product, MB_OK | MB_ICONWARNING);
    }
}

INT_PTR CALLBACK VerInfoProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    return loom::CallGuarded<INT_PTR>(FALSE, [&]() -> INT_PTR {
        switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(dialog, *reinterpret_cast<const VerInfoParam *>(lParam));
        case WM_PAINT:
            OnPaint(dialog);
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
            case IDOK:
            case IDCANCEL:
                EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            case kItemMail:
                OnMail(dialog);
                return TRUE;
            }
            break;
        }
        return FALSE;
    });
}

} // namespace

extern "C" INT_PTR __cdecl LoomVerInfo(HWND owner, const VerInfoParam *param)
{
    if (!param)
        return -1;
    return DialogBoxParamA(Self(), MAKEINTRESOURCEA(kDialogTemplate), owner, VerInfoProc,
                           reinterpret_cast<LPARAM>(param));
}
