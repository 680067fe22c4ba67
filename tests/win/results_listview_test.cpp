// TListViewXP: the column image flag is dropped only for image index -1 of
// the ANSI column messages; everything else reaches the control unchanged.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "results/listviewxp_win.h"

namespace {

struct StripCase {
    const char *what;
    UINT msg;
    int image;
    UINT maskIn;
    UINT maskOut;
};

const StripCase kStripCases[] = {
    {"set, no image", LVM_SETCOLUMNA, -1, LVCF_IMAGE | LVCF_TEXT | LVCF_WIDTH, LVCF_TEXT | LVCF_WIDTH},
    {"insert, no image", LVM_INSERTCOLUMNA, -1, LVCF_IMAGE | LVCF_FMT, LVCF_FMT},
    {"insert, no image, flag absent", LVM_INSERTCOLUMNA, -1, LVCF_TEXT, LVCF_TEXT},
    {"set, image 0", LVM_SETCOLUMNA, 0, LVCF_IMAGE | LVCF_TEXT, LVCF_IMAGE | LVCF_TEXT},
    {"insert, image 3", LVM_INSERTCOLUMNA, 3, LVCF_IMAGE, LVCF_IMAGE},
    {"insert, image -2", LVM_INSERTCOLUMNA, -2, LVCF_IMAGE, LVCF_IMAGE},
    {"wide set", LVM_SETCOLUMNW, -1, LVCF_IMAGE | LVCF_TEXT, LVCF_IMAGE | LVCF_TEXT},
    {"wide insert", LVM_INSERTCOLUMNW, -1, LVCF_IMAGE, LVCF_IMAGE},
    {"get column", LVM_GETCOLUMNA, -1, LVCF_IMAGE, LVCF_IMAGE},
};

TEST(ListViewXP, StripsTheImageFlagOnlyForNoImage)
{
    for (const StripCase &c : kStripCases) {
        LVCOLUMNA column = {};
        column.mask = c.maskIn;
        column.iImage = c.image;
        column.fmt = LVCFMT_RIGHT;
        column.cx = 77;
        lex::StripNoImageFlag(c.msg, reinterpret_cast<LPARAM>(&column));
        EXPECT_EQ(c.maskOut, column.mask) << c.what;
        // Every other field stays as it was.
        EXPECT_EQ(c.image, column.iImage) << c.what;
        EXPECT_EQ(LVCFMT_RIGHT, column.fmt) << c.what;
        EXPECT_EQ(77, column.cx) << c.what;
    }
}

class ListViewXPWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(lex::RegisterListViewXP(GetModuleHandleA(nullptr)));
        xp_ = Create(lex::kListViewXPClass);
        plain_ = Create(WC_LISTVIEWA);
        ASSERT_TRUE(xp_ && plain_);
    }
    void TearDown() override
    {
        DestroyWindow(xp_);
        DestroyWindow(plain_);
    }
    static HWND Create(const char *cls)
    {
        return CreateWindowExA(0, cls, "", WS_POPUP | LVS_REPORT, 0, 0, 300, 200, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }
    // Inserts a column asking for image `image` and returns the mask that
    // reached the caller's description afterwards.
    static UINT Insert(HWND lv, int index, int image)
    {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_IMAGE;
        column.pszText = const_cast<char *>("caption");
        column.cx = 50;
        column.iImage = image;
        EXPECT_EQ(index, SendMessageA(lv, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column)));
        return column.mask;
    }
    static int HeaderFormat(HWND lv, int index)
    {
        HWND header = reinterpret_cast<HWND>(SendMessageA(lv, LVM_GETHEADER, 0, 0));
        HDITEMA item = {};
        item.mask = HDI_FORMAT | HDI_IMAGE;
        SendMessageA(header, HDM_GETITEMA, index, reinterpret_cast<LPARAM>(&item));
        return item.fmt;
    }
    HWND xp_ = nullptr;
    HWND plain_ = nullptr;
};

TEST_F(ListViewXPWindow, ColumnWithoutImageReachesTheControlWithoutTheFlag)
{
    EXPECT_EQ(UINT(LVCF_TEXT | LVCF_WIDTH), Insert(xp_, 0, -1));
    EXPECT_EQ(UINT(LVCF_TEXT | LVCF_WIDTH | LVCF_IMAGE), Insert(xp_, 1, 0));
    // The plain control keeps the caller's request as it was.
    EXPECT_EQ(UINT(LVCF_TEXT | LVCF_WIDTH | LVCF_IMAGE), Insert(plain_, 0, -1));

    // Through LVM_SETCOLUMNA as well.
    LVCOLUMNA column = {};
    column.mask = LVCF_IMAGE | LVCF_WIDTH;
    column.cx = 60;
    column.iImage = -1;
    ASSERT_TRUE(SendMessageA(xp_, LVM_SETCOLUMNA, 1, reinterpret_cast<LPARAM>(&column)));
    EXPECT_EQ(UINT(LVCF_WIDTH), column.mask);

    // What the header shows: the column inserted with -1 has no image; the
    // one with image 0 has one, as has a plain list view's column with -1.
    EXPECT_FALSE(HeaderFormat(xp_, 0) & HDF_IMAGE);
    EXPECT_TRUE(HeaderFormat(xp_, 1) & HDF_IMAGE);
    EXPECT_TRUE(HeaderFormat(plain_, 0) & HDF_IMAGE);
}

TEST_F(ListViewXPWindow, WideColumnMessagesPassUnchanged)
{
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_IMAGE;
    column.pszText = const_cast<wchar_t *>(L"wide");
    column.cx = 40;
    column.iImage = -1;
    EXPECT_EQ(0, SendMessageA(xp_, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column)));
    EXPECT_EQ(UINT(LVCF_TEXT | LVCF_WIDTH | LVCF_IMAGE), column.mask);
}

} // namespace
