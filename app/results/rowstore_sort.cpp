// The row store's sorts: the new order worked out as a list of row numbers,
// then the rows moved into it (rowstore.cpp has the storage).
#include "results/rowstore.h"

#include <algorithm>
#include <new>
#include <vector>

#include "results/rowstore_bits.h"

namespace lex {

using namespace rowbits;

template <class Source>
void RowStore::Reorder(Source source)
{
    // Normally the rows are gathered into fresh pages: the new order is
    // read once, the rows are fetched ahead of use and written in order.
    // When there is no memory for a second set of pages, the rows are moved
    // in place along the cycles of the permutation instead (slower: each
    // move is a jump in memory), so a sort never fails for want of memory
    // once its new order is known.
    //
    // The rows shown stay the rows shown, at their new places: which rows
    // they are is noted before the move and their places written after it
    // (as many as before, so in place).
    std::vector<bool> shown(viewed_ ? total_ : 0);
    for (uint32_t place : view_)
        shown[place] = true;
    const auto placeShown = [&] {
        size_t w = 0;
        for (size_t p = 0; viewed_ && p < total_; ++p)
            if (shown[source(p)])
                view_[w++] = static_cast<uint32_t>(p);
    };
    const size_t pageBytes = kPageRows * sizeof(Row);
    std::vector<std::unique_ptr<Row[]>> fresh;
    try {
        fresh.reserve(pages_.size());
        for (size_t k = 0; k < pages_.size(); ++k)
            fresh.push_back(TakePage());
    } catch (const std::bad_alloc &) {
        Give(fresh.size() * pageBytes);
        fresh.clear();
        std::vector<bool> done(total_);
        for (size_t p = 0; p < total_; ++p) {
            if (done[p] || source(p) == p)
                continue;
            const Row first = Raw(p);
            size_t q = p;
            for (;;) {
                done[q] = true;
                const size_t from = source(q);
                if (from == p) {
                    Raw(q) = first;
                    break;
                }
                Raw(q) = Raw(from);
                q = from;
            }
        }
        placeShown();
        return;
    }
    for (size_t p = 0; p < total_; ++p) {
        if (p + 16 < total_)
            Prefetch(&Raw(source(p + 16)));
        fresh[p >> kPageShift][p & kPageMask] = Raw(source(p));
    }
    pages_.swap(fresh);
    Give(fresh.size() * pageBytes);
    placeShown();
}

void RowStore::Sort(SortKey key)
{
    // The new order as row numbers, stable: equal keys keep their order.
    // Address and length order sort (key, row number) pairs; kind and check
    // order gather the rows of each of a few groups in turn.
    auto byKey = [this](auto keyOf) {
        std::vector<uint64_t> keys(total_);
        for (size_t i = 0; i < total_; ++i)
            keys[i] = uint64_t(keyOf(Raw(i))) << 32 | i;
        std::sort(keys.begin(), keys.end());
        Reorder([&keys](size_t p) { return static_cast<size_t>(keys[p] & 0xFFFFFFFFu); });
    };
    auto groups = [this](uint32_t count, auto groupOf) {
        std::vector<uint32_t> order;
        order.reserve(total_);
        for (uint32_t group = 0; group < count; ++group)
            for (size_t i = 0; i < total_; ++i)
                if (groupOf(Raw(i).lengthFlags) == group)
                    order.push_back(static_cast<uint32_t>(i));
        Reorder([&order](size_t p) { return static_cast<size_t>(order[p]); });
    };
    ++sorts_;
    lastSort_ = key;
    switch (key) {
    case SortKey::Address:
        // Every offset text has eight upper-case hexadecimal digits, which
        // folding leaves alone, so comparing the texts orders them exactly
        // as the numbers.
        byKey([](const Row &r) { return r.offset; });
        break;
    case SortKey::Kind:
        // In the order of the kinds' texts, folded: "ANSI", "Resource",
        // "Unicode", "UTF-8" ('N' < 'T'), then the further encodings
        // "EUC-JP", "ISO-2022-JP", "UTF-16BE".
        groups(static_cast<uint32_t>(kRowKinds), [](uint32_t f) {
            static const uint32_t kRank[kRowKinds] = {0, 2, 3, 1, 4, 5, 6};
            return kRank[f & kKindMask];
        });
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

    std::vector<Key> keys(total_);
    for (size_t i = 0; i < keys.size(); ++i) {
        const Row &r = Raw(i);
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

} // namespace lex
