// The characters of a front end's row text, for the judge's drivers
// (judge_rows, judge_bench): "ANSI" text as Shift-JIS (printable bytes and
// pairs), "Unicode" and "UTF-8" text as code page 932 with \u{HEX} for a
// character the code page lacks.  Positions are those of the characters'
// bytes in the encoding the row was read in.
#pragma once

#include <stdio.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "japanese/judge.h"
#include "scan/cp932.h"

namespace judgerows {

using lex::japanese::JudgeForm;
using lex::japanese::RowChar;

inline bool Lead(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
inline bool Trail(uint8_t b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }
inline bool HalfKana(uint8_t b) { return b >= 0xA1 && b <= 0xDF; }
inline bool Printable(uint8_t b) { return b >= 0x20 && b <= 0x7E; }

// Code page 932 forms back to code points: lead << 8 | trail to the code
// point, 0 for a pair the code page leaves empty.
inline const std::vector<uint32_t> &Cp932Codes()
{
    static const std::vector<uint32_t> codes = [] {
        std::vector<uint32_t> c(65536, 0);
        for (uint32_t u = 0x80; u < 0x10000; ++u) {
            const uint16_t form = lex::Cp932Form(u);
            if (form >= 0x100 && c[form] == 0)
                c[form] = u;
        }
        return c;
    }();
    return codes;
}

// A pair the code page leaves empty reads as U+FFFF (a class of "other").
inline uint32_t PairCode(uint8_t lead, uint8_t trail)
{
    const uint32_t code = Cp932Codes()[lead << 8 | trail];
    return code ? code : 0xFFFFu;
}

// The characters of a row's text; `forms` (when given) gets each
// character's bytes in the text.
inline std::vector<RowChar> Decode(const std::string &text, JudgeForm form,
                                   std::vector<std::string> *forms = nullptr)
{
    std::vector<RowChar> chars;
    uint32_t at = 0;
    for (size_t k = 0; k < text.size();) {
        const uint8_t b = static_cast<uint8_t>(text[k]);
        uint32_t code = b;
        size_t n = 1;
        if (Lead(b) && k + 1 < text.size()) {
            code = PairCode(b, static_cast<uint8_t>(text[k + 1]));
            n = 2;
        } else if (HalfKana(b)) {
            code = 0xFF61 + (b - 0xA1);
        } else if (form != JudgeForm::ShiftJis && b == '\\' && text.compare(k, 3, "\\u{") == 0) {
            const size_t close = text.find('}', k);
            if (close != std::string::npos && close - k <= 9) {
                code = static_cast<uint32_t>(std::strtoul(text.substr(k + 3, close - k - 3).c_str(), nullptr, 16));
                n = close + 1 - k;
            }
        }
        uint32_t size = static_cast<uint32_t>(n);
        if (form == JudgeForm::Utf16Le)
            size = code >= 0x10000 ? 4 : 2;
        else if (form == JudgeForm::Utf8)
            size = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
        chars.push_back({code, at, size});
        if (forms)
            forms->push_back(text.substr(k, n));
        at += size;
        k += n;
    }
    return chars;
}

inline bool HasJapanese(const std::vector<RowChar> &chars)
{
    for (const RowChar &c : chars)
        if (c.code >= 0x80)
            return true;
    return false;
}

// Splits a line of the front end's layout (offset TAB kind TAB text, the
// text possibly holding TABs); false for a line of another shape.
inline bool SplitLine(const std::string &line, uint32_t *offset, std::string *kind, std::string *text)
{
    const size_t t1 = line.find('\t');
    const size_t t2 = t1 == std::string::npos ? t1 : line.find('\t', t1 + 1);
    if (t2 == std::string::npos)
        return false;
    *offset = static_cast<uint32_t>(std::strtoul(line.substr(0, t1).c_str(), nullptr, 16));
    *kind = line.substr(t1 + 1, t2 - t1 - 1);
    *text = line.substr(t2 + 1);
    return true;
}

// Calls row(offset, kind, text) for every line of the front end's layout
// that `in` holds.
template <typename Row>
void ReadRows(FILE *in, Row row)
{
    char *line = nullptr;
    size_t capacity = 0;
    ssize_t got;
    while ((got = getline(&line, &capacity, in)) >= 0) {
        std::string l(line, static_cast<size_t>(got));
        while (!l.empty() && (l.back() == '\n' || l.back() == '\r'))
            l.pop_back();
        uint32_t offset;
        std::string kind, text;
        if (SplitLine(l, &offset, &kind, &text))
            row(offset, kind, text);
    }
    std::free(line);
}

inline bool FormOf(const std::string &kind, JudgeForm *form)
{
    if (kind == "ANSI")
        *form = JudgeForm::ShiftJis;
    else if (kind == "Unicode")
        *form = JudgeForm::Utf16Le;
    else if (kind == "UTF-8")
        *form = JudgeForm::Utf8;
    else
        return false;
    return true;
}

} // namespace judgerows
