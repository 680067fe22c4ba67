// Fuzz target: the resource reader on arbitrary bytes, seeded with the
// windres-built DLLs of the native test.  Besides the sanitizers (no read
// outside the data, no overflow), what it promises must hold, or the
// target aborts: blocks in file order, apart, inside the file; each text
// not empty, inside a block of its kind, after the text before it; each
// row's text not empty and free of zero bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "scan/resources.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    loom::BufferSource source(data, size);
    const lex::ResourceTexts found = lex::ReadResourceTexts(source);
    if ((found.directory && !found.image) ||
        (!found.directory && (!found.blocks.empty() || !found.texts.empty())))
        std::abort();
    uint64_t end = 0;
    for (const lex::ResourceBlock &b : found.blocks) {
        if (b.size == 0 || b.offset < end || uint64_t(b.offset) + b.size > size)
            std::abort();
        end = uint64_t(b.offset) + b.size;
    }
    size_t block = 0;
    end = 0;
    for (const lex::ResourceText &t : found.texts) {
        const size_t length = t.ansi ? t.bytes.size() : 2 * t.units.size();
        if (length == 0 || t.size != length || t.offset < end)
            std::abort();
        end = uint64_t(t.offset) + t.size;
        while (block < found.blocks.size() &&
               uint64_t(found.blocks[block].offset) + found.blocks[block].size < end)
            ++block;
        if (block == found.blocks.size() || t.offset < found.blocks[block].offset ||
            found.blocks[block].kind != t.kind ||
            (t.ansi && t.kind != lex::ResourceKind::MessageTable))
            std::abort();
        const std::string row = lex::ResourceRowText(t);
        if (row.empty() || std::memchr(row.data(), 0, row.size()) != nullptr)
            std::abort();
    }
    return 0;
}
