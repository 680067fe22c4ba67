// The reference walk's rooms for Japanese text in EUC-JP, ISO-2022-JP and
// UTF-16BE (scan_reference.h), plainly: each encoding reads the whole data
// position by position, judges its runs, zeroes the bytes of its rows for
// the encodings after it and for the rest of the walk, and keeps its rows
// until the walk's rows pass them.  It shares the code page 932 and JIS X
// 0212 tables and the judge's verdict with the program, nothing else.
#pragma once

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "japanese/judge.h"
#include "scan/cp932.h"
#include "scan/scanner.h"

namespace lex {
extern const uint16_t kJisX0212Chars[94 * 94];
}

namespace lexref {

// A row of the further encodings, waiting for its turn.
struct EncodedRow {
    size_t start;
    lex::RowKind kind;
    std::string text;
    std::vector<std::pair<size_t, size_t>> standIns;  // (start, length)
};

struct RefChar {
    uint32_t code;
    size_t from, to;
};

class EncodedReference {
public:
    static constexpr size_t kHead = 256, kMaxRun = 2048;

    EncodedReference(std::vector<uint8_t> &data, const lex::ExtractionSettings &st) : d_(data), st_(st)
    {
        minJapanese_ = static_cast<size_t>(lex::kMinJapaneseStrRange.Clamp(st.MinJapaneseStr));
        for (int e = 0; e < 3; ++e)
            if ((e == 0 && st.SearchEucJp) || (e == 1 && st.SearchIso2022Jp) ||
                (e == 2 && st.SearchUtf16Be))
                Room(e);
        std::stable_sort(rows.begin(), rows.end(),
                         [](const EncodedRow &a, const EncodedRow &b) { return a.start < b.start; });
    }

    std::vector<EncodedRow> rows;

private:
    uint8_t At(size_t k) const { return k < d_.size() ? d_[k] : 0; }
    uint16_t Be(size_t k) const { return static_cast<uint16_t>(At(k) << 8 | At(k + 1)); }
    static bool Ascii(uint32_t c) { return c >= 0x20 && c <= 0x7E; }
    static bool Clean(uint8_t b) { return b == 0 || b == 9 || b == 10 || b == 13; }
    bool BeJapanese(size_t k) const
    {
        // (With "×" and "÷", whose units 00 D7 and 00 F7 text sets between numbers.)
        return k + 1 < d_.size() && Be(k) >= 0x80 &&
               (lex::JapaneseUnitCp932(Be(k)) != 0 || Be(k) == 0xD7 || Be(k) == 0xF7);
    }
    static uint32_t Jis0208(uint32_t j1, uint32_t j2)
    {
        const uint32_t lead = (j1 + 1) / 2 + (j1 <= 0x5E ? 0x70 : 0xB0);
        const uint32_t trail = j2 + (j1 % 2 ? (j2 < 0x60 ? 0x1F : 0x20) : 0x7E);
        const uint32_t c = lex::Cp932Char(static_cast<uint8_t>(lead), static_cast<uint8_t>(trail));
        return c >= 0xE000 && c <= 0xF8FF ? 0 : c;
    }
    static uint32_t Jis0212(uint32_t j1, uint32_t j2)
    {
        return lex::kJisX0212Chars[(j1 - 0x21) * 94 + (j2 - 0x21)];
    }

