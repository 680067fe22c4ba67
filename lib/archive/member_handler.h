// What an archive walk does with each member it finds: the walk reads the
// headers, unpacks and checks; the handler decides which members to unpack
// and where their bytes go (a file on Windows, memory in the tests).
#pragma once

#include "archive/archive_entry.h"
#include "archive/byte_stream.h"

#include <cstdint>

namespace loom::archive {

// How unpacking one member ended.
enum class MemberStatus {
    Complete,    // every byte unpacked; the declared size and check value met
    DataEnded,   // the packed data ended before the member was whole
    Damaged,     // impossible packed data, more or fewer bytes than declared,
                 // or a check value (CRC) other than the stored one
    WriteFailed, // the sink refused bytes
};

struct MemberOutcome {
    MemberStatus status = MemberStatus::Complete;
    uint64_t produced = 0;      // bytes given to the sink
    uint32_t storedCheck = 0;   // the check value the archive stores for the member
    bool complete() const { return status == MemberStatus::Complete; }
};

// Whether the walk can unpack a member, known before any of it is read.
enum class MemberData {
    Unpackable, // unpacked into the sink that Begin returns
    NoDecoder,  // a method without a decoder, or encrypted: listed only
    NameTooLong, // a stored name longer than an entry holds (259 bytes):
                 // listed under its first 259 bytes, never unpacked, since
                 // the cut name may name another file than the whole one
    PastEnd,    // its data run past the end of the file: the archive was cut
                // off here; the member is not listed and the walk ends
};

class MemberHandler {
public:
    virtual ~MemberHandler() = default;
    // Called once for every member in archive order (and for one whose data
    // run past the end).  Returns the sink for the member's bytes, or null
    // to pass the member by; only an Unpackable member is ever unpacked.
    virtual ByteSink *Begin(const ArchiveEntry &entry, MemberData data) = 0;
    // Called after a member whose Begin returned a sink was unpacked.
    virtual void End(const ArchiveEntry &entry, const MemberOutcome &outcome) = 0;
};

} // namespace loom::archive
