// The a-z folding of single bytes, the one rule behind every comparison
// that ignores the case of letters, and the test for a letter: the bytes 0x61-0x7A (a-z) become
// 0x41-0x5A (A-Z) and every other byte, the second byte of a double-byte
// character included, stays as it is.
#pragma once

namespace loom {

constexpr unsigned char UpperAscii(unsigned char byte)
{
    return byte >= 'a' && byte <= 'z' ? static_cast<unsigned char>(byte - 0x20) : byte;
}

constexpr char UpperAscii(char byte)
{
    return static_cast<char>(UpperAscii(static_cast<unsigned char>(byte)));
}

// The letters A-Z and a-z.
constexpr bool IsAsciiLetter(unsigned char byte)
{
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
}

} // namespace loom
