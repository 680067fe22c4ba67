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
    uint32_t crc = 0;
    uint64_t compressedSize = 0;   // from the header, or its ZIP64 field
    uint64_t uncompressedSize = 0; // likewise
    bool zip64 = false;            // a ZIP64 field: a data descriptor holds 64-bit sizes
    uint64_t offset = 0;           // of the signature
    uint64_t dataStart = 0;
    bool nameCut = false;          // the stored name is longer than the entry's
};

// Searches the next local header from offset on.  A signature whose header
// does not hold (too short, a NUL in the name, a method that ZIP does not
// define, a name or extra field running past the end) is passed over.
bool FindZipHeader(SourceReader &reader, uint64_t offset, ZipLocalHeader &header);

// The result of inflating one member.
struct InflateOutcome {
    bool ended = false;       // the deflate stream reached its end
    bool damaged = false;     // the stream holds impossible data
    bool writeFailed = false; // the sink refused bytes
    uint64_t consumed = 0;    // packed bytes the stream took
    uint64_t produced = 0;    // bytes it unpacked
};

// Inflates the raw deflate data at dataStart, reading no more than budget
// bytes; sink may be null to measure a member without keeping it.
InflateOutcome InflateMember(SourceReader &reader, uint64_t dataStart, uint64_t budget,
                             ByteSink *sink);

// Adds bytes to a CRC-32 (the one of ZIP, zlib's crc32).
uint32_t Crc32Update(uint32_t crc, const uint8_t *data, std::size_t count);

// Gives every member to the handler.  Stored members are copied, deflated
// ones inflated; a member is complete only when it unpacked to its declared
// size with its stored CRC-32, and no more than the declared size ever
// reaches the sink.  Other methods (bzip2, LZMA, Deflate64, ...) and
// encrypted members are listed, not unpacked; so is a member whose name is
// longer than an entry holds.  A member whose local header leaves its sizes to the data
// descriptor (flag bit 3) takes them from the central directory, else from
// the data descriptor that follows its data (a deflated member ends where
// its stream ends).  A member whose data would run past the end of the
// file, or whose end cannot be known, ends the walk: member data are never
// searched for headers.
void WalkZip(ByteSource &source, MemberHandler &handler);

} // namespace loom::archive
