// File times, directory creation and tree deletion on real files in a
// temporary folder of the test prefix.
#include "util/loomutil.h"
#include "win_test_util.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

namespace {

using testsupport::Exists;

bool IsDirectory(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void MakeFile(const std::string &path)
{
    ASSERT_TRUE(testsupport::WriteAll(path, "data")) << path;
}

// A fresh folder below the temporary folder for each test.
class FileExports : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        ASSERT_NE(0u, GetTempPathA(sizeof temp, temp));
        root_ = std::string(temp) + "loomutil-" + std::to_string(GetCurrentProcessId()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        // Wine reuses process ids: a run that crashed may have left one.
        Clear(root_);
        ASSERT_TRUE(CreateDirectoryA(root_.c_str(), nullptr)) << root_;
    }
    void TearDown() override { Clear(root_); }

    // Removes a folder and all it holds, read-only files too.
    static void Clear(const std::string &path)
    {
        for (const std::string &name : Names(path)) {
            const std::string child = path + "\\" + name;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (IsDirectory(child))
                Clear(child);
            else
                DeleteFileA(child.c_str());
        }
        RemoveDirectoryA(path.c_str());
    }

    std::string Path(const std::string &relative) const { return root_ + "\\" + relative; }

    // The names of the entries of a folder.
    static std::set<std::string> Names(const std::string &folder)
    {
        std::set<std::string> names;
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                std::string name = entry.cFileName;
                if (name != "." && name != "..")
                    names.insert(name);
            } while (FindNextFileA(find, &entry));
            FindClose(find);
        }
        return names;
    }

    std::string root_;
};

FILETIME Time(ULONGLONG ticks)
{
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return time;
}

