// Japanese text in EUC-JP, ISO-2022-JP and UTF-16BE: what a run of such
// text that the walk's rooms for these encodings read (walk/encoded.h)
// becomes.  Portable: no <windows.h>.
//
//   - A run is judged by the Japanese-text judge (with CheckKanjiNoise):
//     the span it keeps becomes a row of the run's kind when it holds a
//     Japanese character and at least MinJapaneseStr characters.  A run
//     without Japanese, and what the judge cuts off, are left to the rest
//     of the walk, which reads them as it reads any bytes (ASCII text as
//     "ANSI" rows, at the minimum length).  Rows that read as tables do
//     not become rows: short ones at a dirty edge with a rare or code-like
//     kanji, and ones with the repetition limit's equal Japanese
//     characters in a row.
//   - One reading per byte: where another encoding reads the same bytes as
//     Japanese too (Shift-JIS pairs, UTF-8, UTF-16LE, whether its setting
//     is in force or not), the reading the judge scores higher wins.  The bytes of a row listed here are
//     zeros for the rest of the walk, so that no other row holds them.
//   - The rows wait until the rest of the walk has passed their offset and
//     then go to the host between its rows, in the order of offsets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "scan/rowfilter.h"
#include "scan/scanner.h"

namespace lex {

// The encodings of the rooms, in the order in which the walk reads them.
enum class Encoding : uint8_t { EucJp, Iso2022Jp, Utf16Be };

// One character of a run: its code point, and the file bytes [from, to)
// that hold it (in ISO-2022-JP, from the escape that switched to its set).
struct EncodedChar {
    uint32_t code;
    uint32_t from, to;
};

// The character of JIS X 0208 row and cell bytes j1, j2 (0x21-0x7E each) as
// code page 932 holds it; 0 where it holds none (or only in its
// user-defined rows).  The same for JIS X 0212 (from Python's EUC-JP
// codec), which code page 932 mostly lacks.
uint32_t JisX0208Char(uint8_t j1, uint8_t j2);
uint32_t JisX0212Char(uint8_t j1, uint8_t j2);

// Whether a code point is a Japanese character for the rows' rules: beyond
// ASCII (kana, kanji, Japanese punctuation, full-width forms, symbols).
inline bool IsJapaneseCode(uint32_t code) { return code >= 0x80; }

// Where two encodings read the same bytes as Japanese, the judge decides
// between them: the margin (Verdict::margin) of the bytes b[0, n) read as
// text in one encoding, from b[0] up to the first byte (or code unit) that
// the encoding does not read as text; INT32_MIN when that reading holds no
// Japanese character or does not read as Japanese.  `hideKana`: half-width
// katakana are left out of the Shift-JIS reading (CheckHalfKana).
enum class Reading : uint8_t { ShiftJis, Utf8, Utf16Le };
int32_t ReadingMargin(Reading reading, const uint8_t *b, size_t n, bool hideKana,
                      japanese::RowEdges edges);

class EncodedRows final : public ScanHost {
public:
    // `host`: where the rows go (the walk's other rows pass through here).
    EncodedRows(int minLength, const ExtractionSettings &settings,
                const EnglishWordMarker *marker, ScanHost &host);

    // A run of `count` characters in `encoding` ended.  `bytes` holds the
    // `avail` file bytes from offset `base` on (past them the data's end
    // or what no decision reads), the three before the run's first at
    // least.
    // `cleanStart`, `cleanEnd`: a zero, a tab, a line break (UTF-16BE: any
    // control unit or a byte-order mark) or the data's edge stands right
    // before and after it.  Returns true, with the file bytes [*from,
    // *to) of the row it lists, when it lists one.
    // Runs of fewer characters than this list no row.
    size_t MinChars() const { return minJapanese_; }
    bool Decide(Encoding encoding, const EncodedChar *chars, size_t count, bool cleanStart,
                bool cleanEnd, const uint8_t *bytes, uint64_t base, size_t avail,
                uint64_t *from, uint64_t *to);

    // The rows at offsets below `offset` go to the host.
    void Release(uint64_t offset);
    // Those that wait are dropped (the scan stopped before them).
    void Drop() { waiting_.clear(); }

    // The host of the rest of the walk: its rows go after the waiting rows
    // before them.
    void ClearRows() override { host_.ClearRows(); }
    void AddRow(uint32_t offset, RowKind kind, const char *text, size_t length,
                bool checked) override
    {
        if (!waiting_.empty())
            Release(offset);
        host_.AddRow(offset, kind, text, length, checked);
    }
    void SetProgress(int percent) override { host_.SetProgress(percent); }
    void ProcessEvents() override { host_.ProcessEvents(); }
    bool AbortRequested() override { return host_.AbortRequested(); }

private:
    struct Waiting {
        uint64_t start;
        RowKind kind;
        std::string text;
        std::vector<size_t> standIns;
    };
    // The judge's best margin of the file bytes [a, b) (of the `avail`
    // bytes at `d`, file offset `base`: they hold the three before a) read
    // in the other encodings that may read them as Japanese; INT32_MIN
    // when no such reading reads as Japanese.
    int32_t OtherMargin(Encoding encoding, const uint8_t *d, uint64_t base, size_t avail,
                        uint64_t a, uint64_t b, japanese::RowEdges edges);
    void Queue(uint64_t start, RowKind kind, const EncodedChar *chars, size_t count);

    const size_t minJapanese_;
    const bool judging_;
    const ExtractionSettings settings_;
    ScanHost &host_;
    // Keeps the rows as the other rows are kept (repetition, the English
    // word), on their way to the host.
    const RowEmitter emitter_;
    std::deque<Waiting> waiting_;  // in the order of offsets
    std::vector<japanese::RowChar> scratch_;
    // OtherMargin's room, reused from row to row.
    std::vector<uint32_t> otherCodes_;
    std::vector<japanese::RowChar> otherChars_;
    std::vector<uint8_t> shifted_;
};

} // namespace lex
