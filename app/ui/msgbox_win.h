// Every message box of the program goes through ShowMessageBox, so that the
// GUI tests can watch (and answer) them instead of a user.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace lex {

// The owner of a box: `owner`, or when that is null the window the user is
// in (the thread's active window: the main window, the find dialog, a
// dialog), so that the box stays in front of it and the activation, and
// with it the keyboard focus, goes back there when the box closes.  Null
// when no window of the program is active (a box at start-up).
HWND BoxOwner(HWND owner);

// Shows a modal message box owned by BoxOwner(owner) (task-modal when that
// is null) and returns the button pressed.
int ShowMessageBox(HWND owner, const std::string &text, const std::string &caption, UINT type);

// Expected failures and notices: "エラー" with the error icon, "情報" with
// the information icon, one OK button.
void ShowError(HWND owner, const std::string &text);
void ShowInfo(HWND owner, const std::string &text);

// The program's top-level handler for an error that escapes a command: a
// box with the stop icon captioned with the program's title, the message
// with "." appended when its last character sorts above ".".
void ReportError(const std::string &message);

// The text of the out-of-memory error.
extern const char kOutOfMemory[];

// A command abandoned because memory ran out: kOutOfMemory through
// ReportError.  When even the box's text cannot be had, the box shows the
// bare message all the same.
void ReportOutOfMemory() noexcept;

// Tests install a hook that sees every box instead of the user; it returns
// the button to report (IDOK).  An empty hook restores real boxes.
using MessageBoxHook = std::function<int(const std::string &text, const std::string &caption, UINT type)>;
void SetMessageBoxHook(MessageBoxHook hook);

} // namespace lex
