// Code page 932 forms of Japanese code units, looked up in the generated
// per-range arrays and the sorted array of symbols (the bit sets are
// generated beside them); the way back, and a row's text in UTF-8.
#include "scan/cp932.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "scan/cp932_table.h"
#include "util/shiftjis.h"

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "Cp932TextToUtf8 reads the bytes of a word in little-endian order"
#endif

namespace lex {

uint16_t JapaneseUnitCp932(uint16_t unit)
{
    for (const Cp932Range &range : kCp932Ranges) {
        if (unit >= range.first && unit <= range.last)
            return range.forms[unit - range.first];
    }
    if (!IsJapaneseSymbol(unit))
        return 0;
    const uint32_t *end = kCp932Symbols + kCp932SymbolCount;
    const uint32_t *at = std::lower_bound(kCp932Symbols, end, static_cast<uint32_t>(unit) << 16);
    return at != end && at[0] >> 16 == unit ? static_cast<uint16_t>(at[0] & 0xFFFF) : 0;
}

uint16_t Cp932Form(uint32_t code)
{
    if (code < 0x80)
        return static_cast<uint16_t>(code);
    if (code < 0x100) {
        const uint32_t *end = kCp932Latin1 + kCp932Latin1Count;
        const uint32_t *at = std::lower_bound(kCp932Latin1, end, code << 16);
        return at != end && at[0] >> 16 == code ? static_cast<uint16_t>(at[0] & 0xFFFF) : 0;
    }
    if (code > 0xFFFF)
        return 0;
    return JapaneseUnitCp932(static_cast<uint16_t>(code));
}

size_t PutStandIn(uint32_t code, char *out)
{
    static const char kHex[] = "0123456789ABCDEF";
    int digits = 1;
    while (digits < 6 && code >> (4 * digits))
        ++digits;
    char *p = out;
    *p++ = '\\';
    *p++ = 'u';
    *p++ = '{';
    for (int d = digits - 1; d >= 0; --d)
        *p++ = kHex[(code >> (4 * d)) & 15];
    *p++ = '}';
    return static_cast<size_t>(p - out);
}

namespace {

// What a byte of code page 932 text begins: the row of a lead byte in
// kCp932Chars (0-59), or one of these.
constexpr uint8_t kAscii = 0xFD, kHalfKana = 0xFE, kNoCharacter = 0xFF;

struct ByteClasses {
    uint8_t of[256];
};

constexpr ByteClasses MakeByteClasses()
{
    ByteClasses c{};
    uint8_t row = 0;
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        c.of[b] = b < 0x80                               ? kAscii
                  : loom::sjis::IsHalfWidthKana(byte)    ? kHalfKana
                  : loom::sjis::IsLead(byte)             ? row++
                                                         : kNoCharacter;
    }
    return c;
}

constexpr ByteClasses kByteClass = MakeByteClasses();
static_assert(kByteClass.of[0xFC] == kCp932LeadCount - 1, "one row per lead byte");

} // namespace

uint32_t Cp932Char(uint8_t lead, uint8_t trail)
{
    const uint8_t row = kByteClass.of[lead];
    if (row >= kCp932LeadCount || trail < 0x40 || trail > 0xFC)
        return 0;
    return kCp932Chars[row * kCp932TrailCount + (trail - 0x40u)];
}

