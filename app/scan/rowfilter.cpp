// The row emitter and its filters, and the repetition filter.
#include "scan/rowfilter.h"

#include <algorithm>
#include <string>

#include "scan/kanjinoise.h"
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
// `chars`: the text's length in characters.
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

} // namespace

RowEmitter::RowEmitter(int minLength, const ExtractionSettings &settings,
                       const EnglishWordMarker *marker, ScanHost &host)
    : min_(static_cast<size_t>(std::max(minLength, 1))), settings_(settings), marker_(marker),
      host_(host)
{
}

void RowEmitter::Emit(const char *text, size_t length, const TextFacts &facts, bool hard) const
{
    const size_t chars = length - facts.extra;
    if (chars < min_ && !facts.piece)
        return;
    if (IdeographsAlone(facts, chars, hard) || RelocationTable(facts, chars))
        return;
    // Shift-JIS pairs that machine code makes (first: it drops most of the
    // rows with pairs).
    if (facts.doubles && settings_.CheckKanjiNoise && !ReadsAsJapanese(text, length))
        return;
    if (settings_.CheckRecurrence &&
        !PassesRepetitionFilter(text, length, settings_.RecurrenceTime))
        return;
    bool checked = false;
    if (settings_.CheckEnglish && marker_) {
        if (facts.standIns.empty()) {
            checked = marker_->ContainsWord(text, length);
        } else {
            // A stand-in is no text (its letters are hexadecimal digits):
            // the marker reads it as bytes that no word holds.
            std::string masked(text, length);
            for (size_t at : facts.standIns)
                for (size_t k = at; k < masked.size() && masked[k] != '}'; ++k)
                    masked[k] = '~';
            checked = marker_->ContainsWord(masked.data(), masked.size());
        }
    }
    const RowKind kind = facts.wide   ? RowKind::Unicode
                         : facts.utf8 ? RowKind::Utf8
                                      : RowKind::Ansi;
    host_.AddRow(static_cast<uint32_t>(facts.start), kind, text, length, checked);
}

} // namespace lex
