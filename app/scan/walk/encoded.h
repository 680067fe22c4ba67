// The walk's rooms for Japanese text in EUC-JP, ISO-2022-JP and UTF-16BE
// (SearchEucJp, SearchIso2022Jp, SearchUtf16Be), each a reading of its own
// over the window before the rest of the walk reads it (walker.h:
// EncodedWalk).  Included by each build of the walk after body.h, like it
// inside the build's unnamed namespace.
//
// A room skips with its sieve to where its Japanese text may begin, takes
// the ASCII head before it (at most kHead bytes) and reads on to where its
// text ends; the run goes to EncodedRows, which judges it, and the bytes
// of the row it lists become zeros for the rooms after it and the rest of
// the walk.  A run longer than kMaxRun bytes is judged in pieces of about
// that length.  A room hands on its window up to its frontier: the bytes
// it has done with, which are before its open run and more than kHead
// bytes before its position.  The next room reads only up to there, and
// the rest of the walk up to the last room's frontier, so every reading
// sees the bytes as the rooms before it left them, wherever the windows
// are cut.

#include "scan/walk/room.h"
#include "scan/walk/euc_jp.h"
#include "scan/walk/iso2022_jp.h"
#include "scan/walk/utf16_be.h"

template <class Text>
class Room {
public:
    static constexpr size_t kHead = EncodedWalk::kHead;
    static constexpr size_t kMaxRun = EncodedWalk::kMaxRun;
    // UTF-16 text, and EUC-JP text after machine code's high bytes, may be
    // read one byte off, and so found too early.
    static constexpr bool kRetry = Text::kEncoding != Encoding::Iso2022Jp;

    Room(const ExtractionSettings &settings, EncodedRows &rows) : text_(settings), rows_(rows) {}

    // Examines the positions before `limit` of the window; returns the
    // frontier (a file offset).
    uint64_t Walk(uint8_t *d, uint64_t base, size_t avail, size_t limit, bool final)
    {
        const RoomView v{d, base, avail, final, {}};
        size_t i = static_cast<size_t>(pos_ - base);
        while (i < limit) {
            if (!open_) {
                const size_t q = text_.Find(v, i, limit);
                if (q >= limit) {
                    i = limit;
                    break;
                }
                if constexpr (Text::kEncoding == Encoding::Utf16Be) {
                    // Looked into again one byte on: a position in step
                    // with the units of the run not listed reads those
                    // units again, to the same verdict.
                    if (base + q < retryUntil_ && ((base + q - retryAt_) & 1) == 0) {
                        i = q + 1;
                        continue;
                    }
                }
                if (!Text::kFoundBegins && !text_.Begins(v, q, state_)) {
                    i = q + 1;
                    continue;
                }
                const size_t floor = q > kHead ? q - kHead : 0;
                const size_t h = text_.Head(v, q, floor);
                if constexpr (Text::kEncoding == Encoding::Utf16Be) {
                    // Two units with no head and no text after them (what
                    // binary data gives most) are a run too short for a
                    // row: it ends at once, as a run not listed does.
                    if (h == q && q + 4 < limit && rows_.MinChars() > 2 && text_.PairAlone(v, q)) {
                        i = q + 5;
                        if (base + q >= retryUntil_) {
                            retryAt_ = base + q;
                            retryUntil_ = base + q + 4;
                            i = q + 1;
                        }
                        continue;
                    }
                }
                chars_.clear();
                text_.HeadChars(v, h, q, chars_);
                open_ = true;
                runFrom_ = base + h;
                runAt_ = base + q;
                cleanStart_ = text_.CleanBefore(v, h);
                i = q;
            }
            // The character is read straight into its place: a copy of it
            // written field by field and read back whole would wait for
            // the writes at every character.
            size_t next = i + 1;
            chars_.emplace_back();
            const RoomRead read = text_.Read(v, i, state_, &chars_.back(), &next);
            if (read != RoomRead::kChar)
                chars_.pop_back();
            switch (read) {
            case RoomRead::kChar:
                break;
            case RoomRead::kSkip:
                // What the text passes over belongs to the character before.
                if (!chars_.empty())
                    chars_.back().to = v.Offset(next);
                break;
            case RoomRead::kEnd:
                End(v, text_.CleanAt(v, i), i, &next);
                break;
            }
            i = next;
            if (open_ && base + i - runFrom_ >= kMaxRun) {
                // A piece of a long run: the cut is a clean edge of both,
                // and the text goes on in the set it is in.
                const typename Text::State state = state_;
                Close(v, true);
                state_ = state;
                open_ = true;
                runFrom_ = base + i;
                runAt_ = UINT64_MAX;
                cleanStart_ = true;
            }
        }
        if (final && open_ && i >= avail) {
            size_t again = i;
            End(v, true, i, &again);
            if (again < i) {
                pos_ = base + again;
                return Walk(d, base, avail, limit, final);
            }
        }
        pos_ = base + i;
        // No head reaches more than kHead bytes before a position; the
        // bytes of a row listed are zeros, which end any head.  A run that
        // may be looked into again keeps the kHead bytes before where its
        // text began, for the heads read then.
        const uint64_t back = pos_ > kHead ? pos_ - kHead : 0;
        if (kRetry && open_ && runAt_ != UINT64_MAX)
            return runAt_ > kHead ? runAt_ - kHead : 0;
        return open_ ? std::min(runFrom_, back) : back;
    }

private:
    // The run ends at i.  Text read one byte off and not listed may hide
    // text that begins inside it: with kRetry, *next becomes the byte after
    // where the reading began, and the text is looked for again from there,
    // once (not from a piece of a long run).
    void End(const RoomView &v, bool cleanEnd, size_t i, size_t *next)
    {
        const uint64_t at = runAt_;
        if (!Close(v, cleanEnd) && kRetry && at != UINT64_MAX && at >= retryUntil_) {
            retryAt_ = at;
            retryUntil_ = v.base + i;
            *next = static_cast<size_t>(at - v.base) + 1;
        }
    }

