// Fuzz target: the LHA decoder on any packed data.  The input starts with
// the method digit, a 32-bit original size (cut to 512 KiB to keep runs fast)
// and a byte of flags; the rest is the packed data.  The output must never
// exceed the original size, and a complete member must reach it exactly.
#include "archive/lha_decoder.h"

#include <cstdlib>

using namespace loom::archive;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 6)
        return 0;
    const unsigned method = data[0] % 8;
    const uint32_t original = Le32(data + 1) & 0x7FFFF;
    // Flag bit 0: the data budget is one byte short of the data, so the
    // decoder must stop where its packed size ends, not where the file does.
    const bool shortBudget = data[5] & 1;
    MemorySource source(data + 6, size - 6);
    SourceReader reader(source);
    CountingSink sink;
    const uint32_t packed = static_cast<uint32_t>(size - 6) - (shortBudget && size > 6 ? 1 : 0);
    const LhaDecodeResult result = DecodeLhaMember(reader, 0, packed, original, method, sink);
    if (result.produced != sink.written)
        std::abort();
    if (method != 0 && sink.written > original)
        std::abort();
    if (method == 0 && sink.written > packed)
        std::abort();
    if (result.status == LhaDecodeStatus::Complete && method != 0 && sink.written != original)
        std::abort();
    return 0;
}
