// The results list's rows, held compactly by the program (the list view is
// an owner-data view that draws from here), and the list commands that work
// on them: sorting, finding, deleting, selecting and the results file text.
// Portable: no <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "scan/resultrow.h"

namespace lex {

// Sort keys of the list's commands.  Address, kind and name order use the
// text comparison: bytes a-z folded to A-Z, byte by byte; the first
// differing byte decides, else the shorter text is smaller.
enum class SortKey {
    Address,  // offset text, text comparison
    Kind,     // kind text, text comparison
    Name,     // the row's text, text comparison
    Length,   // byte length of the text
    Checked,  // checked rows first
};

// Which rows the list shows: every condition that is set must hold.  The
// empty filter shows every row.
struct RowFilter {
    static constexpr int kAnyKind = -1;
    std::string text;          // the row's text holds it, a-z folded as the find does; "" any
    bool japanese = false;     // the text holds a Japanese character (kana, kanji, Japanese
                               // punctuation, full-width forms, half-width katakana)
    bool checkedOnly = false;  // checked rows
    int kind = kAnyKind;       // a RowKind, or any

    bool Active() const { return !text.empty() || japanese || checkedOnly || kind != kAnyKind; }
};

// Whether the text `text` (code page 932, `length` bytes) holds a Japanese
// character.
bool HoldsJapanese(const char *text, size_t length);

class RowStore {
public:
    // The most text bytes the store can hold: texts are addressed by 32-bit
    // references into the arena of their chunks.
    static constexpr size_t kMaxTextBytes = 0xFFFFFFFFu;
    // The longest text of one row (the row keeps its length in 28 bits).
    static constexpr size_t kMaxTextLength = (size_t(1) << 28) - 1;
    static constexpr size_t kNoMemoryLimit = SIZE_MAX;

    // `textLimit` lowers the most text bytes (values above kMaxTextBytes are
    // taken as kMaxTextBytes); `memoryLimit` caps the memory the store takes
    // for rows and texts (MemoryUsed), as if memory ran out there.
    explicit RowStore(size_t textLimit = kMaxTextBytes, size_t memoryLimit = kNoMemoryLimit);
    ~RowStore();
    RowStore(const RowStore &) = delete;
    RowStore &operator=(const RowStore &) = delete;

    // The rows shown, in display order, numbered 0..Count()-1: every row
    // unless a filter is set.  Every command below acts on the rows shown,
    // unless it says otherwise; rows that are not shown are never selected.
    size_t Count() const { return viewed_ ? view_.size() : total_; }
    // All rows, shown or not.
    size_t TotalCount() const { return total_; }
    // Deletes every row; the filter stays, and applies to the rows added
    // from now on.
    void Clear();
    // Adds a row at the end.  Throws std::bad_alloc, leaving the store as it
    // was, when the row does not fit: memory runs out (or the memory limit
    // is reached), the texts would pass the text limit, or the text is
    // longer than kMaxTextLength.
    void Append(uint32_t offset, RowKind kind, const char *text, size_t length, bool checked);
    // Memory taken for rows and texts, in bytes.
    size_t MemoryUsed() const { return used_; }
    // Changes the memory limit; rows already held stay.
    void SetMemoryLimit(size_t limit) { memoryLimit_ = limit; }

    uint32_t Offset(size_t row) const;
    RowKind Kind(size_t row) const;
    const char *Text(size_t row) const;  // not NUL-terminated
    size_t TextLength(size_t row) const;
    bool Checked(size_t row) const;
    void SetChecked(size_t row, bool on);
    bool Selected(size_t row) const;
    void SetSelected(size_t row, bool on);
    size_t SelectedCount() const;

    // Stable sort of the display order by `key` (ascending), of all rows
    // (the rows not shown take their places in the same order, so that
    // taking the filter away shows every row in it).  Name order needs
    // working memory (24 bytes a row); without it std::bad_alloc is thrown
    // and the order is left as it was.
    void Sort(SortKey key);
    // Deletes every selected row in one pass; the others keep their order.
    // Returns how many rows were deleted.  The deletion can be undone until
    // the next one or Clear (when there is memory to keep it).
    size_t DeleteSelected();
    // Puts the rows of the last deletion back where they stood, selected
    // (those the filter shows), every other row deselected; rows sorted
    // since then are sorted again.  Returns how many came back.  Throws
    // std::bad_alloc, leaving the store as it was, without memory for them.
    bool CanUndo() const { return !undo_.empty(); }
    size_t UndoDelete();

