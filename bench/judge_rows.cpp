// judge_rows: the Japanese-text judge applied to the rows a front end
// listed, before the walk uses it, so that the quality scripts can count
// what the judged rows would be.
//
//   lexprobe -R --no-check-english --no-check-kanji-noise -m 2 [--search-...] FILE |
//       judge_rows [--min-japanese N] [--min-length M] [--japanese-only] FILE
//
// Reads the rows (offset TAB kind TAB text CR LF) from standard input and
// writes the judged rows in the same layout.  FILE is the scanned file: the
// driver finds each row's bytes in it, to see the row's edges (a zero, a
// tab or a line break right before and after it) and to read bytes again.
//
// A row without Japanese characters passes unchanged when it holds
// --min-length bytes or more (default 5).  A row with Japanese characters
// is judged:
//   - read as Japanese: the span the judge keeps is listed when it holds
//     --min-japanese characters or more (default 2).  Where the head cut
//     off ends in a Shift-JIS pair, the walk would read that pair's trail
//     byte again: the driver reads the file's bytes again from it by the
//     Shift-JIS rule (printable ASCII, a lead byte with its trail byte) and
//     judges what it reads, so an ASCII trail byte ("[" of "[Enter]") joins
//     the text, and a trail byte that is a lead byte begins the pair it
//     belongs to;
//     A Shift-JIS row at a dirty edge whose first pair's trail byte is a
//     lead byte is also read from that byte, and the reading the judge
//     scores higher is kept;
//   - not read as Japanese: a Shift-JIS row is read again without pairs
//     (its printable ASCII runs, as rows of --min-length bytes or more);
//     a UTF-16 or UTF-8 row is dropped.
// A Shift-JIS row dropped, or cut at its tail, whose last pair took a lead
// byte as its trail byte, has that byte read again as the start of a row
// (the front end's rows it overlaps are passed over).
// With --japanese-only only rows that hold Japanese characters are written;
// --margins adds a fourth column, the judge's margin (judge.h).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "judge_rowtext.h"

namespace {

using namespace judgerows;

struct Options {
    size_t minJapanese = 2;
    size_t minLength = 5;
    bool japaneseOnly = false;
    bool margins = false;  // a fourth column with the judge's margin
};

class Driver {
public:
    Driver(const std::string &file, const Options &options) : data_(file), opt_(options) {}

    void Row(uint32_t offset, const std::string &kind, const std::string &text)
    {
        JudgeForm form;
        if (FormOf(kind, &form) && form == JudgeForm::ShiftJis) {
            if (offset >= readAgainTo_)
                Ansi(offset, text);
        }
        else if (FormOf(kind, &form))
            Wide(offset, text, form);
        else if (!opt_.japaneseOnly && text.size() >= opt_.minLength)
            Write(offset, kind, text);
    }

private:
    // A zero, a tab or a line break, or the file's edge, makes a row's edge
    // clean; for UTF-16 text any control code unit (the length words of
    // string tables stand there) and a dialog's control class atoms
    // 0x0080-0x0085.
    static bool CleanByte(uint32_t b) { return b == 0 || b == 9 || b == 10 || b == 13; }
    uint32_t UnitAt(size_t at, size_t unit) const
    {
        const uint32_t lo = static_cast<uint8_t>(data_[at]);
        return unit == 2 ? lo | static_cast<uint32_t>(static_cast<uint8_t>(data_[at + 1])) << 8 : lo;
    }
    static bool Clean(uint32_t u, size_t unit)
    {
        return unit == 2 ? u < 0x20 || (u >= 0x80 && u <= 0x85) : CleanByte(u);
    }
    bool CleanBefore(size_t at, size_t unit) const { return at < unit || Clean(UnitAt(at - unit, unit), unit); }
    bool CleanAfter(size_t at, size_t unit) const
    {
        return at + unit > data_.size() || Clean(UnitAt(at, unit), unit);
    }

    void Write(uint32_t offset, const std::string &kind, const std::string &text, int32_t margin = 0)
    {
        if (opt_.margins)
            std::printf("%08X\t%s\t%s\t%d\r\n", offset, kind.c_str(), text.c_str(), static_cast<int>(margin));
        else
            std::printf("%08X\t%s\t%s\r\n", offset, kind.c_str(), text.c_str());
    }

