// The results list's row store: orders, find-next, deletion, the selection
// commands and the results file text.
#include "results/rowstore.h"

#include "scan/resultrow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "scan_reference.h"

namespace lex {
namespace {

struct RowIn {
    uint32_t offset;
    RowKind kind;
    std::string text;
    bool checked;
};

void Fill(RowStore &s, const std::vector<RowIn> &rows)
{
    for (const RowIn &r : rows)
        s.Append(r.offset, r.kind, r.text.data(), r.text.size(), r.checked);
}

// Rows holding `texts`, at offsets 0, 1, 2, ... (the offset records the
// insertion order, so stability can be checked).
void FillTexts(RowStore &s, const std::vector<std::string> &texts)
{
    for (size_t i = 0; i < texts.size(); ++i)
        s.Append(static_cast<uint32_t>(i), RowKind::Ansi, texts[i].data(), texts[i].size(), false);
}

std::vector<std::string> Texts(const RowStore &s)
{
    std::vector<std::string> out;
    for (size_t i = 0; i < s.Count(); ++i)
        out.emplace_back(s.Text(i), s.TextLength(i));
    return out;
}

std::vector<uint32_t> Offsets(const RowStore &s)
{
    std::vector<uint32_t> out;
    for (size_t i = 0; i < s.Count(); ++i)
        out.push_back(s.Offset(i));
    return out;
}

int Sign(int v) { return (v > 0) - (v < 0); }

// The text comparison of address, kind and name order, from the plain model
// that the row store's sorts are checked against.
using lexref::ByteCompare;

// ---------------------------------------------------------------------------
// Text comparison, through name order: two rows in either order come out
// ordered by the comparison, equal ones in the order they were added.

TEST(TextComparison, FoldsLettersByteByByte)
{
    struct Case {
        const char *a, *b;
        int sign;
        const char *what;
    } const cases[] = {
        {"ab", "AB", 0, "case is folded"},
        {"aB", "Ab", 0, "mixed case"},
        {"a", "Z", -1, "a compares as A"},
        {"a", "C", -1, "a compares as A, below C"},
        {"Z", "a", 1, "reverse"},
        {"abc", "abcd", -1, "a prefix is smaller"},
        {"ABCD", "abc", 1, "longer is larger"},
        {"_", "z", 1, "underscore after lower-case letters"},
        {"_", "Z", 1, "underscore after upper-case letters"},
        {"`", "A", 1, "0x60 is not folded"},
        {"{", "[", 1, "0x7B is not folded"},
        {"", "", 0, "empty texts"},
        {"", "a", -1, "empty is smallest"},
        {"1", "A", -1, "digits before letters"},
        // Double-byte texts are compared by bytes: the trail byte 0x61 of
        // U+FF22 (0x82 0x61) folds to 0x41.
        {"\x82\x61", "\x82\x41", 0, "trail byte in a-z folded"},
        {"\x82\x61", "\x82\x50", -1, "folded trail byte 0x41 < 0x50"},
        {"\x82\x81", "\x82\x60", 1, "full-width a after full-width A"},
        {"\x82\xA0", "a", 1, "bytes compare unsigned"},
        {"\xFF", "a", 1, "0xFF above every letter"},
        {"\x88\x9F", "\x82\xA0", 1, "lead bytes decide"},
    };
    for (const Case &c : cases) {
        ASSERT_EQ(Sign(ByteCompare(c.a, c.b)), c.sign) << c.what << " (the model)";
        for (bool swapped : {false, true}) {
            RowStore s;
            FillTexts(s, swapped ? std::vector<std::string>{c.b, c.a} : std::vector<std::string>{c.a, c.b});
            s.Sort(SortKey::Name);
            const bool aFirst = c.sign < 0 || (c.sign == 0 && !swapped);
            EXPECT_EQ(Texts(s), aFirst ? (std::vector<std::string>{c.a, c.b}) : (std::vector<std::string>{c.b, c.a}))
                << c.what << (swapped ? " (added the other way round)" : "");
        }
    }
}

// ---------------------------------------------------------------------------
// Sorting

// Name order against a plain stable sort with the model, on texts made to
// share long beginnings, to differ only in case, to hold zero bytes and to
// be prefixes of one another.
TEST(RowStoreSort, NameOrderAgreesWithTheTextComparison)
{
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    const char alphabet[] = {'a', 'A', 'b', 'B', '_', 'z', '\0', '\x82', '\x61'};
    std::vector<std::string> texts;
    for (int i = 0; i < 3000; ++i) {
        std::string t = next(2) ? "Common prefix of many texts " : "";
        const uint32_t n = next(20);
        for (uint32_t k = 0; k < n; ++k)
            t += alphabet[next(sizeof alphabet)];
        texts.push_back(t);
    }
    RowStore s;
    FillTexts(s, texts);
    s.Sort(SortKey::Name);

    std::vector<size_t> expect(texts.size());
    for (size_t i = 0; i < expect.size(); ++i)
        expect[i] = i;
    std::stable_sort(expect.begin(), expect.end(), [&](size_t a, size_t b) {
        return ByteCompare(texts[a], texts[b]) < 0;
    });
    ASSERT_EQ(s.Count(), expect.size());
    for (size_t i = 0; i < expect.size(); ++i)
        ASSERT_EQ(s.Offset(i), expect[i]) << "row " << i;
}

TEST(RowStoreSort, AddressOrderIsNumericAndMatchesTheTextOrder)
{
    RowStore s;
    const uint32_t offsets[] = {0x1A2B, 0xA, 0x7FFFFFF0, 0x9, 0xFFFFFFFF, 0x10, 0x0, 0xAB};
    for (uint32_t o : offsets)
        s.Append(o, RowKind::Ansi, "x", 1, false);
    s.Sort(SortKey::Name);  // scramble first; all texts equal, so no change
    s.Sort(SortKey::Address);
    EXPECT_EQ(Offsets(s),
              (std::vector<uint32_t>{0x0, 0x9, 0xA, 0x10, 0xAB, 0x1A2B, 0x7FFFFFF0, 0xFFFFFFFF}));
    // The comparison of the column texts agrees with the numeric order.
    for (size_t i = 0; i + 1 < s.Count(); ++i) {
        const std::string a = OffsetText(s.Offset(i)), b = OffsetText(s.Offset(i + 1));
        EXPECT_LT(ByteCompare(a, b), 0) << a << " " << b;
    }
}

TEST(RowStoreSort, SortsKeepFlagsWithTheirRows)
{
    RowStore s;
    FillTexts(s, {"ccc", "a", "bb"});
    s.SetChecked(0, true);
    s.SetSelected(2, true);
    s.Sort(SortKey::Length);
    EXPECT_EQ(Texts(s), (std::vector<std::string>{"a", "bb", "ccc"}));
    EXPECT_TRUE(s.Selected(1));
    EXPECT_TRUE(s.Checked(2));
    EXPECT_EQ(s.SelectedCount(), 1u);

    RowStore empty;
    for (SortKey k : {SortKey::Address, SortKey::Kind, SortKey::Name, SortKey::Length,
                      SortKey::Checked})
        empty.Sort(k);
    EXPECT_EQ(empty.Count(), 0u);
}

// ---------------------------------------------------------------------------
// Find next

TEST(RowStoreFind, WalksFromHitToHitWithoutWrapping)
{
    RowStore s;
    FillTexts(s, {"xabcx", "none", "ABC", "zzz", "abcabc", "tail"});
    const size_t none = SIZE_MAX;
    struct Case {
        size_t focused;
        bool down;
        const char *what;
        bool matchCase;
        size_t expect;
        const char *why;
    } const cases[] = {
        {none, true, "abc", false, 0, "no focus: down starts at row 0"},
        {none, false, "abc", false, none, "no focus: up finds nothing"},
        {0, true, "abc", false, 2, "next hit below"},
        {2, true, "abc", false, 4, "and the next"},
        {4, true, "abc", false, none, "no wrap at the end"},
        {5, true, "abc", false, none, "last row, down: nothing, though rows above match"},
        {5, false, "abc", false, 4, "up from the last row"},
        {4, false, "abc", false, 2, "next hit above"},
        {2, false, "abc", false, 0, "and the next"},
        {0, false, "abc", false, none, "no wrap at the start"},
        {0, true, "xabcx", false, none, "the focused row itself is never examined"},
        {none, true, "ABC", false, 0, "without match case ABC finds xabcx"},
        {none, true, "ABC", true, 2, "with match case only ABC"},
        {2, true, "ABC", true, none, "nothing below with match case"},
        {none, true, "CaBc", false, 4, "search text folded too"},
        {none, true, "missing", false, none, "not found"},
        {100, false, "tail", false, 5, "a focus past the end counts as below the last row"},
        {100, true, "tail", false, none, "and finds nothing downwards"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(s.FindNext(c.focused, c.down, c.what, c.matchCase), c.expect) << c.why;
}

TEST(RowStoreFind, FullWidthLettersAreNeverFoldedAndBytesMatchAnywhere)
{
    RowStore s;
    // U+FF21 (0x82 0x60), U+FF41 (0x82 0x81), and a katakana whose trail byte
    // is 0x5C.
    FillTexts(s, {"\x82\x60", "\x82\x81", "\x83\x5C"});
    EXPECT_EQ(s.FindNext(SIZE_MAX, true, "\x82\x81", false), 1u);
    EXPECT_EQ(s.FindNext(SIZE_MAX, true, "\x82\x60", false), 0u);
    EXPECT_EQ(s.FindNext(0, true, "\x82\x60", false), SIZE_MAX);
    // A byte substring, whatever the character boundaries.
    EXPECT_EQ(s.FindNext(SIZE_MAX, true, "\\", false), 2u);

    RowStore empty;
    EXPECT_EQ(empty.FindNext(SIZE_MAX, true, "a", false), SIZE_MAX);
}

TEST(RowStoreFind, OnlyTheTextColumnIsSearched)
{
    RowStore s;
    s.Append(0x1A2B, RowKind::Ansi, "hello", 5, false);
    s.Append(0x10, RowKind::Unicode, "world", 5, false);
    EXPECT_EQ(s.FindNext(SIZE_MAX, true, "1A2B", false), SIZE_MAX);
    EXPECT_EQ(s.FindNext(SIZE_MAX, true, "ANSI", false), SIZE_MAX);
    EXPECT_EQ(s.FindNext(SIZE_MAX, true, "Unicode", false), SIZE_MAX);
    EXPECT_EQ(s.FindNext(SIZE_MAX, true, "orl", false), 1u);
}

// Find all: the rows find-next would stop at, and no other, selected.
TEST(RowStoreFind, FindAllSelectsEveryHitAndNothingElse)
{
    RowStore s;
    FillTexts(s, {"xabcx", "none", "ABC", "zzz", "abcabc"});
    s.SetSelected(1, true);
    EXPECT_EQ(3u, s.SelectMatching("abc", false));
    EXPECT_EQ(3u, s.SelectedCount());
    EXPECT_FALSE(s.Selected(1));
    EXPECT_EQ(1u, s.SelectMatching("ABC", true));
    EXPECT_TRUE(s.Selected(2));
    EXPECT_EQ(0u, s.SelectMatching("q", false));
    EXPECT_EQ(0u, s.SelectedCount());
}

// ---------------------------------------------------------------------------
// Filter and undo

TEST(RowStoreFilter, ShowsTheRowsThatPassAndTheCommandsActOnThem)
{
    const std::vector<RowIn> rows = {
        {0, RowKind::Ansi, "Hello World", false},
        {1, RowKind::Ansi, "\x83\x74\x83\x40\x83\x43\x83\x8B", true},  // katakana
        {2, RowKind::Unicode, "error 42", false},
        {3, RowKind::Unicode, "\x90\xDD\x92\xE8", true},  // kanji
        {4, RowKind::Ansi, "\xB6\xC5", false},              // half-width katakana
        {5, RowKind::Ansi, "\x83\xB6" "mega", false},          // Greek: not Japanese
        {6, RowKind::Utf8, "\x82\x60\x82\x61", false},     // full-width letters
        {7, RowKind::Ansi, "a\x81\x41" "b", false},             // an ideographic comma
        {8, RowKind::Utf8, "HELLO again", true},
        {9, RowKind::Utf8, "\\u{1F600} smile", false},
    };
    const int any = RowFilter::kAnyKind;
    const struct {
        RowFilter filter;
        std::vector<uint32_t> shown;
    } cases[] = {
        {{"", false, false, any}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {{"hello", false, false, any}, {0, 8}},
        {{"", true, false, any}, {1, 3, 4, 6, 7}},
        {{"", false, false, int(RowKind::Unicode)}, {2, 3}},
        {{"", false, true, any}, {1, 3, 8}},
        {{"", true, true, any}, {1, 3}},
        {{"o", false, false, int(RowKind::Utf8)}, {8}},
        {{"zz", false, false, any}, {}},
    };
    for (const auto &c : cases) {
        RowStore s;
        s.SetFilter(c.filter);  // set before the rows come, as during a scan
        Fill(s, rows);
        EXPECT_EQ(c.shown, Offsets(s)) << c.filter.text;
        RowStore after;
        Fill(after, rows);
        after.SetFilter(c.filter);
        EXPECT_EQ(c.shown, Offsets(after)) << c.filter.text;
        EXPECT_EQ(rows.size(), after.TotalCount());
        // Typed on from a shorter text, which judges only the rows shown.
        if (c.filter.text.size() > 1) {
            RowFilter shorter = c.filter;
            shorter.text.pop_back();
            after.SetFilter(RowFilter());
            after.SetFilter(shorter);
            after.SetFilter(c.filter);
            EXPECT_EQ(c.shown, Offsets(after)) << c.filter.text;
        }
    }

    // Selection, find and the results text keep to the rows shown; rows
    // going out of sight are deselected.
    RowStore s;
    Fill(s, rows);
    s.SetSelected(0, true);
    s.SetFilter({"", true, false, any});
    EXPECT_EQ(0u, s.SelectedCount());
    s.SelectAll();
    EXPECT_EQ(5u, s.SelectedCount());
    s.InvertSelection();
    EXPECT_EQ(0u, s.SelectedCount());
    EXPECT_EQ(1u, s.SelectMatching("\x83", false));  // the katakana row; the Greek one is hidden
    EXPECT_EQ(4u, s.FindNext(0, true, "b", false));
    const std::string text = s.ResultsText(true);
    EXPECT_EQ(5, std::count(text.begin(), text.end(), '\n'));
    EXPECT_EQ(std::string::npos, text.find("Hello"));

    // Sorting orders every row: clearing the filter shows them all in it.
    s.Sort(SortKey::Length);
    s.SetFilter(RowFilter());
    std::vector<size_t> lengths;
    for (size_t i = 0; i < s.Count(); ++i)
        lengths.push_back(s.TextLength(i));
    EXPECT_TRUE(std::is_sorted(lengths.begin(), lengths.end()));
    EXPECT_EQ(rows.size(), s.Count());

    // A deletion under a filter, undone after a sort and with another
    // filter: the rows come back selected where the order puts them, those
    // the filter shows.
    s.Sort(SortKey::Address);
    s.SetFilter({"", false, true, any});
    s.SelectAll();  // rows 1, 3, 8
    EXPECT_EQ(3u, s.DeleteSelected());
    EXPECT_EQ((std::vector<uint32_t>{}), Offsets(s));
    s.Sort(SortKey::Name);
    s.SetFilter({"", false, false, int(RowKind::Utf8)});
    EXPECT_EQ((std::vector<uint32_t>{9, 6}), Offsets(s));
    EXPECT_EQ(3u, s.UndoDelete());
    EXPECT_EQ((std::vector<uint32_t>{8, 9, 6}), Offsets(s));  // name order: "HELLO", "\u{", 0x82
    EXPECT_EQ(1u, s.SelectedCount());
    EXPECT_TRUE(s.Selected(0));
    s.SetFilter(RowFilter());
    EXPECT_EQ(rows.size(), s.Count());
    EXPECT_FALSE(s.CanUndo());
}

// ---------------------------------------------------------------------------
// Delete

TEST(RowStoreDelete, RemovesExactlyTheSelectedRowsKeepingOrder)
{
    RowStore s;
    std::vector<std::string> texts;
    for (int i = 0; i < 12; ++i)
        texts.push_back("row " + std::to_string(i));
    FillTexts(s, texts);
    s.SetChecked(10, true);
    for (size_t r : {2, 5, 9})
        s.SetSelected(r, true);
    EXPECT_EQ(s.DeleteSelected(), 3u);
    EXPECT_EQ(s.Count(), 9u);
    EXPECT_EQ(s.SelectedCount(), 0u);
    EXPECT_EQ(std::string(s.Text(7), s.TextLength(7)), "row 10");
    EXPECT_TRUE(s.Checked(7));
    EXPECT_EQ(Offsets(s), (std::vector<uint32_t>{0, 1, 3, 4, 6, 7, 8, 10, 11}));
    for (size_t i = 0; i < s.Count(); ++i)
        EXPECT_FALSE(s.Selected(i));

    // Nothing selected: nothing happens.
    EXPECT_EQ(s.DeleteSelected(), 0u);
    EXPECT_EQ(s.Count(), 9u);
}

TEST(RowStoreDelete, TextsSurviveCompactionAndLaterAppends)
{
    RowStore s;
    std::vector<std::string> texts;
    for (int i = 0; i < 1000; ++i)
        texts.push_back("text number " + std::to_string(i) + std::string(size_t(i % 7), '*'));
    FillTexts(s, texts);
    s.Sort(SortKey::Name);
    // Delete three rows in four: the arena is squeezed.
    for (size_t i = 0; i < s.Count(); ++i)
        s.SetSelected(i, i % 4 != 0);
    EXPECT_EQ(s.DeleteSelected(), 750u);
    s.Append(5000, RowKind::Ansi, "late", 4, false);
    ASSERT_EQ(s.Count(), 251u);
    for (size_t i = 0; i + 1 < s.Count(); ++i)
        EXPECT_EQ(std::string(s.Text(i), s.TextLength(i)), texts[s.Offset(i)]) << i;
    EXPECT_EQ(std::string(s.Text(250), s.TextLength(250)), "late");

    s.SelectAll();
    EXPECT_EQ(s.DeleteSelected(), 251u);
    EXPECT_EQ(s.Count(), 0u);
    EXPECT_EQ(s.ResultsText(false), "");
}

// ---------------------------------------------------------------------------
// Selection commands

TEST(RowStoreSelect, TheThreeCommandsAndTheCount)
{
    RowStore s;
    const bool checks[] = {true, false, false, true, false};
    for (uint32_t i = 0; i < 5; ++i)
        s.Append(i, RowKind::Ansi, "t", 1, checks[i]);
    auto selection = [&] {
        std::vector<bool> v;
        for (size_t i = 0; i < s.Count(); ++i)
            v.push_back(s.Selected(i));
        return v;
    };
    auto checkState = [&] {
        std::vector<bool> v;
        for (size_t i = 0; i < s.Count(); ++i)
            v.push_back(s.Checked(i));
        return v;
    };
    const std::vector<bool> checked(checks, checks + 5);

    s.SetSelected(1, true);
    s.SetSelected(1, true);  // twice: counted once
    s.SetSelected(2, true);
    EXPECT_EQ(s.SelectedCount(), 2u);

    s.InvertSelection();
    EXPECT_EQ(selection(), (std::vector<bool>{true, false, false, true, true}));
    EXPECT_EQ(s.SelectedCount(), 3u);

    // Select checked deselects the unchecked row 4.
    s.SelectChecked();
    EXPECT_EQ(selection(), checked);
    EXPECT_EQ(s.SelectedCount(), 2u);

    s.SelectAll();
    EXPECT_EQ(selection(), std::vector<bool>(5, true));
    EXPECT_EQ(s.SelectedCount(), 5u);

    s.InvertSelection();
    EXPECT_EQ(selection(), std::vector<bool>(5, false));
    EXPECT_EQ(s.SelectedCount(), 0u);

    s.SetSelected(4, true);
    s.ClearSelection();
    EXPECT_EQ(s.SelectedCount(), 0u);
    EXPECT_FALSE(s.Selected(4));

    // None of them touches a check box.
    EXPECT_EQ(checkState(), checked);

    // No checked rows: nothing stays selected.
    for (size_t i = 0; i < 5; ++i)
        s.SetChecked(i, false);
    s.SelectAll();
    s.SelectChecked();
    EXPECT_EQ(selection(), std::vector<bool>(5, false));
    EXPECT_EQ(s.SelectedCount(), 0u);
}

// ---------------------------------------------------------------------------
// Results file text

TEST(RowStoreResults, BothLayouts)
{
    RowStore s;
    EXPECT_EQ(s.ResultsText(false), "");
    EXPECT_EQ(s.ResultsText(true), "");

    s.Append(0x1A2B, RowKind::Ansi, "Hello World", 11, true);
    EXPECT_EQ(s.ResultsText(false), "00001A2B\tANSI\tHello World\r\n");
    EXPECT_EQ(s.ResultsText(true), "Hello World\r\n");

    s.Append(0x7FFFFFFF, RowKind::Unicode, "\x82\xA0z", 3, false);
    s.Append(0, RowKind::Ansi, "a", 1, false);
    s.Append(0x30, RowKind::Utf8, "\x82\xA0\\u{E9}", 8, false);
    s.Sort(SortKey::Length);  // saved in the order shown
    EXPECT_EQ(s.ResultsText(false), std::string("00000000\tANSI\ta\r\n"
                                                "7FFFFFFF\tUnicode\t\x82\xA0z\r\n"
                                                "00000030\tUTF-8\t\x82\xA0\\u{E9}\r\n"
                                                "00001A2B\tANSI\tHello World\r\n"));
    EXPECT_EQ(s.ResultsText(true),
              std::string("a\r\n\x82\xA0z\r\n\x82\xA0\\u{E9}\r\nHello World\r\n"));

    EXPECT_EQ(OffsetText(s.Offset(1)), "7FFFFFFF");
}

// ---------------------------------------------------------------------------
// Appending

TEST(RowStoreAppend, RefusesTextBeyondTheLimitWithoutHarm)
{
    RowStore s(16);
    s.Append(1, RowKind::Ansi, "0123456789", 10, false);
    EXPECT_THROW(s.Append(2, RowKind::Ansi, "abcdefg", 7, true), std::bad_alloc);
    ASSERT_EQ(s.Count(), 1u);
    EXPECT_EQ(std::string(s.Text(0), s.TextLength(0)), "0123456789");
    s.Append(3, RowKind::Ansi, "abcdef", 6, false);  // exactly fills the arena
    EXPECT_EQ(s.ResultsText(true), "0123456789\r\nabcdef\r\n");

    // Deleting a row makes room again (the arena is squeezed on demand).
    s.SetSelected(0, true);
    s.SetSelected(0, false);
    s.SetSelected(1, true);
    s.DeleteSelected();
    s.Append(4, RowKind::Ansi, "uvwxyz", 6, false);
    EXPECT_EQ(s.ResultsText(true), "0123456789\r\nuvwxyz\r\n");
}

TEST(RowStoreAppend, OwnTextCanBeAppendedAgain)
{
    RowStore s;
    s.Append(0, RowKind::Ansi, "repeat me", 9, false);
    for (int i = 0; i < 100; ++i)  // grows the arena, moving it
        s.Append(uint32_t(i + 1), RowKind::Ansi, s.Text(size_t(i)), s.TextLength(size_t(i)), false);
    EXPECT_EQ(std::string(s.Text(100), s.TextLength(100)), "repeat me");
}

// Texts of every length up to past the word-by-word copies, back to back
// in the arena, each of bytes of its own: every text reads back whole, and
// none spills into its neighbours.
TEST(RowStoreAppend, TextsOfEveryShortLengthReadBackWhole)
{
    RowStore s;
    std::vector<std::string> texts;
    for (size_t length = 1; length <= 300; ++length) {
        std::string t;
        for (size_t i = 0; i < length; ++i)
            t += static_cast<char>(0x21 + (length * 7 + i * 13) % 0x5E);
        texts.push_back(t);
    }
    FillTexts(s, texts);
    EXPECT_EQ(Texts(s), texts);
}

// ---------------------------------------------------------------------------
// Storage: rows across pages, texts across chunks, the memory limit

// Rows with texts of varied lengths and flags, enough to fill several
// pages of rows and chunks of text; row i has offset i.  Every fifth text
// ends in two double-byte characters: lengths count bytes.
struct Model {
    std::vector<RowIn> rows;
};

Model ManyRows(size_t n)
{
    Model m;
    uint32_t seed = 99;
    for (size_t i = 0; i < n; ++i) {
        seed = seed * 1103515245u + 12345u;
        std::string text = "row " + std::to_string((seed >> 8) % 5000);
        text.append((seed >> 20) % 90, static_cast<char>('a' + i % 26));
        if (i % 5 == 0)
            text += "\x88\x9F\x82\xA0";
        m.rows.push_back(
            {static_cast<uint32_t>(i), static_cast<RowKind>((seed >> 4) % lex::kRowKinds), text, (seed & 2) != 0});
    }
    return m;
}

// The store's rows against the model, in the order `order` (row numbers).
void ExpectRows(const RowStore &s, const Model &m, const std::vector<size_t> &order)
{
    ASSERT_EQ(s.Count(), order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        const RowIn &r = m.rows[order[i]];
        ASSERT_EQ(s.Offset(i), r.offset) << "row " << i;
        ASSERT_EQ(std::string(s.Text(i), s.TextLength(i)), r.text) << "row " << i;
        ASSERT_EQ(s.Kind(i), r.kind) << "row " << i;
        ASSERT_EQ(s.Checked(i), r.checked) << "row " << i;
    }
}

template <class Less>
std::vector<size_t> StableOrder(const Model &m, Less less)
{
    std::vector<size_t> order(m.rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return less(m.rows[a], m.rows[b]); });
    return order;
}

TEST(RowStoreStorage, SortsAndDeletionAcrossPagesAndChunks)
{
    // 40,000 rows: three pages of rows and a few chunks of text.  Each sort
    // is stable and starts from the order the one before left.
    const Model m = ManyRows(40000);
    RowStore s;
    Fill(s, m.rows);
    const struct {
        SortKey key;
        std::function<bool(const RowIn &, const RowIn &)> less;
    } orders[] = {
        {SortKey::Length, [](const RowIn &a, const RowIn &b) { return a.text.size() < b.text.size(); }},
        {SortKey::Name, [](const RowIn &a, const RowIn &b) { return ByteCompare(a.text, b.text) < 0; }},
        {SortKey::Checked, [](const RowIn &a, const RowIn &b) { return a.checked > b.checked; }},
        {SortKey::Kind,
         [](const RowIn &a, const RowIn &b) {
             // By their texts; the further encodings' kinds after the
             // others, in their own order.
             const int x = a.kind >= RowKind::EucJp ? static_cast<int>(a.kind) : -1;
             const int y = b.kind >= RowKind::EucJp ? static_cast<int>(b.kind) : -1;
             return x != y ? x < y : ByteCompare(KindText(a.kind), KindText(b.kind)) < 0;
         }},
        {SortKey::Address, [](const RowIn &a, const RowIn &b) { return a.offset < b.offset; }},
    };
    std::vector<size_t> order = StableOrder(m, [](const RowIn &, const RowIn &) { return false; });
    for (const auto &o : orders) {
        s.Sort(o.key);
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return o.less(m.rows[a], m.rows[b]); });
        ExpectRows(s, m, order);
    }
    // Deleting all but every seventh row frees pages; undone, every row is
    // back in its place.  Once the deletion can no longer be undone (the
    // next one), its texts are squeezed out.
    const size_t before = s.MemoryUsed();
    std::vector<size_t> kept;
    const auto selectAllButEverySeventh = [&] {
        kept.clear();
        for (size_t i = 0; i < s.Count(); ++i) {
            s.SetSelected(i, i % 7 != 0);
            if (i % 7 == 0)
                kept.push_back(order[i]);
        }
    };
    selectAllButEverySeventh();
    const size_t deleted = s.DeleteSelected();
    ExpectRows(s, m, kept);
    ASSERT_TRUE(s.CanUndo());
    EXPECT_EQ(deleted, s.UndoDelete());
    ExpectRows(s, m, order);
    EXPECT_EQ(deleted, s.SelectedCount());
    EXPECT_FALSE(s.CanUndo());
    selectAllButEverySeventh();
    s.DeleteSelected();
    s.SetSelected(0, true);
    s.DeleteSelected();
    kept.erase(kept.begin());
    ExpectRows(s, m, kept);
    EXPECT_LT(s.MemoryUsed(), before / 2);
    s.Clear();
    EXPECT_EQ(s.MemoryUsed(), 0u);
}

TEST(RowStoreStorage, TextsLongerThanAChunkKeepTheirNeighbours)
{
    RowStore s;
    const std::string big(3 * 1024 * 1024 + 17, 'B');
    Fill(s, {{0, RowKind::Ansi, "before", false},
             {1, RowKind::Ansi, big, false},
             {2, RowKind::Ansi, "after", true}});
    s.Append(3, RowKind::Unicode, big.data(), 1024 * 1024 - 100, false);  // almost a chunk
    EXPECT_EQ(std::string(s.Text(0), s.TextLength(0)), "before");
    EXPECT_EQ(std::string(s.Text(1), s.TextLength(1)), big);
    EXPECT_EQ(std::string(s.Text(2), s.TextLength(2)), "after");
    EXPECT_EQ(s.TextLength(3), 1024u * 1024 - 100);
    // Deleting the big text squeezes it out; the others survive the move.
    s.SetSelected(1, true);
    s.DeleteSelected();
    EXPECT_EQ(Texts(s)[0], "before");
    EXPECT_EQ(Texts(s)[1], "after");
    EXPECT_EQ(std::string(s.Text(2), s.TextLength(2)), big.substr(0, 1024 * 1024 - 100));
    // A text beyond the longest a row can keep is refused.
    EXPECT_THROW(s.Append(9, RowKind::Ansi, big.data(), RowStore::kMaxTextLength + 1, false),
                 std::bad_alloc);
    EXPECT_EQ(s.Count(), 3u);
}

TEST(RowStoreStorage, TheMemoryLimitRefusesRowsAndLeavesTheStoreWhole)
{
    // Room for the first page of rows and one chunk of text, not more.
    const size_t limit = 16384 * 12 + 1024 * 1024;
    RowStore s(RowStore::kMaxTextBytes, limit);
    const Model m = ManyRows(60000);
    size_t added = 0;
    try {
        for (const RowIn &r : m.rows) {
            s.Append(r.offset, r.kind, r.text.data(), r.text.size(), r.checked);
            ++added;
        }
        FAIL() << "every row fitted";
    } catch (const std::bad_alloc &) {
    }
    EXPECT_GT(added, 1000u);
    EXPECT_LE(s.MemoryUsed(), limit);
    std::vector<size_t> order(added);
    for (size_t i = 0; i < added; ++i)
        order[i] = i;
    ExpectRows(s, m, order);

    // A full store still sorts: with no room for fresh pages the rows move
    // in place.
    s.Sort(SortKey::Length);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return m.rows[a].text.size() < m.rows[b].text.size();
    });
    ExpectRows(s, m, order);
    s.Sort(SortKey::Checked);
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return m.rows[a].checked > m.rows[b].checked; });
    ExpectRows(s, m, order);

    // Emptied, the store takes rows again.
    s.Clear();
    EXPECT_EQ(s.MemoryUsed(), 0u);
    s.Append(1, RowKind::Ansi, "again", 5, false);
    EXPECT_EQ(Texts(s), std::vector<std::string>{"again"});
}

} // namespace
} // namespace lex
