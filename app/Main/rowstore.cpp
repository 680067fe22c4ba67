// The results list's rows and the list commands that act on them.
//
// Rows are 16-byte records in display order; their texts live in one arena
// addressed by 32-bit offsets.  Deleting rows leaves their texts in the arena
// as garbage, which is squeezed out once it makes up half of the arena (and
// before an append would run out of 32-bit room).
#include "Main/rowstore.h"

#include "Main/resultsfile.h"
#include "util/ascii.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <new>

namespace lex {

namespace {

constexpr uint8_t kWide = 1;
constexpr uint8_t kChecked = 2;
constexpr uint8_t kSelected = 4;

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

size_t RowStore::Count() const { return rows_.size(); }

void RowStore::Clear()
{
    rows_.clear();
    rows_.shrink_to_fit();
    text_.clear();
    text_.shrink_to_fit();
    selected_ = 0;
    garbage_ = 0;
}

void RowStore::Append(uint32_t offset, bool wide, const char *text, size_t length, bool checked)
{
    // A text taken from this store's own arena would move under our feet
    // when the arena grows or is compacted.
    if (length != 0 && !text_.empty() && !std::less<const char *>()(text, text_.data()) &&
        std::less<const char *>()(text, text_.data() + text_.size())) {
        const std::string copy(text, length);
        Append(offset, wide, copy.data(), copy.size(), checked);
        return;
    }
    // Nothing is changed unless the row fits: the arena is compacted first
    // when that makes room, and a row that still does not fit is refused.
    if (length > textLimit_ - text_.size() && garbage_ != 0)
        Compact();
    if (length > textLimit_ - text_.size())
        throw std::bad_alloc();
    // Room for the row first (growing geometrically), so that the
    // push_back below cannot fail after the text went in.
    if (rows_.size() == rows_.capacity())
        rows_.reserve(rows_.empty() ? 64 : rows_.size() * 2);  // may throw; nothing changed yet
    const size_t start = text_.size();
    text_.insert(text_.end(), text, text + length);  // may throw; nothing changed then
    Row row;
    row.offset = offset;
    row.textStart = static_cast<uint32_t>(start);
    row.textLength = static_cast<uint32_t>(length);
    row.flags = static_cast<uint8_t>((wide ? kWide : 0) | (checked ? kChecked : 0));
    rows_.push_back(row);  // capacity reserved above: does not throw
}

uint32_t RowStore::Offset(size_t row) const { return rows_[row].offset; }
bool RowStore::Wide(size_t row) const { return (rows_[row].flags & kWide) != 0; }
const char *RowStore::Text(size_t row) const { return text_.data() + rows_[row].textStart; }
size_t RowStore::TextLength(size_t row) const { return rows_[row].textLength; }
bool RowStore::Checked(size_t row) const { return (rows_[row].flags & kChecked) != 0; }
bool RowStore::Selected(size_t row) const { return (rows_[row].flags & kSelected) != 0; }
size_t RowStore::SelectedCount() const { return selected_; }

void RowStore::SetChecked(size_t row, bool on)
{
    uint8_t &f = rows_[row].flags;
    f = static_cast<uint8_t>(on ? (f | kChecked) : (f & ~kChecked));
}

void RowStore::SetSelected(size_t row, bool on)
{
    uint8_t &f = rows_[row].flags;
    const bool was = (f & kSelected) != 0;
    if (was == on)
        return;
    f = static_cast<uint8_t>(on ? (f | kSelected) : (f & ~kSelected));
    if (on)
        ++selected_;
    else
        --selected_;
}

void RowStore::Sort(SortKey key)
{
    switch (key) {
    case SortKey::Address:
        // Every offset text has eight upper-case hexadecimal digits, which
        // folding leaves alone, so comparing the texts orders them exactly
        // as the numbers.
        std::stable_sort(rows_.begin(), rows_.end(),
                         [](const Row &a, const Row &b) { return a.offset < b.offset; });
        break;
    case SortKey::Kind:
        // "ANSI" sorts before "Unicode" ('A' < 'U').
        std::stable_sort(rows_.begin(), rows_.end(), [](const Row &a, const Row &b) {
            return (a.flags & kWide) < (b.flags & kWide);
        });
        break;
    case SortKey::Name:
        SortByName();
        break;
    case SortKey::Length:
        std::stable_sort(rows_.begin(), rows_.end(),
                         [](const Row &a, const Row &b) { return a.textLength < b.textLength; });
        break;
    case SortKey::Checked:
        std::stable_sort(rows_.begin(), rows_.end(), [](const Row &a, const Row &b) {
            return (a.flags & kChecked) > (b.flags & kChecked);
        });
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
        uint32_t textStart;   // the row's text, so that later levels need
        uint32_t textLength;  // not look the row up again
    };
    constexpr int kRestShift = 60;
    constexpr uint64_t kRowMask = (uint64_t(1) << kRestShift) - 1;
    constexpr uint64_t kMore = uint64_t(9) << kRestShift;
    const unsigned char *arena = reinterpret_cast<const unsigned char *>(text_.data());
    auto fill = [&](Key &k, size_t level) {
        const size_t from = level * 8;
        const size_t remain = k.textLength > from ? k.textLength - from : 0;
        const size_t n = std::min<size_t>(remain, 8);
        const unsigned char *t = n ? arena + k.textStart + from : nullptr;
        uint64_t digit = 0;
        for (size_t i = 0; i < 8; ++i)
            digit = (digit << 8) | (i < n ? UpperAscii(t[i]) : 0u);
        k.digit = digit;
        k.restRow = (k.restRow & kRowMask) | (uint64_t(remain > 8 ? 9 : remain) << kRestShift);
    };
    auto less = [](const Key &a, const Key &b) {
        return a.digit != b.digit ? a.digit < b.digit : a.restRow < b.restRow;
    };

    std::vector<Key> keys(rows_.size());
    for (size_t i = 0; i < keys.size(); ++i)
        keys[i] = Key{0, i, rows_[i].textStart, rows_[i].textLength};

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
                Prefetch(arena + ahead.textStart + std::min<size_t>(r.level * 8, ahead.textLength));
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

    std::vector<Row> sorted;
    sorted.reserve(rows_.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        if (i + 16 < keys.size())
            Prefetch(&rows_[static_cast<size_t>(keys[i + 16].restRow & kRowMask)]);
        sorted.push_back(rows_[static_cast<size_t>(keys[i].restRow & kRowMask)]);
    }
    rows_.swap(sorted);
}

size_t RowStore::DeleteSelected()
{
    if (selected_ == 0)
        return 0;
    size_t freed = 0;
    auto out = rows_.begin();
    for (auto it = rows_.begin(); it != rows_.end(); ++it) {
        if (it->flags & kSelected)
            freed += it->textLength;
        else
            *out++ = *it;
    }
    const size_t deleted = static_cast<size_t>(rows_.end() - out);
    rows_.erase(out, rows_.end());
    selected_ = 0;
    garbage_ += freed;
    // Give the memory back once most of the arena is garbage.  The rows are
    // already deleted: if there is no memory for the squeeze just now, the
    // garbage stays until a later one.
    if (garbage_ > text_.size() / 2) {
        try {
            Compact();
        } catch (const std::bad_alloc &) {
        }
    }
    return deleted;
}

void RowStore::Compact()
{
    std::vector<char> fresh;
    fresh.reserve(text_.size() - garbage_);  // may throw; nothing changed then
    for (Row &r : rows_) {
        const char *t = text_.data() + r.textStart;
        r.textStart = static_cast<uint32_t>(fresh.size());
        fresh.insert(fresh.end(), t, t + r.textLength);
    }
    text_.swap(fresh);
    garbage_ = 0;
}

void RowStore::SelectAll()
{
    for (Row &r : rows_)
        r.flags |= kSelected;
    selected_ = rows_.size();
}

void RowStore::InvertSelection()
{
    for (Row &r : rows_)
        r.flags ^= kSelected;
    selected_ = rows_.size() - selected_;
}

void RowStore::SelectChecked()
{
    size_t n = 0;
    for (Row &r : rows_) {
        if (r.flags & kChecked) {
            r.flags |= kSelected;
            ++n;
        } else {
            r.flags &= static_cast<uint8_t>(~kSelected);
        }
    }
    selected_ = n;
}

void RowStore::ClearSelection()
{
    if (selected_ == 0)
        return;
    for (Row &r : rows_)
        r.flags &= static_cast<uint8_t>(~kSelected);
    selected_ = 0;
}

size_t RowStore::FindNext(size_t focused, bool down, const std::string &what, bool matchCase) const
{
    const size_t count = rows_.size();
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

    std::string needle = what;
    if (!matchCase)
        for (char &c : needle)
            c = static_cast<char>(UpperAscii(static_cast<unsigned char>(c)));

    for (;;) {
        const Row &r = rows_[i];
        if (Contains(text_.data() + r.textStart, r.textLength, needle, !matchCase))
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

std::string RowStore::ResultsText(bool textOnly) const
{
    // Size the text first so that it is built with one allocation.
    // Computed in 64 bits: in a 32-bit build the sum could wrap.
    uint64_t total = 0;
    for (const Row &r : rows_)
        total += ResultsLineLength((r.flags & kWide) != 0, r.textLength, textOnly);
    std::string out;
    if (total > out.max_size())
        throw std::bad_alloc();
    out.resize(static_cast<size_t>(total));

    char *p = &out[0];
    for (const Row &r : rows_)
        p = PutResultsLine(p, r.offset, (r.flags & kWide) != 0, text_.data() + r.textStart,
                           r.textLength, textOnly);
    return out;
}

} // namespace lex
