// A deliberately plain model of the string scanner, its repetition filter
// and the English-word marker, written straight from what they do: one
// position per step, the candidate grown a byte at a time, runs of equal
// bytes counted afresh at every byte, the dictionary block walked linearly
// from its first entry for every extension of the word.  It shares no code
// with the program (only the code page 932 table, which is data and has
// tests of its own, and the Japanese-text judge's verdict on a row, which
// has rule cases of its own), so that a fault of the program's cannot hide
// in it.
// Tests, the fuzz target and the benchmark compare the real scanner with it
// row for row.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "scan/cp932.h"
#include "words/dictionary.h"
#include "scan/scanner.h"
#include "scan_reference_japanese.h"
#include "scan_reference_encoded.h"

namespace lexref {

inline char Up(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 0x20) : c; }

// The byte comparison: a-z raised to capitals, first differing byte decides
// (unsigned), else the shorter is smaller.
inline int ByteCompare(const std::string &a, const std::string &b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t k = 0; k < n; ++k) {
        const uint8_t x = static_cast<uint8_t>(Up(a[k]));
        const uint8_t y = static_cast<uint8_t>(Up(b[k]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// The repetition filter: a text is rejected when it holds `limit` or more
// equal bytes in a row, unless that byte is a space, an underscore or a
// digit.  The run that ends at each byte is counted back from it.
inline bool Repetitive(const std::string &text, int limit)
{
    for (size_t k = 0; k < text.size(); ++k) {
        const char c = text[k];
        if (c == ' ' || c == '_' || (c >= '0' && c <= '9'))
            continue;
        long long run = 1;
        for (size_t j = k; j > 0 && text[j - 1] == c; --j)
            ++run;
        if (run >= static_cast<long long>(limit))
            return true;
    }
    return false;
}

inline bool NoLowerCase(const std::string &e)
{
    for (char c : e)
        if (c >= 'a' && c <= 'z')
            return false;
    return true;
}

// Contains-word, walked literally.  Returns the entry hit through *hit.
inline bool ContainsWord(const lex::WordDictionary &dict, const lex::ExtractionSettings &st,
                         const std::string &s, std::string *hit = nullptr)
{
    const size_t n = s.size();
    for (size_t i = 0; i < n; ++i) {
        const char c0 = s[i];
        if (!((c0 >= 'A' && c0 <= 'Z') || (c0 >= 'a' && c0 <= 'z')))
            continue;
        std::string w(1, c0);
        bool capital = c0 >= 'A' && c0 <= 'Z';
        const int k = Up(c0) - 'A' + 1;
        bool stop = false;
        for (size_t q = i + 1; q < n && !stop; ++q) {
            const char c = Up(s[q]);
            if (static_cast<uint8_t>(c) > 0x5A)
                break;
            if (st.CheckSeparator && !capital && s[q] >= 'A' && s[q] <= 'Z')
                break;
            w.push_back(c);
            capital = s[q] >= 'A' && s[q] <= 'Z';
            size_t j = dict.BlockBegin(k);
            const size_t end = dict.BlockEnd(k);
            while (j < end && ByteCompare(dict.entry(j), w) < 0)
                ++j;
            if (j >= end)
                continue;
            if (ByteCompare(dict.entry(j), w) == 0) {
                // Equal entries in capitals are passed over with
                // CheckInitial; an equal one in lower case behind them counts.
                while (st.CheckInitial && j < end && ByteCompare(dict.entry(j), w) == 0 &&
                       NoLowerCase(dict.entry(j)))
                    ++j;
                if (j < end && ByteCompare(dict.entry(j), w) == 0) {
                    if (hit)
                        *hit = dict.entry(j);
                    return true;
                }
                continue;
            }
            if (ByteCompare(w, dict.entry(j).substr(0, w.size())) < 0)
                stop = true;
        }
    }
    return false;
}

// Japanese text in UTF-16 (SearchWideJapanese): the code unit at a
// position, bytes past the data's end being zero.
struct Units {
    const uint8_t *data;
    size_t n;
    const lex::ExtractionSettings &st;

    uint8_t at(size_t k) const { return k < n ? data[k] : 0; }
    uint16_t unit(size_t k) const { return static_cast<uint16_t>(at(k) | at(k + 1) << 8); }
    // A character of Japanese text that code page 932 holds; half-width
    // katakana only when they are printable.
    bool japanese(size_t k) const
    {
        const uint16_t u = unit(k);
        return lex::IsJapaneseUnit(u) && !(lex::IsHalfWidthKatakana(u) && st.CheckHalfKana);
    }
    // Another double-byte character of code page 932: it goes on with
    // Japanese text but never begins it.
    bool symbol(size_t k) const { return lex::IsJapaneseSymbol(unit(k)); }
    // "printable, zero": a code unit of the ASCII rule.
    bool ascii(size_t k) const { return Printable(at(k), st) && at(k + 1) == 0; }
    bool text(size_t k) const { return japanese(k) || symbol(k) || ascii(k); }
    // A zero or control code unit, or the data's end: where UTF-16 text
    // ends for good.
    bool hardEnd(size_t k) const { return k >= n || (at(k + 1) == 0 && at(k) < 0x20); }
    // Both bytes could be single-byte text (the high one a printable ASCII
    // byte other than '0', the low one too or zero): "ge" reads as a CJK
    // ideograph, so such a unit alone never begins Japanese text.
    bool textLike(size_t k) const
    {
        const uint8_t lo = at(k), hi = at(k + 1);
        const bool asciiHi = hi >= 0x20 && hi <= 0x7E;
        return asciiHi && (lo == 0 || (lo >= 0x20 && lo <= 0x7E && hi != 0x30));
    }
    // One of the next two code units is a Japanese character unlike
    // single-byte text.
    bool unlikeAhead(size_t k) const
    {
        return (japanese(k + 2) && !textLike(k + 2)) || (japanese(k + 4) && !textLike(k + 4));
    }
    // UTF-16 text from k to its end: Japanese characters, symbols and
    // ASCII units up to a zero or control unit right after a character
    // that is not ASCII, or with a character unlike single-byte text or two
    // ASCII units in a row after the first (single-byte strings read as
    // UTF-16 have neither before their zero byte), or after text that had
    // either (`evidence`); within sixteen code units.
    bool textToEnd(size_t k, bool evidence) const
    {
        for (size_t u = 0; u < 16; ++u) {
            const size_t p = k + 2 * u;
            if (u > 0 && hardEnd(p))
                return evidence || !ascii(p - 2);
            if (p + 1 >= n || !text(p))
                return false;
            evidence = evidence || (u > 0 && !ascii(p) && !textLike(p)) || (ascii(p) && ascii(p + 2));
        }
        return evidence;
    }
    // Three code units from k whose low bytes are all zero: a unit
    // 0x0080-0x00FF and ASCII UTF-16 text read one byte off.
    bool oneByteOff(size_t k) const { return at(k) == 0 && at(k + 2) == 0 && at(k + 4) == 0; }
    bool kanaOrSymbol(size_t k) const
    {
        const uint16_t u = unit(k);
        return (u >= 0x3000 && u <= 0x30FF) || (u >= 0xFF61 && u <= 0xFF9F);
    }
    // Japanese text begins here, after `before`: a Japanese character and
    // two more code units, Japanese or ASCII, with a Japanese character
    // among the three that is unlike single-byte text.  After a byte other
    // than zero (and not text), kana, a symbol or an ASCII unit must be
    // among them too, and a first character whose low byte is zero does
    // not begin text (zero and a byte are also ASCII UTF-16 text read one
    // byte off).  Nor do three whose low bytes are all zero, after any byte.
    bool begins(size_t k, uint8_t before) const
    {
        if (before != 0 && (at(k) == 0 || Printable(before, st)))
            return false;
        if (!japanese(k) || oneByteOff(k))
            return false;
        bool unlike = false, marked = false;
        for (size_t u = k; u <= k + 4; u += 2) {
            if (japanese(u)) {
                unlike = unlike || !textLike(u);
                marked = marked || kanaOrSymbol(u);
            } else if (ascii(u)) {
                marked = true;
            } else {
                return false;
            }
        }
        return unlike && (before == 0 || marked);
    }
    // Japanese text begins here as a whole string: a Japanese character and
    // two more Japanese characters or ASCII units, then text that ends at a
    // zero or control unit within sixteen code units (or runs on past
    // them), with a character unlike single-byte text after the first, or
    // two ASCII units in a row (single-byte strings read as UTF-16 have
    // neither before their zero byte); `marked`: with kana, a symbol or an
    // ASCII unit among them too.  Right after a zero or control code unit
    // or a length word, that is enough; after another byte that is not
    // text, the string must be marked and must not begin with a zero byte.
    bool beginsWhole(size_t k, bool marked) const
    {
        if (!japanese(k) || (marked && at(k) == 0) || oneByteOff(k))
            return false;
        bool evidence = false, marks = !marked;
        for (size_t u = 0; u < 16; ++u) {
            const size_t p = k + 2 * u;
            if (u > 0 && hardEnd(p))
                return evidence && marks && u >= 3;
            if (p + 1 >= n || !(u < 3 ? japanese(p) || ascii(p) : text(p)))
                return false;
            evidence = evidence || (u > 0 && !ascii(p) && !textLike(p)) || (ascii(p) && ascii(p + 2));
            marks = marks || ascii(p) || symbol(p) || kanaOrSymbol(p);
        }
        return evidence && marks;
    }
    // A line break: a code unit 0x0009, 0x000A or 0x000D.
    bool lineBreak(size_t k) const
    {
        return at(k + 1) == 0 && (at(k) == 0x09 || at(k) == 0x0A || at(k) == 0x0D);
    }
    // Whether the code unit at k (a zero high byte, a low byte v other than
    // zero) reads as a string table's length word: v code units after it
    // that are text or line breaks,
    // with a Japanese character or symbol among them when `japaneseIn`,
    // then, where they end, a unit that may end a string (`depth` length
    // words deep); with `depth` below 0, any unit but a Japanese character
    // or symbol.
    bool lengthWord(size_t k, int depth, bool japaneseIn, bool breakEnds = true) const
    {
        const size_t v = at(k);
        if (at(k + 1) != 0 || v == 0)
            return false;
        bool japaneseSeen = false;
        for (size_t u = 0; u < v; ++u) {
            const size_t p = k + 2 + 2 * u;
            if (p + 1 >= n || (!text(p) && !lineBreak(p)))
                return false;
            japaneseSeen = japaneseSeen || japanese(p) || symbol(p);
        }
        if (japaneseIn && !japaneseSeen)
            return false;
        const size_t after = k + 2 + 2 * v;
        if (depth < 0)
            return !japanese(after) && !symbol(after);
        return stringEnd(after, depth, breakEnds);
    }
    // An ASCII unit (0x20-0x7E) that reads as a length word.
    bool asciiLengthWord(size_t k, int depth, bool japaneseIn, bool breakEnds = true) const
    {
        return ascii(k) && at(k) <= 0x7E && lengthWord(k, depth, japaneseIn, breakEnds);
    }
    // A code unit that may end a string of a string table: the data's end,
    // a zero or control unit (a line break only when `breakEnds`), a unit
    // 0x007F-0x00FF that is no text (a length of 127 and more), or, with
    // `depth` above 0, the next string's ASCII length word.
    bool stringEnd(size_t k, int depth, bool breakEnds) const
    {
        if (k >= n)
            return true;
        if (at(k + 1) == 0 && !ascii(k))
            return breakEnds || !lineBreak(k);
        return depth > 0 && asciiLengthWord(k, depth - 1, false, breakEnds);
    }
};

// UTF-8 text (SearchUtf8): characters decoded bit by bit and checked
// against the ranges of Unicode, bytes past the data's end being zero.
struct Utf8Chars {
    const uint8_t *data;
    size_t n;
    const lex::ExtractionSettings &st;

    uint8_t at(size_t k) const { return k < n ? data[k] : 0; }
    // The length of the well-formed multi-byte sequence at k (0: none) and
    // its code point: no overlong form, no surrogate, nothing above
    // U+10FFFF.
    size_t sequence(size_t k, uint32_t *code) const
    {
        const uint8_t b = at(k);
        size_t length;
        uint32_t least;
        if ((b & 0xE0) == 0xC0) {
            length = 2, least = 0x80, *code = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            length = 3, least = 0x800, *code = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            length = 4, least = 0x10000, *code = b & 0x07;
        } else {
            return 0;
        }
        for (size_t j = 1; j < length; ++j) {
            if ((at(k + j) & 0xC0) != 0x80)
                return 0;
            *code = *code << 6 | (at(k + j) & 0x3F);
        }
        if (*code < least || *code > 0x10FFFF || (*code >= 0xD800 && *code <= 0xDFFF))
            return 0;
        return length;
    }
    // A character of text: no C1 control, nothing of planes 4 to 13 (none
    // is assigned), a half-width katakana only when they are printable.
    bool text(uint32_t code) const
    {
        if ((code >= 0x80 && code <= 0x9F) || (code >= 0x40000 && code < 0xE0000))
            return false;
        return !(code >= 0xFF61 && code <= 0xFF9F && st.CheckHalfKana);
    }
    bool textAt(size_t k) const
    {
        uint32_t code;
        return sequence(k, &code) != 0 && text(code);
    }
    // UTF-8 text begins with the character at k: three bytes or more, and
    // another character of text right after it, or a form in code page 932
    // and right after it an ASCII byte or a character;
    // two bytes, and right after it another of two bytes whose first byte
    // is the same or next to it; a Latin letter inside a word (a small
    // ASCII letter on each side, or two on one side).
    bool begins(size_t k, size_t length, uint32_t code) const
    {
        uint32_t after;
        if (length > 2)
            return textAt(k + length) ||
                   (lex::Cp932Form(code) != 0 && (at(k + length) < 0x80 || sequence(k + length, &after)));
        uint32_t next;
        if (sequence(k + 2, &next) == 2 && text(next) &&
            (at(k + 2) == at(k) || at(k + 2) == at(k) + 1 || at(k + 2) + 1 == at(k)))
            return true;
        if (code < 0xC0 || code > 0x17F || code == 0xD7 || code == 0xF7)
            return false;
        auto small = [&](size_t j, size_t count) {
            for (size_t c = 0; c < count; ++c, ++j)
                if (j >= n || data[j] < 'a' || data[j] > 'z')
                    return false;
            return true;
        };
        return (k >= 2 && small(k - 2, 2)) || small(k + 2, 2) ||
               (k >= 1 && small(k - 1, 1) && small(k + 2, 1));
    }
    // After a character that a Shift-JIS pair could also read: printable
    // ASCII up to a control byte, the data's end or a character of text,
    // within 32 bytes.
    bool runsOn(size_t k) const
    {
        for (size_t j = k; j < k + 32; ++j) {
            if (j >= n || data[j] < 0x20)
                return true;
            if (data[j] >= 0x7F)
                return textAt(j);
        }
        return true;
    }
    // The character as a row holds it: code page 932 bytes, or \u{HEX}.
    std::string form(uint32_t code, bool *standIn) const
    {
        const uint16_t f = lex::Cp932Form(code);
        *standIn = f == 0;
        if (f == 0) {
            char text[16];
            std::snprintf(text, sizeof text, "\\u{%X}", static_cast<unsigned>(code));
            return text;
        }
        if (f > 0xFF)
            return std::string{static_cast<char>(f >> 8), static_cast<char>(f & 0xFF)};
        return std::string(1, static_cast<char>(f));
    }
};

// Where two encodings read the same bytes as Japanese, the one the judge
// reads better wins: the margin of the `reach` bytes from k (zeros past the
// data's end) read in one encoding, up to its first byte or unit that is
// not text; INT32_MIN with no Japanese character or no Japanese verdict.
enum class Reading { ShiftJis, Utf8, Utf16Le };
inline int32_t ReadingMargin(Reading r, const uint8_t *data, size_t n, size_t k, size_t reach,
                             const lex::ExtractionSettings &st)
{
    std::vector<uint8_t> b(reach + 4, 0);
    for (size_t j = 0; j < reach && k + j < n; ++j)
        b[j] = data[k + j];
    const Utf8Chars chars{b.data(), reach, st};
    std::vector<uint32_t> codes;
    bool cleanEnd = false;
    for (size_t j = 0, length = 1; j < reach; j += length) {
        const uint8_t x = b[j];
        uint32_t code = x;
        length = r == Reading::Utf16Le ? 2 : 1;
        if (r == Reading::Utf16Le) {
            code = x | b[j + 1] << 8u;
            if (j + 1 >= reach || !((code >= 0x20 && code <= 0x7E) ||
                                    (code >= 0x80 && lex::JapaneseUnitCp932(static_cast<uint16_t>(code))))) {
                cleanEnd = j + 1 < reach && code < 0x100 && CleanByte(x);
                break;
            }
        } else if (x >= 0x20 && x <= 0x7E) {
        } else if (r == Reading::Utf8) {
            if ((length = chars.sequence(j, &code)) == 0) {
                cleanEnd = CleanByte(x);
                break;
            }
        } else if (x >= 0xA1 && x <= 0xDF) {
            if (st.CheckHalfKana)
                continue;
            code = 0xFF61u + (x - 0xA1u);
        } else if (IsLead(x) && j + 1 < reach && (code = lex::Cp932Char(x, b[j + 1])) != 0) {
            length = 2;
        } else {
            cleanEnd = CleanByte(x);
            break;
        }
        codes.push_back(code);
    }
    using lex::japanese::JudgeForm;
    const JudgeForm form = r == Reading::ShiftJis ? JudgeForm::ShiftJis
                           : r == Reading::Utf8   ? JudgeForm::Utf8
                                                  : JudgeForm::Utf16Le;
    return EncodedReference::Margin(codes, form,
                                    {k == 0 || CleanByte(data[k - 1]), cleanEnd && codes.size() >= 2});
}
// Whether a reading's margin reads as Japanese and beats another's.
inline bool Better(int32_t margin, int32_t other) { return margin != INT32_MIN && margin > other; }

// The byte walk, one position at a time.  `checked` rows come from `dict`
// (null: none).  A checkpoint follows the step that reaches the last
// position of each `interval`-sized block and of the data.  A character
// that would take the text past `rowLimit` bytes begins a new piece of it:
// the text so far is listed, whatever its length.
// `frontier` (may be null) hears at each checkpoint where a row of the
// walk may still begin; `*stoppedAt` (may be null) gets the position after
// the one the walk stopped at, or SIZE_MAX when it ran to the end.
inline void ScanWalk(const uint8_t *data, size_t n, int m, const lex::ExtractionSettings &st,
                     const lex::WordDictionary *dict, lex::ScanHost &host, size_t interval,
                     size_t rowLimit, const std::function<void(size_t)> *frontier,
                     size_t *stoppedAt)
{
    std::string cand;
    size_t chars = 0;  // characters of cand: a Japanese one is 1, not 2
    size_t japanese = 0;     // Japanese characters in cand
    bool kana = false;       // among them kana or CJK symbols
    bool ideographs = false; // among them CJK ideographs
    size_t start = 0;
    bool wide = false;
    // In wide text: where the position stands in its code unit.
    enum { kAfterUnlike, kAfterJapanese, kBegin, kHigh, kUnknown } unitAt = kUnknown;
    bool resume = false;
    // Wide text: whether it began as a whole string (right after a zero or
    // control unit or a length word), and whether all its characters are
    // kana or CJK symbols in rising order (a table of 32-bit relocations
    // reads so).
    bool whole = false, rising = true;
    uint16_t lastUnit = 0;
    // A Japanese character unlike single-byte text after its first
    // character.
    bool unlikeSeen = false;
    // Single-byte text with Shift-JIS pairs; UTF-8 text, and where its
    // stand-ins lie (start, length).
    bool pairs = false, utf8 = false;
    std::vector<std::pair<size_t, size_t>> standIns;
    // A piece of a run longer than the limit; Japanese characters in the
    // run's earlier pieces, and how many other characters they held.
    bool piece = false, japaneseBefore = false;
    size_t othersBefore = 0;
    // A string table being followed: where its next length word stands
    // (none: SIZE_MAX), and the position right after a length word passed
    // over.
    const size_t none = SIZE_MAX;
    size_t tableNext = none, afterLength = none;
    const bool jp = st.SearchWideJapanese;
    const Units units{data, n, st};
    const Utf8Chars chars8{data, n, st};
    const size_t minLen = static_cast<size_t>(m < 1 ? 1 : m);

    const size_t minJapanese = static_cast<size_t>(lex::kMinJapaneseStrRange.Clamp(st.MinJapaneseStr));
    const bool anyJapanese = st.SearchKanji || st.SearchWideJapanese || st.SearchUtf8;
    const size_t shortest = anyJapanese ? std::min(minLen, minJapanese) : minLen;
    std::vector<Place> where;  // of each byte of cand

    auto addRow = [&](size_t at, lex::RowKind kind, const std::string &text,
                      const std::vector<std::pair<size_t, size_t>> &stands) {
        if (st.CheckRecurrence && Repetitive(text, st.RecurrenceTime))
            return;
        // Stand-ins hold no words.
        std::string words = text;
        for (const auto &s : stands)
            words.replace(s.first, s.second, s.second, '~');
        const bool checked = st.CheckEnglish && dict && ContainsWord(*dict, st, words);
        host.AddRow(static_cast<uint32_t>(at), kind, text.data(), text.size(), checked);
    };
    // `hard`: the text ended at a zero or control unit, a length word, the
    // data's end or the limit; `clean`: it ended at a zero, a tab, a line
    // break (in UTF-16 text a control unit or a unit 0x0080-0x0085), the
    // data's end or the limit.
    auto emit = [&](bool hard, bool clean) {
        const lex::RowKind kind =
            wide ? lex::RowKind::Unicode : utf8 ? lex::RowKind::Utf8 : lex::RowKind::Ansi;
        // A piece of a run over the limit: whatever its length, not judged.
        if (piece) {
            if (!(ideographs && !kana && chars - japanese < 2 && !(whole && hard)) &&
                !(wide && japanese > 0 && japanese == chars && rising && chars >= 4))
                addRow(start, kind, cand, standIns);
            return;
        }
        if (chars < shortest)
            return;
        bool holds = pairs || japanese > 0;
        for (size_t k = 0; utf8 && k < cand.size(); ++k)
            holds = holds || static_cast<uint8_t>(cand[k]) >= 0x80;
        if (!holds) {
            if (chars >= minLen)
                addRow(start, kind, cand, standIns);
            return;
        }
        if (st.CheckKanjiNoise) {
            // Ideographs alone and relocation tables go whole, as without
            // the judge (below).
            if (wide && ((ideographs && !kana && chars - japanese < 2 && !(whole && hard)) ||
                         (japanese > 0 && japanese == chars && rising && chars >= 4)))
                return;
            const uint8_t b1 = start >= 1 ? data[start - 1] : 0, b2 = start >= 2 ? data[start - 2] : 0;
            const unsigned unitBefore = b2 | b1 << 8;
            const bool cleanStart = wide ? CleanUnit(unitBefore)
                                         : CleanByte(b1);
            JapaneseText judged{cand, where, standIns, kind, cleanStart, clean, st, minLen, minJapanese, data, {}};
            if (kind == lex::RowKind::Ansi)
                judged.shiftJis();
            else
                judged.other();
            for (const Piece &p : judged.out)
                addRow(p.start, p.kind, p.text, p.standIns);
            return;
        }
        // Without the judge: a pair counts as one character.
        size_t characters = 0;
        for (size_t k = 0; k < cand.size(); ++k, ++characters)
            if (!wide && !utf8 && IsLead(static_cast<uint8_t>(cand[k])))
                ++k;
        if (wide || utf8)
            characters = chars;
        if (characters < minJapanese)
            return;
        // Japanese text with ideographs is listed only with kana or
        // symbols, or with two ASCII characters or more, unless it is a
        // whole string: begun after a zero or control unit or a length
        // word, and ended at one.
        if (ideographs && !kana && chars - japanese < 2 && !(whole && hard))
            return;
        // Kana and symbols alone in rising order: a relocation table.
        if (wide && japanese > 0 && japanese == chars && rising && chars >= 4)
            return;
        addRow(start, kind, cand, standIns);
    };
    auto clear = [&]() {
        cand.clear();
        chars = 0;
        japanese = 0;
        kana = ideographs = false;
        wide = false;
        whole = false;
        rising = true;
        lastUnit = 0;
        unlikeSeen = false;
        pairs = utf8 = false;
        standIns.clear();
        where.clear();
        piece = japaneseBefore = false;
        othersBefore = 0;
    };
    // Before a character of `bytes` bytes at `at`: the text it would take
    // past the limit is listed as a piece (its kind and how it began stay).
    auto room = [&](size_t at, size_t bytes) {
        if (cand.empty() || cand.size() + bytes <= rowLimit)
            return;
        piece = true;
        emit(true, true);
        japaneseBefore = japaneseBefore || japanese > 0;
        othersBefore += chars - japanese;
        cand.clear();
        chars = japanese = 0;
        kana = ideographs = false;
        rising = true;
        lastUnit = 0;
        standIns.clear();
        where.clear();
        start = at;
    };
    auto flush = [&](bool hard, bool clean) {
        emit(hard, clean);
        clear();
    };
    auto append = [&](size_t at, uint8_t byte) {
        if (cand.empty())
            start = at;
        cand.push_back(static_cast<char>(byte));
        where.push_back({at, wide ? 2u : 1u});
        ++chars;
    };
    // Whether a zero or control code unit stands right before k (bytes
    // before the data count as zeros).
    auto controlBefore = [&](size_t k) {
        return (k < 1 || data[k - 1] == 0) && (k < 2 || data[k - 2] < 0x20);
    };
    // Right before k, a popup menu's flags or a dialog item's class (a
    // unit 0x0080-0x00FF after a zero unit or 0xFFFF), or a menu item's
    // flags (0x0000 or 0x0080, after a zero unit) and identifier, all in
    // the data.
    auto itemWordBefore = [&](size_t k) {
        if (k < 6)
            return false;
        auto back = [&](size_t d) -> unsigned { return data[k - d]; };
        const unsigned u = back(4) | back(3) << 8;
        if (back(1) == 0 && back(2) >= 0x80 && (u == 0 || u == 0xFFFF))
            return true;
        return (u == 0 || u == 0x80) && back(6) == 0 && back(5) == 0;
    };
    // Whether a string may begin at k as a whole one: right after a zero
    // or control code unit, a length word, or such an item's word.
    auto wholeAt = [&](size_t k) {
        return afterLength == k || controlBefore(k) || itemWordBefore(k);
    };
    // A code unit at k that reads as a string table's length word with
    // Japanese text in its string (a control unit other than a line break,
    // or one of 0x007F-0x00FF that is no text): the table is followed from
    // there, unless one is followed already.
    auto followFrom = [&](size_t k) {
        if (jp && tableNext == none && k + 1 < n && data[k + 1] == 0 && !units.ascii(k) &&
            !units.lineBreak(k) && units.lengthWord(k, -1, true))
            tableNext = k + 2 + 2 * static_cast<size_t>(data[k]);
    };
    // An ASCII unit at k that reads as a string table's length word with
    // Japanese text in its string (two more length words deep), right after
    // a zero or control unit.  After a line break, the string holds a line
    // break only as its last unit, and no string of the three ends at one.
    auto lengthWordAfterControl = [&](size_t k) {
        if (!controlBefore(k))
            return false;
        const bool afterBreak = k >= 2 && units.lineBreak(k - 2);
        if (!units.asciiLengthWord(k, 2, true, !afterBreak))
            return false;
        for (size_t p = k + 2; afterBreak && p < k + 2 * size_t(data[k]); p += 2) {
            if (units.lineBreak(p))
                return false;
        }
        return true;
    };
    // UTF-16 text that begins at k, right after such a unit.
    auto follow = [&](size_t k) {
        if (k >= 2)
            followFrom(k - 2);
    };
    auto appendJapanese = [&](size_t at) {
        const uint16_t u = units.unit(at);
        const uint16_t form = lex::JapaneseUnitCp932(u);
        unlikeSeen = unlikeSeen || (!cand.empty() && !units.textLike(at));
        room(at, form > 0xFF ? 2 : 1);
        if (cand.empty())
            start = at;
        kana = kana || units.kanaOrSymbol(at);
        ideographs = ideographs || (u >= 0x4E00 && u <= 0x9FFF);
        rising = rising && u >= 0x3000 && u <= 0x30FF && u > lastUnit;
        lastUnit = u;
        ++japanese;
        if (form > 0xFF) {
            cand.push_back(static_cast<char>(form >> 8));
            where.push_back({at, 2});
        }
        cand.push_back(static_cast<char>(form & 0xFF));
        where.push_back({at, 2});
        ++chars;
        wide = true;
        unitAt = units.textLike(at) ? kAfterJapanese : kAfterUnlike;
    };

    // Japanese UTF-16 text from u gives way where the judge reads the bytes
    // from s (u, or its Japanese character after an ASCII unit at u) or
    // from the byte after s better as Shift-JIS text (SearchKanji) or UTF-8
    // text.  (Single-byte text may begin with a long ASCII head: 128 bytes
    // are read.)
    auto otherReads = [&](size_t u, size_t s) {
        if (!st.CheckKanjiNoise || !(st.SearchKanji || st.SearchUtf8))
            return false;
        int32_t other = INT32_MIN;
        for (size_t k : {s, s + 1}) {
            if (st.SearchKanji)
                other = std::max(other, ReadingMargin(Reading::ShiftJis, data, n, k, 128, st));
            if (st.SearchUtf8)
                other = std::max(other, ReadingMargin(Reading::Utf8, data, n, k, 128, st));
        }
        const int32_t wide = ReadingMargin(Reading::Utf16Le, data, n, u, 128, st);
        return wide == INT32_MIN || Better(other, wide);
    };
    // Right after a pair of single-byte text (the judge on), at any byte
    // but a zero: Japanese UTF-16 text begins there as it would with no
    // candidate, where the judge reads it as Japanese and better than the
    // Shift-JIS or UTF-8 text from there or the byte after.
    size_t pairEnd = none;
    auto japaneseAfterPair = [&](size_t p, uint8_t before, bool strong) {
        const uint8_t b = data[p];
        if (!(st.CheckKanjiNoise && jp && st.SearchKanji) || p != pairEnd || wide || cand.empty() ||
            b == 0 || !units.japanese(p) ||
            !(units.begins(p, before) ||
              (strong ? units.beginsWhole(p, false) : !Printable(before, st) && units.beginsWhole(p, true))))
            return false;
        int32_t other = INT32_MIN;
        for (size_t k : {p, p + 1}) {
            other = std::max(other, ReadingMargin(Reading::ShiftJis, data, n, k, 128, st));
            if (st.SearchUtf8)
                other = std::max(other, ReadingMargin(Reading::Utf8, data, n, k, 128, st));
        }
        return Better(ReadingMargin(Reading::Utf16Le, data, n, p, 128, st), other);
    };
    // At a lead byte p of single-byte text whose trail byte would be the
    // first byte of Japanese UTF-16 text (the judge on): that text begins,
    // as it would with no candidate, where the judge reads it better than
    // the Shift-JIS or UTF-8 text from the lead byte or from the one after
    // it.
    auto japaneseAfterLead = [&](size_t p) {
        if (!(st.CheckKanjiNoise && jp))
            return false;
        const size_t k = p + 1;
        const uint8_t before = data[p];
        if (!units.begins(k, before) &&
            !(wholeAt(k) ? units.beginsWhole(k, false)
                         : !Printable(before, st) && units.beginsWhole(k, true)))
            return false;
        const int32_t wide = ReadingMargin(Reading::Utf16Le, data, n, k, 128, st);
        if (wide == INT32_MIN)
            return false;
        int32_t other = INT32_MIN;
        for (size_t q : {p, k}) {
            other = std::max(other, ReadingMargin(Reading::ShiftJis, data, n, q, 128, st));
            if (st.SearchUtf8)
                other = std::max(other, ReadingMargin(Reading::Utf8, data, n, q, 128, st));
        }
        return wide > other;
    };
    // At a lead byte p of single-byte text whose trail byte would begin
    // UTF-8 text (the judge on, SearchUtf8): the text ends before the lead
    // byte where the judge reads the bytes from the trail byte better as
    // UTF-8 than the Shift-JIS text from the lead byte or the one after it.
    auto utf8AfterLead = [&](size_t p) {
        if (!(st.CheckKanjiNoise && st.SearchUtf8))
            return false;
        const size_t k = p + 1;
        uint32_t c = 0;
        const size_t len = chars8.sequence(k, &c);
        if (len == 0 || !chars8.text(c) || !chars8.begins(k, len, c))
            return false;
        return Better(ReadingMargin(Reading::Utf8, data, n, k, 32, st),
                      std::max(ReadingMargin(Reading::ShiftJis, data, n, p, 32, st),
                               ReadingMargin(Reading::ShiftJis, data, n, k, 32, st)));
    };
    // At the zero at i, after single-byte text with pairs or UTF-8 text
    // (the judge on, SearchWideJapanese): its last byte, printable, right
    // before the zero (a character of its own, or the trail byte of a pair
    // right before the zero, whose lead byte is then left out), begins
    // UTF-16 text when another ASCII unit follows and the UTF-16 reading
    // from it reads as Japanese.  `keep`: how many of the text's bytes stay
    // before it.
    auto unitAfterPair = [&](size_t i, size_t &keep) {
        const size_t size = cand.size();
        if (!(st.CheckKanjiNoise && jp) || piece || size < 2 || !(utf8 || (st.SearchKanji && pairs)) ||
            !Printable(static_cast<uint8_t>(cand.back()), st))
            return false;
        // Another ASCII unit follows, or a Japanese character the judge
        // reads better so than as other text.
        const bool ascii = i + 2 < n ? Printable(data[i + 1], st) && data[i + 2] == 0
                                     : i + 1 < n && Printable(data[i + 1], st);
        if (!ascii && !units.japanese(i + 1))
            return false;
        // The characters of the text, read from its first byte.
        size_t k = 0, last = 0, before = none;
        while (k < size) {
            if (k > 0)
                before = last;
            last = k;
            k += IsLead(static_cast<uint8_t>(cand[k])) ? 2 : 1;
        }
        if (last == size - 1 ? where[last].at != i - 1 : utf8 || where[last].at != i - 2)
            return false;
        keep = last;
        if (ReadingMargin(Reading::Utf16Le, data, n, i - 1, 128, st) == INT32_MIN)
            return false;
        if (ascii)
            return true;
        // Before a Japanese character: only as a pair's trail byte or right
        // after a pair.
        const bool afterPair = last == size - 1 && before != none && before + 2 == last &&
                               where[before + 1].at == i - 2;
        return !utf8 && (last == size - 2 || afterPair) && !otherReads(i - 1, i + 1);
    };
    if (n == 0)
        return;
    size_t limit = std::min(interval - 1, n - 1);
    // What single-byte text does at a UTF-8 character: UTF-8 text takes it
    // if it is text, or ends before it and passes it over; other text takes
    // it where UTF-8 text begins, or where a Shift-JIS pair could be read
    // there too, the text holds no pair and the UTF-8 reading runs on;
    // otherwise the bytes are read as without UTF-8.
    enum Act8 { kTake, kPass, kBytes, kEnd };
    uint32_t code8 = 0;
    size_t length8 = 0;
    Act8 act8 = kBytes;
    auto utf8Act = [&](size_t i, size_t length) {
        const uint8_t b = data[i];
        const bool pair = st.SearchKanji && ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) &&
                          i + 1 < n && Trail(data[i + 1]);
        // In text with pairs, where UTF-8 text would begin and the judge
        // reads the bytes better as UTF-8 than as Shift-JIS.
        const bool wins = st.CheckKanjiNoise && chars8.begins(i, length, code8) &&
                          Better(ReadingMargin(Reading::Utf8, data, n, i, 32, st),
                                 ReadingMargin(Reading::ShiftJis, data, n, i, 32, st));
        // Not where Shift-JIS text from a lead byte among the character's
        // later bytes, or Japanese UTF-16 text from one, reads better than
        // the UTF-8 text.
        bool inside = false;
        if (st.CheckKanjiNoise && (st.SearchKanji || jp)) {
            const int32_t here = ReadingMargin(Reading::Utf8, data, n, i, 32, st);
            for (size_t k = i + 1; k < i + length && !inside; ++k) {
                int32_t other = INT32_MIN;
                if (st.SearchKanji && IsLead(data[k]))
                    other = ReadingMargin(Reading::ShiftJis, data, n, k, 32, st);
                if (jp && units.japanese(k))
                    other = std::max(other, ReadingMargin(Reading::Utf16Le, data, n, k, 128, st));
                inside = Better(other, here);
            }
        }
        // UTF-8 text ends before a character of other text than Japanese
        // there, and its first byte is passed over.
        if (utf8)
            return !chars8.text(code8) ? kPass
                   : !(code8 <= 0xFFFF && lex::IsJapaneseUnit(static_cast<uint16_t>(code8))) && inside
                       ? kEnd
                       : kTake;
        if (chars8.text(code8) && !(pairs && pair && !wins) &&
            (chars8.begins(i, length, code8) || (pair && chars8.runsOn(i + length))) && !inside)
            return kTake;
        return kBytes;
    };
    for (size_t i = 0; i < n; ++i) {
        const uint8_t b = data[i];
        const uint8_t x = i + 1 < n ? data[i + 1] : 0;
        // UTF-16 text that ends right after a Japanese character takes the
        // whole code unit that ends it.
        const bool afterJapanese = unitAt == kAfterJapanese || unitAt == kAfterUnlike;
        const bool wholeUnit = wide && afterJapanese && i + 1 < n;
        const bool atUnit = wide && (unitAt == kBegin || afterJapanese);
        // Right after Japanese text that ended at a code unit passed over
        // whole, text begins as after a zero.
        const uint8_t before = i == 0 || resume ? 0 : data[i - 1];
        // Right after a zero or control code unit, a length word, or a code
        // unit passed over whole, Japanese text may begin as a whole
        // string.
        const bool strong = jp && (resume || wholeAt(i));
        resume = false;
        auto end = [&]() {
            // The code unit that ends the text, when known.
            const size_t endUnit = atUnit ? i : unitAt == kHigh ? i + 1 : none;
            const bool hard = endUnit != none && units.hardEnd(endUnit);
            const unsigned u = endUnit != none ? units.unit(endUnit) : 0xFFFF;
            flush(hard, hard || CleanUnit(u));
            // It, or the unit after a line break that ends the text, may be
            // a string table's length word.
            if (endUnit != none) {
                followFrom(endUnit);
                if (units.lineBreak(endUnit))
                    followFrom(endUnit + 2);
            }
            if (wholeUnit) {
                ++i;
                resume = true;
            }
        };
        // UTF-16 text goes on with a Japanese character; with one that looks
        // like single-byte text only next to one that does not, or when
        // text runs from it to its end.  Japanese text goes on with
        // symbols too.
        const bool japaneseIn = japanese > 0 || japaneseBefore;
        const bool takes =
            jp && atUnit &&
            ((japaneseIn && units.symbol(i)) ||
             (units.japanese(i) &&
              (!units.textLike(i) || unitAt == kAfterUnlike || units.unlikeAhead(i) ||
               units.textToEnd(i, unlikeSeen || chars - japanese + othersBefore >= 2))));
        // A string table being followed: at its next length word, UTF-16
        // text ends, and an ASCII unit there is passed over.
        if (tableNext < i || (tableNext == i && !wide && !cand.empty()))
            tableNext = none;
        bool ended = false;
        if (tableNext == i) {
            if (units.asciiLengthWord(i, -1, false)) {
                if (!cand.empty())
                    flush(true, true);
                tableNext = i + 2 + 2 * static_cast<size_t>(b);
                afterLength = i + 2;
                ++i;
                ended = true;
            } else if (x == 0) {
                tableNext = i + 2 + 2 * static_cast<size_t>(b);
            } else {
                tableNext = none;
            }
        }
        // Text with Japanese in it ends at a code unit other than an ASCII
        // one; a printable byte there is then examined with no candidate.
        if (!ended && jp && atUnit && !takes && japaneseIn && !units.ascii(i)) {
            if (Printable(b, st)) {
                flush(false, false);
            } else {
                end();
                ended = true;
            }
        }
        const bool afterPair = !ended && japaneseAfterPair(i, before, strong);
        // Japanese UTF-16 text may begin after half-width katakana bytes
        // that follow a pair as well.
        if (!ended && !afterPair && i == pairEnd && b >= 0xA1 && b <= 0xDF)
            pairEnd = i + 1;
        if (ended) {
        } else if (afterPair) {
            // Machine code's last two bytes read as a pair: the text ends
            // and the Japanese UTF-16 text after them begins.
            flush(false, false);
            follow(i);
            appendJapanese(i);
            whole = strong;
            ++i;
        } else if (takes) {
            appendJapanese(i);
            ++i;
        } else if (jp && st.CheckKanjiNoise && utf8 && !wide && b >= 0xA1 && b <= 0xDF &&
                   (units.begins(i, 0) || units.beginsWhole(i, false)) && !otherReads(i, i)) {
            // UTF-8 text ends at a katakana byte, where Japanese UTF-16
            // text begins as after a zero.
            flush(false, false);
            follow(i);
            appendJapanese(i);
            whole = strong;
            ++i;
        } else if (jp && cand.empty() &&
                   (units.begins(i, before) ||
                    (strong ? units.beginsWhole(i, false)
                            : !Printable(before, st) && units.beginsWhole(i, true))) &&
                   !otherReads(i, i)) {
            follow(i);
            appendJapanese(i);
            whole = strong;
            ++i;
        } else if (st.SearchUtf8 && !wide && (length8 = chars8.sequence(i, &code8)) != 0 &&
                   (act8 = utf8Act(i, length8)) != kBytes) {
            // A UTF-8 character that UTF-8 text takes, or that ends it and
            // is passed over.
            const size_t length = length8;
            if (act8 == kEnd) {
                flush(false, false);
            } else if (act8 == kPass) {
                flush(false, false);
                i += length - 1;
            } else {
                // The UTF-8 character of `len` bytes at `at` as UTF-8 text
                // holds it (its code page 932 form or a stand-in); `cut`: a
                // piece of a long run may end before it.
                auto appendUtf8 = [&](size_t at, uint32_t c, size_t len, bool cut) {
                    bool standIn = false;
                    const std::string f = chars8.form(c, &standIn);
                    if (cut)
                        room(at, f.size());
                    if (cand.empty())
                        start = at;
                    if (standIn)
                        standIns.push_back({cand.size(), f.size()});
                    cand += f;
                    where.insert(where.end(), f.size(), Place{at, len});
                    ++chars;
                    utf8 = true;
                };
                if (pairs) {
                    // With the judge, the longest tail of the text (1024 bytes
                    // at most) that lies right before i and reads as UTF-8
                    // text goes on into the UTF-8 text; a pair it cuts
                    // leaves its lead byte to neither.
                    size_t lying = 0, t = 0;
                    while (st.CheckKanjiNoise && lying < cand.size() && lying < 1024 &&
                           where[cand.size() - 1 - lying].at == i - 1 - lying)
                        ++lying;
                    const Utf8Chars text{reinterpret_cast<const uint8_t *>(cand.data()), cand.size(), st};
                    for (size_t from = cand.size() - lying; from < cand.size() && t == 0; ++from) {
                        size_t k = from;
                        uint32_t c = 0;
                        size_t len = 0;
                        while (k < cand.size() &&
                               ((text.at(k) >= 0x20 && text.at(k) <= 0x7E) ||
                                ((len = text.sequence(k, &c)) != 0 && text.text(c))))
                            k += text.at(k) >= 0x20 && text.at(k) <= 0x7E ? 1 : len;
                        if (k == cand.size())
                            t = cand.size() - from;
                    }
                    size_t keep = cand.size() - t;
                    const std::string tail = cand.substr(keep);
                    // Is the tail's first byte a pair's trail byte?
                    bool cut = false;
                    for (size_t k = 0; t > 0 && k < keep;) {
                        const bool lead = IsLead(static_cast<uint8_t>(cand[k]));
                        cut = lead && k + 1 == keep;
                        k += lead ? 2 : 1;
                    }
                    keep -= cut;
                    chars -= cand.size() - keep;
                    cand.resize(keep);
                    where.resize(keep);
                    if (keep > 0 || t == 0)
                        flush(false, false);
                    else
                        clear();
                    // Its characters as UTF-8 text holds them.
                    const Utf8Chars tailChars{reinterpret_cast<const uint8_t *>(tail.data()), tail.size(), st};
                    for (size_t k = 0; k < tail.size();) {
                        const size_t at = i - tail.size() + k;
                        uint32_t c = 0;
                        if (tailChars.at(k) < 0x80) {
                            append(at, tailChars.at(k++));
                            continue;
                        }
                        const size_t len = tailChars.sequence(k, &c);
                        appendUtf8(at, c, len, false);
                        k += len;
                    }
                }
                appendUtf8(i, code8, length, true);
                i += length - 1;
            }
        } else if (b == 0) {
            if (wide) {
                // The text goes on with a printable byte, or with a Japanese
                // character (or, in Japanese text, a symbol) after an ASCII
                // unit; text of ASCII units not where the judge reads the
                // bytes from the character better as other text.
                if (Printable(x, st) ||
                    (jp && unitAt == kHigh &&
                     ((units.japanese(i + 1) && (japaneseIn || !otherReads(i - 1, i + 1))) ||
                      (japaneseIn && units.symbol(i + 1)))))
                    unitAt = unitAt == kHigh ? kBegin : kUnknown;
                else
                    end();
            } else if (cand.size() == 1 && !utf8 && !piece) {
                if (jp && lengthWordAfterControl(i - 1)) {
                    // A string table's length word after an empty string or
                    // a control unit: not text; the string begins after it,
                    // and the table is followed from there.
                    clear();
                    afterLength = i + 1;
                    tableNext = i + 1 + 2 * static_cast<size_t>(data[i - 1]);
                } else if ((Printable(x, st) && (i + 2 >= n || data[i + 2] == 0)) ||
                           (jp && units.japanese(i + 1) && !otherReads(i - 1, i + 1))) {
                    // UTF-16 text: another ASCII unit follows (a printable
                    // byte that no zero follows begins single-byte text),
                    // or a Japanese character.
                    wide = true;
                    unitAt = kBegin;
                    whole = jp && wholeAt(i - 1);
                    if (jp)
                        follow(i - 1);
                } else {
                    clear();
                }
            } else if (size_t keep = 0; unitAfterPair(i, keep)) {
                // The text's last byte begins the UTF-16 text (without the
                // lead byte of a pair whose trail byte it was).
                const char last = cand.back();
                cand.resize(keep);
                where.resize(keep);
                --chars;
                flush(false, false);
                append(i - 1, static_cast<uint8_t>(last));
                wide = true;
                unitAt = kBegin;
                whole = wholeAt(i - 1);
                follow(i - 1);
            } else {
                flush(false, true);
            }
        } else if ((b >= 0x20 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF)) {
            if (utf8 && b >= 0x80) {
                // UTF-8 text holds no katakana byte.
                flush(false, false);
            } else if (!Printable(b, st)) {
                unitAt = kUnknown;
            } else if (wide && x != 0) {
                unitAt = kUnknown;
            } else {
                room(i, 1);
                append(i, b);
                unitAt = kHigh;
            }
        } else if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) {
            if (st.SearchKanji && !wide) {
                if (Trail(x) && i + 1 < n && japaneseAfterLead(i)) {
                    // Machine code's last byte: the text ends, and the
                    // Japanese UTF-16 text after it begins.
                    flush(false, false);
                    ++i;
                    follow(i);
                    appendJapanese(i);
                    whole = wholeAt(i);
                    ++i;
                } else if (Trail(x) && i + 1 < n && utf8AfterLead(i)) {
                    // Machine code's last byte: the text ends, and the UTF-8
                    // text from the next byte begins there.
                    flush(false, false);
                } else if (Trail(x) && i + 1 < n) {
                    if (utf8)
                        flush(false, false);
                    room(i, 2);
                    append(i, b);
                    append(i + 1, x);
                    pairs = true;
                    ++i;
                    pairEnd = i + 1;
                } else {
                    flush(false, false);
                }
            } else if (wide) {
                end();
            } else {
                flush(false, false);
            }
        } else {
            if (wide) {
                end();
            } else {
                flush(false, CleanByte(b));
            }
        }
        if (i >= limit) {
            if (frontier)
                (*frontier)(cand.empty() ? i + 1 : start);
            host.SetProgress(static_cast<int>(static_cast<uint64_t>(i) * 100 / n));
            host.ProcessEvents();
            if (host.AbortRequested()) {
                if (stoppedAt)
                    *stoppedAt = i + 1;
                break;
            }
            limit = std::min(((i + 1) / interval + 1) * interval - 1, n - 1);
        }
    }
    emit(true, true);
}

// The walk's rows with the rows of the further encodings (their bytes
// zeroed for the walk) put in before the first of its rows past them, and
// at each checkpoint before where its rows may still begin.
class MergingHost final : public lex::ScanHost {
public:
    MergingHost(lex::ScanHost &host, std::vector<EncodedRow> rows,
                const lex::ExtractionSettings &st, const lex::WordDictionary *dict)
        : host_(host), rows_(std::move(rows)), st_(st), dict_(dict)
    {
    }
    void Release(size_t offset)
    {
        for (; next_ < rows_.size() && rows_[next_].start < offset; ++next_) {
            const EncodedRow &r = rows_[next_];
            if (st_.CheckRecurrence && Repetitive(r.text, st_.RecurrenceTime))
                continue;
            std::string words = r.text;
            for (const auto &s : r.standIns)
                words.replace(s.first, s.second, s.second, '~');
            const bool checked = st_.CheckEnglish && dict_ && ContainsWord(*dict_, st_, words);
            host_.AddRow(static_cast<uint32_t>(r.start), r.kind, r.text.data(), r.text.size(),
                         checked);
        }
    }
    void ClearRows() override { host_.ClearRows(); }
    void AddRow(uint32_t offset, lex::RowKind kind, const char *text, size_t length,
                bool checked) override
    {
        Release(offset);
        host_.AddRow(offset, kind, text, length, checked);
    }
    void SetProgress(int percent) override { host_.SetProgress(percent); }
    void ProcessEvents() override { host_.ProcessEvents(); }
    bool AbortRequested() override { return host_.AbortRequested(); }

private:
    lex::ScanHost &host_;
    std::vector<EncodedRow> rows_;
    size_t next_ = 0;
    const lex::ExtractionSettings &st_;
    const lex::WordDictionary *dict_;
};

// The whole scan: the further encodings' rooms first, then the walk.
inline void Scan(const uint8_t *data, size_t n, int m, const lex::ExtractionSettings &st,
                 const lex::WordDictionary *dict, lex::ScanHost &host,
                 size_t interval = lex::kCheckpointInterval,
                 size_t rowLimit = lex::kMaxRowLength)
{
    if (!st.SearchEucJp && !st.SearchIso2022Jp && !st.SearchUtf16Be) {
        ScanWalk(data, n, m, st, dict, host, interval, rowLimit, nullptr, nullptr);
        return;
    }
    std::vector<uint8_t> copy(data, data + n);
    EncodedReference rooms(copy, st);
    MergingHost merged(host, rooms.rows, st, dict);
    const std::function<void(size_t)> frontier = [&](size_t at) { merged.Release(at); };
    size_t stoppedAt = SIZE_MAX;
    ScanWalk(copy.data(), n, m, st, dict, merged, interval, rowLimit, &frontier, &stoppedAt);
    merged.Release(stoppedAt);
}

} // namespace lexref
