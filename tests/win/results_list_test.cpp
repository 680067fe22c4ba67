// The results list on a real owner-data list view in a test window: what
// the control shows and reports after the list commands, user input on
// check boxes and rows, the pop-up menu and the find dialog.
#include "results_fixture.h"

#include <dlgs.h>

namespace {

using namespace listtest;

// The list made afresh on another parent, as the main window makes it.
void Recreate(ResultsListTest &t, HWND parent)
{
    g_list = nullptr;
    DestroyWindow(t.lv_);
    delete t.list_;
    t.list_ = new lex::ResultsList;
    g_list = t.list_;
    ASSERT_TRUE(t.list_->Create(parent, IDC_LISTVIEW));
    t.lv_ = t.list_->hwnd();
}

TEST_F(ResultsListTest, ControlIsAHiddenOwnerDataReportWithCheckBoxes)
{
    Recreate(*this, parent_);
    char name[32] = {};
    GetClassNameA(lv_, name, sizeof name);
    EXPECT_STREQ("TListViewXP", name);
    EXPECT_EQ(IDC_LISTVIEW, GetDlgCtrlID(lv_));
    LONG style = GetWindowLongA(lv_, GWL_STYLE);
    EXPECT_FALSE(style & WS_VISIBLE);
    EXPECT_EQ(LVS_REPORT, style & LVS_TYPEMASK);
    EXPECT_TRUE(style & LVS_OWNERDATA);
    EXPECT_FALSE(style & LVS_SINGLESEL);
    EXPECT_FALSE(style & LVS_EDITLABELS);
    EXPECT_TRUE(SendMessageA(lv_, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES);

    // Three columns, each wide enough for its caption and for what it
    // shows: eight hex digits of address, the longer kind name.
    const char *widest[] = {"00000000", "Unicode", ""};
    for (int i = 0; i < 4; ++i) {
        char text[32] = {};
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = text;
        column.cchTextMax = sizeof text;
        ASSERT_EQ(i < 3, SendMessageA(lv_, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column)) != 0);
        if (i == 3)
            break;
        EXPECT_STRNE("", text) << i;
        for (const char *shown : {static_cast<const char *>(text), widest[i]})
            EXPECT_LT(SendMessageA(lv_, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(shown)),
                      column.cx) << i << " " << shown;
    }
}

TEST_F(ResultsListTest, ShowsTheStoredRowsThroughTheControl)
{
    Fill({{0x1A2B, false, "Hello World", true}, {0x10, true, "テスト", false}});
    ASSERT_EQ(2, Count());
    EXPECT_EQ("00001A2B", Text(0, 0));
    EXPECT_EQ("ANSI", Text(0, 1));
    EXPECT_EQ("Hello World", Text(0, 2));
    EXPECT_EQ("00000010", Text(1, 0));
    EXPECT_EQ("Unicode", Text(1, 1));
    EXPECT_EQ("テスト", Text(1, 2));
    EXPECT_TRUE(Checked(0));
    EXPECT_FALSE(Checked(1));

    // Rows appended during a scan reach the control with the next count.
    list_->AppendRow(0x99, lex::RowKind::Ansi, "later", 5, false);
    EXPECT_EQ(2, Count());
    list_->SyncCount();
    EXPECT_EQ(3, Count());
    EXPECT_EQ("later", Text(2, 2));

    list_->Clear();
    EXPECT_EQ(0, Count());
    EXPECT_EQ(0u, list_->rows().Count());
}

TEST_F(ResultsListTest, LongTextIsCutToTheCallersBuffer)
{
    std::string longText(1000, 'x');
    Fill({{1, false, longText, false}});
    char buffer[10] = {};
    LVITEMA item = {};
    item.iSubItem = 2;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    SendMessageA(lv_, LVM_GETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(std::string(9, 'x'), std::string(buffer));
}

// The "文字列" header alternates name and length order; the menu sorts
// neither read nor reset that, and neither does a new scan.
TEST_F(ResultsListTest, HeaderClicksToggleNameAndLengthOrder)
{
    const std::vector<Row> rows = {
        {0x30, true, "bbb", false}, {0x10, false, "a", true}, {0x20, false, "CC", false}, {0x40, false, "_", false}};
    const std::vector<std::string> byName = {"a", "bbb", "CC", "_"};
    const std::vector<std::string> byLength = {"a", "_", "CC", "bbb"};
    const std::vector<std::string> byAddress = {"a", "CC", "bbb", "_"};
    const std::vector<std::string> byKind = {"a", "CC", "_", "bbb"};
    Fill(rows);

    // The header tells the two orders of the text column apart.
    const auto caption = [this] {
        HWND header = reinterpret_cast<HWND>(SendMessageA(lv_, LVM_GETHEADER, 0, 0));
        char text[64] = "";
        HDITEMA item = {};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(header, HDM_GETITEMA, 2, reinterpret_cast<LPARAM>(&item));
        return std::string(text);
    };
    const std::string unsorted = caption();
    ClickHeader(2);
    EXPECT_EQ(byName, Texts());
    const std::string nameCaption = caption();
    ClickHeader(2);
    // Equal lengths keep their order from the name sort.
    EXPECT_EQ(byLength, Texts());
    EXPECT_NE(nameCaption, caption());
    ClickHeader(2);
    EXPECT_EQ(byName, Texts());
    EXPECT_EQ(nameCaption, caption());
    ClickHeader(0);
    EXPECT_EQ(unsorted, caption());
    ClickHeader(2);

    // One more click on "文字列" (length), the menu's address order: the
    // next click still gives length order.
    ClickHeader(2);
    list_->SortBy(lex::SortKey::Address);
    EXPECT_EQ(byAddress, Texts());
    ClickHeader(2);
    EXPECT_EQ(byLength, Texts());

    ClickHeader(0);
    EXPECT_EQ(byAddress, Texts());
    ClickHeader(1);
    EXPECT_EQ(byKind, Texts());

    // The flag survives a new scan: the next click gives name order.
    Fill(rows);
    ClickHeader(2);
    EXPECT_EQ(byName, Texts());

    // The menu's sorts.
    list_->SortBy(lex::SortKey::Length);
    EXPECT_EQ(byLength, Texts());
    list_->SortBy(lex::SortKey::Checked);
    EXPECT_EQ("a", Text(0, 2));
    EXPECT_TRUE(Checked(0));
    for (int i = 1; i < 4; ++i)
        EXPECT_FALSE(Checked(i));
}

TEST_F(ResultsListTest, SortingCarriesSelectionAndFocusWithTheirRows)
{
    Fill({{0x30, false, "ccc", false}, {0x10, false, "a", false}, {0x20, false, "bb", false}});
    Select({0});
    Focus(2);
    list_->SortBy(lex::SortKey::Address);
    EXPECT_EQ((std::vector<std::string>{"a", "bb", "ccc"}), Texts());
    EXPECT_EQ(std::set<int>{2}, Selected());
    EXPECT_EQ(1, Focused());

    // Sorting an empty list does nothing.
    Fill({});
    list_->SortBy(lex::SortKey::Name);
    list_->OnColumnClick(2);
    EXPECT_EQ(0, Count());
}

TEST_F(ResultsListTest, DeleteRemovesTheSelectedRowsKeepingTheOrder)
{
    FillNumbered(12);
    Focus(6);
    Select({2, 5, 9});
    EXPECT_EQ(3, SelectedCount());
    EXPECT_TRUE(list_->HasSelection());

    list_->DeleteSelected();
    ASSERT_EQ(9, Count());
    EXPECT_EQ("row10", Text(7, 2));
    EXPECT_EQ((std::vector<std::string>{"row00", "row01", "row03", "row04", "row06", "row07", "row08", "row10",
                                        "row11"}),
              Texts());
    EXPECT_EQ(0, SelectedCount());
    EXPECT_FALSE(list_->HasSelection());
    // The focused row keeps the focus at its new place.
    EXPECT_EQ(4, Focused());
    EXPECT_EQ("row06", Text(Focused(), 2));
    // Check boxes stay with their rows (row03 and row06 were checked).
    EXPECT_TRUE(Checked(2));
    EXPECT_TRUE(Checked(4));
    EXPECT_FALSE(Checked(3));

    // Nothing selected: nothing happens.
    list_->DeleteSelected();
    EXPECT_EQ(9, Count());

    // A focused row that is deleted leaves no focus.
    Select({4, 8});
    list_->DeleteSelected();
    EXPECT_EQ(7, Count());
    EXPECT_EQ(-1, Focused());
    EXPECT_EQ((std::vector<std::string>{"row00", "row01", "row03", "row04", "row07", "row08", "row10"}), Texts());
}

// The control shows the rows the filter lets through, the focus stays on
// its row while that row is shown, and what acts on rows acts on those.
TEST_F(ResultsListTest, FilterShowsSomeRowsAndUndoBringsDeletedOnesBack)
{
    Fill({{0, false, "Hello", true}, {1, true, "\x83\x65\x83\x58\x83\x67", false},
          {2, false, "hello again", false}, {3, true, "other", true}});
    Focus(2);
    const int any = lex::RowFilter::kAnyKind;
    const struct {
        const char *text;
        bool japanese, checkedOnly;
        int kind;
        std::vector<std::string> shown;
        int focused;  // -1 where the focused row went out of sight
    } cases[] = {
        {"HELLO", false, false, any, {"Hello", "hello again"}, 1},
        {"", true, false, any, {"テスト"}, -1},
        {"", false, true, any, {"Hello", "other"}, -1},
        {"", false, false, int(lex::RowKind::Unicode), {"テスト", "other"}, -1},
        {"", false, false, any, {"Hello", "テスト", "hello again", "other"}, 2},
    };
    for (const auto &c : cases) {
        list_->SetFilter(lex::RowFilter());
        Focus(2);
        lex::RowFilter filter;
        filter.text = c.text;
        filter.japanese = c.japanese;
        filter.checkedOnly = c.checkedOnly;
        filter.kind = c.kind;
        list_->SetFilter(filter);
        EXPECT_EQ(c.shown, Texts()) << c.text << c.japanese << c.checkedOnly << c.kind;
        EXPECT_EQ(c.focused, Focused()) << c.text << c.japanese << c.checkedOnly << c.kind;
    }
    // Deleting under a filter deletes only what is shown; the menu's undo
    // brings it back selected, and clearing the filter shows every row.
    lex::RowFilter hello;
    hello.text = "hello";
    list_->SetFilter(hello);
    EXPECT_TRUE(list_->OnCommand(IDM_SELECTALL, parent_));
    list_->DeleteSelected();
    EXPECT_EQ(0, Count());
    EXPECT_TRUE(list_->CanUndo());
    EXPECT_TRUE(list_->OnCommand(IDM_UNDO, parent_));
    EXPECT_EQ((std::vector<std::string>{"Hello", "hello again"}), Texts());
    EXPECT_EQ((std::set<int>{0, 1}), Selected());
    EXPECT_TRUE(list_->OnCommand(IDM_FILTERCHECKED, parent_));
    EXPECT_EQ((std::vector<std::string>{"Hello"}), Texts());
    list_->SetFilter(lex::RowFilter());
    EXPECT_EQ(4, Count());
    EXPECT_FALSE(list_->CanUndo());
    // Each "種類(&T)" entry, in kind order, shows the rows of its kind.
    list_->Clear();
    const char *const kinds[] = {"ansi", "unicode", "utf8", "resource", "euc", "iso", "utf16be"};
    const int ids[] = {IDM_FILTERANSI,  IDM_FILTERUNICODE,   IDM_FILTERUTF8,   IDM_FILTERRESOURCE,
                       IDM_FILTEREUCJP, IDM_FILTERISO2022JP, IDM_FILTERUTF16BE};
    for (int k = 0; k < int(lex::kRowKinds); ++k)
        list_->AppendRow(0x10u * k, lex::RowKind(k), kinds[k], static_cast<size_t>(lstrlenA(kinds[k])), false);
    list_->SyncCount();
    for (int k = 0; k < int(lex::kRowKinds); ++k) {
        EXPECT_TRUE(list_->OnCommand(ids[k], parent_)) << k;
        EXPECT_EQ(std::vector<std::string>{kinds[k]}, Texts()) << k;
    }
}

TEST_F(ResultsListTest, SelectionCommandsAsTheControlReportsThem)
{
    FillNumbered(10);  // rows 0, 3, 6 and 9 checked
    const std::set<int> checked = {0, 3, 6, 9};
    Focus(4);

    list_->SelectAll();
    EXPECT_EQ(10, SelectedCount());
    EXPECT_EQ(10u, Selected().size());

    Fill({});
    list_->SelectAll();  // an empty list: nothing happens
    EXPECT_EQ(0, SelectedCount());

    FillNumbered(10);
    Focus(4);
    Select({1, 3, 4});
    list_->InvertSelection();
    EXPECT_EQ((std::set<int>{0, 2, 5, 6, 7, 8, 9}), Selected());
    EXPECT_EQ(7, SelectedCount());

    // Select checked also deselects rows that are not checked.
    list_->SelectChecked();
    EXPECT_EQ(checked, Selected());
    EXPECT_EQ(4, SelectedCount());

    // None of them changed a check box or the focus.
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(checked.count(i) == 1, Checked(i)) << i;
    EXPECT_EQ(4, Focused());

    // With no checked row, nothing is left selected.
    Fill({{1, false, "x", false}, {2, false, "y", false}});
    list_->SelectAll();
    list_->SelectChecked();
    EXPECT_EQ(0, SelectedCount());
    EXPECT_FALSE(list_->HasSelection());
}

TEST_F(ResultsListTest, CheckBoxesToggleWithSpaceAndClick)
{
    FillNumbered(6);  // rows 0 and 3 checked
    Focus(1);
    SendMessageA(lv_, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageA(lv_, WM_CHAR, ' ', 0);
    SendMessageA(lv_, WM_KEYUP, VK_SPACE, 0);
    Pump();
    EXPECT_TRUE(Checked(1));
    EXPECT_TRUE(list_->rows().Checked(1));
    SendMessageA(lv_, WM_KEYDOWN, VK_SPACE, 0);
    Pump();
    EXPECT_FALSE(Checked(1));

    int x = CheckBoxX(3);
    ASSERT_GE(x, 0);
    Select({5});
    Click(3, x);
    EXPECT_FALSE(Checked(3));
    EXPECT_FALSE(list_->rows().Checked(3));
    // A click on the check box leaves the selection alone.
    EXPECT_EQ(std::set<int>{5}, Selected());
    Click(2, x);
    EXPECT_TRUE(Checked(2));
    // Other rows untouched.
    EXPECT_TRUE(Checked(0));
    EXPECT_FALSE(Checked(4));
}

TEST_F(ResultsListTest, MouseSelectionReachesTheStore)
{
    FillNumbered(12);
    int labelX = CheckBoxX(0) + 40;
    list_->SelectAll();

    // A plain click selects that row alone.
    Click(4, labelX);
    EXPECT_EQ(std::set<int>{4}, Selected());
    EXPECT_EQ(1u, list_->rows().SelectedCount());
    EXPECT_EQ(4, Focused());
    EXPECT_FALSE(Checked(4));  // clicking the text does not toggle

    // Ctrl adds a row, Shift extends from the last clicked row.
    Click(6, labelX, MK_CONTROL);
    EXPECT_EQ((std::set<int>{4, 6}), Selected());
    Click(9, labelX, MK_SHIFT);
    EXPECT_EQ((std::set<int>{6, 7, 8, 9}), Selected());
    EXPECT_EQ(4u, list_->rows().SelectedCount());
    Click(7, labelX, MK_CONTROL);
    EXPECT_EQ((std::set<int>{6, 8, 9}), Selected());

    // Arrow keys move a single selection.
    Click(2, labelX);
    SendMessageA(lv_, WM_KEYDOWN, VK_DOWN, 0);
    Pump();
    EXPECT_EQ(std::set<int>{3}, Selected());
    EXPECT_EQ(3, Focused());
}

// Keys with Shift and Ctrl held, through the thread's keyboard state.
TEST_F(ResultsListTest, KeyboardSelectionWithModifiers)
{
    FillNumbered(40);
    auto key = [this](UINT vk, bool shift, bool ctrl) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        keys[VK_CONTROL] = ctrl ? 0x80 : 0;
        SetKeyboardState(keys);
        SendMessageA(lv_, WM_KEYDOWN, vk, 0);
        keys[VK_SHIFT] = keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
        Pump();
    };
    // Tabbing into the list shows where the keys act, selecting nothing.
    SetFocus(parent_);
    SetFocus(lv_);
    EXPECT_EQ(0, Focused());
    EXPECT_EQ(std::set<int>{}, Selected());
    key(VK_HOME, false, false);
    EXPECT_EQ(std::set<int>{0}, Selected());
    key(VK_DOWN, false, false);
    key(VK_DOWN, true, false);
    key(VK_DOWN, true, false);
    EXPECT_EQ((std::set<int>{1, 2, 3}), Selected());
    EXPECT_EQ(3, Focused());
    // Ctrl moves the focus only; Ctrl+Space then adds that row.
    key(VK_DOWN, false, true);
    key(VK_DOWN, false, true);
    EXPECT_EQ(5, Focused());
    EXPECT_EQ((std::set<int>{1, 2, 3}), Selected());
    key(VK_SPACE, false, true);
    EXPECT_EQ((std::set<int>{1, 2, 3, 5}), Selected());
    EXPECT_FALSE(Checked(5));
    key(VK_END, false, false);
    EXPECT_EQ(std::set<int>{39}, Selected());
    EXPECT_EQ(39, Focused());
    key(VK_DOWN, false, false);  // no wrap past the end
    EXPECT_EQ(39, Focused());
    key(VK_PRIOR, false, false);
    int top = static_cast<int>(SendMessageA(lv_, LVM_GETTOPINDEX, 0, 0));
    EXPECT_EQ(top, Focused());
    EXPECT_EQ(std::set<int>{top}, Selected());
}

// A right click on a row that is not selected selects it alone, on a
// selected row it keeps the selection; on empty space the control itself
// deselects every row (its "all rows" notification reaches the store).
TEST_F(ResultsListTest, RightClickSelection)
{
    FillNumbered(5);
    int labelX = CheckBoxX(0) + 40;
    // The button-up message waits in the queue: the control watches the
    // mouse after a right button goes down until it sees it.
    auto rightClick = [&](int x, int y) {
        PostMessageA(lv_, WM_RBUTTONUP, 0, MAKELPARAM(x, y));
        SendMessageA(lv_, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y));
        Pump();
    };
    RECT rc = {};
    rc.left = LVIR_BOUNDS;
    SendMessageA(lv_, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&rc));
    int y1 = (rc.top + rc.bottom) / 2;
    int height = rc.bottom - rc.top;

