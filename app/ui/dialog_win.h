// What the program's windows share: the dialog base of its two dialogs
// (created once from a template, hidden, shown modally any number of
// times, in the program's font, with a show hook for the tests), sizing by
// the client area, and the colours of a control painted by its parent.
#pragma once

#include <windows.h>

#include <functional>

#include "util/handles_win.h"

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

    // Tests: runs once a dialog is on screen, inside its modal loop, with
    // the dialog's window; it ends the dialog by pressing one of its
    // buttons.
    using ShowHook = std::function<void(HWND dialog)>;

protected:
    // Creates the dialog (hidden) from template `templateId`, owned by
    // `owner`.
    bool CreateFromTemplate(HWND owner, int templateId);

    // Shows the dialog with the program's other windows disabled (the
    // owner among them) and the keyboard focus on `focus`, calls `shown`
    // once it is on screen (the tests' hook, may be empty), and dispatches
    // messages until Close; then enables them and hides the dialog.
    // Returns what Close was given, IDCANCEL when the program ended first
    // (the quit request goes on to the main loop).
    int RunModal(HWND focus, const ShowHook &shown);

    // Gives the dialog and all its controls `font`, which the dialog owns
    // from then on.  The template's font would come with the default
    // character set; the program's own fonts carry Shift-JIS.
    void SetDialogFont(HFONT font);

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
    loom::FontHandle font_;
};

// A kind of dialog, `Kind` being the class derived from this: each kind has
// a show hook of its own, which its modal loop calls.
template <class Kind>
class DialogOfKind : public Dialog {
public:
    static void SetShowHook(ShowHook hook) { Hook() = std::move(hook); }

protected:
    int RunModal(HWND focus) { return Dialog::RunModal(focus, Hook()); }

private:
    static ShowHook &Hook()
    {
        static ShowHook hook;
        return hook;
    }
};

// Sizes `window` so that its client area is width x height; its place
// stays.
void SetClientSize(HWND window, int width, int height);

// The answer to WM_CTLCOLOR... for a control painted in the system colour
// `background` (COLOR_WINDOW, COLOR_BTNFACE): its text in the window-text
// colour, grey while it is disabled.  Returns the brush to paint with.
HBRUSH PaintControl(HDC dc, HWND control, int background);

} // namespace lex