    // One reading at k: 1 a character (*c), 0 bytes passed over, -1 the end;
    // *next the position after it.  `set`: ISO-2022-JP's set in force (0
    // ASCII, 1 JIS X 0208, 2 katakana, 3 JIS X 0212), `escape` where the
    // escape before the position began (SIZE_MAX: none).
    int Read(int e, size_t k, int &set, size_t &escape, RefChar *c, size_t *next) const
    {
        const uint8_t b = At(k), t = At(k + 1), u = At(k + 2);
        *next = k + 1;
        auto take = [&](uint32_t code, size_t bytes, size_t from) {
            if (code == 0)
                return -1;
            *c = {code, from, k + bytes};
            *next = k + bytes;
            return 1;
        };
        if (e == 2) {
            if (k + 1 >= d_.size() || (!Ascii(Be(k)) && !BeJapanese(k)))
                return -1;
            return take(Be(k), 2, k);
        }
        if (e == 0) {
            if (Ascii(b))
                return take(b, 1, k);
            if (b >= 0xA1 && b <= 0xFE && t >= 0xA1 && t <= 0xFE)
                return take(Jis0208(b - 0x80u, t - 0x80u), 2, k);
            if (b == 0x8E && t >= 0xA1 && t <= 0xDF) {
                *next = k + 2;
                return st_.CheckHalfKana ? 0 : take(0xFF61 + t - 0xA1u, 2, k);
            }
            if (b == 0x8F && t >= 0xA1 && t <= 0xFE && u >= 0xA1 && u <= 0xFE)
                return take(Jis0212(t - 0x80u, u - 0x80u), 3, k);
            return -1;
        }
        if (b == 0x1B) {
            const int to = Escape(k);
            if (to < 0)
                return -1;
            set = to;
            if (escape == SIZE_MAX)
                escape = k;
            *next = k + (At(k + 2) == '(' ? 4 : 3);
            return 0;
        }
        const size_t from = escape != SIZE_MAX ? escape : k;
        int r = -1;
        if (set == 0 && Ascii(b))
            r = take(b, 1, from);
        else if (set == 2 && b >= 0x21 && b <= 0x5F)
            r = st_.CheckHalfKana ? 0 : take(0xFF61 + b - 0x21u, 1, from);
        else if ((set == 1 || set == 3) && b >= 0x21 && b <= 0x7E && t >= 0x21 && t <= 0x7E)
            r = take(set == 1 ? Jis0208(b, t) : Jis0212(b, t), 2, from);
        if (r == 0)
            *next = k + 1;
        if (r == 1)
            escape = SIZE_MAX;
        return r;
    }
    // The set an escape at k switches to; -1 for an unknown one.
    int Escape(size_t k) const
    {
        const uint8_t a = At(k + 1), b = At(k + 2);
        if (a == '(' && (b == 'B' || b == 'J'))
            return 0;
        if (a == '(' && b == 'I')
            return 2;
        if (a == '$' && (b == 'B' || b == '@'))
            return 1;
        if (a == '$' && b == '(' && At(k + 3) == 'D')
            return 3;
        return -1;
    }
    bool Begins(int e, size_t q) const
    {
        int set = 0;
        size_t escape = SIZE_MAX, next;
        RefChar c;
        // Kana, kanji or full-width forms.
        auto high = [&](size_t k) { return At(k) == 0x30 || (At(k) >= 0x4E && At(k) <= 0x9F) || At(k) == 0xFF; };
        if (e == 2)
            return high(q) && high(q + 2) && BeJapanese(q) && BeJapanese(q + 2) &&
                   (!(Ascii(At(q)) && Ascii(At(q + 1))) || q < 2 || At(q - 2) == 0 ||
                    (At(q - 2) == 0xFE && At(q - 1) == 0xFF));
        if (e == 0)
            return Read(e, q, set, escape, &c, &next) == 1 && c.code >= 0x80 &&
                   Read(e, next, set, escape, &c, &next) == 1 && c.code >= 0x80;
        if (At(q) != 0x1B || Escape(q) <= 0)
            return false;
        Read(e, q, set, escape, &c, &next);
        return Read(e, next, set, escape, &c, &next) == 1;
    }

