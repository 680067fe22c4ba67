// Fuzz target: the resource reader on arbitrary bytes, seeded with the
// windres-built DLLs of the native test.  Besides the sanitizers (no read
// outside the data, no overflow), what it promises must hold, or the
// target aborts: blocks in file order, apart, inside the file; each text
// not empty, inside a block of its kind, after the text before it; each
// row's text not empty and free of zero bytes.  Then a scan of the bytes in
// pieces with the reader (the walk's settings and the piece size from the
// input's size): every text once, as its row, at its offset; no other row
// begins inside a block; all rows in offset order.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "recording_host.h"
#include "scan/resources.h"
#include "scan/scanner.h"

namespace {

void ScanWithReader(const uint8_t *data, size_t size, const lex::ResourceTexts &found)
{
    lex::ExtractionSettings st;
    st.SearchKanji = size & 1;
    st.SearchWideJapanese = size & 2;
    st.SearchUtf8 = size & 4;
    st.CheckEnglish = false;
    loom::BufferSource source(data, size);
    lex::ResourceReader reader(source);
    lex::StreamOptions options;
    options.pieceSize = 1 + size % 3000;
    options.resources = &reader;
    lextest::RecordingHost host;
    {
        lex::ScanStream scan(size, 1 + size % 6, st, nullptr, host, options);
        for (size_t at = 0; at < size;) {
            const size_t n = std::min(size - at, scan.PieceSize());
            std::memcpy(scan.Piece(), data + at, n);
            scan.Scan(n);
            at += n;
        }
        scan.Finish();
    }
    size_t text = 0;
    for (size_t i = 0; i < host.rows.size(); ++i) {
        const lextest::Row &r = host.rows[i];
        if (i > 0 && host.rows[i - 1].offset > r.offset)
            std::abort();
        if (r.kind == lex::RowKind::Resource) {
            if (text == found.texts.size() || found.texts[text].offset != r.offset ||
                lex::ResourceRowText(found.texts[text]) != r.text)
                std::abort();
            ++text;
            continue;
        }
        for (const lex::ResourceBlock &b : found.blocks)
            if (r.offset >= b.offset && r.offset - b.offset < b.size)
                std::abort();
    }
    if (text != found.texts.size())
        std::abort();
}

} // namespace

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
    if (found.directory)
        ScanWithReader(data, size, found);
    return 0;
}