    Select({3, 4});
    rightClick(labelX, y1);
    EXPECT_EQ(std::set<int>{1}, Selected());
    EXPECT_EQ(1, Focused());
    Click(2, labelX, MK_CONTROL);
    rightClick(labelX, y1);
    EXPECT_EQ((std::set<int>{1, 2}), Selected());
    rightClick(labelX, y1 + 10 * height);  // below the last row
    EXPECT_EQ(std::set<int>{}, Selected());
    EXPECT_FALSE(list_->HasSelection());
    // On a row's text, as on its address.
    for (int column : {1, 2}) {
        RECT cell = {};
        cell.top = column;
        cell.left = LVIR_BOUNDS;
        SendMessageA(lv_, LVM_GETSUBITEMRECT, 3, reinterpret_cast<LPARAM>(&cell));
        rightClick(cell.left + 10, (cell.top + cell.bottom) / 2);
        EXPECT_EQ(std::set<int>{3}, Selected()) << column;
        EXPECT_TRUE(list_->HasSelection()) << column;
        Click(4, labelX);
    }
}

TEST_F(ResultsListTest, FindNextWalksFromHitToHitAndGoesOnFromTheOtherEnd)
{
    Fill({{1, false, "alpha", false},
          {2, false, "xabcx", false},
          {3, false, "nothing", false},
          {4, false, "ABC", false},
          {5, false, "zzz", false},
          {6, false, "abcabc", false}});
    Select({2, 4});
    // Each search: its text, direction and match case, then the row found
    // (-1: the not-found box) and whether the status line says that the
    // search went on from the other end.
    const struct {
        const char *what;
        bool down, matchCase;
        int found;
        bool wrapped;
    } steps[] = {
        {"abc", true, false, 1, false},  // no focused row: from row 0 on
        {"abc", true, false, 3, false},
        {"abc", true, false, 5, false},
        {"abc", true, false, 1, true},   // past the end: from the top
        {"abc", false, false, 5, true},  // above the first: from the bottom
        {"abc", false, false, 3, false},
        {"0000000", true, false, -1, false},  // in every address, but only texts count
        {"ABC", true, true, 3, true},    // only the focused row has capitals: it is looked at last
        {"ABC", false, true, 3, true},
        {"q", false, false, -1, false},
    };
    int focused = -1;
    for (const auto &step : steps) {
        SCOPED_TRACE(std::string(step.what) + (step.down ? " down " : " up ") + std::to_string(focused));
        boxes_.clear();
        notices_.clear();
        FindNext(step.what, step.down, step.matchCase);
        if (step.found < 0) {
            ASSERT_EQ(1u, boxes_.size());
            // It names what was looked for, quoted.
            EXPECT_EQ(0u, boxes_[0].text.find("\"" + std::string(step.what) + "\" ")) << boxes_[0].text;
            EXPECT_EQ(UINT(MB_ICONINFORMATION), boxes_[0].type & MB_ICONMASK);
            EXPECT_EQ(UINT(MB_OK), boxes_[0].type & MB_TYPEMASK);
            EXPECT_EQ(focused, Focused());  // nothing changes
            continue;
        }
        EXPECT_TRUE(boxes_.empty());
        EXPECT_EQ(step.found, Focused());
        EXPECT_EQ(std::set<int>{step.found}, Selected());
        ASSERT_FALSE(notices_.empty());
        EXPECT_EQ(step.wrapped, !notices_.back().empty()) << notices_.back();
        focused = step.found;
    }
}