    void Room(int e)
    {
        const size_t n = d_.size();
        size_t retryUntil = 0, retryAt = 0;
        for (size_t q = 0; q < n; ++q) {
            if (!Begins(e, q))
                continue;
            // UTF-16BE looked into again: not in step with the run before.
            if (e == 2 && q < retryUntil && (q - retryAt) % 2 == 0)
                continue;
            // The head, back from q.
            size_t h = q;
            const size_t floor = q > kHead ? q - kHead : 0;
            if (e == 2) {
                while (h >= floor + 2 && (Ascii(Be(h - 2)) || BeJapanese(h - 2)))
                    h -= 2;
            } else {
                while (h > floor && Ascii(d_[h - 1]))
                    --h;
            }
            std::vector<RefChar> run;
            for (size_t k = h; k < q; k += e == 2 ? 2 : 1)
                run.push_back({e == 2 ? uint32_t(Be(k)) : uint32_t(d_[k]), k, k + (e == 2 ? 2 : 1)});
            // An EUC-JP head holds pairs too: back over their bytes, then
            // read forward from after each byte that begins no character,
            // unless a character read so runs past q.
            if (e == 0) {
                size_t g = q;
                while (g > floor && (Ascii(d_[g - 1]) || (d_[g - 1] >= 0xA1 && d_[g - 1] <= 0xFE)))
                    --g;
                // An odd count of pair bytes before the first ASCII one (or
                // q): the first of them is no pair's.
                size_t odd = 0;
                for (size_t k = g; k < q && !Ascii(d_[k]); ++k)
                    odd ^= 1;
                g += odd;
                std::vector<RefChar> head;
                size_t j = g;
                while (j < q) {
                    RefChar c;
                    size_t next;
                    int set = 0;
                    size_t escape = SIZE_MAX;
                    if (Read(e, j, set, escape, &c, &next) < 0) {
                        head.clear();
                        g = ++j;
                        continue;
                    }
                    head.push_back(c);
                    j = next;
                }
                if (j == q) {
                    h = g;
                    run = head;
                }
            }
            // (UTF-16BE: FE FF before FF xx is no byte-order mark.)
            bool cleanStart = h == 0 || (e == 2 ? h < 2 || Be(h - 2) < 0x20 ||
                                                      (Be(h - 2) == 0xFEFF && At(h) != 0xFF)
                                                : Clean(d_[h - 1]));
            size_t runFrom = h, k = q;
            bool whole = true;
            int set = 0;
            size_t escape = SIZE_MAX;
            for (;;) {
                RefChar c;
                size_t next;
                const int r = k < n ? Read(e, k, set, escape, &c, &next) : -1;
                if (r < 0) {
                    const bool clean = k >= n || (e == 2 ? k + 1 >= n || Be(k) < 0x20 : Clean(d_[k]));
                    // EUC-JP and UTF-16BE text not listed is looked into again
                    // from the byte after where it began, once (not a piece of a
                    // long run).
                    const bool listed = Decide(e, run, cleanStart, clean);
                    if (!listed && e != 1 && whole && q >= retryUntil) {
                        retryAt = q;
                        retryUntil = k;
                        break;
                    }
                    q = k;
                    break;
                }
                if (r == 1)
                    run.push_back(c);
                else if (!run.empty())
                    run.back().to = next;
                k = next;
                if (k - runFrom >= kMaxRun) {
                    whole = false;
                    Decide(e, run, cleanStart, true);
                    run.clear();
                    runFrom = k;
                    cleanStart = true;
                }
            }
        }
    }

public:
    // The judge's margin of a reading, INT32_MIN without Japanese or when
    // it does not read as Japanese.
    static int32_t Margin(const std::vector<uint32_t> &codes, lex::japanese::JudgeForm form,
                          lex::japanese::RowEdges edges)
    {
        std::vector<lex::japanese::RowChar> chars;
        bool japanese = false;
        for (uint32_t c : codes) {
            chars.push_back({c, static_cast<uint32_t>(chars.size()), 1});
            japanese = japanese || c >= 0x80;
        }
        if (!japanese)
            return INT32_MIN;
        const auto v = lex::japanese::JudgeRow(chars.data(), chars.size(), form, edges);
        return v.japanese ? v.margin : INT32_MIN;
    }

private:
    // The bytes [a, b) in the other encodings in force.
    int32_t Other(int e, size_t a, size_t b, lex::japanese::RowEdges edges) const
    {
        using lex::japanese::JudgeForm;
        int32_t best = INT32_MIN;
        std::vector<uint32_t> codes;
        if (e == 0) {
            for (size_t k = a; k < b; ++k) {
                const uint8_t x = d_[k];
                if (Ascii(x)) {
                    codes.push_back(x);
                } else if (x >= 0xA1 && x <= 0xDF) {
                    if (!st_.CheckHalfKana)
                        codes.push_back(0xFF61 + x - 0xA1u);
                } else if (k + 1 < b && lex::Cp932Char(x, d_[k + 1]) != 0) {
                    codes.push_back(lex::Cp932Char(x, d_[k + 1]));
                    ++k;
                } else {
                    break;
                }
            }
            best = std::max(best, Margin(codes, JudgeForm::ShiftJis, edges));
        }
        if (e == 0) {
            codes.clear();
            for (size_t k = a; k < b;) {
                const uint8_t x = d_[k];
                size_t len = x < 0x80 ? 1 : x >= 0xC2 && x <= 0xDF ? 2 : x >= 0xE0 && x <= 0xEF ? 3
                                         : x >= 0xF0 && x <= 0xF4 ? 4 : 0;
                if (x < 0x80 && !Ascii(x))
                    break;
                uint32_t code = len == 1 ? x : len == 2 ? x & 0x1F : len == 3 ? x & 0x0F : x & 7;
                for (size_t j = 1; len && j < len; ++j) {
                    if (k + j >= b || (d_[k + j] & 0xC0) != 0x80)
                        len = 0;
                    else
                        code = code << 6 | (d_[k + j] & 0x3F);
                }
                const uint32_t least = len == 2 ? 0x80 : len == 3 ? 0x800 : 0x10000;
                if (len == 0 || (len > 1 && code < least) || code > 0x10FFFF ||
                    (code >= 0xD800 && code <= 0xDFFF))
                    break;
                codes.push_back(code);
                k += len;
            }
            best = std::max(best, Margin(codes, JudgeForm::Utf8, edges));
        }
        // UTF-16LE: the same bytes, and from the byte before to the byte
        // after, between the edges of that reading.
        auto le = [&](size_t from, size_t to) {
            codes.clear();
            for (size_t k = from; k + 1 < to; k += 2) {
                const uint16_t u = static_cast<uint16_t>(At(k) | At(k + 1) << 8);
                if (!Ascii(u) && !(u >= 0x80 && lex::JapaneseUnitCp932(u)))
                    break;
                codes.push_back(u);
            }
        };
        // A reading that stops short of its bytes' end ends at a dirty edge.
        if (e == 2) {
            le(a, b);
            const lex::japanese::RowEdges same{edges.cleanStart,
                                               edges.cleanEnd && codes.size() == (b - a) / 2};
            best = std::max(best, Margin(codes, JudgeForm::Utf16Le, same));
        }
        // Not after a zero unit: the reading would begin with a unit xx00.
        if (e == 2 && a > 0 && !(a >= 2 && At(a - 1) == 0 && At(a - 2) == 0)) {
            // The text's last low byte before a zero unit: no unit of that
            // reading, which then ends before it at a dirty edge.
            const bool lowThenZero = At(b - 1) != 0 && At(b) == 0 && At(b + 1) == 0;
            le(a - 1, lowThenZero ? b - 1 : b + 1);
            const lex::japanese::RowEdges shifted{a < 3 || (At(a - 3) | At(a - 2) << 8) < 0x20,
                                                  !lowThenZero && codes.size() == (b - a + 2) / 2 &&
                                                      (At(b + 1) | At(b + 2) << 8) < 0x20};
            const int32_t m = Margin(codes, JudgeForm::Utf16Le, shifted);
            if (m != INT32_MIN)
                best = std::max(best, m + 64);
        }
        return best;
    }

