// Path texts and the directory walk, against a file system held in memory.
#include "util/path.h"

#include <gtest/gtest.h>

#include <cstring>

#include <map>
#include <string>
#include <vector>

namespace {

using namespace loom;

TEST(PathText, ExtractFileNameAndExt)
{
    struct Case {
        const char *path, *name, *ext;
    } cases[] = {
        {"C:\\dir\\file.txt", "file.txt", "txt"},
        {"file.tar.gz", "file.tar.gz", "gz"},
        {"noext", "noext", ""},
        {"C:\\dir\\", "", ""},
        {"", "", ""},
        // The second byte of the double-byte character 0x95 0x5C counts as a
        // backslash.
        {"a\x95\x5Cz.c", "z.c", "c"},
    };
    for (const auto &c : cases) {
        EXPECT_STREQ(c.name, ExtractFileName(c.path)) << c.path;
        const char *ext = ExtractFileExt(c.path);
        EXPECT_STREQ(c.ext, ext) << c.path;
        // The extension always points into the path.
        EXPECT_TRUE(ext >= c.path && ext <= c.path + std::strlen(c.path)) << c.path;
    }
}

TEST(PathText, ExtractFileDirCutsAtTheLastBackslash)
{
    struct Case {
        const char *path, *dir;
    } cases[] = {
        {"C:\\dir\\file.txt", "C:\\dir"},
        {"C:\\dir\\", "C:\\dir"},
        {"file.txt", "file.txt"},
        {"C:\\x", "C:"},
    };
    for (const auto &c : cases) {
        char buffer[64];
        std::strcpy(buffer, c.path);
        EXPECT_EQ(buffer, ExtractFileDir(buffer));
        EXPECT_STREQ(c.dir, buffer) << c.path;
    }
}

TEST(PathText, CatPathAddsOneBackslash)
{
    struct Case {
        const char *path, *component, *joined;
    } cases[] = {
        {"C:\\dir", "file", "C:\\dir\\file"},
        {"C:\\dir\\", "file", "C:\\dir\\file"},
        {"", "file", "file"},
        {"C:\\dir", "", "C:\\dir\\"},
        {"\x95\x5C", "x", "\x95\x5Cx"},
    };
    for (const auto &c : cases) {
        char buffer[64];
        std::strcpy(buffer, c.path);
        EXPECT_EQ(buffer, CatPath(buffer, c.component));
        EXPECT_STREQ(c.joined, buffer) << c.path << " + " << c.component;
        EXPECT_EQ(c.joined, JoinPath(c.path, c.component));
    }
}

// Directories and files in memory, answering like CreateDirectoryA: a name
// that exists gives AlreadyExists (a file in the way is the platform's
// Failed), a missing parent PathNotFound.
struct FakeDisk {
    std::map<std::string, bool> entries; // name -> is a directory
    std::vector<std::string> attempts;

    static MkdirResult Mkdir(const std::string &path, void *context)
    {
        auto disk = static_cast<FakeDisk *>(context);
        disk->attempts.push_back(path);
        auto found = disk->entries.find(path);
        if (found != disk->entries.end())
            return found->second ? MkdirResult::AlreadyExists : MkdirResult::Failed;
        std::size_t slash = path.rfind('\\');
        std::string parent = path.substr(0, slash);
        if (slash == 2 || (disk->entries.count(parent) && disk->entries[parent])) {
            disk->entries[path] = true;
            return MkdirResult::Created;
        }
        return MkdirResult::PathNotFound;
    }

    int Create(const char *path) { return CreateDirectoryWalk(path, Mkdir, this); }
};

TEST(CreateDirectoryWalk, CreatesEveryMissingLevel)
{
    FakeDisk disk;
    disk.entries["C:\\a"] = true;
    EXPECT_EQ(1, disk.Create("C:\\a\\b\\c\\d"));
    EXPECT_TRUE(disk.entries["C:\\a\\b"]);
    EXPECT_TRUE(disk.entries["C:\\a\\b\\c"]);
    EXPECT_TRUE(disk.entries["C:\\a\\b\\c\\d"]);
}

TEST(CreateDirectoryWalk, CreatesFromTheRoot)
{
    FakeDisk disk;
    EXPECT_EQ(1, disk.Create("D:\\x\\y"));
    EXPECT_TRUE(disk.entries["D:\\x"]);
    EXPECT_TRUE(disk.entries["D:\\x\\y"]);
}

TEST(CreateDirectoryWalk, ExistingDirectoryIsSuccess)
{
    FakeDisk disk;
    disk.entries["C:\\a"] = true;
    EXPECT_EQ(1, disk.Create("C:\\a"));
    EXPECT_EQ((std::vector<std::string>{"C:\\a"}), disk.attempts);
}

TEST(CreateDirectoryWalk, RelativeAndOverlongPathsTouchNothing)
{
    for (const char *path : {"a\\b", "C:a\\b", "\\a\\b", "1:\\a", "", "C:", ":\\a"}) {
        FakeDisk disk;
        EXPECT_EQ(0, disk.Create(path)) << path;
        EXPECT_TRUE(disk.attempts.empty()) << path;
    }
    FakeDisk disk;
    std::string longest = "C:\\" + std::string(kMaxDirPath - 3, 'x');
    EXPECT_EQ(1, disk.Create(longest.c_str()));
    std::string tooLong = longest + "y";
    disk.attempts.clear();
    EXPECT_EQ(0, disk.Create(tooLong.c_str()));
    EXPECT_TRUE(disk.attempts.empty());
}

TEST(CreateDirectoryWalk, FileInTheWayFails)
{
    FakeDisk disk;
    disk.entries["C:\\f"] = false;
    EXPECT_EQ(0, disk.Create("C:\\f\\sub"));
    EXPECT_EQ(0, disk.Create("C:\\f"));
    EXPECT_FALSE(disk.entries.count("C:\\f\\sub"));
}

TEST(CreateDirectoryWalk, StopsAtTheDriveWhenNothingCanBeCreated)
{
    // A drive that does not exist: every level reports a missing path.
    auto missing = [](const std::string &, void *) { return MkdirResult::PathNotFound; };
    EXPECT_EQ(0, CreateDirectoryWalk("Q:\\a\\b\\c", missing, nullptr));
    EXPECT_EQ(0, CreateDirectoryWalk("\\\\server\\share\\dir", missing, nullptr));
}

TEST(CreateDirectoryWalk, EndsWhenCreatedParentsVanish)
{
    // Parents are reported created but never appear: the walk gives up
    // instead of going round for ever.
    static int calls;
    calls = 0;
    auto vanishing = [](const std::string &path, void *) {
        ++calls;
        return path.size() > 4 ? MkdirResult::PathNotFound : MkdirResult::Created;
    };
    EXPECT_EQ(0, CreateDirectoryWalk("C:\\a\\b\\c", vanishing, nullptr));
    EXPECT_LT(calls, 20);
}

} // namespace
