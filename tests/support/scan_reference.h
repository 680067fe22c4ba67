// A deliberately plain model of the string scanner, its repetition filter
// and the English-word marker, written straight from what they do: one
// position per step, the candidate grown a byte at a time, runs of equal
// bytes counted afresh at every byte, the dictionary block walked linearly
// from its first entry for every extension of the word.  It shares no code
// with the program (only the code page 932 table, which is data and has
// tests of its own), so that a fault of the program's cannot hide in it.
// Tests, the fuzz target and the benchmark compare the real scanner with it
// row for row.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "scan/cp932.h"
#include "words/dictionary.h"
#include "scan/scanner.h"

namespace lexref {

inline bool Printable(uint8_t x, const lex::ExtractionSettings &s)
{
    if (x >= 0x20 && x <= 0x7E)
        return true;
    return x >= 0xA1 && x <= 0xDF && !s.CheckHalfKana;
}

inline bool Trail(uint8_t x) { return (x >= 0x40 && x <= 0x7E) || (x >= 0x80 && x <= 0xFC); }

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

// The Shift-JIS noise filter, one condition at a time over the row's
// characters: double-byte ones as lead << 8 | trail, single bytes as they
// are.
struct RowChar {
    unsigned code;
    bool pair;
};

inline std::vector<RowChar> RowChars(const std::string &text)
{
    std::vector<RowChar> chars;
    for (size_t k = 0; k < text.size(); ++k) {
        const uint8_t b = static_cast<uint8_t>(text[k]);
        if (((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) && k + 1 < text.size()) {
            chars.push_back({static_cast<unsigned>(b) << 8 | static_cast<uint8_t>(text[k + 1]), true});
            ++k;
        } else {
            chars.push_back({b, false});
        }
    }
    return chars;
}

inline bool ReadsAsJapanese(const std::string &text)
{
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const std::vector<RowChar> c = RowChars(text);
    const size_t n = c.size();
    auto pair = [&](size_t k, unsigned lo, unsigned hi) {
        return k < n && c[k].pair && c[k].code >= lo && c[k].code <= hi;
    };
    auto hiragana = [&](size_t k) { return pair(k, 0x829F, 0x82F1); };
    auto katakana = [&](size_t k) { return pair(k, 0x8340, 0x8396); };
    auto mark = [&](size_t k) { return pair(k, 0x8140, 0x81AC); };
    auto wide = [&](size_t k) {
        return pair(k, 0x824F, 0x8258) || pair(k, 0x8260, 0x8279) || pair(k, 0x8281, 0x829A);
    };
    auto kanji1 = [&](size_t k) { return pair(k, 0x889F, 0x9872); };
    auto kanji2 = [&](size_t k) { return pair(k, 0x989F, 0xEAA4); };
    auto single = [&](size_t k, const char *set) {
        return k < n && !c[k].pair && c[k].code != 0 && std::strchr(set, static_cast<int>(c[k].code));
    };
    size_t doubles = 0, marks = 0, unused = 0;
    bool marked = false, level2 = false, code = false, plain = false, word = false;
    for (size_t k = 0; k < n; ++k) {
        if (c[k].pair) {
            ++doubles;
            if (hiragana(k) || mark(k) || (katakana(k) && k > 0 && katakana(k - 1)))
                marked = true;
            if (hiragana(k) || mark(k) || katakana(k))
                ++marks;
            else if (kanji2(k))
                level2 = true;
            else if (!kanji1(k) && !wide(k))
                ++unused;
            else if (c[k].code >> 8 != 0x89 && c[k].code >> 8 != 0x8B &&
                     c[k].code >> 8 != 0x8D && c[k].code >> 8 != 0x90)
                plain = true;
        } else if (c[k].code == '$') {
            if ((k > 0 && c[k - 1].pair) || (k + 1 < n && c[k + 1].pair) ||
                (k > 0 && single(k - 1, "DLT\\dlt|")))
                code = true;
        } else if (c[k].code == '&') {
            if (k > 0 && c[k - 1].pair)
                code = true;
        } else if (c[k].code == '%') {
            size_t j = k + 1;
            while (single(j, "-+ #0123456789.*hlLqjzt"))
                ++j;
            if (single(j, "diouxXcsp"))
                word = true;
        } else if (c[k].code == '(') {
            if (single(k + 1, "&_") && (single(k + 2, kLetters) || single(k + 2, "0123456789")) &&
                single(k + 3, ")"))
                word = true;
        }
        if (k >= 2 && single(k, kLetters) && single(k - 1, kLetters) && single(k - 2, kLetters))
            word = true;
    }
    if (doubles == 0)
        return true;
    if (marked)
        return unused < marks;
    return unused == 0 && !level2 && !code && (plain || word);
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
    // "printable, zero": a code unit of the ASCII rule.
    bool ascii(size_t k) const { return Printable(at(k), st) && at(k + 1) == 0; }
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
    // byte off).
    bool begins(size_t k, uint8_t before) const
    {
        if (before != 0 && (at(k) == 0 || Printable(before, st)))
            return false;
        if (!japanese(k))
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
};

// The byte walk, one position at a time.  `checked` rows come from `dict`
// (null: none).  A checkpoint follows the step that reaches the last
// position of each `interval`-sized block and of the data.
inline void Scan(const uint8_t *data, size_t n, int m, const lex::ExtractionSettings &st,
                 const lex::WordDictionary *dict, lex::ScanHost &host,
                 size_t interval = lex::kCheckpointInterval)
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
    const bool jp = st.SearchWideJapanese;
    const Units units{data, n, st};
    const size_t minLen = static_cast<size_t>(m < 1 ? 1 : m);

    auto emit = [&]() {
        if (chars < minLen)
            return;
        // Japanese text with ideographs is listed only with kana or
        // symbols, or with two ASCII characters or more.
        if (ideographs && !kana && chars - japanese < 2)
            return;
        if (st.CheckRecurrence && Repetitive(cand, st.RecurrenceTime))
            return;
        if (!wide && st.SearchKanji && st.CheckKanjiNoise && !ReadsAsJapanese(cand))
            return;
        const bool checked = st.CheckEnglish && dict && ContainsWord(*dict, st, cand);
        host.AddRow(static_cast<uint32_t>(start), wide, cand.data(), cand.size(), checked);
    };
    auto clear = [&]() {
        cand.clear();
        chars = 0;
        japanese = 0;
        kana = ideographs = false;
        wide = false;
    };
    auto flush = [&]() {
        emit();
        clear();
    };
    auto append = [&](size_t at, uint8_t byte) {
        if (cand.empty())
            start = at;
        cand.push_back(static_cast<char>(byte));
        ++chars;
    };
    auto appendJapanese = [&](size_t at) {
        if (cand.empty())
            start = at;
        const uint16_t u = units.unit(at);
        kana = kana || units.kanaOrSymbol(at);
        ideographs = ideographs || (u >= 0x4E00 && u <= 0x9FFF);
        ++japanese;
        const uint16_t form = lex::JapaneseUnitCp932(u);
        if (form > 0xFF)
            cand.push_back(static_cast<char>(form >> 8));
        cand.push_back(static_cast<char>(form & 0xFF));
        ++chars;
        wide = true;
        unitAt = units.textLike(at) ? kAfterJapanese : kAfterUnlike;
    };

    if (n == 0)
        return;
    size_t limit = std::min(interval - 1, n - 1);
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
        resume = false;
        auto end = [&]() {
            flush();
            if (wholeUnit) {
                ++i;
                resume = true;
            }
        };
        // A character that looks like single-byte text goes on only next
        // to one that does not.
        const bool takes =
            jp && atUnit && units.japanese(i) &&
            (!units.textLike(i) || unitAt == kAfterUnlike || units.unlikeAhead(i));
        // Text with Japanese in it ends at a code unit other than an ASCII
        // one; a printable byte there is then examined with no candidate.
        bool ended = false;
        if (jp && atUnit && !takes && japanese > 0 && !units.ascii(i)) {
            if (Printable(b, st)) {
                flush();
            } else {
                end();
                ended = true;
            }
        }
        if (ended) {
        } else if (takes || (jp && cand.empty() && units.begins(i, before))) {
            appendJapanese(i);
            ++i;
        } else if (b == 0) {
            if (wide) {
                if (Printable(x, st) || (jp && unitAt == kHigh && units.japanese(i + 1)))
                    unitAt = unitAt == kHigh ? kBegin : kUnknown;
                else
                    end();
            } else if (cand.size() == 1) {
                if (Printable(x, st) || (jp && units.japanese(i + 1))) {
                    wide = true;
                    unitAt = kBegin;
                } else {
                    clear();
                }
            } else {
                flush();
            }
        } else if ((b >= 0x20 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF)) {
            if (!Printable(b, st)) {
                unitAt = kUnknown;
            } else if (wide && x != 0) {
                unitAt = kUnknown;
            } else {
                append(i, b);
                unitAt = kHigh;
            }
        } else if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) {
            if (st.SearchKanji && !wide) {
                if (Trail(x) && i + 1 < n) {
                    append(i, b);
                    append(i + 1, x);
                    ++i;
                } else {
                    flush();
                }
            } else {
                end();
            }
        } else {
            end();
        }
        if (i >= limit) {
            host.SetProgress(static_cast<int>(static_cast<uint64_t>(i) * 100 / n));
            host.ProcessEvents();
            if (host.AbortRequested())
                break;
            limit = std::min(((i + 1) / interval + 1) * interval - 1, n - 1);
        }
    }
    emit();
}

} // namespace lexref
