#include "Win/modal_win.h"

namespace lex {

void RunModalLoop(HWND dialog, HWND owner, HWND focus, const bool &done,
                  const std::function<void(HWND)> &shown)
{
    bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled)
        EnableWindow(owner, FALSE);
    ShowWindow(dialog, SW_SHOW);
    if (focus)
        SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
    if (shown)
        shown(dialog);
    MSG m;
    while (!done) {
        BOOL got = GetMessageA(&m, nullptr, 0, 0);
        if (got <= 0) {
            // The program is ending: hand the quit request on to the main loop.
            PostQuitMessage(got == 0 ? static_cast<int>(m.wParam) : 1);
            break;
        }
        if (!IsDialogMessageA(dialog, &m)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
    // The owner is enabled before the dialog disappears, so that the
    // activation goes back to it and not to another program.
    if (ownerWasEnabled)
        EnableWindow(owner, TRUE);
    ShowWindow(dialog, SW_HIDE);
}

} // namespace lex
