// The string scanner's byte walk over data that arrives in windows, with its
// state (the candidate, its start, the wide flag, the next position) carried
// from one window to the next.  Internal to the scanner: scanner.cpp drives
// it; walker_plain.cpp, walker_sse2.cpp and walker_avx2.cpp each build the
// walk itself from body.h and the headers it includes (one per kind of
// text, the window, the byte sets), with plain loops, SSE2 searches and
// AVX2 searches.
//
// Everything here is defined before walker_sse2.cpp and walker_avx2.cpp
// switch SSE2 or AVX2 code on, so none of it (inline functions included)
// is ever built with them: only the walk's own functions, which are local
// to their file, are.  This header brings in everything those use.
#pragma once

#include <algorithm>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "scan/cp932.h"
#include "scan/encodedrows.h"
#include "scan/rowfilter.h"
#include "scan/scanner.h"
#include "scan/utf8.h"
#include "util/shiftjis.h"
#include "util/shortcopy.h"

namespace lex {

class EnglishWordMarker;
namespace sjis = loom::sjis;

// The text a walk gathers: a growing buffer whose appends copy in word
// moves (most are a few bytes, and a call to the runtime's memcpy costs
// more than that).  Throws std::bad_alloc when it cannot grow.
class TextBuffer {
public:
    bool empty() const { return size_ == 0; }
    size_t size() const { return size_; }
    const char *data() const { return data_.get(); }
    void clear() { size_ = 0; }
    // Keeps the first n bytes (n <= size()).
    void truncate(size_t n) { size_ = n; }
    // Room for n more bytes, written from the place returned; Added(m)
    // then takes the first m <= n of them into the text.
    char *Reserve(size_t n)
    {
        if (capacity_ - size_ < n)
            Grow(n);
        return data_.get() + size_;
    }
    void Added(size_t m) { size_ += m; }
    void push_back(char c)
    {
        if (size_ == capacity_)
            Grow(1);
        data_[size_++] = c;
    }
    void append(const char *from, size_t n)
    {
        if (capacity_ - size_ < n)
            Grow(n);
        loom::CopyShort(data_.get() + size_, from, n);
        size_ += n;
    }
    void assign(const char *from, size_t n)
    {
        clear();
        append(from, n);
    }

private:
    // Room for `more` bytes after the text, at least twice the old room.
    void Grow(size_t more)
    {
        if (more > SIZE_MAX / 2 - size_)
            throw std::bad_alloc();
        const size_t capacity = std::max({capacity_ * 2, size_ + more, size_t(256)});
        std::unique_ptr<char[]> grown(new char[capacity]);
        if (size_ != 0)
            std::memcpy(grown.get(), data_.get(), size_);
        data_ = std::move(grown);
        capacity_ = capacity;
    }

    std::unique_ptr<char[]> data_;
    size_t size_ = 0;
    size_t capacity_ = 0;
};

// What a walk is set up with.
struct WalkSetup {
    int minLength;
    const ExtractionSettings *settings;
    const EnglishWordMarker *marker;  // null: no row is checked
    ScanHost *host;
    uint64_t size;    // the data's size, for the progress percentage
    size_t interval;  // distance between checkpoints, >= 1
    size_t rowLimit;  // the most bytes of text a row holds (kMaxRowLength), >= 1
    // The rows of the further encodings (null: none), which are handed to
    // the host at each checkpoint up to where the walk's own rows may
    // still begin.
    EncodedRows *encoded = nullptr;
};

// The walk's state and the parts of it that do not depend on how bytes are
// searched: the checkpoints, and the texts handed to the row emitter.
class WalkCore {
public:
    // How many bytes after a position the steps of any walk may look at
    // (the longest look-ahead of a kind of text: JapaneseUtf16::kLookAhead).
    static constexpr size_t kMaxLookAhead = 768;

    explicit WalkCore(const WalkSetup &setup);
    virtual ~WalkCore() = default;
    WalkCore(const WalkCore &) = delete;
    WalkCore &operator=(const WalkCore &) = delete;

    // Examines the positions of the window d[0, avail), which starts at file
    // offset `base`, from Pos() on.  Unless `final` (the window ends the
    // data), a position is examined only when the bytes its steps may look
    // at are in the window, so at most the window's last kMaxLookAhead
    // bytes are left unexamined; a final window is examined to its end,
    // with zero bytes after it.
    // A checkpoint follows the step that reaches the last position of each
    // checkpoint block, and (in a final window) the step that reaches the
    // end.  Returns false when the host asked to stop at a checkpoint (the
    // caller then ends the walk with EmitPending).
    virtual bool Walk(const uint8_t *d, uint64_t base, size_t avail, bool final) = 0;

    // The next position to examine.
    uint64_t Pos() const { return pos_; }
    // The data ended right after a lead step took its last byte as the
    // trail byte, in a window that did not know it was the last: the
    // checkpoint of the data's last position, unless it was held already.
    // Returns false when the host asked to stop.
    bool CheckpointAtEnd();
    // The end of the walk, after a stop too: the pending candidate is
    // emitted when it reaches the minimum length.
    void EmitPending()
    {
        facts_.cleanEnd = true;
        emitter_.Emit(candidate_.data(), candidate_.size(), facts_, true);
    }

protected:
    // Hands `length` bytes of text to the row emitter, with the facts of
    // the candidate (the text is the candidate's or, with no candidate,
    // bytes of the data that the walk took at once).  `hard`: UTF-16 text
    // ended at a zero or control unit, a string table's length word or the
    // data's end; `clean`: the text ended at a clean edge (TextFacts), told
    // only while the Japanese-text judge is in force.
    void Emit(const char *text, size_t length, bool hard = false, bool clean = false)
    {
        facts_.cleanEnd = clean;
        emitter_.Emit(text, length, facts_, hard);
    }
    // For the Japanese-text judge: text byte `text` of the candidate lies at
    // file offset `at`.
    void Mark(size_t text, uint64_t at)
    {
        facts_.marks.emplace_back(static_cast<uint32_t>(text),
                                  static_cast<uint32_t>(at - facts_.start));
    }
    void Clear()
    {
        candidate_.clear();
        facts_.Reset();
        lastUnit_ = 0;
        unlikeSeen_ = false;
        earlier_ = EarlierPieces();
    }
    void Flush(bool hard = false, bool clean = false)
    {
        Emit(candidate_.data(), candidate_.size(), hard, clean);
        Clear();
    }
    // Progress, events and the abort check after the step that ended on
    // position `at`.  Returns false when the host asked to stop.
    bool Checkpoint(uint64_t at);