    // Shows the rows `filter` lets through, in display order; rows that go
    // out of sight are deselected.  A row keeps its place in view until the
    // filter is set again, whatever is done to it meanwhile (a row
    // unchecked under checkedOnly stays).  Rows appended later are shown
    // when they pass.  Throws std::bad_alloc, leaving the store as it was.
    void SetFilter(const RowFilter &filter);
    const RowFilter &Filter() const { return filter_; }
    void SelectAll();
    void InvertSelection();
    void SelectChecked();  // selection := check state, every row
    void ClearSelection();

    // Searches the text column from `focused` (SIZE_MAX: no focused row)
    // one row at a time downwards or upwards, never wrapping and never
    // examining the focused row itself; with no focused row, searching down
    // starts at row 0 and searching up finds nothing.  `matchCase` false
    // folds a-z of both texts.  An empty `what` matches any row.  Returns
    // the row found, or SIZE_MAX.
    size_t FindNext(size_t focused, bool down, const std::string &what, bool matchCase) const;
    // Selects every row whose text holds `what` (as FindNext matches) and
    // no other; returns how many.
    size_t SelectMatching(const std::string &what, bool matchCase);

    // The results file: one line per row in display order, CR LF after
    // each; `textOnly` writes the text alone, otherwise offset text, TAB,
    // kind, TAB, text.  With `selectedOnly`, the selected rows alone (the
    // clipboard's copy).
    std::string ResultsText(bool textOnly, bool selectedOnly = false) const;

private:
    // A row in 12 bytes: the offset, the text's reference into the arena,
    // and the text's length (top 28 bits) with the kind (low 2 bits) and
    // the flags kChecked and kSelected.
    struct Row {
        uint32_t offset;
        uint32_t text;
        uint32_t lengthFlags;
    };
    class Arena;

    // A row by its place among all rows (Raw) and among the rows shown (At).
    Row &Raw(size_t i) { return pages_[i >> kPageShift][i & kPageMask]; }
    const Row &Raw(size_t i) const { return pages_[i >> kPageShift][i & kPageMask]; }
    Row &At(size_t i) { return Raw(viewed_ ? view_[i] : i); }
    const Row &At(size_t i) const { return Raw(viewed_ ? view_[i] : i); }
    const char *TextOf(const Row &r) const;
    // Whether the filter shows a row of that word of length and flags and
    // that text.
    bool Passes(uint32_t lengthFlags, const char *text) const;
    // The texts of the deletion kept for undo: no longer kept, they count
    // as garbage.
    void DropUndo();
    // Memory counted against the limit: Charge throws std::bad_alloc beyond
    // it, Take charges and allocates, Give returns.
    void Charge(size_t bytes);
    std::unique_ptr<char[]> Take(size_t bytes);
    std::unique_ptr<Row[]> TakePage();
    void Give(size_t bytes) { used_ -= bytes; }
    // Squeezes the texts of deleted rows out of the arena.
    void Compact();
    void SortByName();
    // Rearranges the rows so that row p is the one that was at source(p).
    template <class Source>
    void Reorder(Source source);

    // Rows live in pages of 2^kPageShift, so that no block of memory grows
    // with the list and a long list never needs one big free range of
    // addresses (which a 32-bit process may not have when memory is full).
    static constexpr unsigned kPageShift = 14;
    static constexpr size_t kPageRows = size_t(1) << kPageShift;
    static constexpr size_t kPageMask = kPageRows - 1;
    std::vector<std::unique_ptr<Row[]>> pages_;  // in display order
    size_t total_ = 0;

    // The filter, and while it is set (viewed_) the places of the rows
    // shown among all rows, in display order.
    RowFilter filter_;
    std::string needle_;  // the filter's text, folded
    bool viewed_ = false;
    std::vector<uint32_t> view_;

    // The last deletion, for undo: each row with its place among all rows
    // before it went, in order; and the sort it followed.
    struct Deleted {
        uint32_t place;
        Row row;
    };
    std::vector<Deleted> undo_;
    size_t sorts_ = 0;      // sorts so far
    size_t undoSorts_ = 0;  // sorts before the deletion kept for undo
    SortKey lastSort_ = SortKey::Address;
    std::unique_ptr<Arena> arena_;
    size_t selected_ = 0;
    size_t textUsed_ = 0;    // text bytes in the arena, garbage included
    size_t garbage_ = 0;     // bytes of the arena that no row refers to any more
    size_t textLimit_;
    size_t memoryLimit_;
    size_t used_ = 0;        // memory taken, for the limit
};

} // namespace lex
