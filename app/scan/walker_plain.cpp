// The walk's shared parts (row emitter, checkpoints), and the walk built
// with plain loops, for processors without SSE2.
#include "scan/walker.h"

#include "scan/kanjinoise.h"
#include "words/dictionary.h"

namespace lex {

WalkCore::WalkCore(const WalkSetup &setup)
    : min_(static_cast<size_t>(std::max(setup.minLength, 1))), settings_(*setup.settings),
      marker_(setup.marker), host_(*setup.host), size_(setup.size),
      interval_(std::max<size_t>(setup.interval, 1)), blockLast_(interval_ - 1)
{
}

void WalkCore::Emit(const char *text, size_t length, size_t extra, bool hard)
{
    const size_t chars = length - extra;
    if (chars < min_)
        return;
    // Random bytes and Shift-JIS text read as UTF-16 give runs of CJK
    // ideographs mixed with full-width forms; Japanese text with
    // ideographs nearly always has kana or punctuation, or ASCII beside
    // them ("保存(&S)"), unless it is a whole string ("中華人民共和国"
    // between zero code units).
    if (ideographs_ && !kana_ && chars - japanese_ < 2 && !(whole_ && hard))
        return;
    // A table of 32-bit relocations (0x3000 and an offset each) reads as
    // kana in rising order.
    if (wide_ && japanese_ > 0 && japanese_ == chars && rising_ && chars >= 4)
        return;
    // Shift-JIS pairs that machine code makes (first: it drops most of the
    // rows with pairs).
    if (doubles_ && settings_.CheckKanjiNoise && !ReadsAsJapanese(text, length))
        return;
    if (settings_.CheckRecurrence &&
        !PassesRepetitionFilter(text, length, settings_.RecurrenceTime))
        return;
    bool checked = false;
    if (settings_.CheckEnglish && marker_) {
        if (standIns_.empty()) {
            checked = marker_->ContainsWord(text, length);
        } else {
            // A stand-in is no text (its letters are hexadecimal digits):
            // the marker reads it as bytes that no word holds.
            std::string masked(text, length);
            for (size_t at : standIns_)
                for (size_t k = at; k < masked.size() && masked[k] != '}'; ++k)
                    masked[k] = '~';
            checked = marker_->ContainsWord(masked.data(), masked.size());
        }
    }
    const RowKind kind = wide_ ? RowKind::Unicode : utf8_ ? RowKind::Utf8 : RowKind::Ansi;
    host_.AddRow(static_cast<uint32_t>(start_), kind, text, length, checked);
}

bool WalkCore::Checkpoint(uint64_t at)
{
    lastCheckpoint_ = at;
    blockLast_ = ((at + 1) / interval_ + 1) * interval_ - 1;
    // Past the announced size (a caller that gives more data than it
    // announced) the progress stays at 100.
    host_.SetProgress(at < size_ ? static_cast<int>(at * 100 / size_) : 100);
    host_.ProcessEvents();
    return !host_.AbortRequested();
}

bool WalkCore::CheckpointAtEnd()
{
    if (pos_ == 0 || lastCheckpoint_ == pos_ - 1)
        return true;
    return Checkpoint(pos_ - 1);
}

} // namespace lex

#define LEX_WALK_SSE2 0
#define LEX_WALK_FACTORY MakePlainWalker
#include "scan/walker_body.h"