    // A run of text longer than the row limit is listed as consecutive
    // rows (pieces) of at most the limit, each with its own offset: before
    // a character of `bytes` bytes at file offset `at` is appended, a text
    // that it would take past the limit is listed up to there, and the
    // character begins the next piece.  (An empty piece takes any
    // character.)  The steps go on as in the whole run: what they ask of
    // the text (is there one, its pairs, its Japanese and other characters)
    // counts the earlier pieces too.
    void Room(size_t bytes, uint64_t at)
    {
        if (__builtin_expect(candidate_.size() + bytes > rowLimit_, 0) && !candidate_.empty())
            Cut(at);
    }
    // Appends the single bytes d[from, to) of the window at file offset
    // `base`, cut into pieces where they reach the limit.
    void AppendBytes(const uint8_t *d, uint64_t base, size_t from, size_t to)
    {
        if (__builtin_expect(candidate_.size() + (to - from) > rowLimit_, 0))
            AppendInPieces(d, base, from, to);
        else
            candidate_.append(reinterpret_cast<const char *>(d + from), to - from);
    }
    void AppendInPieces(const uint8_t *d, uint64_t base, size_t from, size_t to);
    // Lists the text as a piece of its run; the next piece begins at file
    // offset `next`.
    void Cut(uint64_t next);
    // Whether the run holds Shift-JIS pairs, and Japanese characters (in
    // UTF-16 text), and how many other characters (UTF-16 text: ASCII
    // units).
    bool Doubles() const { return facts_.doubles || earlier_.doubles; }
    bool JapaneseSeen() const { return facts_.japanese > 0 || earlier_.japanese; }
    size_t OtherChars() const
    {
        return candidate_.size() - facts_.extra - facts_.japanese + earlier_.others;
    }

    // A copy: a stream may outlive the settings record it was made with.
    const ExtractionSettings settings_;
    const RowEmitter emitter_;
    // The Japanese-text judge is in force: the walk records what it reads
    // of a text's edges and where its bytes lie (TextFacts).
    const bool judging_;
    ScanHost &host_;
    uint64_t size_;
    uint64_t interval_;
    size_t rowLimit_;

    TextBuffer candidate_;
    TextFacts facts_;
    // In UTF-16 text with Japanese characters: the last of them, and
    // whether one unlike single-byte text came after its first character.
    uint16_t lastUnit_ = 0;
    bool unlikeSeen_ = false;
    // What the pieces of the run listed before the candidate held.
    struct EarlierPieces {
        bool doubles = false;
        bool japanese = false;
        size_t others = 0;
    } earlier_;
    uint64_t pos_ = 0;              // the next position to examine
    uint64_t blockLast_;            // last position of the current checkpoint block
    uint64_t lastCheckpoint_ = UINT64_MAX;  // where the last checkpoint was held
    EncodedRows *encoded_;
};

// The rooms of the further encodings (scan/walk/encoded.h), which read
// each window before the walk does.
class EncodedWalk {
public:
    // The most ASCII bytes before a Japanese character that its text may
    // begin with, the longest run judged at once (longer ones are judged in
    // pieces), and how far a room reads after a position.
    static constexpr size_t kHead = 256;
    static constexpr size_t kMaxRun = 2048;
    static constexpr size_t kLook = 8;
    // How far behind the window's end the walk may be left by the three
    // rooms: what a stream keeps for its next piece besides the walk's own
    // look-ahead.
    static constexpr size_t kMaxLag = 3 * (kMaxRun + kHead + 2 * kLook) + 1;

    virtual ~EncodedWalk() = default;
    // Reads the window d[0, avail) at file offset `base` from where the
    // last call stopped, and zeroes the bytes of the rows it lists.
    // Returns how many of the window's bytes the walk may read now (all of
    // a final window, which ends the data).
    virtual size_t Walk(uint8_t *d, uint64_t base, size_t avail, bool final) = 0;
};

// The walk with plain loops (any processor), with SSE2 searches and with
// AVX2 searches.
std::unique_ptr<WalkCore> MakePlainWalker(const WalkSetup &setup);
std::unique_ptr<WalkCore> MakeSse2Walker(const WalkSetup &setup);
std::unique_ptr<WalkCore> MakeAvx2Walker(const WalkSetup &setup);
std::unique_ptr<EncodedWalk> MakePlainEncodedWalk(const ExtractionSettings &s, EncodedRows &rows);
std::unique_ptr<EncodedWalk> MakeSse2EncodedWalk(const ExtractionSettings &s, EncodedRows &rows);
std::unique_ptr<EncodedWalk> MakeAvx2EncodedWalk(const ExtractionSettings &s, EncodedRows &rows);

} // namespace lex
