// The row filter for text with Japanese characters (japanesefilter.h tells
// the rule).
#include "scan/japanesefilter.h"

#include <algorithm>
#include <cstdlib>

#include "japanese/model.h"
#include "scan/cp932.h"
#include "scan/rowfilter.h"
#include "util/shiftjis.h"

namespace lex {

namespace sjis = loom::sjis;
using japanese::JudgeForm;
using japanese::RowChar;
using japanese::Verdict;

namespace {

uint32_t Utf8Size(uint32_t code)
{
    return code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
}

// The character of a double-byte form; a pair the code page leaves empty
// reads as U+FFFF, of no class that text uses.
uint32_t PairCode(uint8_t lead, uint8_t trail)
{
    const uint32_t code = Cp932Char(lead, trail);
    return code ? code : 0xFFFFu;
}

uint32_t SingleCode(uint8_t b)
{
    return sjis::IsHalfWidthKana(b) ? kHalfWidthKatakanaFirst + (b - 0xA1u) : b;
}

// Every Shift-JIS character's code point and class, by its bytes: a
// reading looks them up, as the judge would work them out character by
// character, once for all rows.
struct ShiftJisForms {
    struct Form {
        uint16_t code;
        uint8_t cls;
    };
    Form pairs[60][256];
    Form singles[256];
    // The classes alone, for bounding a text's score from its bytes: a
    // single byte's class, or kLead; a pair's by its lead byte's row and
    // its second byte, or kNoPair where that is no trail byte.
    static constexpr uint8_t kLead = 0xFF, kNoPair = 0xFF;
    uint8_t singleClass[256];
    uint8_t leadRow[256];
    uint8_t pairClass[60][256];
    static size_t LeadIndex(uint8_t lead) { return lead < 0xA0 ? lead - 0x81u : lead - 0xE0u + 31; }
    // The judge's BoundNeed by the row's clean start and end.
    int64_t need[2][2];
    ShiftJisForms()
    {
        const int form = static_cast<int>(JudgeForm::ShiftJis);
        for (int start = 0; start < 2; ++start)
            for (int end = 0; end < 2; ++end)
                need[start][end] = japanese::BoundNeed(JudgeForm::ShiftJis, start, end);
        for (unsigned b = 0; b < 256; ++b) {
            const uint32_t code = SingleCode(static_cast<uint8_t>(b));
            singles[b] = {static_cast<uint16_t>(code), japanese::ClassOf(code, form)};
            singleClass[b] = singles[b].cls;
            leadRow[b] = 0;
            if (!sjis::IsLead(static_cast<uint8_t>(b)))
                continue;
            singleClass[b] = kLead;
            const size_t row = LeadIndex(static_cast<uint8_t>(b));
            leadRow[b] = static_cast<uint8_t>(row);
            for (unsigned t = 0; t < 256; ++t) {
                const uint32_t pair = PairCode(static_cast<uint8_t>(b), static_cast<uint8_t>(t));
                pairs[row][t] = {static_cast<uint16_t>(pair), japanese::ClassOf(pair, form)};
                pairClass[row][t] = sjis::IsTrail(static_cast<uint8_t>(t)) ? pairs[row][t].cls : kNoPair;
            }
        }
    }
};

// A pair's class that text read in step may begin with: Japanese, but no
// kanji text seldom or never uses, and no code-like one `alone` (machine
// code's last byte and the one after it: "FB 49" of "渼" before "コマンド",
// "89 C1").  (Code-like kanji beside others stay: text's own are made of
// code's bytes, "上記" of 8F E3 8B 4C.)
bool TextPairClass(uint8_t c, bool alone)
{
    return japanese::IsJapaneseClass(c) && c != japanese::kKanji4 && c != japanese::kKanji5 &&
           !(alone && c == japanese::kCodeLike);
}

const ShiftJisForms &Forms()
{
    static const ShiftJisForms forms;
    return forms;
}

} // namespace

JapaneseFilter::JapaneseFilter(size_t minLength, size_t minJapanese, bool hideKana)
    : minLength_(minLength), minJapanese_(minJapanese), hideKana_(hideKana)
{
    for (unsigned b = 0; b < 256; ++b) {
        const auto byte = static_cast<uint8_t>(b);
        plain_[b] = sjis::IsPrintableAscii(byte) ? kJoins
                    : sjis::IsHalfWidthKana(byte) ? (hideKana ? kLeftOut : kJoins)
                                                  : kEnds;
    }
}

const std::vector<TextPiece> &JapaneseFilter::Judge(const char *text, size_t length,
                                                    const TextFacts &facts)
{
    pieces_.clear();
    bytes_.clear();
    facts_ = &facts;
    if (!facts.wide && !facts.utf8) {
        // Nearly every text is machine code settled whole by its first
        // reading's bound, in a loop of its own.
        // (Without marks each byte lies at its place: nothing to work out.)
        if (facts.marks.empty()) {
            byteForByte_ = true;
            lones_ = false;
        } else {
            PlaceBytes(text, length, facts);
        }
        bool settled = false;
        const size_t from = SettledFromStart(text, length, facts, &settled);
        if (from < length)
            JudgeShiftJis(text, length, facts, from, settled);
    } else
        JudgeOther(text, length, facts);
    return pieces_;
}

size_t JapaneseFilter::ReadShiftJis(const char *text, size_t length, size_t at, Reading &r) const
{
    const auto *s = reinterpret_cast<const uint8_t *>(text);
    const ShiftJisForms &forms = Forms();
    // The room only grows: the characters are written in place.
    if (r.chars.size() < length - at + 1) {
        r.chars.resize(length - at + 1);
        r.text.resize(length - at + 1);
    }
    RowChar *chars = r.chars.data();
    uint32_t *bytes = r.text.data();
    size_t n = 0;
    bool japanese = false;
    size_t t = at;
    while (t < length) {
        const uint8_t b = s[t];
        if (!sjis::IsLead(b)) {
            const ShiftJisForms::Form f = forms.singles[b];
            chars[n] = {f.code, Pos(t), 1, f.cls};
            japanese = japanese || b >= 0x80;
            bytes[n++] = static_cast<uint32_t>(t);
            ++t;
            continue;
        }
        // A pair's bytes stand side by side in the file: a lead byte before
        // bytes the walk left out, or at the end, has no trail byte.
        if (t + 1 < length && LoneTrail(t) != 0) {
            const ShiftJisForms::Form f = forms.pairs[ShiftJisForms::LeadIndex(b)][LoneTrail(t)];
            chars[n] = {f.code, Pos(t), 2, f.cls, static_cast<uint16_t>(b << 8 | LoneTrail(t))};
            japanese = true;
            bytes[n++] = static_cast<uint32_t>(t);
            t += 1;
            continue;
        }
        if (t + 1 >= length || !sjis::IsTrail(s[t + 1]) || Pos(t + 1) != Pos(t) + 1)
            break;
        const ShiftJisForms::Form f = forms.pairs[ShiftJisForms::LeadIndex(b)][s[t + 1]];
        chars[n] = {f.code, Pos(t), 2, f.cls, static_cast<uint16_t>(b << 8 | s[t + 1])};
        japanese = true;
        bytes[n++] = static_cast<uint32_t>(t);
        t += 2;
    }
    bytes[n] = static_cast<uint32_t>(t);
    r.count = n;
    r.japanese = japanese;
    return t;
}

Verdict JapaneseFilter::JudgeReading(const Reading &r, bool cleanStart, bool cleanEnd) const
{
    return japanese::JudgeRow(r.chars.data(), r.count, JudgeForm::ShiftJis,
                              {cleanStart, cleanEnd});
}

// (Inlined by force: it runs for nearly every text, and its state stays in
// registers inside the caller's loop.)
template <bool kRuns>
__attribute__((always_inline)) inline bool JapaneseFilter::BoundShiftJis(const char *text, size_t length, size_t at, bool cleanStart,
                                      size_t *end, bool *japanese)
{
    const auto *s = reinterpret_cast<const uint8_t *>(text);
    const ShiftJisForms &forms = Forms();
    japanese::ScoreBound bound(JudgeForm::ShiftJis, cleanStart);
    unsigned bytes = 0;  // the single bytes' bits, and 0x80 for a pair
    // With kRuns, the runs PlainRuns would list from these bytes: the one
    // open, and those closed long enough (runs_); a run is counted only
    // when its bytes are enough for a row.  A run is a stretch of bytes
    // that join one (a lead byte never does, a pair's trail byte may):
    // runStart is the position after the last byte that joins none, so a
    // byte that joins one costs nothing more.
    size_t runStart = at;
    if (kRuns)
        runs_.clear();
    size_t t = at;
    while (t < length) {
        const uint8_t b = s[t];
        const uint8_t single = forms.singleClass[b];
        if (single != ShiftJisForms::kLead) {
            bound.Add(single);
            bytes |= b;
            if (kRuns) {
                const bool ends = plain_[b] == kEnds;
                if (ends & (t - runStart >= minLength_))
                    CountRun(s, runStart, t);
                runStart = ends ? t + 1 : runStart;
            }
            ++t;
            continue;
        }
        if (t + 1 >= length)
            break;
        if (LoneTrail(t) != 0) {
            // The pair's trail byte lies outside the text: the next text
            // byte is read on its own.
            bound.Add(forms.pairClass[forms.leadRow[b]][LoneTrail(t)]);
            bytes |= 0x80;
            if (kRuns) {
                if (t - runStart >= minLength_)
                    CountRun(s, runStart, t);
                runStart = t + 1;
            }
            t += 1;
            continue;
        }
        const uint8_t pair = forms.pairClass[forms.leadRow[b]][s[t + 1]];
        if (pair == ShiftJisForms::kNoPair || (!byteForByte_ && Pos(t + 1) != Pos(t) + 1))
            break;
        bound.Add(pair);
        bytes |= 0x80;
        if (kRuns) {
            // The lead byte ends a run; the trail byte may begin one.
            if (t - runStart >= minLength_)
                CountRun(s, runStart, t);
            runStart = t + 1 + (plain_[s[t + 1]] == kEnds);
        }
        t += 2;
    }
    if (kRuns && t - runStart >= minLength_)
        CountRun(s, runStart, t);
    *end = t;
    *japanese = (bytes & 0x80) != 0;
    const bool cleanEnd = t == length && facts_->cleanEnd;
    return bound.Reaches(cleanEnd, forms.need[cleanStart][cleanEnd]);
}

__attribute__((always_inline)) inline bool JapaneseFilter::SettledAsCode(const char *text, size_t length, size_t at, bool cleanStart,
                                   size_t *end)
{
    const auto *s = reinterpret_cast<const uint8_t *>(text);
    if (length - at > japanese::ScoreBound::kBoundedChars)
        return false;
    bool japanese = false;
    if (BoundShiftJis<true>(text, length, at, cleanStart, end, &japanese) && japanese)
        return false;
    // What follows weighs only texts with pairs that end at a clean edge
    // after a dirty start; most texts of machine code are none.
    const uint8_t first = s[at];
    if (japanese && !cleanStart && *end == length && facts_->cleanEnd) {
        // A text that ends in a mnemonic ("(_D)") after a pair is judged
        // character by character (the judge keeps its word).
        if (length - at >= 6 && s[length - 4] == '(' &&
            (s[length - 3] == '_' || s[length - 3] == '&') && s[length - 1] == ')')
            return false;
        // So is a short one that begins with a name or a format there
        // ("WHERE句"), a digit, a space or an opening sign (the judge keeps
        // kanji words set in ASCII text there: "a2 封筒", "[不明]"; 40
        // characters are 80 bytes at most).
        const bool letter = (first | 0x20) >= 'a' && (first | 0x20) <= 'z';
        const bool opening = (first >= '0' && first <= '9') || first == ' ' || first == '*' ||
                             first == '(' || first == '[';
        if (length - at >= 3 && length - at <= 80 && (letter || first == '%' || opening))
            return false;
        // And one whose first pair's trail byte is such a start: the
        // reading from that byte is weighed too (JudgeShiftJis).
        if (sjis::IsLead(first) && length - at <= 80 && NameAfterLead(s, at, length))
            return false;
        // And one with a format or a word of one or two kanji before a
        // space, ":" or "=" at its start or after a byte or two of code
        // ("行 %d", "値: %s", "H%s 行", "L$索引 %s").
        const auto sign = [&](size_t q) { return q < length && (s[q] == ' ' || s[q] == ':' || s[q] == '='); };
        const auto word = [&](size_t q) {
            return q + 2 < length && (s[q] == '%' || (sjis::IsLead(s[q]) && (sign(q + 2) || s[q + 2] == '%' ||
                                                                          (sjis::IsLead(s[q + 2]) && sign(q + 4)))));
        };
        if (length - at >= 4 && length - at <= 80 && (word(at) || word(at + 1) || word(at + 2)))
            return false;
    }
    // The reading from the next byte, where the first pair's trail byte is
    // a lead byte (JudgeShiftJis).
    if (!japanese || cleanStart || !sjis::IsLead(s[at]) || *end < at + 2 || !sjis::IsLead(s[at + 1]))
        return true;
    size_t otherEnd = 0;
    bool otherJapanese = false;
    return !BoundShiftJis<false>(text, length, at + 1, false, &otherEnd, &otherJapanese) ||
           !otherJapanese;
}

bool JapaneseFilter::NameAfterLead(const uint8_t *s, size_t at, size_t length)
{
    if (at + 2 >= length || !sjis::IsLead(s[at]))
        return false;
    const uint8_t b = s[at + 1];
    return ((b | 0x20) >= 'a' && (b | 0x20) <= 'z') || b == '%';
}

size_t JapaneseFilter::AsciiAfterPair(const uint8_t *s, const Reading &r, size_t first)
{
    size_t k = first;
    while (k > 0 && r.chars[k - 1].size == 1 && r.chars[k - 1].code < 0x80 &&
           r.chars[k].at == r.chars[k - 1].at + 1)
        --k;
    if (k == first || k == 0 || r.chars[k - 1].size != 2 || r.text[k] != r.text[k - 1] + 2 ||
        r.chars[k].at != r.chars[k - 1].at + 2)
        return first;
    const uint8_t trail = s[r.text[k - 1] + 1];
    return trail >= 0x40 && trail <= 0x7E ? k : first;
}

size_t JapaneseFilter::SettledFromStart(const char *text, size_t length, const TextFacts &facts,
                                        bool *settled)
{
    *settled = false;
    size_t end = 0;
    if (length == 0 || !SettledAsCode(text, length, 0, IsCleanEdgeByte(facts.before & 0xFF), &end))
        return 0;
    *settled = true;
    for (const PlainRun &run : runs_)
        KeepRun(text, run, facts);
    return end + 1;
}

void JapaneseFilter::PlaceBytes(const char *text, size_t length, const TextFacts &facts)
{
    const auto *s = reinterpret_cast<const uint8_t *>(text);
    // Every text byte's file position: byte for byte from the start, and
    // from each mark the walk left where bytes were left out.
    // Without marks each byte lies at its place in the text.
    byteForByte_ = facts.marks.empty();
    if (!byteForByte_) {
        bytePos_.resize(length + 1);
        // Byte for byte from each mark to the next one; the text bytes
        // where a mark moved on are kept in jumps_.
        const auto &marks = facts.marks;
        jumps_.clear();
        size_t m = 0;
        uint32_t pos = 0;
        for (size_t t = 0; t <= length;) {
            if (m < marks.size() && marks[m].first == t) {
                while (m < marks.size() && marks[m].first == t)
                    pos = marks[m++].second;
                jumps_.push_back(t);
            }
            const size_t next =
                m < marks.size() && marks[m].first > t && marks[m].first <= length
                    ? marks[m].first
                    : length + 1;
            for (; t < next; ++t, ++pos)
                bytePos_[t] = pos;
        }
    }
    // Most texts have no such byte: the table is filled only for those
    // that do, and LoneTrail answers 0 without it for the others.
    lones_ = false;
    if (!byteForByte_) {
        size_t k = 0;
        // Only a byte right before a jump may stand two positions before
        // the next text byte.
        for (size_t j = 0; hideKana_ && j < jumps_.size(); ++j) {
            if (jumps_[j] == 0 || jumps_[j] >= length)
                continue;
            const size_t t = jumps_[j] - 1;
            if (!sjis::IsLead(s[t]) || bytePos_[t + 1] != bytePos_[t] + 2)
                continue;
            while (k < facts.loneBytes.size() && facts.loneBytes[k].first <= bytePos_[t])
                ++k;
            if (k < facts.loneBytes.size() && facts.loneBytes[k].first == bytePos_[t] + 1 &&
                sjis::IsHalfWidthKana(facts.loneBytes[k].second)) {
                if (!lones_)
                    lone_.assign(length, 0);
                lones_ = true;
                lone_[t] = facts.loneBytes[k].second;
            }
        }
    }
}

void JapaneseFilter::JudgeShiftJis(const char *text, size_t length, const TextFacts &facts,
                                   size_t from, bool settled)
{
    const auto *s = reinterpret_cast<const uint8_t *>(text);
    Reading &r = reading_, &other = other_;
    size_t at = from;
    bool clean = from == 0 && IsCleanEdgeByte(facts.before & 0xFF);
    // Whether the reading at `at` is known not to be settled as code.
    bool unsettled = from == 0 && !settled;
    // Each head cut reads the text again from the cut: a few rounds at
    // most, so that a long row of junk is not read again pair by pair.
    int rounds = 0;
    // The characters read in step again at the reading's start.
    size_t realigned = 0;
    while (at < length) {
        // Most texts are machine code: the judge's bound on their score,
        // worked out from their bytes, settles them before their
        // characters are read.
        size_t end = 0;
        const bool known = unsettled;
        unsettled = false;
        if (!known && SettledAsCode(text, length, at, clean, &end)) {
            for (const PlainRun &run : runs_)
                KeepRun(text, run, facts);
            at = end + 1;
            clean = false;
            continue;
        }
        end = ReadShiftJis(text, length, at, r);
        if (!r.japanese) {
            PlainRuns(text, at, end, facts);
            at = end + 1;
            clean = false;
            continue;
        }
        // Machine code's last byte may have taken the text's first lead
        // byte as its trail byte ("8B 82" before "82 A8 82 C1" of "おっと").
        // (The verdict on the reading kept is the one it had there.)
        Verdict v{};
        bool judged = false;
        // So may it have taken the first letter of a name or a format that
        // a short text ending at a clean edge begins with ("8B 4A" before
        // "PEG 画像" of "JPEG 画像").
        const bool name = end == length && facts.cleanEnd && length - at <= 80 && NameAfterLead(s, at, length);
        if (!clean && r.chars[0].size == 2 && r.text[1] == at + 2 && (sjis::IsLead(s[at + 1]) || name)) {
            const size_t otherEnd = ReadShiftJis(text, length, at + 1, other);
            if (other.japanese) {
                v = JudgeReading(r, false, end == length && facts.cleanEnd);
                const Verdict b = JudgeReading(other, false, otherEnd == length && facts.cleanEnd);
                judged = true;
                if (b.japanese && (!v.japanese || b.margin > v.margin)) {
                    std::swap(r, other);
                    at += 1;
                    end = otherEnd;
                    v = b;
                }
            }
        }
        if (!judged)
            v = JudgeReading(r, clean, end == length && facts.cleanEnd);
        // Those characters read in step again begin the text.
        if (v.japanese && v.first <= realigned)
            v.first = 0;
        realigned = 0;
        if (!v.japanese) {
            PlainRuns(text, at, end, facts);
            at = end + 1;
            clean = false;
            continue;
        }
        if (v.first > 0 && rounds < 8) {
            ++rounds;
            // The head goes; a pair cut off gives its trail byte back.
            const size_t cut = r.text[v.first - 1];
            const bool pair = r.chars[v.first - 1].size == 2;
            // A head that ends in pairs and a single byte may hold the
            // text's first characters read out of step: machine code's
            // last byte took the first lead byte as a trail byte (0x88
            // before "83 81 83 43" of "メイ"), and the last trail byte stood
            // alone.  The text is read again from that lead byte.
            size_t shifted = 0;
            const size_t lead = pair ? ShiftedStart(s, r, v.first, &shifted) : RealignedStart(s, r, v.first);
            if (lead > at) {
                PlainRuns(text, at, lead, facts);
                at = lead;
                clean = false;
                realigned = pair ? shifted : (r.text[v.first] - lead) / 2;
                continue;
            }
            // A head cut after a few ASCII characters that follow a pair
            // whose trail byte is ASCII too gives that byte back, and the
            // ASCII is judged again with the text ("8B 41 46" before
            // " の結果" of "AF の結果").
            const size_t back = pair ? v.first : AsciiAfterPair(s, r, v.first);
            if (back < v.first) {
                PlainRuns(text, at, r.text[back - 1], facts);
                at = r.text[back - 1] + 1;
                clean = false;
                continue;
            }
            PlainRuns(text, at, pair ? cut : cut + 1, facts);
            at = pair ? cut + 1 : r.text[v.first];
            clean = false;
            continue;
        }
        PlainRuns(text, at, r.text[v.first], facts);
        const size_t from = r.text[v.first], to = r.text[v.end];
        if (v.end - v.first >= minJapanese_)
            KeepShiftJis(text, r, v.first, v.end);
        else
            PlainRuns(text, from, to, facts);
        PlainRuns(text, to, end, facts);
        at = end + 1;
        clean = false;
        rounds = 0;
    }
}

size_t JapaneseFilter::RealignedStart(const uint8_t *s, const Reading &r, size_t first) const
{
    const ShiftJisForms &forms = Forms();
    const size_t to = r.text[first];
    // Whether text bytes [t, to) read as Japanese pairs, side by side, of
    // kanji text uses, not one code-like kanji alone, nor first a kanji
    // right before a katakana that begins no loanword compounds ("E8 E6"
    // before "83 74" of "ファイル", as the judge reads such a pair at a
    // dirty edge: machine code's).
    const auto pairs = [&](size_t t) {
        if ((to - t) % 2 != 0)
            return false;
        const bool alone = to - t == 2;
        const size_t from = t;
        for (; t < to; t += 2)
            if (!sjis::IsLead(s[t]) || !sjis::IsTrail(s[t + 1]) || Pos(t + 1) != Pos(t) + 1 ||
                !TextPairClass(forms.pairs[ShiftJisForms::LeadIndex(s[t])][s[t + 1]].cls, alone))
                return false;
        if (alone)
            return true;
        const uint32_t first = forms.pairs[ShiftJisForms::LeadIndex(s[from])][s[from + 1]].code;
        const uint8_t next = forms.pairs[ShiftJisForms::LeadIndex(s[from + 2])][s[from + 3]].cls;
        return !(first >= 0x4E00 && first <= 0x9FFF && next == japanese::kKatakana &&
                 !japanese::LoanwordPrefix(first));
    };
    size_t start = 0;
    for (size_t k = first - 1; k-- > 0 && r.chars[k].size == 2;) {
        const size_t t = r.text[k] + 1;
        // (A code-like kanji alone may end a longer stretch.)
        if (pairs(t))
            start = t;
        else if (to - t > 2)
            break;
    }
    return start;
}

size_t JapaneseFilter::ShiftedStart(const uint8_t *s, const Reading &r, size_t first,
                                   size_t *count) const
{
    const ShiftJisForms &forms = Forms();
    const size_t to = r.text[first];
    // The characters read from text byte t up to `to`, when they are all
    // kana or common kanji ending there in step; 0 otherwise.
    const auto inStep = [&](size_t t) -> size_t {
        size_t n = 0;
        while (t < to) {
            if (!sjis::IsLead(s[t]))
                return 0;
            uint8_t trail = LoneTrail(t);
            size_t bytes = 1;
            if (trail == 0) {
                if (t + 2 > to || !sjis::IsTrail(s[t + 1]) || Pos(t + 1) != Pos(t) + 1)
                    return 0;
                trail = s[t + 1];
                bytes = 2;
            }
            const uint8_t c = forms.pairs[ShiftJisForms::LeadIndex(s[t])][trail].cls;
            if (!japanese::IsCommonTextClass(c))
                return 0;
            t += bytes;
            ++n;
        }
        return t == to ? n : 0;
    };
    size_t start = 0;
    for (size_t k = first, back = 0; k-- > 0 && back < kShiftedPairs; ++back) {
        if (r.chars[k].size != 2 || r.text[k + 1] != r.text[k] + 2)
            break;
        if (const size_t n = inStep(r.text[k] + 1)) {
            start = r.text[k] + 1;
            *count = n;
        }
    }
    return start;
}

void JapaneseFilter::PlainRuns(const char *text, size_t from, size_t to, const TextFacts &facts)
{
    const auto *s = reinterpret_cast<const uint8_t *>(text);
    // Without pairs, printable bytes join a run, left-out katakana neither
    // join nor end it, and anything else ends it.
    size_t t = from;
    while (t < to) {
        while (t < to && plain_[s[t]] == kEnds)
            ++t;
        const size_t runStart = t;
        size_t kept = 0, leftOut = 0;
        for (; t < to; ++t) {
            const uint8_t p = plain_[s[t]];
            if (p == kEnds)
                break;
            kept += p == kJoins;
            leftOut += p == kLeftOut;
        }
        if (kept >= minLength_ && kept > 0)
            KeepRun(text, {runStart, t, kept, leftOut}, facts);
    }
}

void JapaneseFilter::CountRun(const uint8_t *s, size_t from, size_t to)
{
    size_t kept = 0, leftOut = 0;
    for (size_t k = from; k < to; ++k) {
        kept += plain_[s[k]] == kJoins;
        leftOut += plain_[s[k]] == kLeftOut;
    }
    if (kept >= minLength_ && kept > 0)
        runs_.push_back({from, to, kept, leftOut});
}

void JapaneseFilter::KeepRun(const char *text, const PlainRun &run, const TextFacts &facts)
{
    const auto *s = reinterpret_cast<const uint8_t *>(text);
    size_t first = run.from;
    while (plain_[s[first]] == kLeftOut)
        ++first;
    pieces_.push_back({facts.start + Pos(first), RowKind::Ansi, bytes_.size(), run.kept, {}});
    if (run.leftOut == 0) {
        bytes_.append(text + run.from, run.to - run.from);
        return;
    }
    for (size_t k = run.from; k < run.to; ++k)
        if (plain_[s[k]] == kJoins)
            bytes_.push_back(static_cast<char>(s[k]));
}

void JapaneseFilter::JudgeOther(const char *text, size_t length, const TextFacts &facts)
{
    const auto *s = reinterpret_cast<const uint8_t *>(text);
    const bool wide = facts.wide;
    chars_.clear();
    charText_.clear();
    size_t m = 0, stand = 0;
    uint32_t pos = 0;
    for (size_t t = 0; t < length;) {
        while (m < facts.marks.size() && facts.marks[m].first < t)
            ++m;
        while (m < facts.marks.size() && facts.marks[m].first == t)
            pos = facts.marks[m++].second;
        uint32_t code;
        size_t bytes = 1;
        while (stand < facts.standIns.size() && facts.standIns[stand] < t)
            ++stand;
        if (stand < facts.standIns.size() && facts.standIns[stand] == t) {
            // "\u{HEX}": the character that code page 932 lacks.
            char *close = nullptr;
            code = static_cast<uint32_t>(std::strtoul(text + t + 3, &close, 16));
            bytes = static_cast<size_t>(close - (text + t)) + 1;
        } else if (sjis::IsLead(s[t]) && t + 1 < length) {
            code = PairCode(s[t], s[t + 1]);
            bytes = 2;
        } else {
            code = SingleCode(s[t]);
        }
        // In UTF-16 text a character is a code unit.  In UTF-8 text the
        // walk marks where each multi-byte character and what follows it
        // lie; a byte between marks is one byte of the file (the text may
        // begin with single bytes, half-width katakana among them).
        const uint32_t size = wide ? 2 : Utf8Size(code);
        chars_.push_back({code, pos, size});
        charText_.push_back(static_cast<uint32_t>(t));
        pos += wide ? 2 : static_cast<uint32_t>(bytes);
        t += bytes;
    }
    charText_.push_back(static_cast<uint32_t>(length));
    const uint32_t n = static_cast<uint32_t>(chars_.size());
    // A UTF-8 character's bytes reach to the next one (its code page 932
    // form may read back as a character of another length).  An ASCII
    // character is one byte of the file (no other character's form is
    // ASCII): half-width katakana left out after it, before the first
    // UTF-8 character, stay a gap for the judge, as in Shift-JIS text.
    for (uint32_t k = 0; !wide && k + 1 < n; ++k)
        if (chars_[k].code >= 0x80)
            chars_[k].size = chars_[k + 1].at - chars_[k].at;
    const RowKind kind = wide ? RowKind::Unicode : RowKind::Utf8;
    const RowKind plain = wide ? RowKind::Unicode : RowKind::Ansi;
    const bool cleanStart = wide ? IsCleanEdgeUnit((facts.before >> 8 & 0xFF) | (facts.before & 0xFF) << 8)
                                 : IsCleanEdgeByte(facts.before & 0xFF);
    const Verdict v = japanese::JudgeRow(chars_.data(), chars_.size(),
                                         wide ? JudgeForm::Utf16Le : JudgeForm::Utf8,
                                         {cleanStart, facts.cleanEnd});
    if (!v.japanese) {
        AsciiRuns(text, 0, n, plain);
        return;
    }
    AsciiRuns(text, 0, v.first, plain);
    if (v.end - v.first >= minJapanese_) {
        const size_t from = charText_[v.first], to = charText_[v.end];
        std::vector<size_t> standIns;
        for (size_t at : facts.standIns)
            if (at >= from && at < to)
                standIns.push_back(at - from);
        Keep(facts.start + chars_[v.first].at, kind, text + from, to - from, std::move(standIns));
    } else {
        AsciiRuns(text, v.first, v.end, plain);
    }
    AsciiRuns(text, v.end, n, plain);
}

void JapaneseFilter::AsciiRuns(const char *text, uint32_t first, uint32_t end, RowKind kind)
{
    uint32_t k = first;
    while (k < end) {
        while (k < end && chars_[k].code >= 0x80)
            ++k;
        const uint32_t runFirst = k;
        while (k < end && chars_[k].code < 0x80)
            ++k;
        if (k - runFirst >= minLength_ && k > runFirst)
            Keep(facts_->start + chars_[runFirst].at, kind, text + charText_[runFirst],
                 charText_[k] - charText_[runFirst], {});
    }
}

void JapaneseFilter::KeepShiftJis(const char *text, const Reading &r, size_t first, size_t end)
{
    const size_t from = r.text[first];
    pieces_.push_back({facts_->start + Pos(from), RowKind::Ansi, bytes_.size(), 0, {}});
    size_t t = from;
    for (size_t k = first; k < end; ++k) {
        const size_t next = r.text[k + 1];
        if (r.chars[k].size == 2 && next == r.text[k] + 1) {
            bytes_.append(text + t, next - t);
            bytes_.push_back(static_cast<char>(LoneTrail(r.text[k])));
            t = next;
        }
    }
    bytes_.append(text + t, r.text[end] - t);
    pieces_.back().length = bytes_.size() - pieces_.back().at;
}

void JapaneseFilter::Keep(uint64_t start, RowKind kind, const char *text, size_t length,
                          std::vector<size_t> standIns)
{
    pieces_.push_back({start, kind, bytes_.size(), length, std::move(standIns)});
    bytes_.append(text, length);
}

} // namespace lex