    // The run ends (`cleanEnd`: at a clean edge); whether it gave a row.
    bool Close(const RoomView &v, bool cleanEnd)
    {
        uint64_t from, to;
        const bool listed =
            !chars_.empty() &&
            rows_.Decide(Text::kEncoding, chars_.data(), chars_.size(), cleanStart_, cleanEnd,
                         v.d, v.base, v.avail, &from, &to);
        if (listed) {
            std::memset(const_cast<uint8_t *>(v.d) + (from - v.base), 0,
                        static_cast<size_t>(to - from));
            v.sieve.Forget();
        }
        chars_.clear();
        text_.Reset(state_);
        open_ = false;
        return listed;
    }

    const Text text_;
    EncodedRows &rows_;
    typename Text::State state_;
    std::vector<EncodedChar> chars_;
    uint64_t pos_ = 0;      // the next position to examine
    uint64_t runFrom_ = 0;  // where the open run begins
    // Where its text began after its head (UINT64_MAX for a piece of a
    // long run), and where the last run looked into again (kRetry) began
    // and ended.
    uint64_t runAt_ = UINT64_MAX;
    uint64_t retryAt_ = 0;
    uint64_t retryUntil_ = 0;
    bool open_ = false;
    bool cleanStart_ = false;
};

class EncodedBody final : public EncodedWalk {
public:
    EncodedBody(const ExtractionSettings &s, EncodedRows &rows)
    {
        if (s.SearchEucJp)
            euc_.reset(new Room<EucJpText>(s, rows));
        if (s.SearchIso2022Jp)
            iso_.reset(new Room<Iso2022JpText>(s, rows));
        if (s.SearchUtf16Be)
            be_.reset(new Room<Utf16BeText>(s, rows));
    }

    size_t Walk(uint8_t *d, uint64_t base, size_t avail, bool final) override
    {
        uint64_t frontier = base + avail;
        size_t limit = Limit(base, avail, frontier, final);
        auto walk = [&](auto &room) {
            if (!room)
                return;
            frontier = room->Walk(d, base, avail, limit, final);
            limit = Limit(base, avail, frontier, final);
        };
        walk(euc_);
        walk(iso_);
        walk(be_);
        // The walk reads up to two bytes before the frontier, so that the
        // next window holds the three before it that a decision reads.
        if (final)
            return avail;
        return frontier - base > 2 ? static_cast<size_t>(frontier - base) - 2 : 0;
    }

private:
    static constexpr size_t kLook = EncodedWalk::kLook;
    // The positions a room may examine: those whose look-ahead lies before
    // the frontier of the room before it (in the window that ends the
    // data, all).
    static size_t Limit(uint64_t base, size_t avail, uint64_t frontier, bool final)
    {
        if (final)
            return avail;
        const uint64_t upTo = frontier - base;
        return upTo > kLook ? static_cast<size_t>(upTo) - kLook : 0;
    }

    std::unique_ptr<Room<EucJpText>> euc_;
    std::unique_ptr<Room<Iso2022JpText>> iso_;
    std::unique_ptr<Room<Utf16BeText>> be_;
};

std::unique_ptr<EncodedWalk> MakeEncodedBody(const ExtractionSettings &s, EncodedRows &rows)
{
    return std::unique_ptr<EncodedWalk>(new EncodedBody(s, rows));
}