    // UTF-16BE: the units of machine code glued to the run's start.
    // "ダ" before a katakana but イ, ウ, ブ, ー, ン, ッ and ミ.
    static bool Da(uint32_t u, uint32_t n)
    {
        return u == 0x30C0 && n >= 0x30A1 && n <= 0x30FC && n != 0x30A4 && n != 0x30A6 && n != 0x30D6 &&
               n != 0x30FC && n != 0x30F3 && n != 0x30C3 && n != 0x30DF;
    }
    static size_t Glued(const std::vector<RefChar> &run, bool cleanStart, bool numberEdge)
    {
        auto at = [&](size_t k) { return k < run.size() ? run[k].code : 0u; };
        auto katakana = [&](size_t k) { return at(k) >= 0x30A1 && at(k) <= 0x30FA; };
        if (run.size() < 2 || at(0) < 0x80)
            return 0;
        // A lone katakana (first, or after a unit that is no kana) before
        // no katakana, long vowel mark or middle dot.
        if (katakana(0) && !(at(1) >= 0x30A1 && at(1) <= 0x30FC))
            return 1;
        if (!(at(0) >= 0x3041 && at(0) <= 0x30FF) && katakana(1) && run.size() > 2 &&
            !(at(2) >= 0x30A1 && at(2) <= 0x30FC))
            return 2;
        // One unit before ASCII (at a dirty edge also two), the last a sign
        // that is no Japanese character nor an opening quotation mark.
        for (size_t a = 1; a <= 2 && (a == 1 || !cleanStart); ++a)
            if (at(a - 1) >= 0x80 && a < run.size() && at(a) < 0x80 && at(a - 1) != 0x2018 &&
                at(a - 1) != 0x201C && !lex::IsJapaneseUnit(static_cast<uint16_t>(at(a - 1))))
                return a;
        // A kanji of no common class before a format or a quote at a dirty
        // edge.
        const uint32_t n = at(1);
        if (!cleanStart && at(0) >= 0x4E00 && at(0) <= 0x9FFF &&
            !lex::japanese::IsCommonTextClass(Class(2, at(0))) &&
            (n == '%' || n == '"' || n == '\'' || n == '`'))
            return 1;
        // A kanji of the two rarest bands of the form XX00, first or second.
        for (size_t k = 0; k < 2 && k + 1 < run.size(); ++k) {
            const uint32_t c = at(k);
            const uint8_t band = lex::japanese::kClassBlocks[lex::japanese::kClassBlockOf[c >> 8]][c & 0xFF];
            if (c >= 0x4E00 && c <= 0x9FFF && (c & 0xFF) == 0 &&
                (band == lex::japanese::kKanji4 || band == lex::japanese::kKanji5))
                return k + 1 + (k + 2 < run.size() && Da(at(k + 1), at(k + 2)) ? 1 : 0);
        }
        // At a dirty edge, a full-width letter, slash or low line, a
        // half-width katakana, "、" or "。" before a Japanese character.
        const uint32_t u = at(0);
        if (!cleanStart && n >= 0x80 &&
            ((u >= 0xFF21 && u <= 0xFF3A) || (u >= 0xFF41 && u <= 0xFF5A) || u == 0xFF0F || u == 0xFF3F ||
             (u >= 0xFF61 && u <= 0xFF9F) || u == 0x3001 || u == 0x3002))
            return 1;
        // At a dirty edge (or after a unit XX 00), "ダ" before a katakana but イ, ウ, ブ, ー, ン, ッ
        // and ミ.
        if ((!cleanStart || numberEdge) && Da(u, n))
            return 1;
        // There, a kanji XX 00 before ASCII, a katakana, "ー" or "・".
        if ((!cleanStart || numberEdge) && u >= 0x4E00 && u <= 0x9FFF && (u & 0xFF) == 0 &&
            (n < 0x80 || (n >= 0x30A1 && n <= 0x30FC)))
            return 1;
        return 0;
    }

