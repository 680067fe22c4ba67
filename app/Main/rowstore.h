// The results list's rows, held compactly by the program (the list view is
// an owner-data view that draws from here), and the list commands that work
// on them: sorting, finding, deleting, selecting and the results file text.
// Portable: no <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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

class RowStore {
public:
    // The most text bytes the store can hold: texts are addressed by 32-bit
    // offsets into one arena.
    static constexpr size_t kMaxTextBytes = 0xFFFFFFFFu;

    // `textLimit` lowers the arena's limit (values above kMaxTextBytes are
    // taken as kMaxTextBytes).
    explicit RowStore(size_t textLimit = kMaxTextBytes)
        : textLimit_(textLimit < kMaxTextBytes ? textLimit : kMaxTextBytes) {}

    // Rows in display order, numbered 0..Count()-1.
    size_t Count() const;
    void Clear();
    // Adds a row at the end.  Throws std::bad_alloc, leaving the store as it
    // was, when the row does not fit (the texts share one arena of at most
    // the text limit).
    void Append(uint32_t offset, bool wide, const char *text, size_t length, bool checked);

    uint32_t Offset(size_t row) const;
    bool Wide(size_t row) const;
    const char *Text(size_t row) const;  // not NUL-terminated
    size_t TextLength(size_t row) const;
    bool Checked(size_t row) const;
    void SetChecked(size_t row, bool on);
    bool Selected(size_t row) const;
    void SetSelected(size_t row, bool on);
    size_t SelectedCount() const;

    // Stable sort of the display order by `key` (ascending).  Name order
    // needs working memory (24 bytes a row); without it std::bad_alloc is
    // thrown and the order is left as it was.
    void Sort(SortKey key);
    // Deletes every selected row in one pass; the others keep their order.
    // Returns how many rows were deleted.
    size_t DeleteSelected();
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

    // The results file: one line per row in display order, CR LF after
    // each; `textOnly` writes the text alone, otherwise offset text, TAB,
    // kind, TAB, text.
    std::string ResultsText(bool textOnly) const;

private:
    struct Row {
        uint32_t offset;
        uint32_t textStart;   // into text_
        uint32_t textLength;
        uint8_t flags;        // kWide | kChecked | kSelected
    };
    std::vector<Row> rows_;  // in display order
    std::vector<char> text_;
    size_t selected_ = 0;
    size_t garbage_ = 0;     // bytes of text_ that no row refers to any more
    size_t textLimit_;

    // Squeezes the texts of deleted rows out of the arena.
    void Compact();
    void SortByName();
};

} // namespace lex