    // The Shift-JIS run the walk reads from file position `at`: printable
    // ASCII and pairs, half-width katakana bytes passed over.  Its
    // characters (positions relative to `at`) and where it ends.
    size_t ReadAnsi(size_t at, std::vector<RowChar> *chars, std::string *bytes) const
    {
        chars->clear();
        bytes->clear();
        size_t i = at;
        while (i < data_.size()) {
            const uint8_t b = static_cast<uint8_t>(data_[i]);
            if (Printable(b)) {
                chars->push_back({b, static_cast<uint32_t>(i - at), 1});
                bytes->push_back(static_cast<char>(b));
                ++i;
            } else if (Lead(b) && i + 1 < data_.size() && Trail(static_cast<uint8_t>(data_[i + 1]))) {
                const uint8_t t = static_cast<uint8_t>(data_[i + 1]);
                chars->push_back({PairCode(b, t), static_cast<uint32_t>(i - at), 2,
                                  lex::japanese::kClassUnknown, static_cast<uint16_t>(b << 8 | t)});
                bytes->push_back(static_cast<char>(b));
                bytes->push_back(static_cast<char>(t));
                i += 2;
            } else if (HalfKana(b)) {
                ++i;
            } else {
                break;
            }
        }
        return i;
    }

    // ASCII runs of file bytes [from, to) as rows, as the walk lists them
    // when it reads the bytes without pairs.
    void PlainRuns(size_t from, size_t to)
    {
        if (opt_.japaneseOnly)
            return;
        size_t i = from;
        while (i < to) {
            while (i < to && !Printable(static_cast<uint8_t>(data_[i])))
                ++i;
            const size_t start = i;
            std::string run;
            while (i < to && (Printable(static_cast<uint8_t>(data_[i])) || HalfKana(static_cast<uint8_t>(data_[i])))) {
                if (Printable(static_cast<uint8_t>(data_[i])))
                    run.push_back(data_[i]);
                ++i;
            }
            if (run.size() >= opt_.minLength)
                Write(static_cast<uint32_t>(start), "ANSI", run);
        }
    }

    void Ansi(uint32_t offset, const std::string &text)
    {
        std::vector<RowChar> chars;
        std::string bytes;
        size_t at = offset;
        size_t end = ReadAnsi(at, &chars, &bytes);
        if (bytes != text) {
            // Not the row the front end read (another rule cut it): judge
            // its own bytes, contiguous from the offset.
            end = at + text.size();
            chars = Decode(text, JudgeForm::ShiftJis);
            bytes = text;
        }
        if (!HasJapanese(chars)) {
            if (!opt_.japaneseOnly && text.size() >= opt_.minLength)
                Write(offset, "ANSI", text);
            return;
        }
        // Judged again after each head cut, from the cut on (from the
        // trail byte of a pair cut off: the walk reads it again); each
        // round starts further on.
        for (int round = 0; round < 8; ++round) {
            // At a dirty edge, a first pair whose trail byte is a lead byte
            // may be machine code's last byte taking the text's first lead
            // byte ("8B 82" before "82 A8 82 C1" of "おっと"): the reading
            // from that trail byte is judged too, and the better one kept.
            if (!CleanBefore(at, 1) && chars[0].size == 2 && Lead(static_cast<uint8_t>(data_[at + 1]))) {
                std::vector<RowChar> other;
                std::string otherBytes;
                const size_t otherEnd = ReadAnsi(at + 1, &other, &otherBytes);
                if (HasJapanese(other)) {
                    const lex::japanese::Verdict a = lex::japanese::JudgeRow(
                        chars.data(), chars.size(), JudgeForm::ShiftJis, {false, CleanAfter(end, 1)});
                    const lex::japanese::Verdict b = lex::japanese::JudgeRow(
                        other.data(), other.size(), JudgeForm::ShiftJis, {false, CleanAfter(otherEnd, 1)});
                    if (b.japanese && (!a.japanese || b.margin > a.margin)) {
                        at += 1;
                        end = otherEnd;
                        chars.swap(other);
                        bytes.swap(otherBytes);
                        readAgainTo_ = std::max(readAgainTo_, end);
                    }
                }
            }
            const lex::japanese::Verdict v = lex::japanese::JudgeRow(
                chars.data(), chars.size(), JudgeForm::ShiftJis,
                {CleanBefore(at, 1), CleanAfter(end, 1)});
            if (!v.japanese) {
                PlainRuns(at, end);
                ReadLastTrailAgain(at, chars);
                return;
            }
            if (v.first > 0) {
                const RowChar &cut = chars[v.first - 1];
                const size_t from = cut.size == 2 ? at + cut.at + 1 : at + chars[v.first].at;
                PlainRuns(at, at + cut.at + (cut.size == 2 ? 0 : 1));
                at = from;
                end = ReadAnsi(at, &chars, &bytes);
                readAgainTo_ = std::max(readAgainTo_, end);
                if (!HasJapanese(chars)) {
                    PlainRuns(at, end);
                    return;
                }
                continue;
            }
            uint32_t from = 0, to = 0;
            lex::japanese::KeptBytes(chars.data(), v, &from, &to);
            if (v.end - v.first >= opt_.minJapanese)
                Write(static_cast<uint32_t>(at + from), "ANSI", Slice(bytes, chars, v.first, v.end), v.margin);
            PlainRuns(at + to, end);
            if (v.end < chars.size())
                ReadLastTrailAgain(at, chars);
            return;
        }
    }

