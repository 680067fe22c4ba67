// String list, text filters and size formatting through the DLL, under the
// ANSI code page 932 of the test prefix.
#include "strlist_items.h"
#include "win_test_util.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(StrListExports, Lifecycle)
{
    StrList list;
    EXPECT_EQ(1, StrList_New(&list));
    EXPECT_EQ(0, StrList_Count(&list));
    EXPECT_STREQ("", StrList_Item(&list, 1));
    EXPECT_EQ(nullptr, StrList_Item(&list, 0));
    EXPECT_EQ(0, StrList_Sort(&list));
    EXPECT_EQ(0, StrList_SortAndDelDup(&list));

    EXPECT_EQ(1, StrList_Add(&list, "only"));
    EXPECT_EQ(1, StrList_Sort(&list));
    EXPECT_EQ(std::vector<std::string>{"only"}, Items(&list));
    EXPECT_EQ(1, StrList_Delete(&list, 1));
    EXPECT_EQ(0, StrList_Delete(&list, 1));

    for (const char *text : {"x", "y", "z"})
        StrList_Add(&list, text);
    EXPECT_EQ(0, StrList_Delete(&list, 0));
    EXPECT_EQ(0, StrList_Delete(&list, 4));
    EXPECT_EQ(1, StrList_Destroy(&list));
    EXPECT_EQ(0, StrList_Count(&list));
    StrList_Add(&list, "again");
    EXPECT_EQ(std::vector<std::string>{"again"}, Items(&list));
    StrList_Destroy(&list);
}

TEST(StrListExports, SortsByCharactersOfTheAnsiCodePage)
{
    StrList list;
    StrList_New(&list);
    // Half-width katakana (one byte, 0xB1) sorts before the double-byte あ
    // (0x82 0xA0) as characters, although not as bytes.
    for (const char *text : {"b", "あ", "a", "ｱ", "B", "a", "あ"})
        StrList_Add(&list, text);
    const char *firstB = StrList_Item(&list, 1);
    EXPECT_EQ(1, StrList_Sort(&list));
    EXPECT_EQ((std::vector<std::string>{"B", "a", "a", "b", "ｱ", "あ", "あ"}), Items(&list));
    EXPECT_STREQ("b", firstB);
    EXPECT_EQ(firstB, StrList_Item(&list, 4));
    EXPECT_EQ(1, StrList_SortAndDelDup(&list));
    EXPECT_EQ((std::vector<std::string>{"B", "a", "b", "ｱ", "あ"}), Items(&list));
    StrList_Destroy(&list);
}

TEST(StrListExports, HeadLayoutIsTwoPointers)
{
    StrList list;
    StrList_New(&list);
    StrList_Add(&list, "one");
    StrList_Add(&list, "two");
    ASSERT_NE(nullptr, list.first);
    EXPECT_STREQ("one", list.first->text);
    EXPECT_STREQ("two", list.first->next->text);
    EXPECT_EQ(nullptr, list.first->next->next);
    EXPECT_EQ(2 * sizeof(void *), sizeof list);
    StrList_Destroy(&list);
    EXPECT_EQ(nullptr, list.first);
}

std::string Filtered(char *(__cdecl *filter)(char *), const std::string &text, std::size_t room)
{
    std::vector<char> buffer(room);
    std::copy(text.begin(), text.end(), buffer.begin());
    EXPECT_EQ(buffer.data(), filter(buffer.data()));
    return buffer.data();
}

TEST(TextExports, Filters)
{
    auto url = [](const std::string &s) { return Filtered(szURLEncode, s, 3 * s.size() + 1); };
    auto tab = [](const std::string &s) { return Filtered(szDeleteRetTab, s, s.size() + 1); };
    auto ctrl = [](const std::string &s) { return Filtered(szDeleteRetTabCtrl, s, s.size() + 1); };
    EXPECT_EQ("A B%0D%0A", url("A B\r\n"));
    EXPECT_EQ("%25", url("%"));
    EXPECT_EQ("あ%A0", url("あ\xA0"));
    EXPECT_EQ("%B1", url("ｱ"));
    EXPECT_EQ("表 示 ", tab("表\t示\n"));
    EXPECT_EQ("ab", ctrl("a@b"));
    EXPECT_EQ("ab", ctrl("a\\0b"));
    EXPECT_EQ("a n", ctrl("a\\n"));
    EXPECT_EQ("表 ", ctrl("表\\"));
}

// The sizes' arithmetic is the portable core's; here the library's unit
// names, both halves of the size and the longest text in the caller's
// 13 bytes.
TEST(TextExports, FormatFileSizeUsesTheLibraryUnitNames)
{
    const unsigned long long KB = 1024, MB = KB * KB, GB = MB * KB, TB = GB * KB;
    struct Case {
        unsigned long long bytes;
        const char *number;
        unsigned unit; // the library's message
    } cases[] = {
        {0, "0", 46},         {12, "12.0", 46},        {1536, "1.50", 47},  {MB, "1.00", 48},
        {4 * GB + 5, "4.00", 49}, {5000 * TB, "5000", 50}, {~0ull, "16777215", 50},
    };
    for (const auto &c : cases) {
        char out[13];
        std::fill(out, out + sizeof out, '#');
        EXPECT_EQ(out, FormatFileSize(static_cast<DWORD>(c.bytes),
                                      static_cast<DWORD>(c.bytes >> 32), out));
        EXPECT_EQ(c.number + testsupport::LibMessage(c.unit), out) << c.bytes;
    }
}

TEST(PathExports, SplitAndJoin)
{
    const char *path = "C:\\dir.d\\name.tar.gz";
    EXPECT_EQ(path + 9, strExtractFileName(path));
    EXPECT_STREQ("gz", strExtractFileExt(path));
    EXPECT_STREQ("", strExtractFileExt("C:\\noext"));
    char dir[32] = "bare.txt";
    EXPECT_STREQ("bare.txt", strExtractFileDir(dir));
    char joined[32] = "C:\\dir\\";
    EXPECT_STREQ("C:\\dir\\file", strCatPath(joined, "file"));
}

} // namespace
