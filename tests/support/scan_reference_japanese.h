// The reference walk's Japanese-text filter (scan_reference.h), as plain
// as the rest of it.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "japanese/judge.h"
#include "scan/cp932.h"
#include "scan/scanner.h"

namespace lexref {

inline bool Printable(uint8_t x, const lex::ExtractionSettings &s)
{
    if (x >= 0x20 && x <= 0x7E)
        return true;
    return x >= 0xA1 && x <= 0xDF && !s.CheckHalfKana;
}

inline bool Trail(uint8_t x) { return (x >= 0x40 && x <= 0x7E) || (x >= 0x80 && x <= 0xFC); }

// The Japanese-text filter, plainly: a text with Japanese characters is
// judged by the Japanese-text judge (lex::japanese::JudgeRow, which has
// rule cases of its own); the part that reads as Japanese is kept and the
// rest read again as without the Japanese settings.  Every text byte
// carries the file offset and size of the character it belongs to.
struct Place {
    size_t at, size;
};
struct Piece {
    size_t start;
    lex::RowKind kind;
    std::string text;
    std::vector<std::pair<size_t, size_t>> standIns;  // (at, length) in text
};

inline bool IsLead(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
inline bool CleanByte(uint8_t b) { return b == 0 || b == 9 || b == 10 || b == 13; }
// A control unit, a dialog's class atom, a dialog font's italic flag and
// character set (1 or 0x80).
inline bool CleanUnit(unsigned u)
{
    return u < 0x20 || (u >= 0x80 && u <= 0x85) || u == 0x100 || u == 0x101 || u == 0x8000 ||
           u == 0x8001;
}

struct JapaneseText {
    const std::string &text;
    const std::vector<Place> &where;
    const std::vector<std::pair<size_t, size_t>> &standIns;
    lex::RowKind kind;
    bool cleanStart, cleanEnd;
    const lex::ExtractionSettings &st;
    size_t minLen, minJapanese;
    const uint8_t *data;  // the file, where `where` points
    std::vector<Piece> out;

    uint8_t byte(size_t t) const { return static_cast<uint8_t>(text[t]); }
    // The katakana byte left out alone between text byte t, a lead byte,
    // and the next one: that pair's trail byte (0: none).
    uint8_t lone(size_t t) const
    {
        if (!st.CheckHalfKana || !IsLead(byte(t)) || t + 1 >= text.size() ||
            where[t + 1].at != where[t].at + 2)
            return 0;
        const uint8_t b = data[where[t].at + 1];
        return b >= 0xA1 && b <= 0xDF ? b : 0;
    }
    // Characters [a, b) as text bytes, the trail bytes left out put back.
    std::string span(const std::vector<lex::japanese::RowChar> &c, const std::vector<size_t> &f,
                     size_t a, size_t b) const
    {
        std::string s;
        for (size_t k = a; k < b; ++k) {
            s += text.substr(f[k], f[k + 1] - f[k]);
            if (c[k].size == 2 && f[k + 1] == f[k] + 1)
                s.push_back(static_cast<char>(lone(f[k])));
        }
        return s;
    }
    // Text bytes [from, to) without pairs: runs of printable bytes,
    // half-width katakana left out when they are not printable.
    void plainRuns(size_t from, size_t to)
    {
        std::string run;
        size_t at = 0;
        for (size_t t = from; t <= to; ++t) {
            const bool kana = t < to && byte(t) >= 0xA1 && byte(t) <= 0xDF;
            if (t < to && Printable(byte(t), st)) {
                if (run.empty())
                    at = where[t].at;
                run.push_back(text[t]);
            } else if (!kana) {
                if (run.size() >= minLen)
                    out.push_back({at, lex::RowKind::Ansi, run, {}});
                run.clear();
            }
        }
    }
    // Shift-JIS characters from text byte t on, to a lead byte without its
    // trail byte right after it in the file.
    size_t read(size_t t, std::vector<lex::japanese::RowChar> &chars,
                std::vector<size_t> &firsts) const
    {
        chars.clear();
        firsts.clear();
        for (; t < text.size(); ++t) {
            firsts.push_back(t);
            if (!IsLead(byte(t))) {
                const uint32_t code = byte(t) >= 0xA1 && byte(t) <= 0xDF ? 0xFF61u + (byte(t) - 0xA1u) : byte(t);
                chars.push_back({code, static_cast<uint32_t>(where[t].at), 1});
                continue;
            }
            if (lone(t) != 0) {
                const uint32_t code = lex::Cp932Char(byte(t), lone(t));
                chars.push_back({code ? code : 0xFFFFu, static_cast<uint32_t>(where[t].at), 2,
                                 lex::japanese::kClassUnknown,
                                 static_cast<uint16_t>(byte(t) << 8 | lone(t))});
                continue;
            }
            if (t + 1 >= text.size() || !Trail(byte(t + 1)) || where[t + 1].at != where[t].at + 1) {
                firsts.pop_back();
                break;
            }
            const uint32_t code = lex::Cp932Char(byte(t), byte(t + 1));
            chars.push_back({code ? code : 0xFFFFu, static_cast<uint32_t>(where[t].at), 2,
                             lex::japanese::kClassUnknown,
                             static_cast<uint16_t>(byte(t) << 8 | byte(t + 1))});
            ++t;
        }
        firsts.push_back(t);
        return t;
    }
    static bool anyJapanese(const std::vector<lex::japanese::RowChar> &c, size_t a, size_t b)
    {
        for (size_t k = a; k < b; ++k)
            if (c[k].code >= 0x80)
                return true;
        return false;
    }
    // Whether text bytes [a, b) are Japanese pairs, each side by side,
    // none a kanji of the two rarest bands, nor one code-like kanji alone,
    // the first not a kanji before a katakana unless it begins loanword
    // compounds.
    bool japanesePairs(size_t a, size_t b) const
    {
        if ((b - a) % 2)
            return false;
        const bool alone = b - a == 2;
        if (!alone && IsLead(byte(a + 2)) && Trail(byte(a + 3))) {
            const int form = static_cast<int>(lex::japanese::JudgeForm::ShiftJis);
            const uint32_t first = lex::Cp932Char(byte(a), byte(a + 1));
            const uint32_t next = lex::Cp932Char(byte(a + 2), byte(a + 3));
            if (first >= 0x4E00 && first <= 0x9FFF && next != 0 &&
                lex::japanese::ClassOf(next, form) == lex::japanese::kKatakana &&
                !lex::japanese::LoanwordPrefix(first))
                return false;
        }
        for (; a < b; a += 2) {
            if (!IsLead(byte(a)) || !Trail(byte(a + 1)) || where[a + 1].at != where[a].at + 1)
                return false;
            const uint32_t code = lex::Cp932Char(byte(a), byte(a + 1));
            const int form = static_cast<int>(lex::japanese::JudgeForm::ShiftJis);
            const uint8_t cls = code ? lex::japanese::ClassOf(code, form) : uint8_t(lex::japanese::kOther);
            if (!lex::japanese::IsJapaneseClass(cls) || cls == lex::japanese::kKanji4 ||
                cls == lex::japanese::kKanji5 || (alone && cls == lex::japanese::kCodeLike))
                return false;
        }
        return true;
    }
    // How many kana and common kanji text bytes [a, b) read as, pairs
    // side by side or with their katakana trail byte left out, ending at b
    // in step (0: they do not).
    size_t commonPairsInStep(size_t a, size_t b) const
    {
        size_t n = 0;
        const int form = static_cast<int>(lex::japanese::JudgeForm::ShiftJis);
        while (a < b) {
            if (!IsLead(byte(a)))
                return 0;
            uint8_t trail = lone(a);
            size_t bytes = 1;
            if (trail == 0) {
                if (a + 2 > b || !Trail(byte(a + 1)) || where[a + 1].at != where[a].at + 1)
                    return 0;
                trail = byte(a + 1);
                bytes = 2;
            }
            const uint32_t code = lex::Cp932Char(byte(a), trail);
            if (code == 0 || !lex::japanese::IsCommonTextClass(lex::japanese::ClassOf(code, form)))
                return 0;
            a += bytes;
            ++n;
        }
        return n;
    }
    void shiftJis()
    {
        using lex::japanese::JudgeForm;
        std::vector<lex::japanese::RowChar> c, c2;
        std::vector<size_t> f, f2;
        bool clean = cleanStart;
        int rounds = 0;
        size_t realigned = 0;
        for (size_t t = 0; t < text.size();) {
            size_t end = read(t, c, f);
            auto verdict = [&](const std::vector<lex::japanese::RowChar> &x, bool edge, size_t e) {
                return lex::japanese::JudgeRow(x.data(), x.size(), JudgeForm::ShiftJis,
                                               {edge, e == text.size() && cleanEnd});
            };
            // (Its trail byte may be the first letter of a name or a
            // format that a short text ending at a clean edge begins with.)
            const uint8_t second = t + 2 < text.size() ? byte(t + 1) : 0;
            const bool name = end == text.size() && cleanEnd && text.size() - t <= 80 && IsLead(byte(t)) &&
                              (((second | 0x20) >= 'a' && (second | 0x20) <= 'z') || second == '%');
            if (anyJapanese(c, 0, c.size()) && !clean && c[0].size == 2 && f[1] == t + 2 &&
                (IsLead(byte(t + 1)) || name)) {
                const size_t end2 = read(t + 1, c2, f2);
                if (anyJapanese(c2, 0, c2.size())) {
                    const auto a = verdict(c, false, end), b = verdict(c2, false, end2);
                    if (b.japanese && (!a.japanese || b.margin > a.margin)) {
                        c.swap(c2);
                        f.swap(f2);
                        ++t;
                        end = end2;
                    }
                }
            }
            auto v = anyJapanese(c, 0, c.size()) ? verdict(c, clean, end)
                                                 : lex::japanese::Verdict{false, 0, 0, 0};
            clean = false;
            if (v.japanese && v.first <= realigned)
                v.first = 0;
            realigned = 0;
            if (!v.japanese) {
                plainRuns(t, end);
                t = end + 1;
                continue;
            }
            if (v.first > 0 && rounds < 8) {
                ++rounds;
                const bool pair = c[v.first - 1].size == 2;
                // Pairs and a single byte before the kept characters that
                // read as Japanese pairs from one of those pairs' trail
                // byte on: the earliest such byte starts the text.
                size_t from = 0;
                for (size_t k = v.first - 1; !pair && k-- > 0 && c[k].size == 2;) {
                    if (japanesePairs(f[k] + 1, f[v.first]))
                        from = f[k] + 1;
                    else if (f[v.first] - f[k] - 1 > 2)
                        break;
                }
                // A head cut after pairs: one byte on from the trail byte
                // of one of its last three pairs, side by side, kana and
                // common kanji read up to the kept characters in step.
                size_t shifted = 0;
                for (size_t k = v.first, back = 0; pair && k-- > 0 && back < 3; ++back) {
                    if (c[k].size != 2 || f[k + 1] != f[k] + 2)
                        break;
                    const size_t n = commonPairsInStep(f[k] + 1, f[v.first]);
                    if (n > 0) {
                        from = f[k] + 1;
                        shifted = n;
                    }
                }
                if (from > 0) {
                    plainRuns(t, from);
                    realigned = pair ? shifted : (f[v.first] - from) / 2;
                    t = from;
                    continue;
                }
                // ASCII after a pair whose trail byte is ASCII: that byte
                // is read again with the ASCII after it.
                size_t k = v.first;
                while (!pair && k > 0 && c[k - 1].size == 1 && c[k - 1].code < 0x80 &&
                       c[k].at == c[k - 1].at + 1)
                    --k;
                if (!pair && k < v.first && k > 0 && c[k - 1].size == 2 && f[k] == f[k - 1] + 2 &&
                    c[k].at == c[k - 1].at + 2 && byte(f[k - 1] + 1) >= 0x40 &&
                    byte(f[k - 1] + 1) <= 0x7E) {
                    plainRuns(t, f[k - 1]);
                    t = f[k - 1] + 1;
                    continue;
                }
                plainRuns(t, f[v.first - 1] + (pair ? 0 : 1));
                t = pair ? f[v.first - 1] + 1 : f[v.first];
                continue;
            }
            rounds = 0;
            plainRuns(t, f[v.first]);
            if (v.end - v.first >= minJapanese)
                out.push_back({c[v.first].at, lex::RowKind::Ansi,
                               span(c, f, v.first, v.end), {}});
            else
                plainRuns(f[v.first], f[v.end]);
            plainRuns(f[v.end], end);
            t = end + 1;
        }
    }
    void other()
    {
        using lex::japanese::JudgeForm;
        const bool wide = kind == lex::RowKind::Unicode;
        std::vector<lex::japanese::RowChar> c;
        std::vector<size_t> f;
        for (size_t t = 0; t < text.size();) {
            size_t bytes = 1;
            uint32_t code = byte(t);
            for (const auto &s : standIns)
                if (s.first == t) {
                    code = static_cast<uint32_t>(std::strtoul(text.c_str() + t + 3, nullptr, 16));
                    bytes = s.second;
                }
            if (bytes == 1 && IsLead(byte(t)) && t + 1 < text.size()) {
                code = lex::Cp932Char(byte(t), byte(t + 1));
                code = code ? code : 0xFFFFu;
                bytes = 2;
            } else if (bytes == 1 && code >= 0xA1 && code <= 0xDF) {
                code = 0xFF61u + (code - 0xA1u);
            }
            c.push_back({code, static_cast<uint32_t>(where[t].at),
                         wide ? 2u : static_cast<uint32_t>(where[t].size)});
            f.push_back(t);
            t += bytes;
        }
        f.push_back(text.size());
        const lex::RowKind plain = wide ? lex::RowKind::Unicode : lex::RowKind::Ansi;
        auto asciiRuns = [&](size_t a, size_t b) {
            for (size_t k = a; k < b;) {
                size_t e = k;
                while (e < b && c[e].code < 0x80)
                    ++e;
                if (e - k >= minLen && e > k)
                    out.push_back({c[k].at, plain, text.substr(f[k], f[e] - f[k]), {}});
                k = e == k ? k + 1 : e;
            }
        };
        const auto v = lex::japanese::JudgeRow(c.data(), c.size(), wide ? JudgeForm::Utf16Le : JudgeForm::Utf8,
                                               {cleanStart, cleanEnd});
        if (!v.japanese) {
            asciiRuns(0, c.size());
            return;
        }
        asciiRuns(0, v.first);
        if (v.end - v.first >= minJapanese) {
            Piece p{c[v.first].at, kind, text.substr(f[v.first], f[v.end] - f[v.first]), {}};
            for (const auto &s : standIns)
                if (s.first >= f[v.first] && s.first < f[v.end])
                    p.standIns.push_back({s.first - f[v.first], s.second});
            out.push_back(p);
        } else {
            asciiRuns(v.first, v.end);
        }
        asciiRuns(v.end, c.size());
    }
};

} // namespace lexref
