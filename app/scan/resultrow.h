// The texts of a result row's first two columns, as the results list shows
// them, the results file writes them and the command-line front end prints
// them: the offset text and the kind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace lex {

// Offsets are written as eight upper-case hexadecimal digits: they stay
// below 2^31, so the width is fixed and ordering the texts orders the
// offsets.
constexpr size_t kOffsetTextLength = 8;

// Writes the offset text to `out` (kOffsetTextLength bytes, no terminator).
// Inline: the front end writes one per row.
inline void PutOffsetText(char *out, uint32_t offset)
{
    for (size_t d = kOffsetTextLength; d-- > 0;) {
        out[d] = "0123456789ABCDEF"[offset & 15];
        offset >>= 4;
    }
}
std::string OffsetText(uint32_t offset);

// What a row's text was taken as: single-byte and Shift-JIS text, UTF-16
// little-endian text, or UTF-8 text.  Kind order is this order.
enum class RowKind : uint8_t { Ansi, Unicode, Utf8 };

// The longest kind text, "Unicode".
constexpr size_t kMaxKindTextLength = 7;

// The kind column: "ANSI", "Unicode" or "UTF-8".  Each text is followed by
// zero bytes up to kMaxKindTextLength + 1 bytes, so that a line writer may
// copy kMaxKindTextLength bytes of any kind.
inline const char *KindText(RowKind kind)
{
    static const char kTexts[][kMaxKindTextLength + 1] = {"ANSI", "Unicode", "UTF-8"};
    return kTexts[static_cast<int>(kind)];
}

inline size_t KindTextLength(RowKind kind)
{
    static const uint8_t kLengths[] = {4, 7, 5};
    return kLengths[static_cast<int>(kind)];
}

} // namespace lex
