// The byte classes of Shift-JIS text: printable single bytes, half-width
// katakana, the lead bytes of double-byte characters and the bytes that may
// follow a lead byte.  The one home of their ranges: the library's text
// filters test bytes with them, and the program's string scanner builds its
// byte tables and vector searches from the same ranges.  Portable, constexpr.
#pragma once

namespace loom {

// The byte values `first` to `last`, both included.
struct ByteRange {
    unsigned char first;
    unsigned char last;
    constexpr bool Holds(unsigned char byte) const { return byte >= first && byte <= last; }
};

namespace sjis {

// Single-byte characters: printable ASCII and half-width katakana.
constexpr ByteRange kPrintableAscii{0x20, 0x7E};
constexpr ByteRange kHalfWidthKana{0xA1, 0xDF};
// A double-byte character: a lead byte and a trail byte.
constexpr ByteRange kLead[] = {{0x81, 0x9F}, {0xE0, 0xFC}};
constexpr ByteRange kTrail[] = {{0x40, 0x7E}, {0x80, 0xFC}};

constexpr bool IsPrintableAscii(unsigned char byte)
{
    return kPrintableAscii.Holds(byte);
}

constexpr bool IsHalfWidthKana(unsigned char byte)
{
    return kHalfWidthKana.Holds(byte);
}

constexpr bool IsLead(unsigned char byte)
{
    return kLead[0].Holds(byte) || kLead[1].Holds(byte);
}

constexpr bool IsTrail(unsigned char byte)
{
    return kTrail[0].Holds(byte) || kTrail[1].Holds(byte);
}

} // namespace sjis
} // namespace loom