    // UTF-16BE: a lone unit at [from] before ASCII that is glued there at
    // a dirty start: a kanji of the third band or rarer, a code-like one, a
    // symbol but "※" and opening quotation marks, a full-width form but
    // opening brackets, a half-width katakana; not before a colon or a
    // mnemonic's "(_".
    static bool Lone(const std::vector<RefChar> &run, size_t from, size_t end)
    {
        if (end < from + 3)
            return false;
        const uint32_t c0 = run[from].code, c1 = run[from + 1].code, c2 = run[from + 2].code;
        if (c0 < 0x80 || c1 >= 0x80 || c1 == ':' || (c1 == '(' && c2 == '_') || c0 == 0x203B)
            return false;
        static const uint32_t kOpening[] = {0x2018, 0x201C, 0x3008, 0x300A, 0x300C, 0x300E, 0x3010,
                                            0x3012, 0x3014, 0x3016, 0x3018, 0x301A, 0xFF08, 0xFF3B, 0xFF5B};
        if (std::find(std::begin(kOpening), std::end(kOpening), c0) != std::end(kOpening))
            return false;
        using namespace lex::japanese;
        switch (Class(2, c0)) {
        case kKanji3: case kKanji4: case kKanji5: case kCodeLike: case kSymbol:
        case kWide: case kWideSign: case kHalfKatakana: case kOther:
            return true;
        default:
            return false;
        }
    }

    // EUC-JP and ISO-2022-JP: the start of a span's first ASCII word.
    // Whether characters [from, to) are one of the acronyms a capital
    // glued before is cut off.
    static bool Acronym(const std::vector<RefChar> &run, size_t from, size_t to)
    {
        static const char *const known =
            " AAC ACL ADB AES AMR API ARP ASCII ATA AVI BIOS BMP BSD CGI CPU CRC CRL CSS CSV DBM"
            " DHCP DNS DNSSEC DSA DVD ECC EFI ELF EOF EOL EOS FAT FTP GCC GDB GIF GML GNU GPG GPL"
            " GPU GUI HTML HTTP HTTPS ICMP IDE IMAP IPC IPv4 IPv6 ISO JPEG JSON LDAP LZMA MBR MIDI"
            " MIME MP3 MP4 MPEG NFS NTP ODF OID PAM PCI PDF PEM PGP PHP PID PNG POSIX PPP RAM RGB"
            " ROM RPC RPM RSA RSS RTF SCSI SHA SMB SMIL SMTP SNMP SQL SSH SSL STL SVG TCP TIFF TLS"
            " TOC TTY UDP UID URI URL USB UTF UUID VGA VPN WAL WARC WAV XML XSL YAML ZIP ";
        std::string word = " ";
        for (size_t k = from; k < to && k < run.size(); ++k) {
            if (run[k].code >= 0x80)
                return false;
            word += static_cast<char>(run[k].code);
        }
        return to > from && std::strstr(known, (word + " ").c_str()) != nullptr;
    }

