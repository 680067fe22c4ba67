// Fuzz target: the front end's lines of a row (cli/lines.h) in every
// format, written into a buffer of exactly the length they promise, so
// that the sanitizers catch any byte beyond it; the UTF-8 and JSON lines
// must be well-formed UTF-8, and JSON lines hold no raw control character.
//
// Input layout:
//   byte 0     bit 0 JSON, bit 1 UTF-8 (else code page 932), bit 2 CR LF,
//              bit 3 text only, bit 4 checked column, bit 5 names in code
//              page 932, bits 6-7 radix (0 and 3 hexadecimal, 1 decimal,
//              2 octal)
//   byte 1     the kind (mod the kinds), bit 7 the checked flag
//   bytes 2-5  the offset, little-endian
//   byte 6     length n of the file name that follows (0: no file column)
//   n bytes    the file name (up to its first zero byte)
//   the rest   the row's text
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "cli/lines.h"
#include "scan/utf8.h"

namespace {

bool WellFormedUtf8(const uint8_t *p, size_t n)
{
    std::string copy(reinterpret_cast<const char *>(p), n);  // ends in a zero byte
    const auto *b = reinterpret_cast<const uint8_t *>(copy.c_str());
    for (size_t i = 0; i < n;) {
        uint32_t code;
        const unsigned length = b[i] < 0x80 ? 1 : lex::utf8::Sequence(b + i, &code);
        if (length == 0 || i + length > n)
            return false;
        i += length;
    }
    return true;
}

void Fail(const char *what)
{
    std::fprintf(stderr, "cli_lines_fuzz: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 7)
        return 0;
    lex::LineFormat format;
    format.json = data[0] & 1;
    format.encoding = data[0] & 2 ? lex::TextEncoding::Utf8 : lex::TextEncoding::Cp932;
    format.crlf = data[0] & 4;
    format.textOnly = data[0] & 8;
    format.checkedColumn = data[0] & 16;
    format.namesInCp932 = data[0] & 32;
    const int radix = data[0] >> 6;
    format.radix = radix == 1 ? lex::Radix::Decimal : radix == 2 ? lex::Radix::Octal
                                                                 : lex::Radix::Hex;
    const auto kind = static_cast<lex::RowKind>((data[1] & 0x7F) % lex::kRowKinds);
    const bool checked = data[1] & 0x80;
    const uint32_t offset = data[2] | data[3] << 8 | data[4] << 16 | uint32_t(data[5]) << 24;
    size_t n = data[6];
    data += 7;
    size -= 7;
    if (n > size)
        n = size;
    const std::string name(reinterpret_cast<const char *>(data), n);
    data += n;
    size -= n;

    // The conversion alone, into exactly the room it promises.
    std::unique_ptr<char[]> converted(new char[lex::kMaxUtf8PerByte * size]);
    const size_t utf8 = lex::Cp932TextToUtf8(reinterpret_cast<const char *>(data), size,
                                             lex::HoldsStandIns(kind), converted.get());
    if (utf8 > lex::kMaxUtf8PerByte * size ||
        !WellFormedUtf8(reinterpret_cast<const uint8_t *>(converted.get()), utf8))
        Fail("a text in UTF-8 beyond its room or not well-formed");

    lex::LineFormatter lines(format);
    lines.SetFile(n ? name.c_str() : nullptr);
    const size_t room = lines.MaxLength(size);
    std::unique_ptr<char[]> out(new char[room]);
    const char *text = reinterpret_cast<const char *>(data);
    const char *end = lines.Put(out.get(), offset, kind, text, size, checked);
    const size_t length = static_cast<size_t>(end - out.get());
    if (length > room)
        Fail("a line longer than its promised length");
    const auto *bytes = reinterpret_cast<const uint8_t *>(out.get());
    // A file name outside JSON is written as the system gave it.
    const bool rawName = n != 0 && !format.json && !format.namesInCp932;
    if ((format.json || format.encoding == lex::TextEncoding::Utf8) && !rawName &&
        !WellFormedUtf8(bytes, length))
        Fail("a UTF-8 line that is not well-formed UTF-8");
    if (format.json) {
        const size_t eol = format.crlf ? 2 : 1;
        for (size_t i = 0; i + eol < length; ++i) {
            if (bytes[i] < 0x20)
                Fail("a raw control character in a JSON line");
        }
    }
    return 0;
}
