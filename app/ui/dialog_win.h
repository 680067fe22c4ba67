// What the program's windows share: the dialog base of its two dialogs
// (created once from a template, hidden, shown modally any number of
// times), sizing by the client area, and the colours of a control painted
// by its parent.
#pragma once

#include <windows.h>

#include <functional>

namespace lex {

// A dialog built from a template of the program's resources.  One
// trampoline keeps `this` in the dialog's user data and hands the messages
// to OnInit and OnMessage; no exception leaves it (running out of memory is
// reported to the user and the message is abandoned).
class Dialog {
public:
    Dialog() = default;
    Dialog(const Dialog &) = delete;
    Dialog &operator=(const Dialog &) = delete;
    virtual ~Dialog();

    HWND hwnd() const { return hwnd_; }

protected:
    // Creates the dialog (hidden) from template `templateId`, owned by
    // `owner`.
    bool CreateFromTemplate(HWND owner, int templateId);

    // Shows the dialog with the program's other windows disabled (the
    // owner among them) and the keyboard focus on `focus`, calls `shown`
    // once it is on screen (the tests' hook, may be empty), and dispatches
    // messages until Close; then enables them and hides the dialog.  Returns what Close was given, IDCANCEL when
    // the program ended first (the quit request goes on to the main loop).
    int RunModal(HWND focus, const std::function<void(HWND)> &shown);

    // Ends RunModal with `result`.
    void Close(int result);

    // WM_INITDIALOG, with hwnd_ set.
    virtual void OnInit() = 0;
    // Every later message; TRUE when handled, as a dialog procedure answers.
    virtual INT_PTR OnMessage(UINT msg, WPARAM wp, LPARAM lp) = 0;

    HWND hwnd_ = nullptr;

private:
    static INT_PTR CALLBACK DlgProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    bool done_ = true;
    int result_ = IDCANCEL;
};

// Sizes `window` so that its client area is width x height; its place
// stays.
void SetClientSize(HWND window, int width, int height);

// The answer to WM_CTLCOLOR... for a control painted in the system colour
// `background` (COLOR_WINDOW, COLOR_BTNFACE): its text in the window-text
// colour, grey while it is disabled.  Returns the brush to paint with.
HBRUSH PaintControl(HDC dc, HWND control, int background);

} // namespace lex
