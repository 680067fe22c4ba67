// Text filters of the library.  Each walks the text once; a lead byte takes
// the byte after it along unexamined, except the terminating NUL, so a lead
// byte at the very end never carries the walk past the text.
#include "util/text.h"

#include "util/ascii.h"
#include "util/mbcs.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

namespace loom {

namespace {

bool IsLead(unsigned char byte)
{
    return IsShiftJisLeadByte(byte);
}

bool NeedsEscape(unsigned char byte)
{
    return (byte >= 0x01 && byte <= 0x0D) || byte == '%' || byte == '&' || byte == '?' ||
           byte == 0x80 || (byte >= 0xA0 && byte <= 0xDF) || byte >= 0xFD;
}

// Bytes that szDeleteRetTabCtrl copies: comma to question mark (punctuation
// that file and version texts use, the digits, and 0x3A-0x3F), and letters.
bool IsKept(unsigned char byte)
{
    return (byte >= 0x2C && byte <= 0x3F) || IsAsciiLetter(byte);
}

} // namespace

char *UrlEncode(char *text)
{
    static const char kHex[] = "0123456789ABCDEF";
    // The result is longer than the input, so it is built from a private
    // copy of the input.
    std::string input;
    try {
        input = text;
    } catch (const std::bad_alloc &) {
        return text;
    }
    char *out = text;
    for (std::size_t i = 0; i < input.size(); ++i) {
        auto byte = static_cast<unsigned char>(input[i]);
        if (IsLead(byte)) {
            *out++ = input[i];
            if (i + 1 < input.size())
                *out++ = input[++i];
        } else if (NeedsEscape(byte)) {
            *out++ = '%';
            *out++ = kHex[byte >> 4];
            *out++ = kHex[byte & 0x0F];
        } else {
            *out++ = input[i];
        }
    }
    *out = '\0';
    return text;
}

std::size_t WholeEncodedLength(const std::string &encoded, std::size_t room)
{
    // A percent sign never stands alone in encoded text; a lead byte at the
    // very end, or a cut escape, counts as what is left of the text.
    std::size_t length = 0;
    while (length < encoded.size()) {
        std::size_t unit = 1;
        if (encoded[length] == '%')
            unit = 3;
        else if (IsLead(static_cast<unsigned char>(encoded[length])))
            unit = 2;
        unit = std::min(unit, encoded.size() - length);
        if (unit > room - length) // length never exceeds room
            break;
        length += unit;
    }
    return length;
}

char *DeleteRetTab(char *text)
{
    // Same length in and out: each byte is rewritten where it stands.
    for (auto p = reinterpret_cast<unsigned char *>(text); *p; ++p) {
        if (IsLead(*p)) {
            if (!p[1])
                break;
            ++p;
        } else if (*p == '\t' || *p == '\n' || *p == '\r') {
            *p = ' ';
        }
    }
    return text;
}

char *DeleteRetTabCtrl(char *text)
{
    // The result is never longer than what has been read, so the write
    // position never passes the read position and the text filters itself.
    auto in = reinterpret_cast<const unsigned char *>(text);
    auto out = reinterpret_cast<unsigned char *>(text);
    while (*in) {
        unsigned char byte = *in;
        if (IsLead(byte)) {
            *out++ = *in++;
            if (*in)
                *out++ = *in++;
        } else if (byte == '@') {
            ++in;
        } else if (byte == '\\' && in[1] == '0') {
            in += 2;
        } else {
            *out++ = IsKept(byte) ? byte : ' ';
            ++in;
        }
    }
    *out = '\0';
    return text;
}

std::string FormatFileSize(std::uint64_t bytes, const SizeUnits &units)
{
    // Divide by 1,024 while the value has four digits; a value from 1,000 to
    // 1,023 therefore shows as a fraction of the next unit.
    std::uint64_t value = bytes;
    std::uint64_t previous = 0;
    int unit = 0;
    while (value >= 1000 && unit < 4) {
        previous = value;
        value /= 1024;
        ++unit;
    }
    std::string number;
    if (value >= 10000) {
        // Only terabytes get here (2^64 bytes is 16,777,216 TB): the whole
        // number, since four characters cannot hold it.
        number = std::to_string(value);
    } else {
        // Three truncated decimals of the remainder, then the first four
        // characters, without a trailing full stop.
        unsigned fraction =
            previous ? static_cast<unsigned>((previous - value * 1024) * 1000 / 1024) : 0;
        char text[16];
        std::snprintf(text, sizeof text, "%u.%.3u", static_cast<unsigned>(value), fraction);
        text[4] = '\0';
        if (text[3] == '.')
            text[3] = '\0';
        number = text;
        if (number == "0.00")
            number = "0";
    }
    return number + units.names[unit];
}

} // namespace loom
