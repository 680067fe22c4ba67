// Unpacking one LHA member: -lh0- (stored) and the static-Huffman sliding
// dictionary methods -lh4- to -lh7-, selected by the method digit alone
// (-lz5- as -lh5-; LArc's -lz4- holds stored data, so its header gives the
// digit 0 to unpack by).
#pragma once

#include "archive/byte_stream.h"

#include <cstdint>

namespace loom::archive {

enum class LhaDecodeStatus {
    Complete,    // the original size was produced (stored: the packed size copied)
    Unsupported, // a method without a decoder: nothing produced
    DataEnded,   // the packed data ended before the member was complete
    Damaged,     // an impossible value in the packed data: decoding stopped there
    WriteFailed, // the sink refused bytes
};

struct LhaDecodeResult {
    LhaDecodeStatus status;
    uint64_t produced; // bytes given to the sink
};

// Unpacks the member whose packed data are packedSize bytes from dataStart.
// The output never exceeds originalSize (the packed size for a stored
// member); decoding stops at the first impossible value and where the packed
// data end, so the work is bounded by the packed size.
LhaDecodeResult DecodeLhaMember(SourceReader &reader, uint64_t dataStart, uint32_t packedSize,
                                uint32_t originalSize, unsigned method, ByteSink &sink);

} // namespace loom::archive