    static size_t HeadStart(const std::vector<RefChar> &run, size_t end, size_t first, bool cleanStart)
    {
        auto at = [&](size_t k) { return k < end ? run[k].code : 0u; };
        auto cap = [&](size_t k) { return at(k) >= 'A' && at(k) <= 'Z'; };
        auto low = [&](size_t k) { return at(k) >= 'a' && at(k) <= 'z'; };
        auto num = [&](size_t k) { return at(k) >= '0' && at(k) <= '9'; };
        auto shut = [&](size_t k) { return at(k) != 0 && std::strchr("=;,!?^~+)]}>", int(at(k))) != nullptr; };
        // A number cut into, or cut off whole when of two digits or more
        // before a Japanese character: read whole (digits, and dots
        // between digits).
        if (first > 0 && (num(first) || num(first - 1))) {
            size_t w = first;
            while (w > 0 && first - w < 8 &&
                   (num(w - 1) || (at(w - 1) == '.' && w >= 2 && num(w - 2) && num(w))))
                --w;
            if (w < first && (num(first) || (w == 0 && first >= 2 && at(first) >= 0x80)))
                return w;
        }
        // "C# " and "C++ ": a capital, not after a letter or digit.
        if (first > 0 && cap(first - 1) && (first == 1 || !(cap(first - 2) || low(first - 2) || num(first - 2)))) {
            if ((at(first) == '#' && at(first + 1) == ' ') ||
                (at(first) == '+' && at(first + 1) == '+' && at(first + 2) == ' '))
                return first - 1;
        }
        if (first > 0 && at(first) >= 0x80) {
            // An acronym right before the Japanese character (or a space
            // before it): 3 or 4 capitals and digits, or 2 before the
            // space, not ending in H, as a word of its own.
            size_t t = at(first - 1) == ' ' ? first - 1 : first, w = t;
            while (w > 0 && t - w < 4 && (cap(w - 1) || num(w - 1)))
                --w;
            const size_t n = t - w;
            // (Or after one small letter at a dirty start.)
            const bool word = w == 0 || !(cap(w - 1) || low(w - 1) || num(w - 1)) ||
                              (w == 1 && !cleanStart && low(0));
            if (!(cap(w) && word && at(t - 1) != 'H' && (n >= 3 || (n == 2 && t < first))))
                return first;
            // A capital glued before a known acronym at a dirty start.
            return w == 0 && !cleanStart && !Acronym(run, 0, t) && Acronym(run, 1, t) ? 1 : w;
        }
        // At any start or cut, one to three bytes, not ending in a colon,
        // before two spaces (all letters and digits) or three (not
        // beginning with "#", "*" or "-").
        size_t g = first;
        while (g < first + 4 && at(g) > ' ' && at(g) < 0x7F)
            ++g;
        bool letters = true;
        for (size_t k = first; k < g; ++k)
            letters = letters && (cap(k) || low(k) || num(k));
        if (g > first && g <= first + 3 && at(g) == ' ' && at(g + 1) == ' ' && at(g - 1) != ':' &&
            (letters || (at(g + 2) == ' ' && std::strchr("#*-", int(at(first))) == nullptr)))
            return g;
        // At a dirty start or a cut: one sign but "#" before the spaces
        // (up to eight) of an option's line ("-" and a letter or "-").
        if (g == first + 1 && !letters && at(first) != '#' && (first > 0 || !cleanStart) &&
            at(g) == ' ' && at(g + 1) == ' ') {
            size_t k = g;
            while (k < g + 8 && at(k) == ' ')
                ++k;
            if (at(k) == '-' && (cap(k + 1) || low(k + 1) || at(k + 1) == '-'))
                return g;
        }
        // From the span's first ASCII byte f: a small letter or one of
        // /`\|_$;:.,~^!? before Japanese; at a dirty start or a cut, a
        // space and a letter or digit before it, one or two letters before
        // "%", a letter before "-x ", "-" or "-e" before "%s", a bracket
        // before a letter never closed.
        const size_t f = first;
        auto alpha = [&](size_t k) { return cap(k) || low(k); };
        auto in = [&](size_t k, const char *set) {
            return at(k) != 0 && at(k) < 0x80 && std::strchr(set, int(at(k))) != nullptr;
        };
        if (f < end && at(f + 1) >= 0x80 && (low(f) || in(f, "/`\\|_$;:.,~^!?")))
            return f + 1;
        if ((f > 0 || !cleanStart) && f < end && at(f) < 0x80) {
            const char *open = in(f, "([<{") ? std::strchr("([<{", int(at(f))) : nullptr;
            if (at(f) == ' ' && (alpha(f + 1) || num(f + 1)) && at(f + 2) >= 0x80)
                return f + 2;
            for (size_t g = 1; g <= 2; ++g)
                if (alpha(f) && (g == 1 || alpha(f + 1)) && at(f + g) == '%')
                    return f + g;
            if ((alpha(f) && at(f + 1) == '-' && alpha(f + 2) && at(f + 3) == ' ') ||
                (at(f) == '-' && at(f + 1) == '%' && at(f + 2) == 's'))
                return f + 1;
            if (at(f) == '-' && at(f + 1) == 'e' && at(f + 2) == '%' && at(f + 3) == 's')
                return f + 2;
            // "D$", "|$" (a ModRM byte and SIB 24) and "Hc" before a word.
            if ((alpha(f) || in(f, "|\\")) && at(f + 1) == '$' && Ascii(at(f + 2)) &&
                at(f + 2) != ' ')
                return f + 2;
            if (at(f) == 'H' && at(f + 1) == 'c' && alpha(f + 2))
                return f + 2;
            bool closed = false;
            for (size_t k = f + 1; open != nullptr && k < end; ++k)
                closed = closed || at(k) == uint32_t(")]>}"[open - "([<{"]);
            if (open != nullptr && alpha(f + 1) && !closed)
                return f + 1;
        }
        if (first > 0 || cleanStart || end < 3 || at(0) >= 0x80)
            return first;
        // A capital before a known acronym (capitals, digits, a "v" after
        // the first), not before a small letter.
        size_t caps = 0;
        while (caps < 8 && (cap(caps) || num(caps) || (caps > 0 && at(caps) == 'v')))
            ++caps;
        if (caps >= 3 && !low(caps) && !Acronym(run, 0, caps) && Acronym(run, 1, caps))
            return 1;
        // At a dirty start: glued bytes before a capital and a small
        // letter, a small letter before a capital, a byte or two before a
        // dot and a small letter, a closing sign but "!" before a letter.
        for (size_t p = 1; p <= 3 && (cap(p - 1) || num(p - 1) || shut(p - 1)); ++p)
            if (cap(p) && low(p + 1))
                return p;
        if (low(0) && cap(1))
            return 1;
        if (at(1) == '.' && low(2) && at(0) != ' ')
            return 1;
        if (at(2) == '.' && low(3) && at(0) != ' ' && at(1) != ' ')
            return 2;
        if (shut(0) && at(0) != '!' && (low(1) || cap(1)))
            return 1;
        return first;
    }

