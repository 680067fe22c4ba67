// Fuzz target: the LHA archive search, header reader and walk, unpacking
// every member of up to 1 MiB.  Every entry must have a terminated name, and the name
// written to disk must be one plain component; no member yields more than
// its original size, and one reported complete has exactly that size and
// the CRC-16 the archive stores for it (reckoned here bit by bit).  The
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

// Members of up to 1 MiB are unpacked: a few packed bytes can declare and
// produce gigabytes, more than a fuzzing run can hold.
class BoundedRecorder : public test::Recorder {
public:
    ByteSink *Begin(const ArchiveEntry &entry, MemberData data) override
    {
        ByteSink *sink = Recorder::Begin(entry, data);
        return entry.originalSize <= (1u << 20) ? sink : nullptr;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const LeadByteFn isLead = (size > 0 && (data[0] & 1)) ? IsShiftJisLeadByte : NoLeadBytes;
    MemorySource source(data, size);
    BoundedRecorder recorder;
    LhaOptions options;
    options.isLead = isLead;
    WalkLha(source, options, recorder);
    for (const auto &member : recorder.members) {
        if (!std::memchr(member.entry.name, '\0', sizeof member.entry.name) ||
            member.entry.text[0] != '\0' || member.entry.kind != ARCHIVE_KIND_LHA)
            std::abort();
        CheckSafeName(member.entry.name, isLead);
        if (member.unpacked && !member.decodable)
            std::abort();
        if (member.bytes.size() > member.entry.originalSize ||
            member.bytes.size() != member.outcome.produced)
            std::abort();
        if (member.unpacked && member.outcome.complete() &&
            (member.bytes.size() != member.entry.originalSize ||
             test::Crc16(member.bytes) != member.outcome.storedCheck))
            std::abort();
    }
    return 0;
}
