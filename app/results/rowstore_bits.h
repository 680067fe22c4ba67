// The layout of a row's word of length and flags, and the text search,
// shared by the row store's files.  Internal to the row store.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "scan/resultrow.h"
#include "util/ascii.h"

namespace lex {
namespace rowbits {


// The row's kind (RowKind) in the low three bits, then the flags; the
// length above them (a row holds at most kMaxRowLength bytes).
constexpr uint32_t kKindMask = 7;
static_assert(kRowKinds <= kKindMask + 1, "every kind fits in the kind bits");
constexpr uint32_t kChecked = 8;
constexpr uint32_t kSelected = 16;
constexpr unsigned kLengthShift = 5;

inline RowKind KindOf(uint32_t lengthFlags)
{
    return static_cast<RowKind>(lengthFlags & kKindMask);
}

using loom::UpperAscii;

// A hint to fetch memory that a loop will read shortly; the sorts walk
// rows and texts in an order unrelated to where they lie.
inline void Prefetch(const void *p)
{
#if defined(__GNUC__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}

// Byte substring search; `fold` compares a-z folded bytes.
inline bool Contains(const char *hay, size_t hayLen, const std::string &needle, bool fold)
{
    const size_t n = needle.size();
    if (n == 0)
        return true;
    if (n > hayLen)
        return false;
    const unsigned char *h = reinterpret_cast<const unsigned char *>(hay);
    const unsigned char *p = reinterpret_cast<const unsigned char *>(needle.data());
    const size_t last = hayLen - n;
    if (!fold) {
        for (size_t i = 0; i <= last; ++i) {
            const void *hit = std::memchr(h + i, p[0], last - i + 1);
            if (!hit)
                return false;
            i = static_cast<size_t>(static_cast<const unsigned char *>(hit) - h);
            if (std::memcmp(h + i + 1, p + 1, n - 1) == 0)
                return true;
        }
        return false;
    }
    // `needle` is already folded by the caller.  A first byte that is no
    // letter is found by memchr, a letter in either case.
    const unsigned char first = p[0];
    const bool letter = first >= 'A' && first <= 'Z';
    const unsigned char lower = letter ? static_cast<unsigned char>(first + 0x20) : first;
    for (size_t i = 0; i <= last; ++i) {
        if (!letter) {
            const void *hit = std::memchr(h + i, first, last - i + 1);
            if (!hit)
                return false;
            i = static_cast<size_t>(static_cast<const unsigned char *>(hit) - h);
        } else if (h[i] != first && h[i] != lower) {
            continue;
        }
        size_t k = 1;
        while (k < n && UpperAscii(h[i + k]) == p[k])
            ++k;
        if (k == n)
            return true;
    }
    return false;
}


// The search text as Contains takes it: folded unless case matters.
inline std::string Needle(const std::string &what, bool matchCase)
{
    std::string needle = what;
    if (!matchCase)
        for (char &c : needle)
            c = static_cast<char>(UpperAscii(static_cast<unsigned char>(c)));
    return needle;
}

} // namespace rowbits
} // namespace lex
