// The texts of a result row's first two columns, as the results list shows
// them, the results file writes them and the command-line front end prints
// them: the offset text and the kind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
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
// little-endian text, UTF-8 text, a text of a PE image's resources as the
// resource holds it, or Japanese text in EUC-JP, ISO-2022-JP or UTF-16
// big-endian.  The numbers are those of the kinds as they came, the new
// ones last; the kind sort orders them by KindRank.
enum class RowKind : uint8_t { Ansi, Unicode, Utf8, Resource, EucJp, Iso2022Jp, Utf16Be };
constexpr size_t kRowKinds = 7;

// The longest kind text, "ISO-2022-JP".
constexpr size_t kMaxKindTextLength = 11;

// The kind column: "ANSI", "Unicode", "UTF-8", "Resource", "EUC-JP",
// "ISO-2022-JP" or "UTF-16BE", each with a zero byte after it.
inline const char *KindText(RowKind kind)
{
    static const char kTexts[kRowKinds][kMaxKindTextLength + 1] = {
        "ANSI", "Unicode", "UTF-8", "Resource", "EUC-JP", "ISO-2022-JP", "UTF-16BE"};
    return kTexts[static_cast<int>(kind)];
}

// UTF-8, resource and the further encodings' rows write a character that
// code page 932 lacks as its stand-in "\\u{HEX}" (cp932.h): output in
// UTF-8 gives the character.
inline bool HoldsStandIns(RowKind kind)
{
    return kind >= RowKind::Utf8;
}

inline size_t KindTextLength(RowKind kind)
{
    static const uint8_t kLengths[kRowKinds] = {4, 7, 5, 8, 6, 11, 8};
    return kLengths[static_cast<int>(kind)];
}

// Writes the kind text at `out` (KindTextLength bytes, nothing after them)
// and returns the position after it.  Inline, in moves of four bytes that
// the compiler knows (every kind text has four to eleven; a third move for
// the one longer than eight): the line writers put one on every row.
inline char *PutKindText(char *out, RowKind kind)
{
    const char *text = KindText(kind);
    const size_t length = KindTextLength(kind);
    std::memcpy(out, text, 4);
    if (__builtin_expect(length > 8, 0))
        std::memcpy(out + 4, text + 4, 4);
    std::memcpy(out + length - 4, text + length - 4, 4);
    return out + length;
}

} // namespace lex
