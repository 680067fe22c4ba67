// The edge between the library and its callers: no C++ exception may leave
// an export, a window or dialog procedure, or a callback that the system or
// a caller invokes.  Each such function runs its body through CallGuarded,
// which turns any exception (out of memory above all) into the function's
// documented failure result.
#pragma once

#if defined(_WIN32)
#include <windows.h>
#endif

#include <utility>

namespace loom {

template <class Result, class Body>
Result CallGuarded(Result failure, Body &&body) noexcept
{
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        return failure;
    }
}

#if defined(_WIN32)
// True when one of the pointers that an export needs (a text, a buffer, a
// list) is null.  The export then returns its failure value, with
// ERROR_INVALID_PARAMETER as the thread's last error, instead of reading or
// writing through it.
template <class... Pointers>
bool NullArgument(const Pointers *...pointers)
{
    if (((pointers != nullptr) && ...))
        return false;
    SetLastError(ERROR_INVALID_PARAMETER);
    return true;
}
#endif

} // namespace loom
