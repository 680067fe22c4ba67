// The string list's rules: numbering, deletion, the pointer-exchanging sort
// under Shift-JIS and duplicate removal.
#include "strlist_items.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace loom;

// A list that cleans up after itself; ASan reports anything left behind.
struct List {
    StrList head;
    List() { StrListInit(&head); }
    explicit List(const std::vector<std::string> &items) : List()
    {
        for (const auto &item : items)
            EXPECT_EQ(1, StrListAdd(&head, item.c_str()));
    }
    ~List() { StrListDestroy(&head); }
    std::vector<std::string> Items() const { return ::Items(head); }
};

TEST(StrList, FreshListIsEmpty)
{
    List list;
    EXPECT_EQ(0, StrListCount(&list.head));
    EXPECT_STREQ("", StrListItem(&list.head, 1));
    EXPECT_EQ(nullptr, StrListItem(&list.head, 0));
    EXPECT_EQ(nullptr, StrListItem(&list.head, -3));
}

TEST(StrList, ItemsAreNumberedFromOneAndCopied)
{
    std::string text = "first";
    List list;
    StrListAdd(&list.head, text.c_str());
    StrListAdd(&list.head, "");
    StrListAdd(&list.head, "third");
    text[0] = 'X';
    EXPECT_EQ((std::vector<std::string>{"first", "", "third"}), list.Items());
    EXPECT_STREQ("", StrListItem(&list.head, 4));
    EXPECT_NE(nullptr, StrListItem(&list.head, 1000));
}

TEST(StrList, ItemZeroIsTheHeadText)
{
    char own[] = "caller's";
    List list({"a"});
    list.head.text = own;
    EXPECT_EQ(own, StrListItem(&list.head, 0));
}

TEST(StrList, DeleteFollowsTheIndexRules)
{
    struct Case {
        std::vector<std::string> items;
        int index;
        int result;
        std::vector<std::string> left;
    } cases[] = {
        {{"only"}, 1, 1, {}},
        {{}, 1, 0, {}},
        {{"a", "b", "c"}, 0, 0, {"a", "b", "c"}},
        {{"a", "b", "c"}, -1, 0, {"a", "b", "c"}},
        {{"a", "b", "c"}, 4, 0, {"a", "b", "c"}},
        {{"a", "b", "c"}, 5, 0, {"a", "b", "c"}},
        {{"a", "b", "c"}, 1, 1, {"b", "c"}},
        {{"a", "b", "c"}, 2, 1, {"a", "c"}},
        {{"a", "b", "c"}, 3, 1, {"a", "b"}},
    };
    for (const auto &c : cases) {
        List list(c.items);
        EXPECT_EQ(c.result, StrListDelete(&list.head, c.index)) << "index " << c.index;
        EXPECT_EQ(c.left, list.Items()) << "index " << c.index;
    }
}

TEST(StrList, DestroyLeavesAUsableHead)
{
    List list({"a", "b", "c"});
    char own[] = "kept";
    list.head.text = own;
    EXPECT_EQ(1, StrListDestroy(&list.head));
    EXPECT_EQ(nullptr, list.head.first);
    EXPECT_EQ(own, list.head.text);
    StrListAdd(&list.head, "new");
    EXPECT_EQ((std::vector<std::string>{"new"}), list.Items());
}

// Fails the nth allocation counted from the last reset.
int g_allocations;
int g_failAt;
void *CountingAlloc(std::size_t size)
{
    return ++g_allocations == g_failAt ? nullptr : std::malloc(size);
}

TEST(StrList, AddWithoutMemoryLeavesTheListUnchanged)
{
    for (int failAt : {1, 2}) {
        List list({"a", "b"});
        g_allocations = 0;
        g_failAt = failAt;
        EXPECT_EQ(0, StrListAdd(&list.head, "c", CountingAlloc)) << "failing allocation " << failAt;
        EXPECT_EQ((std::vector<std::string>{"a", "b"}), list.Items());
        g_allocations = 0;
        g_failAt = 0;
        EXPECT_EQ(1, StrListAdd(&list.head, "d", CountingAlloc));
        EXPECT_EQ((std::vector<std::string>{"a", "b", "d"}), list.Items());
    }
}

TEST(StrList, AddAllAppendsInOrderAndKeepsWhatFitWhenMemoryRunsOut)
{
    const char *texts[] = {"x", "", "y", "z"};
    List list({"a"});
    EXPECT_EQ(1, StrListAddAll(&list.head, texts, 4));
    EXPECT_EQ((std::vector<std::string>{"a", "x", "", "y", "z"}), list.Items());
    EXPECT_EQ(1, StrListAddAll(&list.head, texts, 0));
    EXPECT_EQ(5, StrListCount(&list.head));
    // Two allocations per text: the fifth is the node of the third text.
    List partial;
    g_allocations = 0;
    g_failAt = 5;
    EXPECT_EQ(0, StrListAddAll(&partial.head, texts, 4, CountingAlloc));
    EXPECT_EQ((std::vector<std::string>{"x", ""}), partial.Items());
    g_failAt = 0;
}

// Byte order under Shift-JIS, with and without duplicates, for texts of
// any length; an empty list is no success.
TEST(StrList, SortOrders)
{
    const std::string longItem(1000, 'q'), longer = longItem + "r";
    struct Case {
        std::vector<std::string> items;
        std::vector<std::string> sorted;
        std::vector<std::string> unique;
    } cases[] = {
        {{"b", "a", "B", "a"}, {"B", "a", "a", "b"}, {"B", "a", "b"}},
        {{"one"}, {"one"}, {"one"}},
        {{"", "x", "", ""}, {"", "", "", "x"}, {"", "x"}},
        {{"\x82\xA0", "\xB1", "A"}, {"A", "\xB1", "\x82\xA0"}, {"A", "\xB1", "\x82\xA0"}},
        {{"c", "c", "c"}, {"c", "c", "c"}, {"c"}},
        {{"z", "y", "x", "w", "x", "z"}, {"w", "x", "x", "y", "z", "z"}, {"w", "x", "y", "z"}},
        {{longer, longItem, longItem, longer}, {longItem, longItem, longer, longer}, {longItem, longer}},
        {{}, {}, {}},
    };
    for (const auto &c : cases) {
        const int result = c.items.empty() ? 0 : 1;
        List list(c.items);
        EXPECT_EQ(result, StrListSort(&list.head, IsShiftJisLeadByte));
        EXPECT_EQ(c.sorted, list.Items());
        List dedup(c.items);
        EXPECT_EQ(result, StrListSortAndDelDup(&dedup.head, IsShiftJisLeadByte));
        EXPECT_EQ(c.unique, dedup.Items());
    }
}

TEST(StrList, SortMovesPointersNotTexts)
{
    List list({"b", "a"});
    const char *b = StrListItem(&list.head, 1);
    const StrListNode *firstNode = list.head.first;
    StrListSort(&list.head, IsShiftJisLeadByte);
    EXPECT_STREQ("b", b);
    EXPECT_EQ(b, StrListItem(&list.head, 2));
    EXPECT_STREQ("a", StrListItem(&list.head, 1));
    EXPECT_EQ(firstNode, list.head.first);
}

} // namespace
