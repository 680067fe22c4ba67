// The results list's rows and the list commands that act on them.
//
// Rows are 12-byte records in display order, kept in pages of 16,384; their
// texts live in an arena of chunks of about 1 MiB, addressed by 32-bit
// references.  Nothing grows by reallocation, so the store never needs
// twice its size for a moment, nor one big range of free addresses, which
// a 32-bit process that has filled much of its memory may not have.
// Deleting rows leaves their texts in the arena as garbage, which is
// squeezed out once it makes up half of the arena (and before an append
// would pass the text limit).  Sorting works out the new order as a list of
// row numbers and then moves the rows in place along its cycles.
#include "results/rowstore.h"

#include "results/resultsfile.h"
#include "util/ascii.h"
#include "util/shortcopy.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <new>

namespace lex {

namespace {

// The row's kind (RowKind) in the low two bits, then the flags.
constexpr uint32_t kKindMask = 3;
constexpr uint32_t kChecked = 4;
constexpr uint32_t kSelected = 8;
constexpr unsigned kLengthShift = 4;

RowKind KindOf(uint32_t lengthFlags)
{
    return static_cast<RowKind>(lengthFlags & kKindMask);
}

using loom::UpperAscii;

// A hint to fetch memory that a loop will read shortly; the sorts walk
// rows and texts in an order unrelated to where they lie.
inline void Prefetch(const void *p)
{
#if defined(__GNUC__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}

// Byte substring search; `fold` compares a-z folded bytes.
bool Contains(const char *hay, size_t hayLen, const std::string &needle, bool fold)
{
    const size_t n = needle.size();
    if (n == 0)
        return true;
    if (n > hayLen)
        return false;
    const unsigned char *h = reinterpret_cast<const unsigned char *>(hay);
    const unsigned char *p = reinterpret_cast<const unsigned char *>(needle.data());
    const size_t last = hayLen - n;
    if (!fold) {
        for (size_t i = 0; i <= last; ++i) {
            const void *hit = std::memchr(h + i, p[0], last - i + 1);
            if (!hit)
                return false;
            i = static_cast<size_t>(static_cast<const unsigned char *>(hit) - h);
            if (std::memcmp(h + i + 1, p + 1, n - 1) == 0)
                return true;
        }
        return false;
    }
    // `needle` is already folded by the caller.
    const unsigned char first = p[0];
    for (size_t i = 0; i <= last; ++i) {
        if (UpperAscii(h[i]) != first)
            continue;
        size_t k = 1;
        while (k < n && UpperAscii(h[i + k]) == p[k])
            ++k;
        if (k == n)
            return true;
    }
    return false;
}

} // namespace

// The texts.  A reference's top 12 bits name a slot of 1 MiB, its low 20
// bits a byte within the slot.  Texts are put one after the other into the
// current chunk, which fills one slot; a text that no longer fits starts a
// new chunk, and a text longer than a chunk gets a block of its own that
// takes as many slots as it spans.
class RowStore::Arena {
public:
    explicit Arena(RowStore &store) : store_(store) {}
    ~Arena()
    {
        for (size_t bytes : blockBytes_)
            store_.Give(bytes);
    }
    Arena(const Arena &) = delete;
    Arena &operator=(const Arena &) = delete;

    // Room for `length` (>= 1) bytes; throws std::bad_alloc, leaving the
    // texts already placed as they were.
    uint32_t Place(size_t length)
    {
        if (length <= end_ - cursor_) {
            const uint64_t ref = cursor_;
            cursor_ += length;
            return static_cast<uint32_t>(ref);
        }
        const bool own = length > kChunkBytes;
        const size_t spans = own ? (length + kSlotSpan - 1) >> kSlotShift : 1;
        if (spans > kMaxSlots - slots_.size())
            throw std::bad_alloc();
        slots_.reserve(slots_.size() + spans);
        blocks_.reserve(blocks_.size() + 1);
        blockBytes_.reserve(blockBytes_.size() + 1);
        const size_t bytes = own ? length : kChunkBytes;
        std::unique_ptr<char[]> block = store_.Take(bytes);
        const uint64_t ref = uint64_t(slots_.size()) << kSlotShift;
        for (size_t k = 0; k < spans; ++k)
            slots_.push_back(block.get() + (k << kSlotShift));
        blocks_.push_back(std::move(block));
        blockBytes_.push_back(bytes);
        if (!own) {
            // The rest of the chunk takes the texts that follow; a text with
            // a block of its own leaves the current chunk's room as it was.
            cursor_ = ref + length;
            end_ = ref + kChunkBytes;
        }
        return static_cast<uint32_t>(ref);
    }
    char *At(uint32_t ref) const { return slots_[ref >> kSlotShift] + (ref & kSlotMask); }

private:
    static constexpr unsigned kSlotShift = 20;
    static constexpr size_t kSlotSpan = size_t(1) << kSlotShift;
    static constexpr uint32_t kSlotMask = static_cast<uint32_t>(kSlotSpan - 1);
    static constexpr size_t kMaxSlots = size_t(1) << (32 - kSlotShift);
    // A chunk takes a little less than its slot, so that together with the
    // heap's own header it fills one 1 MiB block of addresses.
    static constexpr size_t kChunkBytes = kSlotSpan - 64;

