// The row emitter and its filters, and the repetition filter.
#include "scan/rowfilter.h"

#include <algorithm>
#include <string>

#include "util/shiftjis.h"
#include "words/dictionary.h"

namespace lex {

bool PassesRepetitionFilter(const char *text, size_t length, int limit)
{
    const auto *s = reinterpret_cast<const unsigned char *>(text);
    auto exempt = [](unsigned char c) { return c == ' ' || c == '_' || (c >= '0' && c <= '9'); };
    // A limit of 1 or less (a registry value may be any int) drops every
    // text with a byte that is not exempt.
    if (limit <= 1) {
        for (size_t k = 0; k < length; ++k)
            if (!exempt(s[k]))
                return false;
        return true;
    }
    // Counters of the word size: a row is shorter than 4 GiB, and 64-bit
    // arithmetic costs two registers a step in 32-bit code.
    const size_t repeats = static_cast<size_t>(limit) - 1;  // equal neighbours that drop it
    unsigned char previous = 0;  // no text byte is zero
    size_t run = 0;
    for (size_t k = 0; k < length; ++k) {
        const unsigned char c = s[k];
        if (c != previous) {
            previous = c;
            run = 0;
        } else if (++run >= repeats && !exempt(c)) {
            return false;
        }
    }
    return true;
}

namespace {

// Random bytes and Shift-JIS text read as UTF-16 give runs of CJK
// ideographs mixed with full-width forms; Japanese text with ideographs
// nearly always has kana or punctuation, or ASCII beside them ("保存(&S)"),
// unless it is a whole string ("中華人民共和国" between zero code units).
// `chars`: the text's length in characters.  (Without the Japanese-text
// judge, which reads such rows as what they are.)
bool IdeographsAlone(const TextFacts &facts, size_t chars, bool hard)
{
    return facts.ideographs && !facts.kana && chars - facts.japanese < 2 &&
           !(facts.whole && hard);
}

// A table of 32-bit relocations (0x3000 and an offset each) reads as kana
// in rising order.
bool RelocationTable(const TextFacts &facts, size_t chars)
{
    return facts.wide && facts.japanese > 0 && facts.japanese == chars && facts.rising &&
           chars >= 4;
}

// Whether the text holds Japanese characters: Shift-JIS pairs, Japanese
// UTF-16 characters, or in UTF-8 text characters that code page 932 holds
// beyond ASCII (its stand-ins are ASCII).
bool HoldsJapanese(const char *text, size_t length, const TextFacts &facts)
{
    if (facts.doubles || facts.japanese > 0)
        return true;
    if (!facts.utf8)
        return false;
    for (size_t k = 0; k < length; ++k)
        if (static_cast<unsigned char>(text[k]) >= 0x80)
            return true;
    return false;
}

// Characters of a text with Japanese characters: a Shift-JIS pair is one.
size_t Characters(const char *text, size_t length, const TextFacts &facts)
{
    if (facts.wide || facts.utf8)
        return length - facts.extra;
    size_t chars = 0;
    for (size_t k = 0; k < length; ++k, ++chars)
        if (loom::sjis::IsLead(static_cast<unsigned char>(text[k])))
            ++k;
    return chars;
}

} // namespace

RowEmitter::RowEmitter(int minLength, const ExtractionSettings &settings,
                       const EnglishWordMarker *marker, ScanHost &host)
    : min_(static_cast<size_t>(std::max(minLength, 1))),
      minJapanese_(static_cast<size_t>(kMinJapaneseStrRange.Clamp(settings.MinJapaneseStr))),
      shortest_(settings.SearchKanji || settings.SearchWideJapanese || settings.SearchUtf8
                    ? std::min(min_, minJapanese_)
                    : min_),
      judging_(settings.CheckKanjiNoise &&
               (settings.SearchKanji || settings.SearchWideJapanese || settings.SearchUtf8)),
      settings_(settings), marker_(marker), host_(host),
      japanese_(min_, minJapanese_, settings.CheckHalfKana)
{
}

void RowEmitter::Emit(const char *text, size_t length, const TextFacts &facts, bool hard) const
{
    const size_t chars = length - facts.extra;
    const RowKind kind = facts.wide   ? RowKind::Unicode
                         : facts.utf8 ? RowKind::Utf8
                                      : RowKind::Ansi;
    // A piece of a run longer than the row limit is listed whatever its
    // length, as it stands: neither the length rules nor the judge drop or
    // trim text that long (it is text).
    if (facts.piece) {
        if (!IdeographsAlone(facts, chars, hard) && !RelocationTable(facts, chars))
            Keep(facts.start, kind, text, length, facts.standIns);
        return;
    }
    if (chars < shortest_)
        return;
    if (!HoldsJapanese(text, length, facts)) {
        if (chars >= min_)
            Keep(facts.start, kind, text, length, facts.standIns);
        return;
    }
    if (judging_) {
        // Too short for any piece: a span with Japanese or a run without.
        if (chars < min_ && Characters(text, length, facts) < minJapanese_)
            return;
        // Runs of ideographs alone and relocation tables read as UTF-16
        // Japanese text are machine code and tables whatever the judge
        // makes of their pairs: they go whole, as without the judge.
        if (facts.wide && (IdeographsAlone(facts, chars, hard) || RelocationTable(facts, chars)))
            return;
        for (const TextPiece &p : japanese_.Judge(text, length, facts))
            Keep(p.start, p.kind, japanese_.Bytes(p), p.length, p.standIns);
        return;
    }
    const size_t characters = Characters(text, length, facts);
    if (characters < minJapanese_ || IdeographsAlone(facts, chars, hard) ||
        RelocationTable(facts, chars))
        return;
    Keep(facts.start, kind, text, length, facts.standIns);
}

void RowEmitter::Keep(uint64_t start, RowKind kind, const char *text, size_t length,
                      const std::vector<size_t> &standIns) const
{
    if (settings_.CheckRecurrence &&
        !PassesRepetitionFilter(text, length, settings_.RecurrenceTime))
        return;
    bool checked = false;
    if (settings_.CheckEnglish && marker_) {
        if (standIns.empty()) {
            checked = marker_->ContainsWord(text, length);
        } else {
            // A stand-in is no text (its letters are hexadecimal digits):
            // the marker reads it as bytes that no word holds.
            std::string masked(text, length);
            for (size_t at : standIns)
                for (size_t k = at; k < masked.size() && masked[k] != '}'; ++k)
                    masked[k] = '~';
            checked = marker_->ContainsWord(masked.data(), masked.size());
        }
    }
    host_.AddRow(static_cast<uint32_t>(start), kind, text, length, checked);
}

} // namespace lex
