// Text handling of the version resource reader.
#include "version/vertext.h"

#include "util/ascii.h"
#include "util/path.h"

namespace vertext {
namespace {

// The files of the update package that the Windows 95 family cannot open
// for a version query while the update runs.
const char *const kSkippedNames[] = {"update.sys", "loomupd.sys"};

} // namespace

bool IsSkippedUpdateFile(const char *path, LeadBytePred isLead)
{
    const char *name = loom::ExtractFileName(path, isLead);
    for (const char *skipped : kSkippedNames) {
        if (loom::MbEqualsIgnoreCase(name, skipped, isLead))
            return true;
    }
    return false;
}

void FlattenLineBreaks(char *text, LeadBytePred isLead)
{
    for (char *p = text; *p != '\0';) {
        std::size_t len = loom::CharLength(p, isLead);
        if (len == 1) {
            if (*p == '\n')
                *p = ' ';
            else if (*p == '\r')
                *p = '/';
        }
        p += len;
    }
}

std::size_t CopyBounded(char *dst, const char *src, std::size_t limit,
                        LeadBytePred isLead)
{
    std::size_t n = 0;
    while (src[n] != '\0') {
        std::size_t len = loom::CharLength(src + n, isLead);
        if (len > limit - n)
            break;
        n += len;
    }
    for (std::size_t i = 0; i < n; ++i)
        dst[i] = src[i];
    dst[n] = '\0';
    return n;
}

bool StartsWithIgnoreCase(const char *text, const char *prefix, LeadBytePred isLead)
{
    while (*prefix != '\0') {
        const std::size_t length = loom::CharLength(prefix, isLead);
        if (length != loom::CharLength(text, isLead))
            return false;
        if (length == 2 ? (text[0] != prefix[0] || text[1] != prefix[1])
                        : loom::UpperAscii(*text) != loom::UpperAscii(*prefix))
            return false;
        text += length;
        prefix += length;
    }
    return true;
}

void LowerAscii(std::string &text, LeadBytePred isLead)
{
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = loom::CharLength(&text[i], isLead);
        if (length == 1 && text[i] >= 'A' && text[i] <= 'Z')
            text[i] = static_cast<char>(text[i] + ('a' - 'A'));
        i += length;
    }
}

} // namespace vertext
