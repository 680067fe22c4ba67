// Double-byte text: which bytes begin a two-byte character.  Portable code
// takes the rule as a parameter; the library's exports pass the rule of the
// process's ANSI code page (SystemLeadByte), and tests pass a fixed one.
#pragma once

namespace loom {

// Tells whether a byte is the lead byte of a double-byte character.
using LeadByteFn = bool (*)(unsigned char);

// The fixed Shift-JIS lead bytes 0x81-0x9F and 0xE0-0xFC.
bool IsShiftJisLeadByte(unsigned char byte);

// A single-byte code page: no byte leads.
inline bool NoLeadBytes(unsigned char)
{
    return false;
}

#if defined(_WIN32)
// The lead bytes of the process's ANSI code page (IsDBCSLeadByte).
bool SystemLeadByte(unsigned char byte);
#endif

} // namespace loom
