// The walk's parts that do not depend on how bytes are searched: its set-up
// and the checkpoints.
#include "scan/walk/walker.h"

namespace lex {

WalkCore::WalkCore(const WalkSetup &setup)
    : settings_(*setup.settings),
      emitter_(setup.minLength, *setup.settings, setup.marker, *setup.host), host_(*setup.host),
      size_(setup.size), interval_(std::max<size_t>(setup.interval, 1)),
      blockLast_(interval_ - 1)
{
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
