// The edge of the program's window and dialog procedures and of the other
// functions the system calls: no C++ exception may pass into the system's
// code, which cannot unwind it (the process would end there).  The
// program's own code raises exceptions only when memory runs out
// (std::bad_alloc, or std::length_error for a text too long to be held), so
// whatever escapes a handler abandons the message with the out-of-memory
// box, and the procedure returns `failure`.  The catching itself is the
// library's guard of its exports.
#pragma once

#include <utility>

#include "Win/msgbox_win.h"
#include "util/boundary.h"

namespace lex {

template <class Result, class Body>
Result GuardedMessage(Result failure, Body &&body) noexcept
{
    bool finished = false;
    Result result = loom::CallGuarded(failure, [&]() -> Result {
        Result value = std::forward<Body>(body)();
        finished = true;
        return value;
    });
    if (!finished)
        ReportOutOfMemory();
    return result;
}

} // namespace lex
