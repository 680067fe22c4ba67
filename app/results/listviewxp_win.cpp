// TListViewXP: a superclass of the system list view whose window procedure
// strips the header-image request of columns that have no image.
#include "results/listviewxp_win.h"

#include <commctrl.h>

#include "ui/boundary_win.h"

namespace lex {

const char kListViewXPClass[] = "TListViewXP";

namespace {

WNDPROC g_baseProc = nullptr;

LRESULT CALLBACK ListViewXPProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    return GuardedMessage<LRESULT>(0, [&] {
        StripNoImageFlag(msg, lp);
        return CallWindowProcA(g_baseProc, hwnd, msg, wp, lp);
    });
}

} // namespace

void StripNoImageFlag(UINT msg, LPARAM lp)
{
    // Only the ANSI column messages carry the flag this way; the wide ones
    // pass unchanged.
    if (msg != LVM_SETCOLUMNA && msg != LVM_INSERTCOLUMNA)
        return;
    auto *column = reinterpret_cast<LVCOLUMNA *>(lp);
    if (column && column->iImage == -1)
        column->mask &= ~LVCF_IMAGE;
}

bool RegisterListViewXP(HINSTANCE instance)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExA(instance, kListViewXPClass, &wc))
        return true;
    // The base class is registered by comctl32 once common controls are
    // initialised.
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSEXA base = {};
    base.cbSize = sizeof base;
    if (!GetClassInfoExA(nullptr, WC_LISTVIEWA, &base))
        return false;
    g_baseProc = base.lpfnWndProc;
    base.lpfnWndProc = ListViewXPProc;
    base.hInstance = instance;
    base.lpszClassName = kListViewXPClass;
    base.style &= ~CS_GLOBALCLASS;
    return RegisterClassExA(&base) != 0;
}

} // namespace lex
