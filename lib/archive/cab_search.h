// Finding a cabinet inside another file (a self-extracting program, an
// installer) by its signature, so that it can be copied out whole.
#pragma once

#include "archive/byte_stream.h"

#include <cstdint>

namespace loom::archive {

enum class CabSearchResult {
    Found,
    NotFound,    // no signature, or a file shorter than 12 bytes
    SizePastEnd, // the first signature declares more bytes than the file has
};

// Looks for "MSCF" followed by a 32-bit zero.  A candidate is tested where
// its fourth byte is "F"; a failed test moves on by 4 bytes, since no
// signature can start inside those.  Only the first signature counts.  On
// Found, offset and size tell where the cabinet lies.
CabSearchResult FindCabinet(SourceReader &reader, uint64_t &offset, uint32_t &size);

} // namespace loom::archive
