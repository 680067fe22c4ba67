// The row emitter and the row filters: what a text that the walk gathered
// must pass to become a row (its length; the rules against the text that
// random bytes, machine code and relocation tables make; the repetition
// filter), and the English-word marker's check.  The walk hands every
// text it ends to the emitter; no filter runs inside the walk.  Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

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

    // No text yet (the stand-ins keep their room).
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
    }
};

class RowEmitter {
public:
    // A minimum length below 1 counts as 1.  `marker` may be null (no row
    // is checked).
    RowEmitter(int minLength, const ExtractionSettings &settings, const EnglishWordMarker *marker,
               ScanHost &host);

    // Length (but for a piece of a long run), the filters (Japanese
    // text's kana, relocation tables, Shift-JIS noise, repetition), the
    // row, the English word.  `hard`: UTF-16 text ended at a zero or
    // control unit, a string table's length word, the data's end or the
    // row limit.
    void Emit(const char *text, size_t length, const TextFacts &facts, bool hard) const;

    size_t MinLength() const { return min_; }

private:
    size_t min_;
    // A copy: a stream may outlive the settings record it was made with.
    const ExtractionSettings settings_;
    const EnglishWordMarker *marker_;
    ScanHost &host_;
};

} // namespace lex
