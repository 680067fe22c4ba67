// The front end's lines: the file column and JSON lines.
#include "cli/lines.h"

#include <vector>

#include "scan/utf8.h"

namespace lex {

namespace {

// A name taken as UTF-8, with every byte that begins no well-formed
// character replaced by U+FFFD: a JSON text must be UTF-8.
std::string WellFormedUtf8(const std::string &name)
{
    std::string out;
    const auto *b = reinterpret_cast<const uint8_t *>(name.c_str());  // ends in a zero byte
    for (size_t i = 0; i < name.size();) {
        uint32_t code;
        const unsigned n = b[i] < 0x80 ? 1 : utf8::Sequence(b + i, &code);
        if (n == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(name, i, n);
            i += n;
        }
    }
    return out;
}

} // namespace

size_t PutJsonEscaped(const char *text, size_t length, char *out)
{
    static const char kHex[] = "0123456789abcdef";
    char *p = out;
    for (size_t i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            *p++ = '\\';
            *p++ = static_cast<char>(c);
        } else if (c == '\t') {
            *p++ = '\\';
            *p++ = 't';
        } else if (c == '\n') {
            *p++ = '\\';
            *p++ = 'n';
        } else if (c == '\r') {
            *p++ = '\\';
            *p++ = 'r';
        } else if (c < 0x20) {
            std::memcpy(p, "\\u00", 4);
            p[4] = kHex[c >> 4];
            p[5] = kHex[c & 15];
            p += 6;
        } else {
            *p++ = static_cast<char>(c);
        }
    }
    return static_cast<size_t>(p - out);
}

void LineFormatter::SetFile(const char *name)
{
    prefix_.clear();
    if (!name)
        return;
    std::string text = name;
    if (format_.namesInCp932 && (format_.json || format_.encoding == TextEncoding::Utf8)) {
        std::vector<char> utf8(kMaxUtf8PerByte * text.size() + 1);
        text.assign(utf8.data(), Cp932TextToUtf8(text.data(), text.size(), false, utf8.data()));
    }
    if (format_.json) {
        text = WellFormedUtf8(text);
        std::vector<char> escaped(6 * text.size() + 1);
        prefix_ = "\"file\":\"";
        prefix_.append(escaped.data(), PutJsonEscaped(text.data(), text.size(), escaped.data()));
        prefix_ += "\",";
    } else {
        prefix_ = text + "\t";
    }
}

char *LineFormatter::PutJson(char *out, uint32_t offset, RowKind kind, const char *text,
                             size_t length, bool checked)
{
    auto put = [&out](const char *s, size_t n) {
        std::memcpy(out, s, n);
        out += n;
    };
    put("{", 1);
    put(prefix_.data(), prefix_.size());
    put("\"offset\":", 9);
    const std::string number = std::to_string(offset);
    put(number.data(), number.size());
    put(",\"kind\":\"", 9);
    put(KindText(kind), KindTextLength(kind));
    put("\",\"text\":\"", 10);
    scratch_.resize(kMaxUtf8PerByte * length);
    const size_t utf8 = Cp932TextToUtf8(text, length, HoldsStandIns(kind), &scratch_[0]);
    out += PutJsonEscaped(scratch_.data(), utf8, out);
    if (checked)
        put("\",\"checked\":true}", 17);
    else
        put("\",\"checked\":false}", 18);
    if (format_.crlf)
        put("\r", 1);
    put("\n", 1);
    return out;
}

} // namespace lex
