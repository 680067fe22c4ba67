// A resource text as a row holds it: code page 932 bytes, with the
// stand-ins and escapes that keep a row on one line and free of zero bytes.
#include "scan/resources.h"

#include "scan/cp932.h"
#include "util/shiftjis.h"

namespace lex {
namespace {

constexpr uint32_t kReplacement = 0xFFFD;

// Control characters (C0, DEL, C1) would break the row's line or vanish
// on display: they are written as stand-ins, as characters that code page
// 932 lacks are.
bool IsControl(uint32_t code)
{
    return code < 0x20 || (code >= 0x7F && code < 0xA0);
}

void PutCharacter(uint32_t code, std::string &row)
{
    switch (code) {
    case '\n':
        row += "\\n";
        return;
    case '\r':
        row += "\\r";
        return;
    case '\t':
        row += "\\t";
        return;
    default:
        break;
    }
    const uint16_t form = IsControl(code) ? 0 : Cp932Form(code);
    if (form == 0) {
        char standIn[kMaxStandIn];
        row.append(standIn, PutStandIn(code, standIn));
        return;
    }
    if (form > 0xFF)
        row.push_back(static_cast<char>(form >> 8));
    row.push_back(static_cast<char>(form & 0xFF));
}

void PutUnits(const std::u16string &units, std::string &row)
{
    for (size_t i = 0; i < units.size(); ++i) {
        uint32_t code = units[i];
        // A surrogate pair is one character; a lone surrogate stands for
        // itself.
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (units[i + 1] - 0xDC00u);
            ++i;
        }
        PutCharacter(code, row);
    }
}

void PutAnsi(const std::string &bytes, std::string &row)
{
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<uint8_t>(bytes[i]);
        if (b < 0x80) {
            PutCharacter(b, row);
        } else if (loom::sjis::IsHalfWidthKana(b)) {
            row.push_back(static_cast<char>(b));
        } else if (loom::sjis::IsLead(b) && i + 1 < bytes.size() &&
                   loom::sjis::IsTrail(static_cast<uint8_t>(bytes[i + 1]))) {
            // A pair that code page 932 leaves unassigned is one U+FFFD,
            // as the rows' conversion to UTF-8 reads it.
            if (Cp932Char(b, static_cast<uint8_t>(bytes[i + 1])) != 0) {
                row.push_back(static_cast<char>(b));
                row.push_back(bytes[i + 1]);
            } else {
                PutCharacter(kReplacement, row);
            }
            ++i;
        } else {
            PutCharacter(kReplacement, row);
        }
    }
}

} // namespace

std::string ResourceRowText(const ResourceText &text)
{
    std::string row;
    row.reserve(text.ansi ? text.bytes.size() : 2 * text.units.size());
    if (text.ansi)
        PutAnsi(text.bytes, row);
    else
        PutUnits(text.units, row);
    return row;
}

} // namespace lex
