// The row filter for text that holds Japanese characters (Shift-JIS pairs
// in "ANSI" text, Japanese UTF-16 text, UTF-8 text): the Japanese-text
// judge (japanese/judge.h) keeps the part of the text that reads as
// Japanese, and the rest is read again as the walk reads it without the
// Japanese settings.  Portable: no <windows.h>.
//
//   - A Shift-JIS text is judged from its first byte.  Where the judge cuts
//     a head whose last character is a pair, the pair's trail byte is read
//     again as the first byte of the text ("[" of "[Enter]", which machine
//     code's last byte took as its trail byte), and what follows is judged
//     again, as is the trail byte of a pair before the ASCII characters
//     of a head cut ("A" of "8B 41 46 20": "AF の結果"); at a dirty start
//     a first pair whose trail byte is a lead byte
//     is also read from that byte, and the reading the judge scores higher
//     wins; where the head cut ends in pairs and a lone byte that, read
//     one byte on, pair up in step with the text ("8B 83 41 83 43" of
//     "アイ" after 0x8B) as characters text uses (no rare kanji, no
//     code-like one alone: "FB 49" before "コマンド" stays code's), the
//     text is read again from there and keeps those characters.  The
//     head and tail cut off, and a text that does
//     not read as Japanese, are read without pairs: their runs of
//     printable bytes.
//   - A UTF-16 or UTF-8 text is judged once; what is cut off, or the whole
//     text when it does not read as Japanese, gives its runs of ASCII
//     characters (UTF-16 rows, and for UTF-8 text "ANSI" rows).
//   - A span that reads as Japanese is listed when it holds at least the
//     Japanese minimum length in characters; the runs need the minimum
//     length in bytes (characters for UTF-16).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "japanese/judge.h"
#include "scan/resultrow.h"

namespace lex {

struct TextFacts;

// What stands at a clean edge of a text, right before or after it: a zero,
// a tab or a line break (the data's edge reads as a zero); in UTF-16 text
// any control unit (a string table's length word stands there), a
// dialog's control class atoms 0x0080-0x0085, and the italic flag and
// character set byte before a dialog's font name (italic 0 or 1; the
// default character set 1 or Shift-JIS 0x80).  Text nearly always sits
// so; machine code read as text mostly begins and ends at other bytes.
inline bool IsCleanEdgeByte(uint32_t b) { return b == 0 || b == 9 || b == 10 || b == 13; }
inline bool IsCleanEdgeUnit(uint32_t u)
{
    return u < 0x20 || (u >= 0x80 && u <= 0x85) || (u & ~1u) == 0x0100 || (u & ~1u) == 0x8000;
}

// A piece of the text that becomes a row: its file offset, its kind, where
// its bytes lie in the filter's room for them (JapaneseFilter::Bytes), and
// (UTF-8 text) where its stand-ins begin.
struct TextPiece {
    uint64_t start;
    RowKind kind;
    size_t at, length;
    std::vector<size_t> standIns;
};

class JapaneseFilter {
public:
    // `minLength`: the rows without Japanese (bytes; characters in UTF-16
    // text); `minJapanese`: the characters a span with Japanese needs;
    // `hideKana`: half-width katakana bytes are not printable
    // (CheckHalfKana).
    JapaneseFilter(size_t minLength, size_t minJapanese, bool hideKana);

