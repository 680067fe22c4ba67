// Differential fuzz target: the string scanner, whole and in pieces, with
// the builds of its walk, against the plain reference walk, and the
// English-word marker against the plain linear lookup.
//
// Input layout (all derived from the fuzzer's bytes, so it explores the
// settings too):
//   byte 0     flags: SearchKanji, CheckHalfKana, CheckRecurrence,
//              CheckEnglish, CheckSeparator, CheckInitial (bits 0-5);
//              bit 6: the whole-data scan uses the plain walk and the
//              stream the vector one (clear: the other way round);
//              bit 7: SearchWideJapanese
//   byte 1     RecurrenceTime - 2 (signed: -130..125)
//   byte 2     minimum length (0..255)
//   byte 3     checkpoint distance 1..64, or the real one when above 64
//   byte 4     abort at the n-th check (0xFF: never)
//   byte 5     the stream's piece size - 1 (1..256)
//   byte 6     flags: CheckKanjiNoise (bit 0), SearchUtf8 (bit 1); bit 2:
//              the vector walk is the AVX2 one (where the processor has
//              AVX2; clear: the SSE2 one); bits 3-7: the row limit 1..31
//              (0: the real one)
//   byte 7     MinJapaneseStr - 1 (bits 0-2); SearchEucJp, SearchIso2022Jp,
//              SearchUtf16Be (bits 3-5)
//   byte 8     length d of the dictionary text that follows
//   d bytes    dictionary text (English.dic bytes)
//   the rest   the file to scan
// scan_fuzz fuzzes; scan_fuzz_replay runs the files it is given.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "words/dictionary.h"
#include "scan/scanner.h"
#include "recording_host.h"
#include "scan_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 9)
        return 0;
    lex::ExtractionSettings st;
    st.SearchKanji = data[0] & 1;
    st.CheckHalfKana = data[0] & 2;
    st.CheckRecurrence = data[0] & 4;
    st.CheckEnglish = data[0] & 8;
    st.CheckSeparator = data[0] & 16;
    st.CheckInitial = data[0] & 32;
    st.SearchWideJapanese = data[0] & 128;
    st.RecurrenceTime = static_cast<int8_t>(data[1]) - 2;
    const int m = data[2];
    const size_t interval = data[3] <= 64 ? size_t(data[3]) + 1 : lex::kCheckpointInterval;
    const long abortAt = data[4] == 0xFF ? -1 : data[4];
    const bool plainWhole = data[0] & 64;
    const lex::ScanPath vector = data[6] & 4 ? lex::ScanPath::Avx2 : lex::ScanPath::Sse2;
    lex::StreamOptions pieces;
    pieces.path = plainWhole ? vector : lex::ScanPath::Plain;
    pieces.pieceSize = size_t(data[5]) + 1;
    pieces.interval = interval;
    pieces.rowLimit = data[6] >> 3 ? size_t(data[6] >> 3) : lex::kMaxRowLength;
    st.CheckKanjiNoise = data[6] & 1;
    st.SearchUtf8 = data[6] & 2;
    st.MinJapaneseStr = (data[7] & 7) + 1;
    st.SearchEucJp = data[7] & 8;
    st.SearchIso2022Jp = data[7] & 16;
    st.SearchUtf16Be = data[7] & 32;
    size_t d = data[8];
    data += 9;
    size -= 9;
    if (d > size)
        d = size;
    lex::WordDictionary dict;
    dict.Load(reinterpret_cast<const char *>(data), d);
    data += d;
    size -= d;

    lex::EnglishWordMarker marker(dict, st);
    lextest::RecordingHost fast(abortAt), streamed(abortAt), model(abortAt);
    lex::ScanBufferWithInterval(data, size, m, st, &marker, fast, interval,
                                plainWhole ? lex::ScanPath::Plain : vector, pieces.rowLimit);
    lexref::Scan(data, size, m, st, &dict, model, interval, pieces.rowLimit);
    lex::ScanStream stream(size, m, st, &marker, streamed, pieces);
    bool goOn = true;
    for (size_t at = 0; goOn && at < size; at += pieces.pieceSize) {
        const size_t n = std::min(pieces.pieceSize, size - at);
        std::memcpy(stream.Piece(), data + at, n);
        goOn = stream.Scan(n);
    }
    stream.Finish();
    for (const lextest::RecordingHost *host : {&fast, &streamed}) {
        if (!(host->log == model.log) || !(host->rows == model.rows)) {
            std::fprintf(stderr, "%s scan and reference disagree: %zu/%zu rows, %zu/%zu events\n",
                         host == &fast ? "whole" : "streamed", host->rows.size(),
                         model.rows.size(), host->log.size(), model.log.size());
            // The first row they differ in, to start the hunt from.
            const auto &a = host->rows, &b = model.rows;
            size_t k = 0;
            while (k < a.size() && k < b.size() && a[k] == b[k])
                ++k;
            for (const auto *rows : {&a, &b}) {
                std::fprintf(stderr, "  %s row %zu:", rows == &a ? "scan" : "reference", k);
                if (k < rows->size()) {
                    const lextest::Row &r = (*rows)[k];
                    std::fprintf(stderr, " offset %u, kind %d, checked %d, text", r.offset,
                                 static_cast<int>(r.kind), r.checked ? 1 : 0);
                    for (const unsigned char c : r.text)
                        std::fprintf(stderr, " %02X", c);
                }
                std::fprintf(stderr, "\n");
            }
            std::abort();
        }
    }
    return 0;
}
