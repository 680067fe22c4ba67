// ZIP archives read from local header to local header, never through the
// central directory, so that an archive appended to a self-extracting
// program reads like a plain one.
#pragma once

#include "archive/archive_entry.h"
#include "archive/byte_stream.h"
#include "archive/member_handler.h"

#include <cstdint>

namespace loom::archive {

struct ZipLocalHeader {
    ArchiveEntry entry{}; // kind 3; attributes = the general-purpose flag word
    uint16_t method = 0;
    uint16_t flags = 0;
    uint64_t compressedSize = 0;   // from the header, or its ZIP64 field
    uint64_t uncompressedSize = 0; // likewise
    uint64_t dataStart = 0;
    // Deflated with its sizes after the data (flag bit 3): the member ends
    // where its deflate stream ends.
    bool streamed = false;
};

// Searches the next local header from offset on.  A signature whose header
// does not hold (too short, a NUL in the name, method 7 or above 8, a name or
// extra field running past the end) is passed over.
bool FindZipHeader(SourceReader &reader, uint64_t offset, ZipLocalHeader &header);

// The result of inflating one member.
struct InflateOutcome {
    bool ended = false;       // the deflate stream reached its end
    bool writeFailed = false; // the sink refused bytes
    uint64_t consumed = 0;    // packed bytes the stream took
    uint64_t produced = 0;    // bytes it unpacked
};

// Inflates the raw deflate data at dataStart, reading no more than budget
// bytes; sink may be null to measure a member without keeping it.
InflateOutcome InflateMember(SourceReader &reader, uint64_t dataStart, uint64_t budget,
                             ByteSink *sink);

// Gives every member to the handler.  Stored members are copied, deflated
// ones inflated, other methods produce nothing.  A member whose data would
// run past the end of the file is passed by and ends the walk.
void WalkZip(ByteSource &source, MemberHandler &handler);

} // namespace loom::archive