    // A character's class for the judge: UTF-16BE's code-like characters
    // are its own, the others' those of the form they are judged in.
    static uint8_t Class(int e, uint32_t c)
    {
        return e == 2 ? lex::japanese::ClassOfWith(c, lex::japanese::kCodeLikeBitsUtf16Be)
                      : lex::japanese::ClassOf(c, e == 0 ? 0 : 2);
    }

    bool Decide(int e, std::vector<RefChar> run, bool cleanStart, bool cleanEnd)
    {
        using lex::japanese::JudgeForm;
        // After a line break that ends an ar archive's header or name, or
        // before a header's "/" and number, the start is no clean edge.
        const size_t f = run.empty() ? 0 : run[0].from;
        if (cleanStart && e != 2 && f >= 2 && d_[f - 1] == '\n' &&
            (d_[f - 2] == '/' || d_[f - 2] == '`' ||
             (run.size() >= 2 && run[0].code == '/' && run[1].code >= '0' && run[1].code <= '9')))
            cleanStart = false;
        if (e == 2) {
            const size_t f = run.empty() ? 0 : run[0].from;
            // The unit before, past up to two zero units.
            size_t g = f;
            for (int zeros = 0; zeros < 2 && g >= 4 && d_[g - 2] == 0 && d_[g - 1] == 0; ++zeros)
                g -= 2;
            const bool numberEdge = cleanStart && g >= 2 && d_[g - 2] != 0 && d_[g - 1] == 0;
            size_t glued = Glued(run, cleanStart, numberEdge);
            if (glued == 0 && !cleanStart && Lone(run, 0, run.size()))
                glued = 1;
            run.erase(run.begin(), run.begin() + static_cast<ptrdiff_t>(glued));
            cleanStart = cleanStart && glued == 0;
        } else if (e == 0) {
            // A pair made of a register's ModRM byte with itself after
            // xor or test (31, 33, 85) and the next opcode, first or after
            // up to three ASCII bytes (not after "%" or a digit and one
            // more): code's, cut off with them.
            size_t g = 0;
            while (g < run.size() && g < 4 && run[g].code < 0x80)
                ++g;
            if (g >= 2 && (run[g - 2].code == '%' || (run[g - 2].code >= '0' && run[g - 2].code <= '9')))
                g = run.size();
            const auto one = [](uint8_t b, std::initializer_list<uint8_t> set) {
                return std::find(set.begin(), set.end(), b) != set.end();
            };
            if (g + 2 <= run.size() && run[g].to - run[g].from == 2 && run[g].from > 0 &&
                one(d_[run[g].from - 1], {0x31, 0x33, 0x85}) &&
                one(d_[run[g].from], {0xC0, 0xC9, 0xD2, 0xDB, 0xE4, 0xED, 0xF6})) {
                run.erase(run.begin(), run.begin() + static_cast<ptrdiff_t>(g + 1));
                cleanStart = false;
            } else if (!cleanStart && run.size() >= 3 && run[0].to - run[0].from == 2) {
                // At a dirty start, a kanji before "--" or "-" and a letter,
                // or an opening bracket the run never closes.
                const uint32_t u = run[0].code, n = run[1].code, m = run[2].code;
                bool glued = u >= 0x4E00 && u <= 0x9FFF && n == '-' &&
                             (m == '-' || (m >= 'A' && m <= 'Z') || (m >= 'a' && m <= 'z'));
                const std::u32string opens = U"〈《「『【（［｛", closes = U"〉》」』】）］｝";
                const size_t b = opens.find(static_cast<char32_t>(u));
                if (b != std::u32string::npos) {
                    glued = true;
                    for (const RefChar &c : run)
                        glued = glued && c.code != static_cast<uint32_t>(closes[b]);
                }
                if (glued)
                    run.erase(run.begin());
            }
        }
        size_t japanese = 0;
        for (const RefChar &c : run)
            japanese += c.code >= 0x80;
        if (japanese == 0 || run.size() < minJapanese_)
            return false;
        size_t first = 0, end = run.size();
        if (st_.CheckKanjiNoise) {
            std::vector<lex::japanese::RowChar> chars;
            // EUC-JP characters where their bytes lie, the others side by side.
            for (const RefChar &c : run)
                chars.push_back({c.code,
                                 static_cast<uint32_t>(e == 0 ? c.from - run[0].from : chars.size()),
                                 static_cast<uint32_t>(e == 0 ? c.to - c.from : 1), Class(e, c.code)});
            const JudgeForm form = e == 0 ? JudgeForm::ShiftJis : e == 1 ? JudgeForm::Utf8 : JudgeForm::Utf16Le;
            // ISO-2022-JP text may score 160 below the threshold; the
            // margins below count from the threshold itself.
            const int32_t ease = e == 1 ? 160 : 0;
            auto v = lex::japanese::JudgeRow(chars.data(), chars.size(), form, {cleanStart, cleanEnd}, ease);
            // EUC-JP and ISO-2022-JP at a dirty start and a clean end: also
            // whole, as if the start were clean.
            if (!v.japanese && e != 2 && !cleanStart && cleanEnd) {
                const auto w = lex::japanese::JudgeRow(chars.data(), chars.size(), form, {true, true}, ease);
                if (w.japanese && w.first == 0 && w.end == chars.size())
                    v = w;
            }
            if (!v.japanese)
                return false;
            first = v.first;
            end = v.end;
            // ISO-2022-JP: everything from the first Japanese character on.
            for (size_t k = 0; e == 1 && k < first; ++k)
                if (run[k].code >= 0x80)
                    first = k;
            if (first > 0 && e == 2 && Lone(run, first, end))
                ++first;
            if (e != 2)
                first = HeadStart(run, end, first, cleanStart);
            if (end - first < minJapanese_)
                return false;
            const int32_t margin = v.margin - ease;
            // A short row needs a higher margin unless it is a whole string
            // or ISO-2022-JP text.
            const bool whole = cleanStart && cleanEnd && first == 0 && end == run.size();
            if (e != 1 && end - first < 5 && margin < (!whole ? 256 : e == 2 ? 192 : INT32_MIN))
                return false;
            if (Other(e, run[first].from, run[end - 1].to,
                      {cleanStart && first == 0, cleanEnd && end == run.size()}) >= margin)
                return false;
        }
        // Kanji and symbols alone, with fewer than two ASCII characters,
        // only as a whole string between clean edges.
        size_t kana = 0, ascii = 0;
        for (size_t k = first; k < end; ++k) {
            const uint32_t c = run[k].code;
            kana += (c >= 0x3041 && c <= 0x30FF) || (c >= 0xFF66 && c <= 0xFF9F);
            ascii += c < 0x80;
        }
        const bool whole = cleanStart && cleanEnd && first == 0 && end == run.size();
        if (kana == 0 && ascii < 2 && !whole)
            return false;
        // Tables: a short row at a dirty edge with a rare or code-like kanji,
        // or as many equal Japanese characters in a row as the repetition
        // filter's limit.
        if (st_.CheckKanjiNoise) {
            const int limit = st_.CheckRecurrence ? std::max(st_.RecurrenceTime, 1) : 0;
            size_t same = 0;
            for (size_t k = first; k < end; ++k) {
                const uint32_t c = run[k].code;
                const uint8_t cls = Class(e, c);
                if (end - first < 5 && !whole &&
                    (cls == lex::japanese::kKanji4 || cls == lex::japanese::kKanji5 ||
                     cls == lex::japanese::kCodeLike))
                    return false;
                same = k > first && c >= 0x80 && c == run[k - 1].code ? same + 1 : 0;
                if (limit > 0 && same + 1 >= static_cast<size_t>(limit))
                    return false;
            }
        }
        // UTF-16BE tables of code points: five kana or more, and all the
        // characters beyond ASCII rising but for the last.
        std::vector<uint32_t> jp;
        for (size_t k = first; k < end; ++k)
            if (run[k].code >= 0x80)
                jp.push_back(run[k].code);
        size_t up = 0;
        for (size_t k = 1; k + 1 < jp.size(); ++k)
            up += jp[k] > jp[k - 1];
        // Not a word of katakana alone that ends at a clean edge.
        const bool katakanaWord = std::all_of(jp.begin(), jp.end(), [](uint32_t c) {
            return c >= 0x30A1 && c <= 0x30FC && c != 0x30F5 && c != 0x30F6;
        });
        if (e == 2 && kana >= 5 && up + 2 == jp.size() && !(katakanaWord && cleanEnd && end == run.size()))
            return false;
        EncodedRow row{run[first].from,
                       e == 0 ? lex::RowKind::EucJp : e == 1 ? lex::RowKind::Iso2022Jp : lex::RowKind::Utf16Be,
                       std::string(), {}};
        for (size_t k = first; k < end; ++k) {
            const uint32_t c = run[k].code;
            const uint16_t f = c < 0x80 ? static_cast<uint16_t>(c) : lex::Cp932Form(c);
            if (f == 0) {
                char s[16];
                const int len = std::snprintf(s, sizeof s, "\\u{%X}", c);
                row.standIns.push_back({row.text.size(), static_cast<size_t>(len)});
                row.text += s;
            } else if (f > 0xFF) {
                row.text += static_cast<char>(f >> 8);
                row.text += static_cast<char>(f & 0xFF);
            } else {
                row.text += static_cast<char>(f);
            }
        }
        std::fill(d_.begin() + static_cast<ptrdiff_t>(run[first].from),
                  d_.begin() + static_cast<ptrdiff_t>(run[end - 1].to), 0);
        rows.push_back(row);
        return true;
    }

    std::vector<uint8_t> &d_;
    const lex::ExtractionSettings &st_;
    size_t minJapanese_;
};

} // namespace lexref
