// In-place text filters and size formatting, independent of the platform.
// The filters treat the text as Shift-JIS with the fixed lead-byte ranges,
// whatever the system code page, and copy a double-byte character unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace loom {

// Escapes the text for a "mailto:" link: control bytes 0x01-0x0D, "%", "&",
// "?" and the single bytes 0x80, 0xA0-0xDF and 0xFD-0xFF become "%XX".
// The buffer must hold three times the text's length plus 1 byte.  Returns
// text; when no working copy can be had, the text is left unchanged.
char *UrlEncode(char *text);

// The length of the longest start of a URL-encoded text (as UrlEncode
// writes it) that fits in `room` bytes and ends between whole units: "%XX"
// escapes, double-byte characters and single bytes.
std::size_t WholeEncodedLength(const std::string &encoded, std::size_t room);

// Replaces each TAB, LF and CR by a space.  Returns text.
char *DeleteRetTab(char *text);

// Keeps letters, digits and the bytes 0x2C-0x3F; drops "@" and a backslash
// followed by "0" (with the "0"); every other single byte becomes a space.
// Returns text.
char *DeleteRetTabCtrl(char *text);

// The five unit names, bytes, KB, MB, GB, TB, each with its leading space.
struct SizeUnits {
    std::string names[5];
};

// A byte count as at most four significant characters and a unit: "0 バイト",
// "1.50 KB", "976 KB"; digits are cut, never rounded.  From 10,000 TB up,
// the whole number of TB.  With the library's unit names the text is at most
// 12 bytes.
std::string FormatFileSize(std::uint64_t bytes, const SizeUnits &units);

} // namespace loom
