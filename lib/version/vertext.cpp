#include "version/vertext.h"

namespace vertext {
namespace {

// The files of the update package that the Windows 95 family cannot open
// for a version query while the update runs.
const char *const kSkippedNames[] = {"update.sys", "loomupd.sys"};

// Length in bytes of the character at `p`: 2 for a lead byte followed by a
// second byte, else 1.  A lead byte right before the terminator counts as a
// single byte so that no walk steps over the NUL.
std::size_t CharLen(const char *p, LeadBytePred isLead)
{
    return (isLead(static_cast<unsigned char>(p[0])) && p[1] != '\0') ? 2 : 1;
}

char FoldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

const char *NamePart(const char *path, LeadBytePred isLead)
{
    const char *name = path;
    for (const char *p = path; *p != '\0';) {
        std::size_t len = CharLen(p, isLead);
        if (len == 1 && *p == '\\')
            name = p + 1;
        p += len;
    }
    return name;
}

namespace {

// Walks a and b together by characters while they match, ignoring the case
// of single-byte letters; leaves both at the first difference or the end.
void SkipCommon(const char *&a, const char *&b, LeadBytePred isLead)
{
    while (*a != '\0' && *b != '\0') {
        std::size_t la = CharLen(a, isLead);
        std::size_t lb = CharLen(b, isLead);
        if (la != lb)
            return;
        if (la == 2) {
            if (a[0] != b[0] || a[1] != b[1])
                return;
        } else if (FoldAscii(*a) != FoldAscii(*b)) {
            return;
        }
        a += la;
        b += lb;
    }
}

} // namespace

bool NameEqualsIgnoreCase(const char *a, const char *b, LeadBytePred isLead)
{
    SkipCommon(a, b, isLead);
    return *a == '\0' && *b == '\0';
}

bool StartsWithIgnoreCase(const char *text, const char *prefix, LeadBytePred isLead)
{
    SkipCommon(text, prefix, isLead);
    return *prefix == '\0';
}

void LowerAscii(std::string &text, LeadBytePred isLead)
{
    for (std::size_t i = 0; i < text.size();) {
        std::size_t len = CharLen(&text[i], isLead);
        if (len == 1)
            text[i] = FoldAscii(text[i]);
        i += len;
    }
}

bool IsSkippedUpdateFile(const char *path, LeadBytePred isLead)
{
    const char *name = NamePart(path, isLead);
    for (const char *skipped : kSkippedNames) {
        if (NameEqualsIgnoreCase(name, skipped, isLead))
            return true;
    }
    return false;
}

void FlattenLineBreaks(char *text, LeadBytePred isLead)
{
    for (char *p = text; *p != '\0';) {
        std::size_t len = CharLen(p, isLead);
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
        std::size_t len = CharLen(src + n, isLead);
        if (len > limit - n)
            break;
        n += len;
    }
    for (std::size_t i = 0; i < n; ++i)
        dst[i] = src[i];
    dst[n] = '\0';
    return n;
}

} // namespace vertext
