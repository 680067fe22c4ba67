// Files that reach the main window from outside: dropped on it (a real
// WM_DROPFILES with the block the shell builds) or named on the command
// line.
#include "mainwindow_fixture.h"

#include <shlobj.h>

namespace {

using namespace apptest;

// The drop block as the shell builds it: a DROPFILES header, then the
// names one after another, each ending in a zero, and one more zero.
template <class Char>
HGLOBAL MakeDrop(const std::vector<std::basic_string<Char>> &names)
{
    size_t chars = 1;
    for (const auto &n : names)
        chars += n.size() + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars * sizeof(Char));
    auto *header = static_cast<DROPFILES *>(GlobalLock(block));
    header->pFiles = sizeof(DROPFILES);
    header->pt.x = 20;
    header->pt.y = 20;
    header->fWide = sizeof(Char) == 2;
    Char *p = reinterpret_cast<Char *>(header + 1);
    for (const auto &n : names) {
        std::copy(n.begin(), n.end(), p);
        p += n.size() + 1;
    }
    GlobalUnlock(block);
    return block;
}

std::wstring Wide(const std::string &ansi)
{
    std::wstring w(ansi.size() + 1, L'\0');
    int n = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, &w[0], static_cast<int>(w.size()));
    w.resize(n > 0 ? static_cast<size_t>(n - 1) : 0);
    return w;
}

class Files : public App {
protected:
    // Posts the drop to the main window, as the shell does, and lets the
    // window handle it.
    template <class Char>
    void Drop(const std::vector<std::basic_string<Char>> &names)
    {
        ASSERT_TRUE(PostMessageA(Main(), WM_DROPFILES,
                                 reinterpret_cast<WPARAM>(MakeDrop(names)), 0));
        Pump();
    }

    std::string FileNameText() { return Text(Item(IDC_FILENAME)); }
    bool Completed() { return IsWindowVisible(Item(IDC_LISTVIEW)) && !form_->Scanning(); }
};

// "ファイル 表.bin": a blank, and 表 (0x95 0x5C) whose second byte is "\".
const char kJapaneseName[] = "ファイル 表.bin";
const std::string kWords("\0\0Hello World\0\0\0secondstr\0", 30);

TEST_F(Files, DroppedFileGoesIntoTheFileNameBox)
{
    Start();
    std::string japanese = Write(kJapaneseName, kWords);
    std::string plain = Write("plain.bin", "abc");
    std::string folder = dir_ + "a folder";
    CreateDirectoryA(folder.c_str(), nullptr);

    const struct {
        std::vector<std::string> names;
        bool wide;             // names in UTF-16, as the shell of NT sends them
        const char *expected;  // null: the box keeps its text
        const char *what;
    } cases[] = {
        {{japanese}, false, japanese.c_str(), "one Japanese name with a blank, ANSI"},
        {{japanese}, true, japanese.c_str(), "the same name in UTF-16"},
        {{plain, japanese}, false, plain.c_str(), "two files: the first"},
        {{folder, plain}, true, plain.c_str(), "a folder is passed over"},
        {{folder}, false, nullptr, "a folder alone changes nothing"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        SetFileName("before");
        if (c.wide) {
            std::vector<std::wstring> wide;
            for (const auto &n : c.names)
                wide.push_back(Wide(n));
            Drop(wide);
        } else {
            Drop(c.names);
        }
        EXPECT_EQ(c.expected ? std::string(c.expected) : "before", FileNameText());
    }
}

TEST_F(Files, DropEnablesStartButDoesNotScan)
{
    Start();
    std::string file = Write("drop.bin", kWords);
    ASSERT_FALSE(IsWindowEnabled(Item(IDC_STARTBTN)));
    Drop(std::vector<std::string>{file});
    EXPECT_EQ(file, FileNameText());
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_STARTBTN)));
    EXPECT_FALSE(IsWindowVisible(Item(IDC_LISTVIEW)));
    EXPECT_EQ(0u, form_->list().rows().Count());
}

// The scan's inputs are locked while it runs: a drop or a file from a
// second start changes nothing and starts nothing.
TEST_F(Files, FilesArrivingDuringAScanAreIgnored)
{
    std::string big = Write("big.bin", ManyStrings(100000));
    std::string other = Write("other.bin", kWords);
    Start();
    SetFileName(big);
    int pumps = 0;
    form_->SetPumpHook([&] {
        if (++pumps != 2)
            return;
        Drop(std::vector<std::string>{other});
        form_->OpenFile(other, true);
        Pump();
        EXPECT_EQ(big, FileNameText());
    });
    Click(Item(IDC_STARTBTN));
    form_->SetPumpHook(nullptr);
    Pump();
    EXPECT_GE(pumps, 2);
    EXPECT_EQ(big, FileNameText());
    EXPECT_TRUE(IsWindowVisible(Item(IDC_LISTVIEW)));
    EXPECT_EQ(100000u, form_->list().rows().Count());
    EXPECT_TRUE(boxes_.empty());
}

// ---- Command line ----------------------------------------------------------

TEST_F(Files, CommandLineFileIsScannedOnceTheLoopRuns)
{
    Start();
    std::string file = Write(kJapaneseName, kWords);
    form_->OpenFile(file, true);
    EXPECT_EQ(file, FileNameText());
    EXPECT_FALSE(form_->Scanning());  // not inside the call: from the message loop
    EXPECT_EQ(0u, form_->list().rows().Count());
    Pump();
    EXPECT_TRUE(Completed());
    ASSERT_EQ(2u, form_->list().rows().Count());
    EXPECT_TRUE(form_->list().rows().Checked(0));  // "Hello World": the dictionary was used
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(Files, CommandLineFileThatCannotBeOpenedIsReported)
{
    Start();
    form_->OpenFile(dir_ + "no such file.bin", true);
    Pump();
    ASSERT_EQ(1u, boxes_.size());
    EXPECT_EQ("ファイルが開けません。調査を中断します。", FirstLine(boxes_[0].text));
    EXPECT_EQ("エラー", boxes_[0].caption);
    EXPECT_FALSE(IsWindowVisible(Item(IDC_LISTVIEW)));
    EXPECT_EQ("検索開始(&I)", Text(Item(IDC_STARTBTN)));
}

} // namespace
