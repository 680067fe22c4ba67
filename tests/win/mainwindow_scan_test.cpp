// The main window when a scan cannot run to its end: memory for the rows
// runs out, the file is too large, the file shrinks while it is read.  Each
// gives its own message and leaves the window as after a stop: the rows
// found so far listed, or those of the last scan when the file could not be
// scanned at all.
#include "mainwindow_fixture.h"

#include <string>

namespace apptest {
namespace {

// The window after a scan that did not complete: as after a stop.
void ExpectStopped(MainForm &form, HWND start, HWND fileName)
{
    EXPECT_FALSE(form.Scanning());
    EXPECT_EQ("検索開始(&I)", Text(start));
    EXPECT_TRUE(IsWindowEnabled(fileName));
    EXPECT_TRUE(IsWindowVisible(form.list().hwnd()));
    EXPECT_TRUE(SaveItemEnabled(form.hwnd()));
    EXPECT_EQ(4u, MenuBarCaptions(form.hwnd()).size());
}

// The strings of ManyStrings(n), in order.
bool RowsAreTheFirstStrings(const lex::RowStore &rows)
{
    for (size_t i = 0; i < rows.Count(); ++i) {
        const std::string expected = "string" + std::to_string(100000 + i);
        if (std::string(rows.Text(i), rows.TextLength(i)) != expected ||
            rows.Offset(i) != 15 * i)
            return false;
    }
    return true;
}

// A set of pages of rows and a chunk of text: the first 16,384 rows fit,
// the next one does not.
constexpr size_t kRowLimit = 16384 * 12 + 1024 * 1024;

TEST_F(App, MemoryRunningOutForTheRowsEndsTheScanWithTheRowsKept)
{
    MainForm &form = Start(0, kRowLimit);
    SetFileName(Write("many.bin", ManyStrings(40000)));
    Click(Item(IDC_STARTBTN));
    ASSERT_EQ(1u, boxes_.size());
    EXPECT_EQ("メモリが不足しています.", boxes_[0].text);
    EXPECT_EQ("Lexprobe", boxes_[0].caption);
    ExpectStopped(form, Item(IDC_STARTBTN), Item(IDC_FILENAME));
    EXPECT_EQ(16384u, form.list().rows().Count());
    EXPECT_TRUE(RowsAreTheFirstStrings(form.list().rows()));

    // The next scan, of a file whose rows fit, completes.
    SetFileName(Write("few.bin", ManyStrings(100)));
    Click(Item(IDC_STARTBTN));
    EXPECT_EQ(1u, boxes_.size());
    EXPECT_EQ(100u, form.list().rows().Count());
    EXPECT_TRUE(IsWindowVisible(form.list().hwnd()));
}

TEST_F(App, AFileOfFourGigabytesIsRefusedWithItsOwnMessageAndTheOldRowsStay)
{
    MainForm &form = Start();
    SetFileName(Write("small.bin", ManyStrings(10)));
    Click(Item(IDC_STARTBTN));
    ASSERT_EQ(10u, form.list().rows().Count());

    // A sparse file: the size is all that matters.
    const std::string big = dir_ + "four.bin";
    HANDLE f = CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, f);
    LARGE_INTEGER size;
    size.QuadPart = LONGLONG(1) << 32;
    ASSERT_TRUE(SetFilePointerEx(f, size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(f));
    CloseHandle(f);

    SetFileName(big);
    Click(Item(IDC_STARTBTN));
    DeleteFileA(big.c_str());
    ASSERT_EQ(1u, boxes_.size());
    EXPECT_EQ("ファイルが大きすぎます (4 GB 以上のファイルは調べられません)。調査を中断します。",
              FirstLine(boxes_[0].text));
    EXPECT_EQ("エラー", boxes_[0].caption);
    EXPECT_EQ(UINT(MB_ICONERROR), boxes_[0].type & MB_ICONMASK);
    ExpectStopped(form, Item(IDC_STARTBTN), Item(IDC_FILENAME));
    EXPECT_EQ(10u, form.list().rows().Count());
}

TEST_F(App, AFileThatShrinksDuringTheScanEndsWithTheReadErrorMessage)
{
    MainForm &form = Start();
    const std::string path = Write("shrinking.bin", ManyStrings(40000));
    SetFileName(path);
    // At the first message pump the file is cut to 300,000 bytes; the scan
    // has read its first piece (256 KiB) by then, and finds the file short
    // in the next.
    bool cut = false;
    form.SetPumpHook([&] {
        if (cut)
            return;
        cut = true;
        HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        LARGE_INTEGER at;
        at.QuadPart = 300000;
        SetFilePointerEx(f, at, nullptr, FILE_BEGIN);
        SetEndOfFile(f);
        CloseHandle(f);
    });
    Click(Item(IDC_STARTBTN));
    form.SetPumpHook(nullptr);
    ASSERT_TRUE(cut);
    ASSERT_EQ(1u, boxes_.size());
    EXPECT_EQ("ファイルを最後まで読み込めませんでした。調査を中断します。", FirstLine(boxes_[0].text));
    ExpectStopped(form, Item(IDC_STARTBTN), Item(IDC_FILENAME));
    // The rows of the first 300,000 bytes: 20,000 strings of 15 bytes.
    EXPECT_EQ(20000u, form.list().rows().Count());
    EXPECT_TRUE(RowsAreTheFirstStrings(form.list().rows()));
}

} // namespace
} // namespace apptest
