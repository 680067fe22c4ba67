// The edge between the library and its callers: no C++ exception may leave
// an export, a window or dialog procedure, or a callback that the system or
// a caller invokes.  Each such function runs its body through CallGuarded,
// which turns any exception (out of memory above all) into the function's
// documented failure result.
#pragma once

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

} // namespace loom
