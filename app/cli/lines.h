// The lines the front end writes, one per row: the columns of the results
// file (offset, TAB, kind, TAB, text) in code page 932 or in UTF-8, with a
// choice of line end, offset radix, file name and checked columns; or JSON
// lines.  The program's results file itself is one setting of these: code
// page 932, CR LF, hexadecimal offsets, no file name.  Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "scan/cp932.h"
#include "scan/resultrow.h"
#include "util/shortcopy.h"

namespace lex {

enum class TextEncoding { Utf8, Cp932 };

// How the offset column is written: eight upper-case hexadecimal digits
// (the results file's), ten decimal or eleven octal digits, all with
// leading zeros, so that sorting the lines as text sorts the offsets.
enum class Radix { Hex, Decimal, Octal };

struct LineFormat {
    bool json = false;
    TextEncoding encoding = TextEncoding::Cp932;
    bool crlf = true;
    Radix radix = Radix::Hex;
    bool textOnly = false;       // the text column alone (columns only)
    bool checkedColumn = false;  // 1 or 0 and a TAB before the offset (columns only)
    // File names are code page 932 text (Windows, a Shift-JIS locale):
    // converted where the output is UTF-8.  Otherwise they are taken as
    // UTF-8 and written as they are (in JSON, a byte that begins no UTF-8
    // character as U+FFFD).
    bool namesInCp932 = false;
};

class LineFormatter {
public:
    explicit LineFormatter(const LineFormat &format) : format_(format) {}

    // The file whose rows follow, for the file column; null for none.
    void SetFile(const char *name);

    // The most bytes that Put writes for a row with a text of `length`
    // bytes.
    size_t MaxLength(size_t length) const
    {
        return prefix_.size() + (format_.json ? 6 * length + 80 : kMaxUtf8PerByte * length + 40);
    }

    // Writes a row's line at `out` and returns the position after it.
    // Inline for the columns: the front end writes one line per row, and
    // most texts are ASCII, copied as they are.
    char *Put(char *out, uint32_t offset, RowKind kind, const char *text, size_t length,
              bool checked)
    {
        if (format_.json)
            return PutJson(out, offset, kind, text, length, checked);
        if (!prefix_.empty()) {
            std::memcpy(out, prefix_.data(), prefix_.size());
            out += prefix_.size();
        }
        if (format_.checkedColumn) {
            *out++ = checked ? '1' : '0';
            *out++ = '\t';
        }
        if (!format_.textOnly) {
            out = PutOffset(out, offset);
            *out++ = '\t';
            out = PutKindText(out, kind);
            *out++ = '\t';
        }
        if (format_.encoding == TextEncoding::Utf8 && NeedsConversion(kind, text, length)) {
            out += Cp932TextToUtf8(text, length, HoldsStandIns(kind), out);
        } else {
            loom::CopyShort(out, text, length);
            out += length;
        }
        if (format_.crlf)
            *out++ = '\r';
        *out++ = '\n';
        return out;
    }

private:
    // Whether the text differs in UTF-8: a byte above ASCII, or in a row
    // that holds stand-ins a backslash (which may begin one).  Eight bytes at a time,
    // the last word overlapping the one before.
    static bool NeedsConversion(RowKind kind, const char *text, size_t length)
    {
        uint64_t high = 0;
        if (length >= 8) {
            uint64_t word;
            for (size_t i = 0; i + 8 < length; i += 8) {
                std::memcpy(&word, text + i, 8);
                high |= word;
            }
            std::memcpy(&word, text + length - 8, 8);
            high |= word;
        } else if (length >= 4) {
            uint32_t first, last;
            std::memcpy(&first, text, 4);
            std::memcpy(&last, text + length - 4, 4);
            high = first | last;
        } else {
            for (size_t i = 0; i < length; ++i)
                high |= static_cast<uint8_t>(text[i]);
        }
        if (high & 0x8080808080808080u)
            return true;
        return HoldsStandIns(kind) && std::memchr(text, '\\', length) != nullptr;
    }
    char *PutOffset(char *out, uint32_t offset) const
    {
        if (format_.radix == Radix::Hex) {
            PutOffsetText(out, offset);
            return out + kOffsetTextLength;
        }
        const unsigned base = format_.radix == Radix::Decimal ? 10 : 8;
        const size_t digits = format_.radix == Radix::Decimal ? 10 : 11;
        for (size_t d = digits; d-- > 0;) {
            out[d] = static_cast<char>('0' + offset % base);
            offset /= base;
        }
        return out + digits;
    }
    char *PutJson(char *out, uint32_t offset, RowKind kind, const char *text, size_t length,
                  bool checked);

    LineFormat format_;
    std::string prefix_;   // the file column as written, or ""
    std::string scratch_;  // a text in UTF-8 on its way into JSON
};

// Writes `text` (UTF-8) as the inside of a JSON string: quotation marks,
// backslashes and control characters escaped.  At most 6 bytes a byte.
size_t PutJsonEscaped(const char *text, size_t length, char *out);

} // namespace lex
