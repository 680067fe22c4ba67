// Fuzz target: the LHA archive search and header reader.  Any bytes go
// through the walk without unpacking; every entry must have a terminated
// name, and the name written to disk must be one plain component.  The
// first byte picks the lead-byte rule, so both are explored.
#include "archive/lha_archive.h"
#include "archive/member_name.h"

#include "archive_builders.h"

#include <cstdlib>
#include <cstring>

namespace {

using namespace loom;
using namespace loom::archive;

void CheckSafeName(const char *name, LeadByteFn isLead)
{
    const std::string safe = SafeMemberName(name, isLead);
    for (std::size_t i = 0; i < safe.size(); ++i) {
        if (isLead(static_cast<unsigned char>(safe[i])) && i + 1 < safe.size()) {
            ++i;
            continue;
        }
        if (safe[i] == '/' || safe[i] == '\\' || safe[i] == ':')
            std::abort();
    }
    if (!safe.empty() && safe.find_first_not_of(". ") == std::string::npos)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const LeadByteFn isLead = (size > 0 && (data[0] & 1)) ? IsShiftJisLeadByte : NoLeadBytes;
    MemorySource source(data, size);
    test::Recorder recorder(false);
    LhaOptions options;
    options.isLead = isLead;
    WalkLha(source, options, recorder);
    for (const auto &member : recorder.members) {
        if (!std::memchr(member.entry.name, '\0', sizeof member.entry.name) ||
            member.entry.text[0] != '\0' || member.entry.kind != ARCHIVE_KIND_LHA)
            std::abort();
        CheckSafeName(member.entry.name, isLead);
    }
    return 0;
}
