// The results file: both layouts, the forced ".txt", replacing a file, the
// save dialog (as tests answer it, and the real one), the error box, the
// old file kept when the new one cannot be written whole, and the scanned
// file never written over.
#include "results_fixture.h"

#include <dlgs.h>

#include "results/outputfile.h"

namespace {

using namespace listtest;

// The results file.
class SaveTest : public ResultsListTest {
protected:
    void SetUp() override
    {
        ResultsListTest::SetUp();
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof temp, temp);
        dir_ = std::string(temp) + "lexlist" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(dir_.c_str(), nullptr);
    }
    void TearDown() override
    {
        lex::OutputFile::SetSpaceForTests(lex::OutputFile::kUnlimited);
        SetFileAttributesA((dir_ + "\\out.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
        for (const char *name : {"\\out.txt", "\\out.log", "\\a.txt", "\\empty.txt", "\\a.b\\list.txt"})
            DeleteFileA((dir_ + name).c_str());
        RemoveDirectoryA((dir_ + "\\a.b").c_str());
        RemoveDirectoryA(dir_.c_str());
        ResultsListTest::TearDown();
    }
    static std::string Read(const std::string &path)
    {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return "<missing>";
        std::string data(GetFileSize(h, nullptr), '\0');
        DWORD got = 0;
        if (!data.empty())
            ReadFile(h, &data[0], static_cast<DWORD>(data.size()), &got, nullptr);
        CloseHandle(h);
        return data.substr(0, got);
    }
    static void Write(const std::string &path, const std::string &data)
    {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD put = 0;
        WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &put, nullptr);
        CloseHandle(h);
    }
    // The names in the test's folder.
    std::set<std::string> Names() const
    {
        std::set<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((dir_ + "\\*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE)
            return names;
        do {
            if (strcmp(found.cFileName, ".") != 0 && strcmp(found.cFileName, ".."))
                names.insert(found.cFileName);
        } while (FindNextFileA(find, &found));
        FindClose(find);
        return names;
    }
    // The dialog answers `name` (in the test's folder).
    void Answer(const std::string &name)
    {
        lex::ResultsList::SetSaveDialogHook([this, name](OPENFILENAMEA &ofn) -> BOOL {
            lstrcpyA(ofn.lpstrFile, (dir_ + "\\" + name).c_str());
            return TRUE;
        });
    }
    std::string dir_;
};

TEST_F(SaveTest, BothLayoutsInListOrder)
{
    Fill({{0x1A2B, false, "Hello World", false}, {0x10, true, "テスト", true}, {0x5, false, "ab", false}});
    const std::string path = dir_ + "\\a.txt";
    ASSERT_TRUE(list_->SaveTo(path, false));
    EXPECT_EQ("00001A2B\tANSI\tHello World\r\n00000010\tUnicode\tテスト\r\n00000005\tANSI\tab\r\n", Read(path));
    ASSERT_TRUE(list_->SaveTo(path, true));
    EXPECT_EQ("Hello World\r\nテスト\r\nab\r\n", Read(path));

    // In the order the list shows, here length order; the list is unchanged.
    Select({1});
    list_->SortBy(lex::SortKey::Length);
    ASSERT_TRUE(list_->SaveTo(path, true));
    EXPECT_EQ("ab\r\nテスト\r\nHello World\r\n", Read(path));
    EXPECT_EQ(std::set<int>{1}, Selected());
    EXPECT_EQ(3, Count());
    EXPECT_TRUE(boxes_.empty());

    Fill({});
    ASSERT_TRUE(list_->SaveTo(dir_ + "\\empty.txt", false));
    EXPECT_EQ("", Read(dir_ + "\\empty.txt"));
}

// The name written (the type's extension forced on the one typed) is the
// one asked about when it exists: "はい" replaces it, "いいえ" goes back
// to the dialog, where cancel writes nothing.
TEST_F(SaveTest, DialogNameGetsTheTypesExtensionAndAnExistingFileIsAskedFor)
{
    Fill({{0x1A2B, false, "Hello World", false}});
    const std::string old = "an older and much longer file content\r\n";
    const struct {
        const char *typed;
        DWORD type;
        const char *written;  // "" nothing
        int answer;           // to the question, 0 none asked
    } cases[] = {
        {"out.log", lex::ResultsList::kTextType, "out.txt", IDYES},
        {"out.log", lex::ResultsList::kTextType, "", IDNO},
        {"out.txt", lex::ResultsList::kCsvType, "out.csv", IDYES},
        {"new", lex::ResultsList::kTextType, "new.txt", 0},
        {"new", lex::ResultsList::kCsvType, "new.csv", 0},
    };
    for (const auto &c : cases) {
        for (const char *name : {"out.txt", "out.csv"})
            Write(dir_ + "\\" + name, old);
        DeleteFileA((dir_ + "\\new.txt").c_str());
        DeleteFileA((dir_ + "\\new.csv").c_str());
        int calls = 0;
        lex::ResultsList::SetSaveDialogHook([&](OPENFILENAMEA &ofn) -> BOOL {
            EXPECT_STREQ("検索結果の保存", ofn.lpstrTitle);
            EXPECT_EQ(0, memcmp(ofn.lpstrFilter, "テキストファイル\0*.txt\0CSV (UTF-8) (*.csv)\0*.csv\0\0",
                                sizeof "テキストファイル\0*.txt\0CSV (UTF-8) (*.csv)\0*.csv\0"));
            EXPECT_EQ(parent_, ofn.hwndOwner);
            lstrcpyA(ofn.lpstrFile, (dir_ + "\\" + c.typed).c_str());
            ofn.nFilterIndex = c.type;
            return ++calls == 1;  // back in the dialog, the user cancels
        });
        boxes_.clear();
        yesNo_ = c.answer;
        list_->Save(parent_, false, "");
        const std::string asked = c.answer ? dir_ + "\\" + (c.type == lex::ResultsList::kCsvType ? "out.csv" : "out.txt") : "";
        ASSERT_EQ(c.answer ? 1u : 0u, boxes_.size()) << c.typed;
        if (c.answer) {
            EXPECT_EQ(asked + " は既に存在します。\r\n上書きしますか?", boxes_[0].text);
            EXPECT_EQ(UINT(MB_YESNO), boxes_[0].type & MB_TYPEMASK);
        }
        EXPECT_EQ(c.answer == IDNO ? 2 : 1, calls) << c.typed;
        const std::string written = c.written[0] ? Read(dir_ + "\\" + c.written) : "";
        if (c.type == lex::ResultsList::kCsvType) {
            EXPECT_EQ("\xEF\xBB\xBFoffset,kind,text,checked\r\n00001A2B,ANSI,Hello World,0\r\n", written);
        } else if (c.written[0]) {
            EXPECT_EQ("00001A2B\tANSI\tHello World\r\n", written);
        }
        EXPECT_EQ("<missing>", Read(dir_ + "\\out.log"));
        if (c.answer == IDNO) {
            EXPECT_EQ(old, Read(dir_ + "\\out.txt"));
        }
    }
    yesNo_ = IDYES;

    // The next time the dialog offers the name and type chosen last.
    std::string offered;
    DWORD type = 0;
    lex::ResultsList::SetSaveDialogHook([&](OPENFILENAMEA &ofn) -> BOOL {
        offered = ofn.lpstrFile;
        type = ofn.nFilterIndex;
        return FALSE;
    });
    list_->Save(parent_, true, "");
    EXPECT_EQ(dir_ + "\\new", offered);
    EXPECT_EQ(lex::ResultsList::kCsvType, type);
    for (const char *name : {"out.csv", "new.csv"})
        DeleteFileA((dir_ + "\\" + name).c_str());

    // A folder with a dot and a file name without one.
    CreateDirectoryA((dir_ + "\\a.b").c_str(), nullptr);
    lex::ResultsList::SetSaveDialogHook([&](OPENFILENAMEA &ofn) -> BOOL {
        lstrcpyA(ofn.lpstrFile, (dir_ + "\\a.b\\list").c_str());
        ofn.nFilterIndex = lex::ResultsList::kTextType;
        return TRUE;
    });
    list_->Save(parent_, true, "");
    EXPECT_EQ("Hello World\r\n", Read(dir_ + "\\a.b\\list.txt"));

    // Cancel writes nothing.
    DeleteFileA((dir_ + "\\out.txt").c_str());
    lex::ResultsList::SetSaveDialogHook([&](OPENFILENAMEA &ofn) -> BOOL {
        lstrcpyA(ofn.lpstrFile, (dir_ + "\\out.txt").c_str());
        return FALSE;
    });
    list_->Save(parent_, true, "");
    EXPECT_EQ("<missing>", Read(dir_ + "\\out.txt"));
}

// The real save dialog, answered by a timer as a user would: it is found by
// its title, shows the name chosen last time, and takes a new name.
struct DialogUser {
    static std::string answer;    // what to type as the file name
    static std::string offered;   // the name the dialog showed
    static bool found;
    static int ticks;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        HWND dialog = FindWindowA("#32770", "検索結果の保存");
        if (!dialog) {
            // Never wait forever for a dialog that did not open as expected.
            if (++ticks > 150) {
                HWND any = FindWindowA("#32770", nullptr);
                if (any)
                    PostMessageA(any, WM_COMMAND, IDCANCEL, 0);
            }
            return;
        }
        if (found)
            return;
        found = true;
        int nameBox = GetDlgItem(dialog, cmb13) ? cmb13 : edt1;
        char name[MAX_PATH] = {};
        GetDlgItemTextA(dialog, nameBox, name, sizeof name);
        offered = name;
        SetDlgItemTextA(dialog, nameBox, answer.c_str());
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    }
    static void Run(lex::ResultsList &list, HWND owner, const std::string &name)
    {
        answer = name;
        offered.clear();
        found = false;
        ticks = 0;
        UINT_PTR timer = SetTimer(nullptr, 0, 100, &DialogUser::Tick);
        list.Save(owner, true, "");
        KillTimer(nullptr, timer);
    }
};
std::string DialogUser::answer;
std::string DialogUser::offered;
bool DialogUser::found = false;
int DialogUser::ticks = 0;

TEST_F(SaveTest, RealSaveDialog)
{
    Fill({{1, false, "from the dialog", false}});
    DialogUser::Run(*list_, parent_, dir_ + "\\out.log");
    ASSERT_TRUE(DialogUser::found);
    EXPECT_EQ("", DialogUser::offered);
    EXPECT_EQ("from the dialog\r\n", Read(dir_ + "\\out.txt"));
    EXPECT_EQ("<missing>", Read(dir_ + "\\out.log"));

    // The second time the dialog shows the name chosen before.
    DialogUser::Run(*list_, parent_, dir_ + "\\a");
    ASSERT_TRUE(DialogUser::found);
    EXPECT_NE(std::string::npos, DialogUser::offered.find("out.log")) << DialogUser::offered;
    EXPECT_EQ("from the dialog\r\n", Read(dir_ + "\\a.txt"));
    EXPECT_TRUE(boxes_.empty());
}

// A Japanese name takes two bytes a character, so a path of well under 260
// characters can be longer than 260 bytes.  The real dialog hands such a
// name over, and it is saved rather than taken for a cancel.
TEST_F(SaveTest, NameLongerThanMaxPathBytesIsSaved)
{
    Fill({{1, false, "long name", false}});
    std::string folder = dir_;
    std::string level;
    for (int i = 0; i < 40; ++i)
        level += "表";
    std::vector<std::string> made;
    for (int depth = 0; depth < 3; ++depth) {
        folder += "\\" + level;
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << GetLastError();
        made.push_back(folder);
    }
    const std::string chosen = folder + "\\結果.log";
    ASSERT_GT(chosen.size(), size_t(MAX_PATH));
    DialogUser::Run(*list_, parent_, chosen);
    ASSERT_TRUE(DialogUser::found);
    EXPECT_EQ("long name\r\n", Read(folder + "\\結果.txt"));
    EXPECT_TRUE(boxes_.empty());

    DeleteFileA((folder + "\\結果.txt").c_str());
    for (auto it = made.rbegin(); it != made.rend(); ++it)
        RemoveDirectoryA(it->c_str());
}

TEST_F(SaveTest, MissingFolderReportsTheError)
{
    Fill({{1, false, "x", false}});
    const std::string folder = dir_ + "\\missing";
    lex::ResultsList::SetSaveDialogHook([&](OPENFILENAMEA &ofn) -> BOOL {
        lstrcpyA(ofn.lpstrFile, (folder + "\\out.log").c_str());
        return TRUE;
    });
    list_->Save(parent_, false, "");
    ASSERT_EQ(1u, boxes_.size());
    EXPECT_EQ("ファイル " + folder + "\\out.txt を作成できません.", boxes_[0].text);
    EXPECT_EQ("Lexprobe", boxes_[0].caption);
    EXPECT_EQ(UINT(MB_ICONSTOP), boxes_[0].type & MB_ICONMASK);
    EXPECT_EQ(1, Count());
}

// A save that cannot be written whole (a disk that fills after 1 MiB of
// 3 MB, a file marked read-only) reports the error and leaves the old
// file as it was, with no new file beside it.
TEST_F(SaveTest, OldFileIsKeptWhenTheNewOneCannotBeWrittenWhole)
{
    std::vector<Row> rows;
    for (int i = 0; i < 30000; ++i)
        rows.push_back({static_cast<uint32_t>(i), false, std::string(90, 'a' + i % 26), false});
    Fill(rows);
    const std::string old = "an older results file of fifty-four bytes, CR LF too\r\n";
    const struct {
        const char *what;
        uint64_t space;
        DWORD attributes;
        std::string box;
    } cases[] = {
        {"disk full", 1 << 20, FILE_ATTRIBUTE_NORMAL, "ストリームへの書き込みエラー."},
        {"nothing fits", 0, FILE_ATTRIBUTE_NORMAL, "ストリームへの書き込みエラー."},
        {"read-only", lex::OutputFile::kUnlimited, FILE_ATTRIBUTE_READONLY,
         "ファイル " + dir_ + "\\out.txt を作成できません."},
    };
    Answer("out.txt");
    for (const auto &c : cases) {
        SetFileAttributesA((dir_ + "\\out.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
        Write(dir_ + "\\out.txt", old);
        SetFileAttributesA((dir_ + "\\out.txt").c_str(), c.attributes);
        lex::OutputFile::SetSpaceForTests(c.space);
        boxes_.clear();
        list_->Save(parent_, false, "");
        ASSERT_EQ(2u, boxes_.size()) << c.what << ": the question, then the error";
        EXPECT_EQ(c.box, boxes_[1].text) << c.what;
        EXPECT_EQ(old, Read(dir_ + "\\out.txt")) << c.what;
        EXPECT_EQ(std::set<std::string>{"out.txt"}, Names()) << c.what;
    }
    // With room enough the same save replaces the file.
    SetFileAttributesA((dir_ + "\\out.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    lex::OutputFile::SetSpaceForTests(lex::OutputFile::kUnlimited);
    boxes_.clear();
    list_->Save(parent_, true, "");
    EXPECT_EQ(1u, boxes_.size());
    EXPECT_EQ(30000u * 92, Read(dir_ + "\\out.txt").size());
    EXPECT_EQ(std::set<std::string>{"out.txt"}, Names());
}

// The file the rows came from is never written over, whatever name the
// dialog gives it, and even when the dialog has moved the current folder
// away from the one in which a relative name was given.
TEST_F(SaveTest, TheScannedFileIsNeverWrittenOver)
{
    Fill({{1, false, "from out.txt", false}});
    const std::string old = "the scanned file\r\n";
    char here[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof here, here);
    const struct {
        std::string source;  // as the main window names it
        const char *answer;  // the name the dialog returns
        bool relative;       // the source relative to the test's folder
    } cases[] = {
        {dir_ + "\\out.txt", "out.txt", false},
        {dir_ + "\\out.txt", "OUT.log", false},  // another case and extension
        {dir_ + "\\a.b\\..\\out.txt", "out", false},
        {"out.txt", "out.txt", true},
    };
    CreateDirectoryA((dir_ + "\\a.b").c_str(), nullptr);
    for (const auto &c : cases) {
        Write(dir_ + "\\out.txt", old);
        if (c.relative)
            SetCurrentDirectoryA(dir_.c_str());
        lex::ResultsList::SetSaveDialogHook([&](OPENFILENAMEA &ofn) -> BOOL {
            SetCurrentDirectoryA(here);  // as the real dialog may
            lstrcpyA(ofn.lpstrFile, (dir_ + "\\" + c.answer).c_str());
            return TRUE;
        });
        boxes_.clear();
        list_->Save(parent_, false, c.source);
        SetCurrentDirectoryA(here);
        ASSERT_EQ(1u, boxes_.size()) << c.source << " " << c.answer;
        EXPECT_NE(std::string::npos, boxes_[0].text.find("抽出元のファイル")) << boxes_[0].text;
        EXPECT_EQ(old, Read(dir_ + "\\out.txt")) << c.answer;
        EXPECT_EQ(1, Count());
    }
    // Another file of the folder is saved as usual.
    Answer("a.txt");
    boxes_.clear();
    list_->Save(parent_, true, dir_ + "\\out.txt");
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ("from out.txt\r\n", Read(dir_ + "\\a.txt"));
}

} // namespace