namespace {

constexpr uint32_t kReplacement = 0xFFFD;

char *PutUtf8(uint32_t code, char *out)
{
    if (code < 0x80) {
        *out++ = static_cast<char>(code);
    } else if (code < 0x800) {
        *out++ = static_cast<char>(0xC0 | code >> 6);
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        *out++ = static_cast<char>(0xE0 | code >> 12);
        *out++ = static_cast<char>(0x80 | (code >> 6 & 0x3F));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | code >> 18);
        *out++ = static_cast<char>(0x80 | (code >> 12 & 0x3F));
        *out++ = static_cast<char>(0x80 | (code >> 6 & 0x3F));
        *out++ = static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

// The UTF-8 bytes, in memory order in a word, of every double-byte form
// whose character takes three (most of them); 0 for the others.
std::unique_ptr<uint32_t[]> ThreeBytePairs()
{
    const size_t count = kCp932LeadCount * kCp932TrailCount;
    std::unique_ptr<uint32_t[]> pairs(new uint32_t[count]);
    for (size_t k = 0; k < count; ++k) {
        const uint32_t code = kCp932Chars[k];
        char bytes[4] = {};
        if (code >= 0x800)
            PutUtf8(code, bytes);
        std::memcpy(&pairs[k], bytes, 4);
    }
    return pairs;
}

// The character of the stand-in at t[0, left), or 0 when none begins
// there; *length is its length.
uint32_t StandInAt(const char *t, size_t left, size_t *length)
{
    if (left < 5 || t[1] != 'u' || t[2] != '{')
        return 0;
    uint32_t code = 0;
    size_t k = 3;
    for (; k < left && k < 3 + 6; ++k) {
        const char c = t[k];
        if (c >= '0' && c <= '9')
            code = code << 4 | static_cast<uint32_t>(c - '0');
        else if (c >= 'A' && c <= 'F')
            code = code << 4 | static_cast<uint32_t>(c - 'A' + 10);
        else
            break;
    }
    if (k == 3 || k >= left || t[k] != '}')
        return 0;
    // Written back as PutStandIn writes it (no leading zero), and of a
    // character that code page 932 lacks, or it was text of the file.
    char again[kMaxStandIn];
    const bool scalar = code >= 0x80 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    if (!scalar || Cp932Form(code) != 0 || PutStandIn(code, again) != k + 1 ||
        std::memcmp(again, t, k + 1) != 0)
        return 0;
    *length = k + 1;
    return code;
}

} // namespace

size_t Cp932TextToUtf8(const char *text, size_t length, bool standIns, char *out)
{
    constexpr uint64_t kHigh = 0x8080808080808080u, kOnes = 0x0101010101010101u;
    static const std::unique_ptr<uint32_t[]> utf8Pairs = ThreeBytePairs();
    const auto *t = reinterpret_cast<const uint8_t *>(text);
    char *p = out;
    size_t i = 0;
    while (i < length) {
        // ASCII as it is, eight bytes at a time, up to a byte above ASCII
        // or a backslash where a stand-in may begin: the word is stored
        // whole (within the room of 3 bytes a byte, as 8 more bytes follow)
        // and only the bytes before that one are kept.  The lowest flag of
        // the test for a byte is exact; the bytes are in memory order on
        // the little-endian processors this runs on.
        for (; i + 8 <= length; i += 8, p += 8) {
            uint64_t word;
            std::memcpy(&word, t + i, 8);
            const uint64_t slashes = word ^ (kOnes * '\\');
            const uint64_t stop =
                (word & kHigh) | (standIns ? (slashes - kOnes) & ~slashes & kHigh : 0);
            std::memcpy(p, &word, 8);
            if (stop != 0) {
                const unsigned kept = static_cast<unsigned>(__builtin_ctzll(stop)) / 8;
                i += kept;
                p += kept;
                break;
            }
        }
        if (i >= length)
            break;
        uint8_t b = t[i];
        uint8_t cls = kByteClass.of[b];
        // Japanese text: pair after pair, each a character of three bytes,
        // stored as one word whose fourth byte the next character (or
        // nothing, within the room of 3 bytes a byte) takes.
        while (cls < kCp932LeadCount && i + 1 < length) {
            const unsigned column = t[i + 1] - 0x40u;
            const uint32_t bytes =
                column < kCp932TrailCount ? utf8Pairs[cls * kCp932TrailCount + column] : 0;
            if (bytes == 0)
                break;
            std::memcpy(p, &bytes, 4);
            p += 3;
            i += 2;
            if (i >= length)
                return static_cast<size_t>(p - out);
            b = t[i];
            cls = kByteClass.of[b];
        }
        if (cls < kCp932LeadCount) {
            // Any other pair, or a lead byte that begins none.
            const uint8_t trail = i + 1 < length ? t[i + 1] : 0;
            const uint32_t code = Cp932Char(b, trail);
            if (loom::sjis::IsTrail(trail)) {
                p = PutUtf8(code != 0 ? code : kReplacement, p);
                i += 2;
            } else {
                p = PutUtf8(kReplacement, p);
                ++i;
            }
        } else if (cls == kAscii) {
            size_t standIn = 0;
            const uint32_t code =
                b == '\\' && standIns ? StandInAt(text + i, length - i, &standIn) : 0;
            if (code != 0) {
                p = PutUtf8(code, p);
                i += standIn;
            } else {
                *p++ = static_cast<char>(b);
                ++i;
            }
        } else {
            p = PutUtf8(cls == kHalfKana ? 0xFF61 + (b - 0xA1u) : kReplacement, p);
            ++i;
        }
    }
    return static_cast<size_t>(p - out);
}

} // namespace lex
