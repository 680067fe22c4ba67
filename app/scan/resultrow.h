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
void PutOffsetText(char *out, uint32_t offset);
std::string OffsetText(uint32_t offset);

// "Unicode" for text taken as UTF-16 little-endian, otherwise "ANSI".
inline const char *KindText(bool wide)
{
    return wide ? "Unicode" : "ANSI";
}

inline size_t KindTextLength(bool wide)
{
    return wide ? 7 : 4;
}

} // namespace lex
