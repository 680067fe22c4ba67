// The central directory at the end of a ZIP archive.  The walk goes from
// local header to local header; it turns to the directory only for a member
// whose local header leaves its sizes and CRC to a data descriptor after the
// data (flag bit 3, as writers that stream to a pipe do).
#pragma once

#include "archive/byte_stream.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace loom::archive {

// Flag bit 3: the local header's CRC and sizes are 0; a data descriptor
// after the data and the central directory hold them.
constexpr uint16_t kZipSizesAfterData = 0x0008;

// What a member must unpack to, and how many packed bytes it takes.
struct ZipSizes {
    uint32_t crc = 0;
    uint64_t compressedSize = 0;
    uint64_t uncompressedSize = 0;
};

class ZipDirectory {
public:
    // Reads the directory of the archive that ends the file: its entries
    // with flag bit 3, by the file offset of their local header.  An archive
    // appended to a program (a self-extracting one) counts its offsets from
    // its own start; they are moved to where the archive lies.  A file
    // without a readable end record gives an empty directory.
    explicit ZipDirectory(SourceReader &reader);

    // The sizes recorded for the member whose local header is at offset.
    const ZipSizes *Find(uint64_t offset) const;

private:
    void ReadEntries(SourceReader &reader, uint64_t start, uint64_t size, uint64_t shift);

    std::vector<std::pair<uint64_t, ZipSizes>> entries_; // sorted by offset
};

// The ZIP64 extended information (extra field tag 1): a 64-bit value for
// each field whose 32-bit value was 0xFFFFFFFF, in the order uncompressed
// size, compressed size, local header offset.  fields[i] points at the value
// to replace, or is null when that field is not so marked.  True when the
// extra field holds a ZIP64 field (a data descriptor then has 64-bit sizes).
bool ApplyZip64(const uint8_t *extra, std::size_t length, uint64_t *const (&fields)[3]);

} // namespace loom::archive