    RowStore &store_;
    std::vector<char *> slots_;
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::vector<size_t> blockBytes_;
    uint64_t cursor_ = 0, end_ = 0;  // the current chunk's free room, as references
};

RowStore::RowStore(size_t textLimit, size_t memoryLimit)
    : arena_(new Arena(*this)), textLimit_(textLimit < kMaxTextBytes ? textLimit : kMaxTextBytes),
      memoryLimit_(memoryLimit)
{
}

RowStore::~RowStore()
{
    // The arena gives its memory back to this store's count.
    arena_.reset();
}

void RowStore::Charge(size_t bytes)
{
    if (bytes > memoryLimit_ - std::min(used_, memoryLimit_))
        throw std::bad_alloc();
    used_ += bytes;
}

std::unique_ptr<char[]> RowStore::Take(size_t bytes)
{
    Charge(bytes);
    try {
        return std::unique_ptr<char[]>(new char[bytes]);
    } catch (...) {
        Give(bytes);
        throw;
    }
}

std::unique_ptr<RowStore::Row[]> RowStore::TakePage()
{
    Charge(kPageRows * sizeof(Row));
    try {
        return std::unique_ptr<Row[]>(new Row[kPageRows]);
    } catch (...) {
        Give(kPageRows * sizeof(Row));
        throw;
    }
}

const char *RowStore::TextOf(const Row &r) const
{
    return (r.lengthFlags >> kLengthShift) ? arena_->At(r.text) : "";
}

void RowStore::Clear()
{
    arena_.reset();
    arena_.reset(new Arena(*this));
    for (size_t k = 0; k < pages_.size(); ++k)
        Give(kPageRows * sizeof(Row));
    pages_.clear();
    pages_.shrink_to_fit();
    count_ = 0;
    selected_ = 0;
    textUsed_ = 0;
    garbage_ = 0;
}

void RowStore::Append(uint32_t offset, RowKind kind, const char *text, size_t length,
                      bool checked)
{
    if (length > kMaxTextLength || count_ >= UINT32_MAX)
        throw std::bad_alloc();
    // Nothing is changed unless the row fits: the arena is squeezed first
    // when that makes room (a text taken from this store is copied before
    // the squeeze moves it), and a row that still does not fit is refused.
    if (length > textLimit_ - textUsed_ && garbage_ != 0) {
        const std::string copy(text, length);
        Compact();
        Append(offset, kind, copy.data(), length, checked);
        return;
    }
    if (length > textLimit_ - textUsed_)
        throw std::bad_alloc();
    if (count_ == pages_.size() * kPageRows) {
        pages_.reserve(pages_.size() + 1);
        pages_.push_back(TakePage());  // room reserved: only TakePage may throw
    }
    uint32_t ref = 0;
    if (length != 0) {
        ref = arena_->Place(length);
        loom::CopyShort(arena_->At(ref), text, length);
    }
    Row &r = At(count_);
    r.offset = offset;
    r.text = ref;
    r.lengthFlags = static_cast<uint32_t>(length) << kLengthShift |
                    static_cast<uint32_t>(kind) | (checked ? kChecked : 0);
    ++count_;
    textUsed_ += length;
}

uint32_t RowStore::Offset(size_t row) const { return At(row).offset; }
RowKind RowStore::Kind(size_t row) const { return KindOf(At(row).lengthFlags); }
const char *RowStore::Text(size_t row) const { return TextOf(At(row)); }
size_t RowStore::TextLength(size_t row) const { return At(row).lengthFlags >> kLengthShift; }
bool RowStore::Checked(size_t row) const { return (At(row).lengthFlags & kChecked) != 0; }
bool RowStore::Selected(size_t row) const { return (At(row).lengthFlags & kSelected) != 0; }
size_t RowStore::SelectedCount() const { return selected_; }

void RowStore::SetChecked(size_t row, bool on)
{
    uint32_t &f = At(row).lengthFlags;
    f = on ? (f | kChecked) : (f & ~kChecked);
}

void RowStore::SetSelected(size_t row, bool on)
{
    uint32_t &f = At(row).lengthFlags;
    const bool was = (f & kSelected) != 0;
    if (was == on)
        return;
    f = on ? (f | kSelected) : (f & ~kSelected);
    if (on)
        ++selected_;
    else
        --selected_;
}

template <class Source>
void RowStore::Reorder(Source source)
{
    // Normally the rows are gathered into fresh pages: the new order is
    // read once, the rows are fetched ahead of use and written in order.
    // When there is no memory for a second set of pages, the rows are moved
    // in place along the cycles of the permutation instead (slower: each
    // move is a jump in memory), so a sort never fails for want of memory
    // once its new order is known.
    const size_t pageBytes = kPageRows * sizeof(Row);
    std::vector<std::unique_ptr<Row[]>> fresh;
    try {
        fresh.reserve(pages_.size());
        for (size_t k = 0; k < pages_.size(); ++k)
            fresh.push_back(TakePage());
    } catch (const std::bad_alloc &) {
        Give(fresh.size() * pageBytes);
        fresh.clear();
        std::vector<bool> done(count_);
        for (size_t p = 0; p < count_; ++p) {
            if (done[p] || source(p) == p)
                continue;
            const Row first = At(p);
            size_t q = p;
            for (;;) {
                done[q] = true;
                const size_t from = source(q);
                if (from == p) {
                    At(q) = first;
                    break;
                }
                At(q) = At(from);
                q = from;
            }
        }
        return;
    }
    for (size_t p = 0; p < count_; ++p) {
        if (p + 16 < count_)
            Prefetch(&At(source(p + 16)));
        fresh[p >> kPageShift][p & kPageMask] = At(source(p));
    }
    pages_.swap(fresh);
    Give(fresh.size() * pageBytes);
}

void RowStore::Sort(SortKey key)
{
    // The new order as row numbers, stable: equal keys keep their order.
    // Address and length order sort (key, row number) pairs; kind and check
    // order gather the rows of each of a few groups in turn.
    auto byKey = [this](auto keyOf) {
        std::vector<uint64_t> keys(count_);
        for (size_t i = 0; i < count_; ++i)
            keys[i] = uint64_t(keyOf(At(i))) << 32 | i;
        std::sort(keys.begin(), keys.end());
        Reorder([&keys](size_t p) { return static_cast<size_t>(keys[p] & 0xFFFFFFFFu); });
    };
    auto groups = [this](uint32_t count, auto groupOf) {
        std::vector<uint32_t> order;
        order.reserve(count_);
        for (uint32_t group = 0; group < count; ++group)
            for (size_t i = 0; i < count_; ++i)
                if (groupOf(At(i).lengthFlags) == group)
                    order.push_back(static_cast<uint32_t>(i));
        Reorder([&order](size_t p) { return static_cast<size_t>(order[p]); });
    };
    switch (key) {
    case SortKey::Address:
        // Every offset text has eight upper-case hexadecimal digits, which
        // folding leaves alone, so comparing the texts orders them exactly
        // as the numbers.
        byKey([](const Row &r) { return r.offset; });
        break;
    case SortKey::Kind:
        // The kinds' values are in the order of their texts: "ANSI",
        // "Unicode", "UTF-8" ('N' < 'T' once folded).
        groups(3, [](uint32_t f) { return f & kKindMask; });
        break;
    case SortKey::Name:
        SortByName();
        break;
    case SortKey::Length:
        byKey([](const Row &r) { return r.lengthFlags >> kLengthShift; });
        break;
    case SortKey::Checked:
        groups(2, [](uint32_t f) { return (f & kChecked) ? 0u : 1u; });
        break;
    }
}
// Name order.  Comparing texts in the arena directly costs a cache miss per
// comparison, and results lists hold many texts that are equal or share long
// beginnings, so the rows are ordered by eight folded bytes at a time
// instead (a most-significant-digit radix sort in 8-byte digits): first by
// bytes 0-7, then each run that agrees on them and goes on by bytes 8-15,
// and so on.
//
// A digit packs the text's folded bytes big-endian, a missing byte counting
// as zero, and is followed by how many bytes the text has from that digit
// on (capped at 9, "more to come").  Where the digits agree, the shorter
// text ends first and sorts first, as the text comparison has it (also for texts
// that hold zero bytes).  The row's current position is the last key, which
// makes the sort stable.
void RowStore::SortByName()
{
    // The row's position shares a word with the remaining length (top four
    // bits), which keeps the comparison at two integer compares; positions
    // never come near 2^60.
    struct Key {
        uint64_t digit;
        uint64_t restRow;
        const unsigned char *text;  // the row's text, so that later levels
        uint32_t textLength;        // need not look the row up again
    };
    constexpr int kRestShift = 60;
    constexpr uint64_t kRowMask = (uint64_t(1) << kRestShift) - 1;
    constexpr uint64_t kMore = uint64_t(9) << kRestShift;
    auto fill = [&](Key &k, size_t level) {
        const size_t from = level * 8;
        const size_t remain = k.textLength > from ? k.textLength - from : 0;
        const size_t n = std::min<size_t>(remain, 8);
        const unsigned char *t = n ? k.text + from : nullptr;
        uint64_t digit = 0;
        for (size_t i = 0; i < 8; ++i)
            digit = (digit << 8) | (i < n ? UpperAscii(t[i]) : 0u);
        k.digit = digit;
        k.restRow = (k.restRow & kRowMask) | (uint64_t(remain > 8 ? 9 : remain) << kRestShift);
    };
    auto less = [](const Key &a, const Key &b) {
        return a.digit != b.digit ? a.digit < b.digit : a.restRow < b.restRow;
    };

    std::vector<Key> keys(count_);
    for (size_t i = 0; i < keys.size(); ++i) {
        const Row &r = At(i);
        keys[i] = Key{0, i, reinterpret_cast<const unsigned char *>(TextOf(r)),
                      r.lengthFlags >> kLengthShift};
    }

    struct Range {
        size_t begin, end, level;
    };
    std::vector<Range> todo{{0, keys.size(), 0}};
    while (!todo.empty()) {
        const Range r = todo.back();
        todo.pop_back();
        for (size_t i = r.begin; i < r.end; ++i) {
            if (i + 16 < r.end) {
                const Key &ahead = keys[i + 16];
                Prefetch(ahead.text + std::min<size_t>(r.level * 8, ahead.textLength));
            }
            fill(keys[i], r.level);
        }
        // A run of equal texts stays in row order from level to level: no
        // need to sort it again.
        const auto first = keys.begin() + static_cast<std::ptrdiff_t>(r.begin);
        const auto last = keys.begin() + static_cast<std::ptrdiff_t>(r.end);
        if (!std::is_sorted(first, last, less))
            std::sort(first, last, less);
        // Runs of texts that agree so far and go on are ordered by their
        // next eight bytes.
        for (size_t i = r.begin; i < r.end;) {
            size_t j = i + 1;
            const uint64_t rest = keys[i].restRow & ~kRowMask;
            while (j < r.end && keys[j].digit == keys[i].digit && (keys[j].restRow & ~kRowMask) == rest)
                ++j;
            if (j - i > 1 && rest == kMore)
                todo.push_back(Range{i, j, r.level + 1});
            i = j;
        }
    }

    Reorder([&keys](size_t p) { return static_cast<size_t>(keys[p].restRow & kRowMask); });
}

size_t RowStore::DeleteSelected()
{
    if (selected_ == 0)
        return 0;
    size_t freed = 0, kept = 0;
    for (size_t i = 0; i < count_; ++i) {
        const Row r = At(i);
        if (r.lengthFlags & kSelected)
            freed += r.lengthFlags >> kLengthShift;
        else
            At(kept++) = r;
    }
    const size_t deleted = count_ - kept;
    count_ = kept;
    while (pages_.size() > (count_ + kPageRows - 1) / kPageRows) {
        pages_.pop_back();
        Give(kPageRows * sizeof(Row));
    }
    selected_ = 0;
    garbage_ += freed;
    // Give the memory back once most of the arena is garbage.  The rows are
    // already deleted: if there is no memory for the squeeze just now, the
    // garbage stays until a later one.
    if (garbage_ > textUsed_ / 2) {
        try {
            Compact();
        } catch (const std::bad_alloc &) {
        }
    }
    return deleted;
}

void RowStore::Compact()
{
    // The rows change only once every text has its new place.
    auto fresh = std::make_unique<Arena>(*this);
    std::vector<uint32_t> refs(count_);
    for (size_t i = 0; i < count_; ++i) {
        const Row &r = At(i);
        const size_t length = r.lengthFlags >> kLengthShift;
        if (length == 0)
            continue;
        refs[i] = fresh->Place(length);
        std::memcpy(fresh->At(refs[i]), TextOf(r), length);
    }
    for (size_t i = 0; i < count_; ++i)
        At(i).text = refs[i];
    arena_.swap(fresh);
    textUsed_ -= garbage_;
    garbage_ = 0;
}

void RowStore::SelectAll()
{
    for (size_t i = 0; i < count_; ++i)
        At(i).lengthFlags |= kSelected;
    selected_ = count_;
}

void RowStore::InvertSelection()
{
    for (size_t i = 0; i < count_; ++i)
        At(i).lengthFlags ^= kSelected;
    selected_ = count_ - selected_;
}

void RowStore::SelectChecked()
{
    size_t n = 0;
    for (size_t i = 0; i < count_; ++i) {
        uint32_t &f = At(i).lengthFlags;
        if (f & kChecked) {
            f |= kSelected;
            ++n;
        } else {
            f &= ~kSelected;
        }
    }
    selected_ = n;
}

void RowStore::ClearSelection()
{
    if (selected_ == 0)
        return;
    for (size_t i = 0; i < count_; ++i)
        At(i).lengthFlags &= ~kSelected;
    selected_ = 0;
}

namespace {

// The search text as Contains takes it: folded unless case matters.
std::string Needle(const std::string &what, bool matchCase)
{
    std::string needle = what;
    if (!matchCase)
        for (char &c : needle)
            c = static_cast<char>(UpperAscii(static_cast<unsigned char>(c)));
    return needle;
}

} // namespace

size_t RowStore::SelectMatching(const std::string &what, bool matchCase)
{
    const std::string needle = Needle(what, matchCase);
    size_t n = 0;
    for (size_t i = 0; i < count_; ++i) {
        uint32_t &f = At(i).lengthFlags;
        if (Contains(TextOf(At(i)), f >> kLengthShift, needle, !matchCase)) {
            f |= kSelected;
            ++n;
        } else {
            f &= ~kSelected;
        }
    }
    selected_ = n;
    return n;
}

size_t RowStore::FindNext(size_t focused, bool down, const std::string &what, bool matchCase) const
{
    const size_t count = count_;
    if (count == 0)
        return SIZE_MAX;

    // The first row to examine.  No focused row: down starts at row 0, up
    // has nothing above.  A focused index past the end (a stale focus)
    // counts as standing just below the last row.
    size_t i;
    if (focused == SIZE_MAX) {
        if (!down)
            return SIZE_MAX;
        i = 0;
    } else if (down) {
        if (focused >= count - 1)
            return SIZE_MAX;
        i = focused + 1;
    } else {
        if (focused == 0)
            return SIZE_MAX;
        i = std::min(focused - 1, count - 1);
    }

    const std::string needle = Needle(what, matchCase);
    for (;;) {
        const Row &r = At(i);
        if (Contains(TextOf(r), r.lengthFlags >> kLengthShift, needle, !matchCase))
            return i;
        if (down) {
            if (++i == count)
                return SIZE_MAX;
        } else {
            if (i-- == 0)
                return SIZE_MAX;
        }
    }
}

std::string RowStore::ResultsText(bool textOnly, bool selectedOnly) const
{
    const auto skipped = [selectedOnly](const Row &r) {
        return selectedOnly && !(r.lengthFlags & kSelected);
    };
    // Size the text first so that it is built with one allocation.
    // Computed in 64 bits: in a 32-bit build the sum could wrap.
    uint64_t total = 0;
    for (size_t i = 0; i < count_; ++i) {
        const Row &r = At(i);
        if (skipped(r))
            continue;
        total += ResultsLineLength(KindOf(r.lengthFlags), r.lengthFlags >> kLengthShift,
                                   textOnly);
    }
    std::string out;
    if (total > out.max_size())
        throw std::bad_alloc();
    out.resize(static_cast<size_t>(total));

    char *p = &out[0];
    for (size_t i = 0; i < count_; ++i) {
        const Row &r = At(i);
        if (skipped(r))
            continue;
        p = PutResultsLine(p, r.offset, KindOf(r.lengthFlags), TextOf(r),
                           r.lengthFlags >> kLengthShift, textOnly);
    }
    return out;
}

} // namespace lex
