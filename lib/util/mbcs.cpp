// Double-byte text walks, independent of the platform.
#include "util/mbcs.h"

#include "util/ascii.h"
#include "util/shiftjis.h"

namespace loom {

namespace {

// Reads one character code at p and advances p past it.
unsigned NextCode(const char *&p, LeadByteFn isLead)
{
    const std::size_t length = *p ? CharLength(p, isLead) : 0;
    unsigned code = 0;
    for (std::size_t k = 0; k < length; ++k)
        code = code << 8 | static_cast<unsigned char>(*p++);
    return code;
}

} // namespace

bool IsShiftJisLeadByte(unsigned char byte)
{
    return sjis::IsLead(byte);
}

const char *FindLastChar(const char *text, char c, LeadByteFn isLead)
{
    const char *last = nullptr;
    for (const char *p = text; *p;) {
        const std::size_t length = CharLength(p, isLead);
        if (length == 1 && *p == c)
            last = p;
        p += length;
    }
    return last;
}

int MbCompare(const char *a, const char *b, LeadByteFn isLead)
{
    for (;;) {
        const unsigned ca = NextCode(a, isLead);
        const unsigned cb = NextCode(b, isLead);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
    }
}

bool MbEqualsIgnoreCase(const char *a, const char *b, LeadByteFn isLead)
{
    while (*a && *b) {
        const std::size_t la = CharLength(a, isLead);
        if (la != CharLength(b, isLead))
            return false;
        if (la == 2 ? (a[0] != b[0] || a[1] != b[1]) : UpperAscii(*a) != UpperAscii(*b))
            return false;
        a += la;
        b += la;
    }
    return *a == '\0' && *b == '\0';
}

bool StartsWithIgnoreCase(const char *text, const char *prefix, LeadByteFn isLead)
{
    while (*prefix != '\0') {
        const std::size_t length = CharLength(prefix, isLead);
        if (length != CharLength(text, isLead))
            return false;
        if (length == 2 ? (text[0] != prefix[0] || text[1] != prefix[1])
                        : UpperAscii(*text) != UpperAscii(*prefix))
            return false;
        text += length;
        prefix += length;
    }
    return true;
}

void LowerAscii(std::string &text, LeadByteFn isLead)
{
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = CharLength(&text[i], isLead);
        if (length == 1 && text[i] >= 'A' && text[i] <= 'Z')
            text[i] = static_cast<char>(text[i] + ('a' - 'A'));
        i += length;
    }
}

std::size_t CopyBounded(char *dst, const char *src, std::size_t limit, LeadByteFn isLead)
{
    std::size_t n = 0;
    while (src[n] != '\0') {
        std::size_t len = CharLength(src + n, isLead);
        if (len > limit - n)
            break;
        n += len;
    }
    for (std::size_t i = 0; i < n; ++i)
        dst[i] = src[i];
    dst[n] = '\0';
    return n;
}

} // namespace loom
