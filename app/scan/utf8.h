// Well-formed UTF-8: the bytes that begin and continue its multi-byte
// sequences, and the reading of one sequence.  Portable.
#pragma once

#include <cstdint>

#include "util/shiftjis.h"

namespace lex {
namespace utf8 {

// The first byte of a well-formed multi-byte sequence, and the bytes that
// follow it.
constexpr loom::ByteRange kLead{0xC2, 0xF4};
constexpr loom::ByteRange kContinuation{0x80, 0xBF};

// The length (2 to 4) of the well-formed multi-byte sequence that the bytes
// b[0], b[1], ... begin, with its code point in *code; 0 when they begin
// none.  Well-formed: no overlong form (C0, C1, E0 80-9F, F0 80-8F), no
// surrogate (ED A0-BF), nothing above U+10FFFF (F4 90-BF, F5-FF).  Bytes
// after a byte that is no continuation are not read.
inline unsigned Sequence(const uint8_t *b, uint32_t *code)
{
    const uint8_t first = b[0];
    if (first < kLead.first || first > kLead.last || !kContinuation.Holds(b[1]))
        return 0;
    const uint32_t second = b[1] & 0x3Fu;
    if (first < 0xE0) {
        *code = (first & 0x1Fu) << 6 | second;
        return 2;
    }
    // The second byte's range is narrower after E0 (no overlong form), ED
    // (no surrogate), F0 (no overlong form) and F4 (nothing above
    // U+10FFFF).
    if ((first == 0xE0 && b[1] < 0xA0) || (first == 0xED && b[1] > 0x9F) ||
        (first == 0xF0 && b[1] < 0x90) || (first == 0xF4 && b[1] > 0x8F) ||
        !kContinuation.Holds(b[2]))
        return 0;
    const uint32_t third = b[2] & 0x3Fu;
    if (first < 0xF0) {
        *code = (first & 0x0Fu) << 12 | second << 6 | third;
        return 3;
    }
    if (!kContinuation.Holds(b[3]))
        return 0;
    *code = (first & 0x07u) << 18 | second << 12 | third << 6 | (b[3] & 0x3Fu);
    return 4;
}

} // namespace utf8
} // namespace lex
