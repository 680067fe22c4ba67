// Copies of short byte strings (row texts, a few dozen bytes mostly) in
// word moves, the last word overlapping the one before: a call to the C
// runtime's memcpy costs more than such a copy (under Wine the runtime's
// memcpy is a general routine in another module, reached through an
// import).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace loom {

// One word of `Word`'s size from `from` to `to`, in register moves.
template <class Word>
inline void CopyWord(char *to, const char *from)
{
    Word word;
    std::memcpy(&word, from, sizeof word);
    std::memcpy(to, &word, sizeof word);
}

// Copies n bytes; the two ranges do not overlap.
inline void CopyShort(char *to, const char *from, size_t n)
{
    struct Words16 {
        uint64_t a, b;
    };
    if (n > 256) {
        std::memcpy(to, from, n);
    } else if (n >= 16) {
        for (size_t i = 0; i + 16 < n; i += 16)
            CopyWord<Words16>(to + i, from + i);
        CopyWord<Words16>(to + n - 16, from + n - 16);
    } else if (n >= 8) {
        CopyWord<uint64_t>(to, from);
        CopyWord<uint64_t>(to + n - 8, from + n - 8);
    } else if (n >= 4) {
        CopyWord<uint32_t>(to, from);
        CopyWord<uint32_t>(to + n - 4, from + n - 4);
    } else {
        for (size_t i = 0; i < n; ++i)
            to[i] = from[i];
    }
}

} // namespace loom