TEST_F(ResultsListTest, FindNextScrollsTheHitIntoView)
{
    FillNumbered(300);
    FindNext("row250", true, false);
    EXPECT_EQ(250, Focused());
    int top = static_cast<int>(SendMessageA(lv_, LVM_GETTOPINDEX, 0, 0));
    int perPage = static_cast<int>(SendMessageA(lv_, LVM_GETCOUNTPERPAGE, 0, 0));
    EXPECT_LE(top, 250);
    EXPECT_LT(250, top + perPage);
}

// The real find dialog: options as offered, the text and choices kept
// between openings, one dialog at a time, find-next reaching the list.
TEST_F(ResultsListTest, FindDialogKeepsItsTextAndChoices)
{
    Fill({{1, false, "one", false}, {2, false, "two", false}, {3, false, "three", false}});
    HWND dialog = nullptr;
    const auto open = [&] {
        list_->ShowFind(parent_);
        Pump();
        dialog = GetLastActivePopup(parent_);
    };
    const auto press = [&](int id) {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
        Pump();
    };
    open();
    ASSERT_NE(parent_, dialog);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, chx1)));  // whole word hidden
    ASSERT_NE(nullptr, GetDlgItem(dialog, chx2));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, chx2)));   // match case offered
    EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(dialog, chx2));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, rad2));  // down

    // A second Ctrl+F brings the same dialog back.
    const HWND first = dialog;
    open();
    EXPECT_EQ(first, dialog);

    SetDlgItemTextA(dialog, edt1, "t");
    press(IDOK);
    EXPECT_EQ(1, Focused());
    press(IDOK);
    EXPECT_EQ(2, Focused());

    // Up and match case, then close.
    CheckRadioButton(dialog, rad1, rad2, rad1);
    CheckDlgButton(dialog, chx2, BST_CHECKED);
    press(IDOK);
    EXPECT_EQ(1, Focused());
    press(IDCANCEL);
    EXPECT_FALSE(IsWindow(dialog));

    open();
    ASSERT_NE(parent_, dialog);
    char text[32] = {};
    GetDlgItemTextA(dialog, edt1, text, sizeof text);
    EXPECT_STREQ("t", text);
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, chx2));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, rad1));
    press(IDCANCEL);
}

