// LHA member headers (levels 0, 1 and 2): reading one at a given offset, and
// finding the first one anywhere in a file, so that the archive part of a
// self-extracting program is found as well as a plain archive.
#pragma once

#include "archive/archive_entry.h"
#include "archive/byte_stream.h"
#include "util/mbcs.h"

#include <cstddef>
#include <cstdint>

namespace loom::archive {

// Adds bytes to the CRC-16 of LHA (reflected polynomial 0xA001).
uint16_t Crc16Update(uint16_t crc, const uint8_t *data, std::size_t count);

// A level-2 time stamp (seconds since 1970-01-01 00:00 UTC) as a DOS date
// (high 16 bits) and time (low 16 bits) of local time.
using UnixToDosFn = uint32_t (*)(uint32_t unixTime);
// The same conversion taking local time to be UTC; times before 1980 give
// the earliest DOS time.
uint32_t UnixToDosUtc(uint32_t unixTime);

struct LhaOptions {
    LeadByteFn isLead = NoLeadBytes;
    UnixToDosFn unixToDos = UnixToDosUtc;
};

struct LhaHeader {
    ArchiveEntry entry{}; // kind 2; packedSize excludes level-1 extension headers
    int level = 0;
    uint64_t offset = 0;    // first byte of the header
    uint64_t dataStart = 0; // first byte of the member's packed data
    uint16_t dataCrc = 0;   // the CRC-16 of the member's unpacked bytes
    // The method digit the data are unpacked by: the entry's, except for
    // LArc's -lz4-, whose data are stored (0).
    unsigned unpackMethod = 0;
    bool nameCut = false; // folder and name are longer than the entry's name
};

// Reads the header at offset.  False when the bytes there are not a header
// by the format's rules (sizes, method mark, level, checksum, header CRC,
// extension chain).  chainBudget, when given, limits the bytes that the
// extension headers may take and is reduced by what they took.
bool ReadLhaHeader(SourceReader &reader, uint64_t offset, const LhaOptions &options,
                   LhaHeader &header, uint64_t *chainBudget = nullptr);

// Finds the first header at or after offset 0.  False when the file holds
// none.
bool FindLhaArchive(SourceReader &reader, const LhaOptions &options, LhaHeader &first);

} // namespace loom::archive