ULONGLONG Ticks(const FILETIME &time)
{
    return ULONGLONG(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

// Wine keeps no creation time of its own on Linux file systems (it reports
// the last write time), so the creation time is only checked for being
// passed through where the system keeps it.
TEST_F(FileExports, FileTimesAreReadAndRestored)
{
    const std::string file = Path("times.txt");
    MakeFile(file);
    FILETIME created = Time(1), accessed = Time(1), written = Time(1);
    ASSERT_EQ(1, GetFileDates(file.c_str(), &created, &accessed, &written));
    EXPECT_NE(1u, Ticks(created));
    EXPECT_NE(1u, Ticks(accessed));
    EXPECT_NE(1u, Ticks(written));

    // 2001-02-03 and two later days, whole seconds.
    const ULONGLONG day = 864000000000ull;
    const FILETIME c = Time(126257472000000000ull), a = Time(Ticks(c) + day),
                   w = Time(Ticks(c) + 2 * day);
    EXPECT_EQ(1, SetFileDates(file.c_str(), &c, &a, &w));
    FILETIME a2, w2;
    EXPECT_EQ(1, GetFileDates(file.c_str(), nullptr, &a2, &w2));
    EXPECT_EQ(Ticks(a), Ticks(a2));
    EXPECT_EQ(Ticks(w), Ticks(w2));

    // Null leaves a time as it is, and reading may skip times too.
    const FILETIME w3 = Time(Ticks(w) + day);
    EXPECT_EQ(1, SetFileDates(file.c_str(), nullptr, nullptr, &w3));
    FILETIME only;
    EXPECT_EQ(1, GetFileDates(file.c_str(), nullptr, nullptr, &only));
    EXPECT_EQ(Ticks(w3), Ticks(only));
    EXPECT_EQ(1, GetFileDates(file.c_str(), nullptr, &a2, nullptr));
    EXPECT_EQ(Ticks(a), Ticks(a2));

    // The times read at the start go back.
    EXPECT_EQ(1, SetFileDates(file.c_str(), &created, &accessed, &written));
    EXPECT_EQ(1, GetFileDates(file.c_str(), nullptr, &a2, &w2));
    EXPECT_EQ(Ticks(accessed), Ticks(a2));
    EXPECT_EQ(Ticks(written), Ticks(w2));
}

TEST_F(FileExports, MissingFileGivesMinusOne)
{
    FILETIME time = Time(126257472000000000ull);
    const std::string missing = Path("missing.txt");
    EXPECT_EQ(-1, GetFileDates(missing.c_str(), &time, &time, &time));
    EXPECT_EQ(-1, SetFileDates(missing.c_str(), &time, &time, &time));
    EXPECT_FALSE(Exists(missing));
}

TEST_F(FileExports, CreateDirectoryAtOnceMakesEveryLevel)
{
    const std::string deep = Path("a\\b\\c\\d");
    EXPECT_EQ(1, CreateDirectoryAtOnce(deep.c_str()));
    EXPECT_TRUE(IsDirectory(deep));
    EXPECT_EQ(1, CreateDirectoryAtOnce(deep.c_str()));
    EXPECT_EQ(1, CreateDirectoryAtOnce(root_.c_str()));
    const std::string trailing = Path("x\\y\\");
    EXPECT_EQ(1, CreateDirectoryAtOnce(trailing.c_str()));
    EXPECT_TRUE(IsDirectory(Path("x\\y")));
}

TEST_F(FileExports, CreateDirectoryAtOnceRefusesRelativePaths)
{
    char current[MAX_PATH];
    ASSERT_NE(0u, GetCurrentDirectoryA(sizeof current, current));
    ASSERT_TRUE(SetCurrentDirectoryA(root_.c_str()));
    EXPECT_EQ(0, CreateDirectoryAtOnce("rel\\sub"));
    EXPECT_EQ(0, CreateDirectoryAtOnce("rel"));
    EXPECT_EQ(0, CreateDirectoryAtOnce("\\rel"));
    EXPECT_FALSE(Exists(Path("rel")));
    SetCurrentDirectoryA(current);
}

TEST_F(FileExports, CreateDirectoryAtOnceFailsBelowAFile)
{
    const std::string file = Path("plain.txt");
    MakeFile(file);
    EXPECT_EQ(0, CreateDirectoryAtOnce((file + "\\sub\\deeper").c_str()));
    EXPECT_FALSE(IsDirectory(file));
    // A file of the very name is not the directory asked for.
    EXPECT_EQ(0, CreateDirectoryAtOnce(file.c_str()));
}

TEST_F(FileExports, DelTreeKeepsReadOnlyFilesAndTheirFolders)
{
    const std::string tree = Path("tree");
    ASSERT_EQ(1, CreateDirectoryAtOnce(Path("tree\\keep\\deep").c_str()));
    ASSERT_EQ(1, CreateDirectoryAtOnce(Path("tree\\gone\\deep").c_str()));
    MakeFile(Path("tree\\top.txt"));
    MakeFile(Path("tree\\gone\\deep\\x.txt"));
    MakeFile(Path("tree\\keep\\other.txt"));
    MakeFile(Path("tree\\keep\\deep\\locked.txt"));
    ASSERT_TRUE(SetFileAttributesA(Path("tree\\keep\\deep\\locked.txt").c_str(),
                                   FILE_ATTRIBUTE_READONLY));

    EXPECT_EQ(0, DelTree(tree.c_str()));
    EXPECT_TRUE(Exists(Path("tree\\keep\\deep\\locked.txt")));
    EXPECT_FALSE(Exists(Path("tree\\top.txt")));
    EXPECT_FALSE(Exists(Path("tree\\gone")));
    EXPECT_FALSE(Exists(Path("tree\\keep\\other.txt")));

    SetFileAttributesA(Path("tree\\keep\\deep\\locked.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(1, DelTree(tree.c_str()));
    EXPECT_FALSE(Exists(tree));
    EXPECT_EQ(0, DelTree(tree.c_str()));
}

// A folder link inside the tree is removed, never followed: what it points
// to stays whole.
TEST_F(FileExports, DelTreeDoesNotFollowFolderLinks)
{
    const std::string outside = Path("outside");
    ASSERT_EQ(1, CreateDirectoryAtOnce(outside.c_str()));
    MakeFile(Path("outside\\precious.txt"));
    ASSERT_EQ(1, CreateDirectoryAtOnce(Path("tree").c_str()));
    const std::string link = Path("tree\\link");
    // Looked up by name: the build targets systems older than folder links.
    using CreateLinkFn = BOOLEAN(WINAPI *)(LPCSTR, LPCSTR, DWORD);
    auto createLink = reinterpret_cast<CreateLinkFn>(reinterpret_cast<void *>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkA")));
    const DWORD kDirectoryLink = 1;
    if (!createLink || !createLink(link.c_str(), outside.c_str(), kDirectoryLink))
        GTEST_SKIP() << "no folder links here (error " << GetLastError() << ")";
    // Wine 8 reports success without making the link.
    DWORD attributes = GetFileAttributesA(link.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        GTEST_SKIP() << "folder link reported made but not there";

    EXPECT_EQ(1, DelTree(Path("tree").c_str()));
    EXPECT_FALSE(Exists(Path("tree")));
    EXPECT_TRUE(Exists(Path("outside\\precious.txt")));
}

// Japanese folder names whose characters end in 0x5C (ソ 83 5C, 能 94 5C):
// each level is made under its own name, and no stray folder appears.
TEST_F(FileExports, CreateDirectoryAtOnceWithJapaneseNames)
{
    const std::string deep = Path("ソ\\能\\表");
    EXPECT_EQ(1, CreateDirectoryAtOnce(deep.c_str()));
    EXPECT_TRUE(IsDirectory(deep));
    EXPECT_EQ(std::set<std::string>{"ソ"}, Names(root_));
    EXPECT_EQ(std::set<std::string>{"能"}, Names(Path("ソ")));
}

// Deleting the folder ソ must not touch its sibling ソフト: the search
// pattern of the folder's entries is made after the whole name.
TEST_F(FileExports, DelTreeOfAJapaneseNameKeepsItsSiblings)
{
    ASSERT_TRUE(CreateDirectoryA(Path("ソ").c_str(), nullptr));
    MakeFile(Path("ソ\\inside.txt"));
    ASSERT_TRUE(CreateDirectoryA(Path("ソフト").c_str(), nullptr));
    MakeFile(Path("ソフト\\keep.txt"));
    MakeFile(Path("ソ予定.txt"));

    EXPECT_EQ(1, DelTree(Path("ソ").c_str()));
    EXPECT_FALSE(Exists(Path("ソ")));
    EXPECT_TRUE(Exists(Path("ソフト\\keep.txt")));
    EXPECT_TRUE(Exists(Path("ソ予定.txt")));
}

// Paths that name no folder below a root are refused before anything is
// searched: the current folder (an empty path, a bare drive) and the roots
// of drives and shares.  The drive roots are tried on a drive of the test's
// own, R:, which ctest maps to an empty folder of the build tree; the
// current folder is put on it, so that even "\\" and "" name only it.
TEST_F(FileExports, DelTreeRefusesRootsAndTheCurrentFolder)
{
    const char *drive = std::getenv("LOOM_TEST_DRIVE");
    if (!drive)
        GTEST_SKIP() << "run through ctest, which maps the drive R: for this test";
    ASSERT_STREQ("R:", drive);
    ASSERT_TRUE(IsDirectory("R:\\")) << "R: is not mapped";
    ASSERT_EQ(1, CreateDirectoryAtOnce("R:\\work\\sub"));
    MakeFile("R:\\top.txt");
    MakeFile("R:\\work\\file.txt");
    MakeFile("R:\\work\\sub\\deep.txt");
    char current[MAX_PATH];
    ASSERT_NE(0u, GetCurrentDirectoryA(sizeof current, current));
    ASSERT_TRUE(SetCurrentDirectoryA("R:\\work"));

    const char *refused[] = {"", "R:", "R:\\", "R:/", "\\", "/", "R:\\.", "R:\\work\\..",
                             ".\\..", "\\\\server\\share", "\\\\server\\share\\", "\\\\server"};
    for (const char *path : refused)
        EXPECT_EQ(0, DelTree(path)) << "\"" << path << "\"";
    SetCurrentDirectoryA(current);

    EXPECT_TRUE(Exists("R:\\top.txt"));
    EXPECT_TRUE(Exists("R:\\work\\file.txt"));
    EXPECT_TRUE(Exists("R:\\work\\sub\\deep.txt"));
    // A folder below the root is deleted as ever.
    EXPECT_EQ(1, DelTree("R:\\work"));
    EXPECT_FALSE(Exists("R:\\work"));
    DeleteFileA("R:\\top.txt");
    // No path at all.
    EXPECT_EQ(0, DelTree(nullptr));
}

} // namespace