// A parent that asks for Unicode notifications gets the texts converted
// from the code page, cut to the control's buffer.
LRESULT CALLBACK WideParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NOTIFY && g_list) {
        LRESULT result = 0;
        if (g_list->OnNotify(reinterpret_cast<NMHDR *>(lp), &result))
            return result;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

TEST_F(ResultsListTest, UnicodeParentGetsConvertedTexts)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WideParentProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = L"ListTestWideParent";
    RegisterClassW(&wc);
    HWND wide = CreateWindowW(L"ListTestWideParent", L"wide", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                              nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, wide);
    Recreate(*this, wide);
    Fill({{0x1A2B, true, "日本語テキスト", true}});

    wchar_t buffer[64] = {};
    LVITEMW item = {};
    item.pszText = buffer;
    item.cchTextMax = 64;
    item.iSubItem = 2;
    SendMessageW(lv_, LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(std::wstring(L"\u65e5\u672c\u8a9e\u30c6\u30ad\u30b9\u30c8"), std::wstring(buffer));
    item.iSubItem = 1;
    SendMessageW(lv_, LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(std::wstring(L"Unicode"), std::wstring(buffer));
    item.iSubItem = 0;
    item.cchTextMax = 5;
    SendMessageW(lv_, LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(std::wstring(L"0000"), std::wstring(buffer));
    EXPECT_TRUE(Checked(0));

    DestroyWindow(lv_);
    delete list_;
    list_ = nullptr;
    g_list = nullptr;
    DestroyWindow(wide);
}

// The commands of a pop-up menu; each has a caption of its own.
std::vector<UINT> MenuCommands(HMENU menu)
{
    std::vector<UINT> ids;
    std::set<std::string> captions;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR)
            continue;
        char text[64] = {};
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        EXPECT_TRUE(*text && captions.insert(text).second) << "item " << i << " \"" << text << "\"";
        ids.push_back(GetMenuItemID(menu, i));
    }
    return ids;
}

TEST_F(ResultsListTest, PopupShowsSortsWithoutSelectionAndDeleteWithOne)
{
    const std::vector<UINT> sorts = {IDM_COPY, IDM_SORTADDRESS, IDM_SORTNAME, IDM_SORTLENGTH,
                                     IDM_SORTCHECK};
    const std::vector<UINT> remove = {IDM_COPY, IDM_POPUPDELETE};
    FillNumbered(5);

    struct Step {
        const char *what;
        void (*act)(ResultsListTest &);
        bool selection;
    };
    const Step steps[] = {
        {"fresh list", [](ResultsListTest &) {}, false},
        {"one row selected", [](ResultsListTest &t) { t.Select({2}); }, true},
        {"inverted", [](ResultsListTest &t) { t.list_->InvertSelection(); }, true},
        {"select checked", [](ResultsListTest &t) { t.list_->SelectChecked(); }, true},
        {"deleted", [](ResultsListTest &t) { t.list_->DeleteSelected(); }, false},
        {"select all", [](ResultsListTest &t) { t.list_->SelectAll(); }, true},
        {"cleared by a new scan", [](ResultsListTest &t) { t.FillNumbered(3); }, false},
    };
    for (const Step &step : steps) {
        step.act(*this);
        EXPECT_EQ(step.selection, list_->HasSelection()) << step.what;
        HMENU menu = list_->CreatePopup();
        ASSERT_NE(nullptr, menu);
        EXPECT_EQ(step.selection ? remove : sorts, MenuCommands(menu)) << step.what;
        EXPECT_EQ(!step.selection, (GetMenuState(menu, IDM_COPY, MF_BYCOMMAND) & MF_GRAYED) != 0)
            << step.what;
        DestroyMenu(menu);
    }
}

} // namespace
