// The edge of the program's window and dialog procedures and of the other
// functions the system calls: no C++ exception may pass into the system's
// code, which cannot unwind it (the process would end there).  Whatever
// escapes a handler abandons the message, and the procedure returns
// `failure`, after the program's top-level error box: an error the program
// raises itself (a std::runtime_error, such as a component put on a form
// twice) with its own message, anything else (memory running out:
// std::bad_alloc, or std::length_error for a text too long to be held)
// with the out-of-memory message.  The final catching is the library's
// guard of its exports.
#pragma once

#include <stdexcept>
#include <utility>

#include "ui/msgbox_win.h"
#include "util/boundary.h"

namespace lex {

template <class Result, class Body>
Result GuardedMessage(Result failure, Body &&body) noexcept
{
    bool finished = false;
    Result result = loom::CallGuarded(failure, [&]() -> Result {
        try {
            Result value = std::forward<Body>(body)();
            finished = true;
            return value;
        } catch (const std::runtime_error &error) {
            // Not finished while the box itself runs out of memory.
            ReportError(error.what());
            finished = true;
            return failure;
        }
    });
    if (!finished)
        ReportOutOfMemory();
    return result;
}

} // namespace lex
