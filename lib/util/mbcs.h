// Double-byte text: which bytes begin a two-byte character, and walks over
// text that step over whole characters.  Portable code takes the rule as a
// parameter; the library's exports pass the rule of the process's ANSI code
// page (SystemLeadByte), and tests pass a fixed one.
#pragma once

#include <cstddef>
#include <string>

namespace loom {

// Tells whether a byte is the lead byte of a double-byte character.
using LeadByteFn = bool (*)(unsigned char);

// The fixed Shift-JIS lead bytes 0x81-0x9F and 0xE0-0xFC: sjis::IsLead as a
// LeadByteFn.
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

// The number of bytes of the character at `p`: 2 for a lead byte followed
// by a byte other than the terminating NUL, else 1.  A lead byte right
// before the NUL stands alone, so no walk ever steps over the end.
inline std::size_t CharLength(const char *p, LeadByteFn isLead)
{
    return isLead(static_cast<unsigned char>(p[0])) && p[1] != '\0' ? 2 : 1;
}

// The last single-byte character `c` of the NUL-terminated `text` (never
// the second byte of a double-byte character), or null when there is none.
const char *FindLastChar(const char *text, char c, LeadByteFn isLead);

// Multibyte comparison: a lead byte followed by a non-NUL byte forms one
// 16-bit code with the lead byte high, any other byte is its own code; the
// first differing code decides and a text that ends first is smaller.
// Negative, zero or positive like strcmp.
int MbCompare(const char *a, const char *b, LeadByteFn isLead);

// Whether two texts are equal when the letters A-Z and a-z of single-byte
// characters are taken as equal; double-byte characters must match exactly.
bool MbEqualsIgnoreCase(const char *a, const char *b, LeadByteFn isLead);

// True when `text` begins with `prefix`, ignoring the case of single-byte
// letters; an empty prefix begins every text.
bool StartsWithIgnoreCase(const char *text, const char *prefix, LeadByteFn isLead);

// Lower-cases the single-byte letters A-Z in place; the second byte of a
// double-byte character is never changed.
void LowerAscii(std::string &text, LeadByteFn isLead);

// Copies at most `limit` bytes of `src` to `dst` and terminates it, so `dst`
// needs limit + 1 bytes.  A double-byte character that the limit would cut
// in two is dropped whole.  Returns the number of bytes copied.
std::size_t CopyBounded(char *dst, const char *src, std::size_t limit, LeadByteFn isLead);

} // namespace loom
