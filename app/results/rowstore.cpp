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
#include "results/rowstore_bits.h"
#include "util/shortcopy.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <new>

namespace lex {

using namespace rowbits;

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
    total_ = 0;
    selected_ = 0;
    textUsed_ = 0;
    garbage_ = 0;
    view_.clear();
    view_.shrink_to_fit();
    undo_.clear();
    undo_.shrink_to_fit();
}

void RowStore::Append(uint32_t offset, RowKind kind, const char *text, size_t length,
                      bool checked)
{
    if (length > kMaxTextLength || total_ >= UINT32_MAX)
        throw std::bad_alloc();
    // Nothing is changed unless the row fits: the arena is squeezed first
    // when that makes room, the texts of a deletion kept for undo given up
    // (a text taken from this store is copied before the squeeze moves
    // it), and a row that still does not fit is refused.
    if (length > textLimit_ - textUsed_ && (garbage_ != 0 || !undo_.empty())) {
        const std::string copy(text, length);
        DropUndo();
        Compact();
        Append(offset, kind, copy.data(), length, checked);
        return;
    }
    if (length > textLimit_ - textUsed_)
        throw std::bad_alloc();
    // Whether the filter shows the row; room for it in view first.
    Row row = {offset, 0, static_cast<uint32_t>(length) << kLengthShift |
                              static_cast<uint32_t>(kind) | (checked ? kChecked : 0)};
    const bool shown = viewed_ && Passes(row.lengthFlags, text);
    if (shown) {
        if (view_.size() == view_.capacity())
            view_.reserve(view_.size() + view_.size() / 2 + 64);
    }
    if (total_ == pages_.size() * kPageRows) {
        pages_.reserve(pages_.size() + 1);
        pages_.push_back(TakePage());  // room reserved: only TakePage may throw
    }
    if (length != 0) {
        row.text = arena_->Place(length);
        loom::CopyShort(arena_->At(row.text), text, length);
    }
    Raw(total_) = row;
    if (shown)
        view_.push_back(static_cast<uint32_t>(total_));
    ++total_;
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


// The rows shown stay in view at their new places, counted as they are
// passed; the deleted ones (all of them shown: only those are selected) go
// to the undo record when there is memory for it.
size_t RowStore::DeleteSelected()
{
    if (selected_ == 0)
        return 0;
    std::vector<Deleted> undo;
    try {
        undo.reserve(selected_);
    } catch (const std::bad_alloc &) {
    }
    const bool keep = undo.capacity() >= selected_;
    DropUndo();
    size_t freed = 0, kept = 0, shown = 0, next = 0;
    for (size_t i = 0; i < total_; ++i) {
        const bool inView = viewed_ && next < view_.size() && view_[next] == i;
        next += inView ? 1 : 0;
        Row r = Raw(i);
        if (r.lengthFlags & kSelected) {
            r.lengthFlags &= ~kSelected;
            if (keep)
                undo.push_back(Deleted{static_cast<uint32_t>(i), r});
            else
                freed += r.lengthFlags >> kLengthShift;
            continue;
        }
        if (inView)
            view_[shown++] = static_cast<uint32_t>(kept);
        Raw(kept++) = r;
    }
    if (viewed_)
        view_.resize(shown);
    const size_t deleted = total_ - kept;
    total_ = kept;
    while (pages_.size() > (total_ + kPageRows - 1) / kPageRows) {
        pages_.pop_back();
        Give(kPageRows * sizeof(Row));
    }
    selected_ = 0;
    undo_.swap(undo);
    undoSorts_ = sorts_;
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

void RowStore::DropUndo()
{
    for (const Deleted &d : undo_)
        garbage_ += d.row.lengthFlags >> kLengthShift;
    undo_.clear();
}

// The texts of the rows and of the deletion kept for undo move to a fresh
// arena, one after the other.
void RowStore::Compact()
{
    // The rows change only once every text has its new place.
    auto fresh = std::make_unique<Arena>(*this);
    std::vector<uint32_t> refs(total_ + undo_.size());
    const auto place = [&](const Row &r, uint32_t &ref) {
        const size_t length = r.lengthFlags >> kLengthShift;
        if (length == 0)
            return;
        ref = fresh->Place(length);
        std::memcpy(fresh->At(ref), TextOf(r), length);
    };
    for (size_t i = 0; i < total_; ++i)
        place(Raw(i), refs[i]);
    for (size_t k = 0; k < undo_.size(); ++k)
        place(undo_[k].row, refs[total_ + k]);
    for (size_t i = 0; i < total_; ++i)
        Raw(i).text = refs[i];
    for (size_t k = 0; k < undo_.size(); ++k)
        undo_[k].row.text = refs[total_ + k];
    arena_.swap(fresh);
    textUsed_ -= garbage_;
    garbage_ = 0;
}

void RowStore::SelectAll()
{
    const size_t n = Count();
    for (size_t i = 0; i < n; ++i)
        At(i).lengthFlags |= kSelected;
    selected_ = n;
}

void RowStore::InvertSelection()
{
    const size_t n = Count();
    for (size_t i = 0; i < n; ++i)
        At(i).lengthFlags ^= kSelected;
    selected_ = n - selected_;
}

void RowStore::SelectChecked()
{
    size_t selected = 0;
    const size_t n = Count();
    for (size_t i = 0; i < n; ++i) {
        uint32_t &f = At(i).lengthFlags;
        if (f & kChecked) {
            f |= kSelected;
            ++selected;
        } else {
            f &= ~kSelected;
        }
    }
    selected_ = selected;
}

void RowStore::ClearSelection()
{
    if (selected_ == 0)
        return;
    const size_t n = Count();
    for (size_t i = 0; i < n; ++i)
        At(i).lengthFlags &= ~kSelected;
    selected_ = 0;
}

size_t RowStore::SelectMatching(const std::string &what, bool matchCase)
{
    const std::string needle = Needle(what, matchCase);
    size_t n = 0;
    for (size_t i = 0, shown = Count(); i < shown; ++i) {
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
    const size_t count = Count();
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
    const size_t n = Count();
    for (size_t i = 0; i < n; ++i) {
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
    for (size_t i = 0; i < n; ++i) {
        const Row &r = At(i);
        if (skipped(r))
            continue;
        p = PutResultsLine(p, r.offset, KindOf(r.lengthFlags), TextOf(r),
                           r.lengthFlags >> kLengthShift, textOnly);
    }
    return out;
}

} // namespace lex
