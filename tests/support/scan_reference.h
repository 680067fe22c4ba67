// A deliberately plain model of the string scanner, its repetition filter
// and the English-word marker, written straight from what they do: one
// position per step, the candidate grown a byte at a time, runs of equal
// bytes counted afresh at every byte, the dictionary block walked linearly
// from its first entry for every extension of the word.  It shares no code
// with the program, so that a fault of the program's cannot hide in it.
// Tests, the fuzz target and the benchmark compare the real scanner with it
// row for row.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "Check/dictionary.h"
#include "Check/scanner.h"

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

// The byte walk, one position at a time.  `checked` rows come from `dict`
// (null: none).  A checkpoint follows the step that reaches the last
// position of each `interval`-sized block and of the data.
inline void Scan(const uint8_t *data, size_t n, int m, const lex::ExtractionSettings &st,
                 const lex::WordDictionary *dict, lex::ScanHost &host,
                 size_t interval = lex::kCheckpointInterval)
{
    std::string cand;
    size_t start = 0;
    bool wide = false;
    const size_t minLen = static_cast<size_t>(m < 1 ? 1 : m);

    auto emit = [&]() {
        if (cand.size() < minLen)
            return;
        if (st.CheckRecurrence && Repetitive(cand, st.RecurrenceTime))
            return;
        const bool checked = st.CheckEnglish && dict && ContainsWord(*dict, st, cand);
        host.AddRow(static_cast<uint32_t>(start), wide, cand.data(), cand.size(), checked);
    };
    auto flush = [&]() {
        emit();
        cand.clear();
        wide = false;
    };
    auto append = [&](size_t at, uint8_t byte) {
        if (cand.empty())
            start = at;
        cand.push_back(static_cast<char>(byte));
    };

    if (n == 0)
        return;
    size_t limit = std::min(interval - 1, n - 1);
    for (size_t i = 0; i < n; ++i) {
        const uint8_t b = data[i];
        const uint8_t x = i + 1 < n ? data[i + 1] : 0;
        if (b == 0) {
            if (wide) {
                if (!Printable(x, st))
                    flush();
            } else if (cand.size() == 1) {
                if (Printable(x, st)) {
                    wide = true;
                } else {
                    cand.clear();
                    wide = false;
                }
            } else {
                flush();
            }
        } else if ((b >= 0x20 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF)) {
            if (!Printable(b, st)) {
            } else if (wide && x != 0) {
            } else {
                append(i, b);
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
                flush();
            }
        } else {
            flush();
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