    // A row dropped or cut whose last character is a pair with a lead byte
    // as its trail byte ("EA 82" before the "82 A0" of "あなた"): the walk
    // reads that byte again, as the start of the next row.  The front
    // end's rows that the new one overlaps are passed over.
    void ReadLastTrailAgain(size_t at, const std::vector<RowChar> &chars)
    {
        const RowChar &last = chars.back();
        const size_t trail = at + last.at + 1;
        if (last.size != 2 || !Lead(static_cast<uint8_t>(data_[trail])))
            return;
        std::vector<RowChar> again;
        std::string bytes;
        const size_t end = ReadAnsi(trail, &again, &bytes);
        if (end - trail < 2 || !HasJapanese(again))
            return;
        readAgainTo_ = end;
        const lex::japanese::Verdict v = lex::japanese::JudgeRow(
            again.data(), again.size(), JudgeForm::ShiftJis, {false, CleanAfter(end, 1)});
        if (!v.japanese || v.end - v.first < opt_.minJapanese)
            return;
        uint32_t from = 0, to = 0;
        lex::japanese::KeptBytes(again.data(), v, &from, &to);
        Write(static_cast<uint32_t>(trail + from), "ANSI", Slice(bytes, again, v.first, v.end), v.margin);
    }

    // The row's bytes of characters [first, end).  Half-width katakana are
    // passed over by the walk, so the slice is built from the characters.
    static std::string Slice(const std::string &bytes, const std::vector<RowChar> &chars, uint32_t first, uint32_t end)
    {
        std::string out;
        size_t pos = 0;
        for (uint32_t k = 0; k < first; ++k)
            pos += chars[k].size;
        for (uint32_t k = first; k < end; ++k) {
            out.append(bytes, pos, chars[k].size);
            pos += chars[k].size;
        }
        return out;
    }

    // A UTF-16 or UTF-8 row: its text in code page 932 with \u{HEX} for a
    // character the code page lacks, decoded back to code points.
    void Wide(uint32_t offset, const std::string &text, JudgeForm form)
    {
        std::vector<std::string> forms;
        const std::vector<RowChar> chars = Decode(text, form, &forms);
        const uint32_t at = chars.empty() ? 0 : chars.back().at + chars.back().size;
        if (!HasJapanese(chars)) {
            if (!opt_.japaneseOnly && chars.size() >= opt_.minLength)
                Write(offset, form == JudgeForm::Utf8 ? "UTF-8" : "Unicode", text);
            return;
        }
        const size_t unit = form == JudgeForm::Utf16Le ? 2 : 1;
        const lex::japanese::Verdict v = lex::japanese::JudgeRow(
            chars.data(), chars.size(), form, {CleanBefore(offset, unit), CleanAfter(offset + at, unit)});
        if (!v.japanese || v.end - v.first < opt_.minJapanese)
            return;
        std::string kept;
        for (uint32_t k = v.first; k < v.end; ++k)
            kept += forms[k];
        Write(offset + chars[v.first].at, form == JudgeForm::Utf8 ? "UTF-8" : "Unicode", kept, v.margin);
    }

    const std::string &data_;
    Options opt_;
    size_t readAgainTo_ = 0;  // front-end rows before it were read again
};

bool ReadFile(const char *path, std::string *out)
{
    FILE *f = std::fopen(path, "rb");
    if (!f)
        return false;
    char buf[1 << 16];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        out->append(buf, n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

int Usage()
{
    std::fprintf(stderr, "usage: judge_rows [--min-japanese N] [--min-length M] [--japanese-only] FILE < ROWS\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    Options opt;
    const char *path = nullptr;
    for (int k = 1; k < argc; ++k) {
        const std::string a = argv[k];
        if ((a == "--min-japanese" || a == "--min-length") && k + 1 < argc) {
            const long n = std::strtol(argv[++k], nullptr, 10);
            if (n < 1)
                return Usage();
            (a == "--min-japanese" ? opt.minJapanese : opt.minLength) = static_cast<size_t>(n);
        } else if (a == "--japanese-only") {
            opt.japaneseOnly = true;
        } else if (a == "--margins") {
            opt.margins = true;
        } else if (!path && a[0] != '-') {
            path = argv[k];
        } else {
            return Usage();
        }
    }
    if (!path)
        return Usage();
    std::string data;
    if (!ReadFile(path, &data)) {
        std::fprintf(stderr, "judge_rows: cannot read %s\n", path);
        return 1;
    }
    Driver driver(data, opt);
    ReadRows(stdin, [&](uint32_t offset, const std::string &kind, const std::string &text) {
        driver.Row(offset, kind, text);
    });
    return std::fflush(stdout) == 0 ? 0 : 3;
}
