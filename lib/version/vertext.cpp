// Text handling of the version resource reader.
#include "version/vertext.h"

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

} // namespace vertext
