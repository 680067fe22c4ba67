// The rows the list shows (the filter) and the undo of the last deletion.
//
// While a filter is set, the store keeps the places of the rows it shows
// among all rows, in display order; a row's place in view is decided when
// the filter is set or the row is appended, and carried along by sorts and
// deletions, never judged again on the way.  The deleted rows of the last
// deletion are kept with their places and their texts stay in the arena
// (rowstore.cpp's Compact moves them with the rows' texts).
#include "results/rowstore.h"

#include <algorithm>
#include <new>
#include <vector>

#include "results/rowstore_bits.h"
#include "scan/cp932.h"
#include "util/shiftjis.h"

namespace lex {

using namespace rowbits;

bool HoldsJapanese(const char *text, size_t length)
{
    const auto *b = reinterpret_cast<const uint8_t *>(text);
    for (size_t i = 0; i < length; ++i) {
        if (b[i] < 0x80)
            continue;
        if (loom::sjis::IsHalfWidthKana(b[i]))
            return true;
        if (i + 1 < length && loom::sjis::IsLead(b[i])) {
            const uint32_t code = Cp932Char(b[i], b[i + 1]);
            if (code != 0 && code <= 0xFFFF && IsJapaneseUnit(static_cast<uint16_t>(code)))
                return true;
            ++i;
        }
    }
    return false;
}

bool RowStore::Passes(uint32_t lengthFlags, const char *text) const
{
    if (filter_.checkedOnly && !(lengthFlags & kChecked))
        return false;
    if (filter_.kind != RowFilter::kAnyKind && static_cast<int>(lengthFlags & kKindMask) != filter_.kind)
        return false;
    const size_t length = lengthFlags >> kLengthShift;
    if (filter_.japanese && !HoldsJapanese(text, length))
        return false;
    return needle_.empty() || Contains(text, length, needle_, true);
}

void RowStore::SetFilter(const RowFilter &filter)
{
    if (!filter.Active()) {
        filter_ = filter;
        needle_.clear();
        viewed_ = false;
        std::vector<uint32_t>().swap(view_);
        return;
    }
    // The new view is made whole before anything changes.
    RowFilter kept = filter_;
    std::string keptNeedle = needle_;
    const std::string needle = Needle(filter.text, false);
    // A text that holds the last one (a letter typed on) with the other
    // conditions as they were lets through no row that the last filter
    // hid: only the rows shown are judged again.
    const bool narrows = viewed_ && filter.japanese == filter_.japanese &&
                         filter.checkedOnly == filter_.checkedOnly && filter.kind == filter_.kind &&
                         needle.find(needle_) != std::string::npos;
    filter_ = filter;
    needle_ = needle;
    std::vector<uint32_t> view;
    try {
        // After a sort the texts lie in no order the walk follows: each is
        // fetched some rows ahead, so that the walk does not wait for it.
        const bool readsText = filter_.japanese || !needle_.empty();
        const size_t n = narrows ? view_.size() : total_;
        const auto place = [&](size_t k) { return narrows ? view_[k] : k; };
        for (size_t k = 0; k < n; ++k) {
            if (readsText && k + 16 < n)
                Prefetch(TextOf(Raw(place(k + 16))));
            const Row &r = Raw(place(k));
            if (Passes(r.lengthFlags, TextOf(r)))
                view.push_back(static_cast<uint32_t>(place(k)));
        }
    } catch (...) {
        filter_ = kept;
        needle_ = keptNeedle;
        throw;
    }
    // Rows that go out of sight are deselected.
    for (size_t i = 0, next = 0; selected_ != 0 && i < total_; ++i) {
        const bool inView = next < view.size() && view[next] == i;
        next += inView ? 1 : 0;
        uint32_t &f = Raw(i).lengthFlags;
        if (!inView && (f & kSelected)) {
            f &= ~kSelected;
            --selected_;
        }
    }
    view_.swap(view);
    viewed_ = true;
}

// The kept rows go back in among the others, from the end, each to its
// place; the view is worked out alongside: the rows shown stay shown, and
// of the rows that come back those the filter shows now.
size_t RowStore::UndoDelete()
{
    if (undo_.empty())
        return 0;
    const size_t back = undo_.size(), all = total_ + back;
    std::vector<uint32_t> view;
    if (viewed_)
        view.reserve(view_.size() + back);
    std::vector<bool> shown(viewed_ ? all : 0);
    while (pages_.size() * kPageRows < all) {
        pages_.reserve(pages_.size() + 1);
        pages_.push_back(TakePage());
    }
    ClearSelection();
    for (size_t i = all, from = total_, next = view_.size(), k = back; i-- > 0;) {
        if (k > 0 && undo_[k - 1].place == i) {
            Row r = undo_[--k].row;
            const bool pass = !viewed_ || Passes(r.lengthFlags, TextOf(r));
            if (pass) {
                r.lengthFlags |= kSelected;
                ++selected_;
            }
            Raw(i) = r;
            if (viewed_)
                shown[i] = pass;
            continue;
        }
        --from;
        Raw(i) = Raw(from);
        if (viewed_ && next > 0 && view_[next - 1] == from) {
            shown[i] = true;
            --next;
        }
    }
    total_ = all;
    for (size_t i = 0; viewed_ && i < all; ++i)
        if (shown[i])
            view.push_back(static_cast<uint32_t>(i));
    view_.swap(view);
    undo_.clear();
    // Sorted since the deletion: the rows that came back take their places
    // in that order.  Without memory for the sort they stay where they
    // stood before.
    if (sorts_ != undoSorts_) {
        try {
            Sort(lastSort_);
        } catch (const std::bad_alloc &) {
        }
    }
    return back;
}

} // namespace lex
