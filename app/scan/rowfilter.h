// The row emitter and the row filters: what a text that the walk gathered
// must pass to become a row (its length; the rules against the text that
// random bytes, machine code and relocation tables make; the repetition
// filter), and the English-word marker's check.  The walk hands every
// text it ends to the emitter; no filter runs inside the walk.  Portable.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "scan/japanesefilter.h"
#include "scan/scanner.h"

namespace lex {

class EnglishWordMarker;

// The repetition filter: false when `text` holds `limit` or more equal bytes
// in a row, unless that byte is a space, an underscore or a digit.
bool PassesRepetitionFilter(const char *text, size_t length, int limit);

// What the walk knows of a text besides its bytes.
struct TextFacts {
    uint64_t start = 0;  // the file offset of its first byte
    bool wide = false;   // UTF-16 text
    bool utf8 = false;   // UTF-8 text: single-byte text with a multi-byte UTF-8 character
    bool doubles = false;  // single-byte text with Shift-JIS double-byte characters
    // The further bytes of Japanese and UTF-8 characters, which the
    // minimum length does not count.
    size_t extra = 0;
    size_t japanese = 0;     // Japanese characters (in UTF-16 text)
    bool kana = false;       // among them kana or CJK symbols
    bool ideographs = false; // among them CJK ideographs
    // UTF-16 text begun as a whole string (right after a zero or control
    // unit or a length word).
    bool whole = false;
    // All its characters kana or CJK symbols in rising order (a table of
    // 32-bit relocations reads so).
    bool rising = true;
    // Where its stand-ins for characters that code page 932 lacks begin
    // (UTF-8 text).
    std::vector<size_t> standIns;
    // One of the pieces of a run longer than the row limit: listed
    // whatever its length.
    bool piece = false;

    // For the Japanese-text filter (recorded only while it is in force):
    // the four bytes before the text's first byte (byte n before it as bits
    // 8 (n - 1) on; zeros before the data), whether the text ended at a
    // clean edge (a zero, a tab, a line break, in UTF-16 text a control
    // unit or a dialog's class atom, or the data's end), and marks (text
    // byte, its file position from `start`) where the text does not run
    // on as its kind does between them: byte for byte in single-byte text,
    // a code unit a character in UTF-16 text, a character's UTF-8 bytes.
    uint32_t before = 0;
    bool cleanEnd = false;
    std::vector<std::pair<uint32_t, uint32_t>> marks;
    // Single-byte text: a byte left out alone between two text bytes (file
    // position from `start`, the byte), in the order of the marks.  With
    // the byte before it, it may read as a pair.
    std::vector<std::pair<uint32_t, uint8_t>> loneBytes;

    // No text yet (the stand-ins and the marks keep their room).
    void Reset()
    {
        wide = utf8 = piece = whole = false;
        NextPiece(start);
    }
    // The next piece of the run begins at file offset `at`: the run's
    // kind, and how it began, stay.
    void NextPiece(uint64_t at)
    {
        start = at;
        doubles = kana = ideographs = false;
        extra = japanese = 0;
        rising = true;
        standIns.clear();
        marks.clear();
        loneBytes.clear();
        cleanEnd = false;
    }
};

class RowEmitter {
public:
    // A minimum length below 1 counts as 1.  `marker` may be null (no row
    // is checked).
    RowEmitter(int minLength, const ExtractionSettings &settings, const EnglishWordMarker *marker,
               ScanHost &host);

    // Length, the filters (with CheckKanjiNoise, the Japanese-text judge
    // for text with Japanese characters, behind the rules of Japanese
    // UTF-16 text's ideographs and relocation tables, which hold without
    // it too; repetition), the row, the English word.  A piece of a run
    // longer than the row limit is listed whatever its length, and the
    // judge leaves it whole.  `hard`: UTF-16 text ended at a zero or
    // control unit, a string table's length word, the data's end or the
    // row limit.
    void Emit(const char *text, size_t length, const TextFacts &facts, bool hard) const;

    size_t MinLength() const { return min_; }
    // With SearchKanji, the fewest bytes of single-byte text with a
    // Shift-JIS pair that may become a row: a pair and the rest of the
    // Japanese minimum's characters, or the minimum length when it is less
    // (without it, SIZE_MAX).
    size_t ShortestPairText() const
    {
        return settings_.SearchKanji ? std::min(min_, minJapanese_ + 1) : SIZE_MAX;
    }
    // Whether the Japanese-text judge is in force: the walk then records
    // the facts it reads (TextFacts::before, cleanEnd, marks).
    bool Judging() const { return judging_; }

    // The repetition filter, the row and the English word (also for the
    // rows of the further encodings, encodedrows.h).
    void Keep(uint64_t start, RowKind kind, const char *text, size_t length,
              const std::vector<size_t> &standIns) const;

private:

    size_t min_;
    size_t minJapanese_;  // characters of a row with Japanese characters
    size_t shortest_;
    bool judging_;
    // A copy: a stream may outlive the settings record it was made with.
    const ExtractionSettings settings_;
    const EnglishWordMarker *marker_;
    ScanHost &host_;
    // Its scratch room is reused from text to text.
    mutable JapaneseFilter japanese_;
};

} // namespace lex