    // The pieces of `text` (with the walk's `facts`) to list, in the order
    // of their offsets.  The reference stays valid until the next call.
    const std::vector<TextPiece> &Judge(const char *text, size_t length, const TextFacts &facts);
    // A piece's bytes (valid as long as the pieces are).
    const char *Bytes(const TextPiece &p) const { return bytes_.data() + p.at; }

private:
    // Shift-JIS characters read from a text byte on: each one's file
    // position (from the text's start) and its first text byte (one more
    // entry: where the reading stopped); `count` of them (the room may be
    // larger), and whether one is Japanese (beyond ASCII).
    struct Reading {
        std::vector<japanese::RowChar> chars;
        std::vector<uint32_t> text;
        size_t count = 0;
        bool japanese = false;
    };
    // A Shift-JIS text judged from text byte `from` on (SettledFromStart
    // dealt with the bytes before it; `settled`: it settled them as code).
    void JudgeShiftJis(const char *text, size_t length, const TextFacts &facts, size_t from,
                       bool settled);
    // Where each byte of a Shift-JIS text lies in the file (bytePos_), and
    // the katakana bytes left out alone after lead bytes (lone_).
    void PlaceBytes(const char *text, size_t length, const TextFacts &facts);
    // For a text whose first reading is settled as code (SettledAsCode):
    // keeps its runs and returns where the judging goes on (*settled set).
    // 0 otherwise.
    size_t SettledFromStart(const char *text, size_t length, const TextFacts &facts,
                            bool *settled);
    void JudgeOther(const char *text, size_t length, const TextFacts &facts);
    // Reads Shift-JIS characters from text byte `at` up to a lead byte
    // without its trail byte or the text's end; returns where it stopped.
    size_t ReadShiftJis(const char *text, size_t length, size_t at, Reading &r) const;
    japanese::Verdict JudgeReading(const Reading &r, bool cleanStart, bool cleanEnd) const;
    // Where the head [.., first) of a reading that ends in pairs and a
    // single byte reads as Japanese pairs, side by side, up to character
    // `first`, from the trail byte of one of those pairs on: the earliest
    // such byte, or 0.
    size_t RealignedStart(const uint8_t *s, const Reading &r, size_t first) const;
    // Where the head [.., first) of a reading that ends in pairs reads, one
    // byte on from the trail byte of one of its last kShiftedPairs pairs,
    // as kana and common kanji up to character `first` in step: machine
    // code's last byte took the text's first lead byte as its trail byte,
    // and a katakana byte the walk left out brought the reading back in
    // step ("E9 | 8D EC 8E D2" of "作者" read as E9 8D, EC 8E).  The earliest
    // such byte, or 0; `*count`: the characters read there.
    static constexpr size_t kShiftedPairs = 3;
    // Where the ASCII characters right before character `first` of a
    // reading begin when a pair whose trail byte is an ASCII byte stands
    // right before them (its trail byte may be the text's first byte), or
    // `first`.
    static size_t AsciiAfterPair(const uint8_t *s, const Reading &r, size_t first);
    // Whether text byte `at` is a lead byte whose trail byte is a letter or
    // "%" (the first byte of a name or a format) with more text after it.
    static bool NameAfterLead(const uint8_t *s, size_t at, size_t length);
    size_t ShiftedStart(const uint8_t *s, const Reading &r, size_t first, size_t *count) const;
    // Whether the judge's bound on the score of the reading ReadShiftJis
    // would make from text byte `at` (japanese::ScoreBound), worked out
    // from the bytes, lets it read as Japanese (its margin is not below 0);
    // `*end`: where the reading stops, `*japanese`: whether it holds a
    // byte beyond ASCII.
    // With kRuns, besides, the runs PlainRuns would list from those bytes
    // (runs_).
    template <bool kRuns>
    bool BoundShiftJis(const char *text, size_t length, size_t at, bool cleanStart,
                          size_t *end, bool *japanese);
    // Whether no reading from text byte `at` on can be kept (neither it
    // nor the one from the next byte that may be taken instead): the text
    // up to `*end` is then read without pairs: its runs are in runs_.
    bool SettledAsCode(const char *text, size_t length, size_t at, bool cleanStart,
                       size_t *end);
    // The runs of printable bytes of text bytes [from, to), as "ANSI" rows.
    void PlainRuns(const char *text, size_t from, size_t to, const TextFacts &facts);
    // A run of text bytes [from, to) read without pairs, `kept` of them
    // printable and `leftOut` katakana left out: an "ANSI" row.
    struct PlainRun {
        size_t from, to, kept, leftOut;
    };
    void KeepRun(const char *text, const PlainRun &run, const TextFacts &facts);
    // Counts the run of bytes [from, to) and keeps it in runs_ when it
    // holds enough printable bytes for a row.
    void CountRun(const uint8_t *s, size_t from, size_t to);
    std::vector<PlainRun> runs_;
    // The runs of ASCII characters of characters [first, end) of a UTF-16
    // or UTF-8 text, as rows of `kind`.
    void AsciiRuns(const char *text, uint32_t first, uint32_t end, RowKind kind);
    void Keep(uint64_t start, RowKind kind, const char *text, size_t length,
              std::vector<size_t> standIns);

    size_t minLength_, minJapanese_;
    // What each byte does to a run of text read without pairs.
    enum Plain : uint8_t { kEnds, kJoins, kLeftOut };
    Plain plain_[256];
    bool hideKana_;
    // Where each text byte lies in the file, from the text's start.
    // (Not kept when the walk left no bytes out: byteForByte_.)
    std::vector<uint32_t> bytePos_;
    std::vector<size_t> jumps_;  // the text bytes where the walk's marks move on
    bool byteForByte_ = true;
    uint32_t Pos(size_t t) const { return byteForByte_ ? static_cast<uint32_t>(t) : bytePos_[t]; }
    // For each text byte, the katakana byte left out alone right after it
    // in the file, or 0 (kept only where there is one: lones_): a lead
    // byte there reads as a pair with it ("83 A1" of "ア" after a byte that
    // took 0x83 as its trail byte).
    std::vector<uint8_t> lone_;
    bool lones_ = false;
    uint8_t LoneTrail(size_t t) const { return lones_ ? lone_[t] : 0; }
    // Keeps characters [first, end) of a Shift-JIS reading as a row, a
    // pair's trail byte left out put back.
    void KeepShiftJis(const char *text, const Reading &r, size_t first, size_t end);
    // A UTF-16 or UTF-8 text's characters and the text byte each begins
    // at (one more entry: the text's end).
    std::vector<japanese::RowChar> chars_;
    std::vector<uint32_t> charText_;
    std::vector<TextPiece> pieces_;
    std::string bytes_;  // the pieces' bytes, one after another
    // Scratch room reused from text to text.
    Reading reading_, other_;
    const TextFacts *facts_ = nullptr;
};

} // namespace lex
