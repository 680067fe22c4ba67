// What an archive walk does with each member it finds: the walk reads the
// headers and unpacks; the handler decides which members to unpack and
// where their bytes go (a file on Windows, memory in the tests).
#pragma once

#include "archive/archive_entry.h"
#include "archive/byte_stream.h"

#include <cstdint>

namespace loom::archive {

// How unpacking one member ended.
struct MemberOutcome {
    bool complete = false; // all of the member was unpacked
    uint64_t produced = 0; // bytes given to the sink
};

class MemberHandler {
public:
    virtual ~MemberHandler() = default;
    // Called once for every member in archive order.  Returns the sink for
    // the member's bytes, or null to pass the member by.
    virtual ByteSink *Begin(const ArchiveEntry &entry) = 0;
    // Called after a member whose Begin returned a sink was unpacked.
    virtual void End(const ArchiveEntry &entry, const MemberOutcome &outcome) = 0;
};

} // namespace loom::archive
