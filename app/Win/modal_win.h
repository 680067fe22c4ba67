// The modal loop of the program's dialogs, which are created once, hidden,
// and shown any number of times.
#pragma once

#include <windows.h>

#include <functional>

namespace lex {

// Shows `dialog` with `owner` disabled and the keyboard focus on `focus`,
// calls `shown` (the tests' hook, may be empty), and dispatches messages
// until `done` turns true; then enables the owner and hides the dialog.  A
// quit request met on the way is handed on to the program's main loop.
void RunModalLoop(HWND dialog, HWND owner, HWND focus, const bool &done,
                  const std::function<void(HWND)> &shown);

} // namespace lex
