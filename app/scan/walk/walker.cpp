// The walk's parts that do not depend on how bytes are searched:
// its set-up, the checkpoints, and the cut of a long run into pieces.
#include "scan/walk/walker.h"

namespace lex {

WalkCore::WalkCore(const WalkSetup &setup)
    : settings_(*setup.settings),
      emitter_(setup.minLength, *setup.settings, setup.marker, *setup.host),
      judging_(emitter_.Judging()), host_(*setup.host),
      size_(setup.size), interval_(std::max<size_t>(setup.interval, 1)),
      rowLimit_(std::max<size_t>(setup.rowLimit, 1)), blockLast_(interval_ - 1),
      encoded_(setup.encoded)
{
}

void WalkCore::AppendInPieces(const uint8_t *d, uint64_t base, size_t from, size_t to)
{
    while (candidate_.size() + (to - from) > rowLimit_) {
        const size_t room = candidate_.size() < rowLimit_ ? rowLimit_ - candidate_.size() : 0;
        candidate_.append(reinterpret_cast<const char *>(d + from), room);
        from += room;
        Cut(base + from);
    }
    candidate_.append(reinterpret_cast<const char *>(d + from), to - from);
}

void WalkCore::Cut(uint64_t next)
{
    // The cut is a clean edge of both pieces.
    facts_.piece = true;
    facts_.cleanEnd = true;
    emitter_.Emit(candidate_.data(), candidate_.size(), facts_, true);
    earlier_.doubles = Doubles();
    earlier_.japanese = JapaneseSeen();
    earlier_.others = OtherChars();
    candidate_.clear();
    facts_.NextPiece(next);
    facts_.before = 0;
    lastUnit_ = 0;
}

bool WalkCore::Checkpoint(uint64_t at)
{
    lastCheckpoint_ = at;
    blockLast_ = ((at + 1) / interval_ + 1) * interval_ - 1;
    if (encoded_)
        encoded_->Release(candidate_.empty() ? at + 1 : facts_.start);
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
