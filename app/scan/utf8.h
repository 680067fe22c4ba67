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
    unsigned length;
    uint32_t c;
    uint8_t low = kContinuation.first, high = kContinuation.last;
    if (first < kLead.first || first > kLead.last) {
        return 0;
    } else if (first < 0xE0) {
        length = 2;
        c = first & 0x1F;
    } else if (first < 0xF0) {
        length = 3;
        c = first & 0x0F;
        low = first == 0xE0 ? 0xA0 : low;
        high = first == 0xED ? 0x9F : high;
    } else {
        length = 4;
        c = first & 0x07;
        low = first == 0xF0 ? 0x90 : low;
        high = first == 0xF4 ? 0x8F : high;
    }
    for (unsigned k = 1; k < length; ++k) {
        const uint8_t next = b[k];
        if (next < low || next > high)
            return 0;
        c = c << 6 | (next & 0x3F);
        low = kContinuation.first;
        high = kContinuation.last;
    }
    *code = c;
    return length;
}

} // namespace utf8
} // namespace lex
