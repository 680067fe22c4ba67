// Path texts, the directory walk and the tree deletion, against file
// systems held in memory.  Shift-JIS is written as byte escapes: ソ is
// 83 5C, 表 95 5C, 能 94 5C (second byte the backslash's code), フト 83 74
// 83 67.
#include "util/path.h"

#include <gtest/gtest.h>

#include <cstring>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace loom;

const std::string kSo = "\x83\x5C";
const std::string kHyou = "\x95\x5C";
const std::string kNou = "\x94\x5C";
const std::string kFuto = "\x83\x74\x83\x67";

// The parent of a path in memory, by the same character walk.
std::string Parent(const std::string &path)
{
    const char *slash = FindLastChar(path.c_str(), '\\', IsShiftJisLeadByte);
    return slash ? path.substr(0, static_cast<std::size_t>(slash - path.c_str())) : std::string();
}

TEST(PathText, ExtractFileNameAndExt)
{
    struct Case {
        std::string path, name, ext;
    } const cases[] = {
        {"C:\\dir\\file.txt", "file.txt", "txt"},
        {"file.tar.gz", "file.tar.gz", "gz"},
        {"noext", "noext", ""},
        {"C:\\dir\\", "", ""},
        {"\\", "", ""},
        {"", "", ""},
        {"C:\\a.b\\list", "list", "b\\list"},
        // The second byte of 表 (95 5C) belongs to its character.
        {"a" + kHyou + "z.c", "a" + kHyou + "z.c", "c"},
        {"C:\\dir\\" + kHyou + "\x8E\xA6.txt", kHyou + "\x8E\xA6.txt", "txt"},
        {"C:\\" + kHyou + "\\x.sys", "x.sys", "sys"},
        {"C:\\" + kSo, kSo, ""},
        {kNou, kNou, ""},
        // A lead byte at the very end stands alone.
        {"a\\\x81", "\x81", ""},
    };
    for (const auto &c : cases) {
        const char *path = c.path.c_str();
        EXPECT_EQ(c.name, ExtractFileName(path, IsShiftJisLeadByte)) << c.path;
        const char *ext = ExtractFileExt(path, IsShiftJisLeadByte);
        EXPECT_EQ(c.ext, ext) << c.path;
        // Both always point into the path.
        EXPECT_TRUE(ext >= path && ext <= path + c.path.size()) << c.path;
    }
    // A single-byte code page has no second bytes: 0x5C separates.
    EXPECT_STREQ("z.c", ExtractFileName("a\x95\x5Cz.c", NoLeadBytes));
}

TEST(PathText, ExtractFileDirCutsAtTheLastBackslash)
{
    struct Case {
        std::string path, dir;
    } const cases[] = {
        {"C:\\dir\\file.txt", "C:\\dir"},
        {"C:\\dir\\", "C:\\dir"},
        {"file.txt", "file.txt"},
        {"C:\\x", "C:"},
        {"C:\\dir\\" + kSo, "C:\\dir"},
        {"C:\\" + kSo + "\\x", "C:\\" + kSo},
        {kNou, kNou},
    };
    for (const auto &c : cases) {
        char buffer[64];
        std::strcpy(buffer, c.path.c_str());
        EXPECT_EQ(buffer, ExtractFileDir(buffer, IsShiftJisLeadByte));
        EXPECT_EQ(c.dir, buffer) << c.path;
    }
}

TEST(PathText, CatPathAddsOneBackslash)
{
    struct Case {
        std::string path, component, joined;
    } const cases[] = {
        {"C:\\dir", "file", "C:\\dir\\file"},
        {"C:\\dir\\", "file", "C:\\dir\\file"},
        {"", "file", "file"},
        {"C:\\dir", "", "C:\\dir\\"},
        // A path that ends in ソ does not end in a backslash.
        {"C:\\" + kSo, "x", "C:\\" + kSo + "\\x"},
        {kHyou, "x", kHyou + "\\x"},
        {"C:\\" + kSo + "\\", "x", "C:\\" + kSo + "\\x"},
    };
    for (const auto &c : cases) {
        char buffer[64];
        std::strcpy(buffer, c.path.c_str());
        EXPECT_EQ(buffer, CatPath(buffer, c.component.c_str(), IsShiftJisLeadByte));
        EXPECT_EQ(c.joined, buffer) << c.path << " + " << c.component;
        EXPECT_EQ(c.joined, JoinPath(c.path, c.component, IsShiftJisLeadByte));
    }
}

TEST(PathText, RootPaths)
{
    struct Case {
        std::string path;
        bool root;
    } const cases[] = {
        {"", true},
        {"C:", true},
        {"c:\\", true},
        {"C:/", true},
        {"C:\\\\", true},
        {"\\", true},
        {"/", true},
        {"\\\\", true},
        {"\\\\server", true},
        {"\\\\server\\share", true},
        {"//server/share/", true},
        {"\\\\?\\C:\\", true},
        {"\\\\.\\C:", true},
        {"\\\\?\\UNC\\server\\share", true},
        {"C:\\dir", false},
        {"C:dir", false},
        {"\\dir", false},
        {"dir", false},
        {".", false},  // resolved by the caller before it is judged
        {"\\\\server\\share\\dir", false},
        {"\\\\?\\C:\\dir", false},
        {"\\\\?\\UNC\\server\\share\\dir", false},
        {"C:\\" + kSo, false},
        // Names of double-byte characters count like any other.
        {"\\\\server\\share\\" + kHyou, false},
        {"\\\\server\\" + kHyou, true},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.root, IsRootPath(c.path.c_str(), IsShiftJisLeadByte)) << c.path;
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
        std::string parent = Parent(path);
        if (parent.size() == 2 || (disk->entries.count(parent) && disk->entries[parent])) {
            disk->entries[path] = true;
            return MkdirResult::Created;
        }
        return MkdirResult::PathNotFound;
    }

    int Create(const char *path) { return CreateDirectoryWalk(path, Mkdir, this, IsShiftJisLeadByte); }
};

// Every missing level is made, from the root on; an existing folder is
// success at the first try; a file in the way is failure.
TEST(CreateDirectoryWalk, MakesTheMissingLevels)
{
    using Entries = std::map<std::string, bool>;
    struct Case {
        Entries before;
        const char *path;
        int result;
        Entries after;
    } cases[] = {
        {{{"C:\\a", true}}, "C:\\a\\b\\c\\d", 1,
         {{"C:\\a", true}, {"C:\\a\\b", true}, {"C:\\a\\b\\c", true}, {"C:\\a\\b\\c\\d", true}}},
        {{}, "D:\\x\\y", 1, {{"D:\\x", true}, {"D:\\x\\y", true}}},
        {{{"C:\\a", true}}, "C:\\a", 1, {{"C:\\a", true}}},
        {{{"C:\\f", false}}, "C:\\f\\sub", 0, {{"C:\\f", false}}},
        {{{"C:\\f", false}}, "C:\\f", 0, {{"C:\\f", false}}},
    };
    for (const Case &c : cases) {
        FakeDisk disk;
        disk.entries = c.before;
        EXPECT_EQ(c.result, disk.Create(c.path)) << c.path;
        EXPECT_EQ(c.after, disk.entries) << c.path;
        if (c.before.count(c.path)) {
            EXPECT_EQ(std::vector<std::string>{c.path}, disk.attempts) << c.path;
        }
    }
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

TEST(CreateDirectoryWalk, StopsAtTheDriveWhenNothingCanBeCreated)
{
    // A drive that does not exist: every level reports a missing path.
    auto missing = [](const std::string &, void *) { return MkdirResult::PathNotFound; };
    EXPECT_EQ(0, CreateDirectoryWalk("Q:\\a\\b\\c", missing, nullptr, IsShiftJisLeadByte));
    EXPECT_EQ(0, CreateDirectoryWalk("\\\\server\\share\\dir", missing, nullptr, IsShiftJisLeadByte));
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
    EXPECT_EQ(0, CreateDirectoryWalk("C:\\a\\b\\c", vanishing, nullptr, IsShiftJisLeadByte));
    EXPECT_LT(calls, 20);
}

TEST(CreateDirectoryWalk, JapaneseLevelsAreTriedWholeOnly)
{
    FakeDisk disk;
    disk.entries["C:\\a"] = true;
    disk.entries["C:\\a\\" + kNou] = true;
    const std::string path = "C:\\a\\" + kNou + "\\x\\" + kSo;
    EXPECT_EQ(1, disk.Create(path.c_str()));
    EXPECT_TRUE(disk.entries["C:\\a\\" + kNou + "\\x\\" + kSo]);
    // Every text tried is the path or one of its folders: never a text cut
    // after the first byte of ソ or 能.
    for (const std::string &tried : disk.attempts)
        EXPECT_EQ(0u, path.compare(0, tried.size(), tried)) << tried;
    for (const std::string &tried : disk.attempts)
        EXPECT_TRUE(tried == path || path[tried.size()] == '\\') << tried;
}

// A folder tree in memory, answering like the Windows file system: a search
// pattern is a folder, a backslash and a mask ("*.*", or a beginning of a
// name followed by "*.*"); searching in a folder link lists what the link
// points to; a folder with entries cannot be removed; read-only files stay.
class FakeTree : public TreeOps {
public:
    struct Node {
        bool folder;
        bool readOnly;
        std::string target;  // a folder link's target
    };
    std::map<std::string, Node> nodes;
    std::vector<std::string> calls;  // every operation, in order

    void Folder(const std::string &path) { nodes[path] = {true, false, ""}; }
    void File(const std::string &path, bool readOnly = false) { nodes[path] = {false, readOnly, ""}; }
    void Link(const std::string &path, const std::string &target) { nodes[path] = {true, false, target}; }
    bool Has(const std::string &path) const { return nodes.count(path) != 0; }

    std::string FullPath(const std::string &path) override
    {
        calls.push_back("full " + path);
        // Relative paths start in C:\cwd; "." and ".." are resolved.
        std::string full = path.size() >= 2 && path[1] == ':' ? path : "C:\\cwd\\" + path;
        std::vector<std::string> names;
        std::size_t start = 3;
        while (start <= full.size()) {
            std::size_t end = full.find('\\', start);
            if (end == std::string::npos)
                end = full.size();
            std::string name = full.substr(start, end - start);
            if (name == "..") {
                if (!names.empty())
                    names.pop_back();
            } else if (!name.empty() && name != ".") {
                names.push_back(name);
            }
            start = end + 1;
        }
        std::string resolved = full.substr(0, 3);
        for (std::size_t k = 0; k < names.size(); ++k)
            resolved += (k ? "\\" : "") + names[k];
        return resolved;
    }
    bool IsFolderLink(const std::string &path) override
    {
        calls.push_back("link? " + path);
        auto found = nodes.find(path);
        return found != nodes.end() && !found->second.target.empty();
    }
    std::vector<Entry> List(const std::string &pattern) override
    {
        calls.push_back("list " + pattern);
        std::string folder = Parent(pattern);
        std::string mask = pattern.substr(folder.size() + 1);
        EXPECT_EQ(0u, mask.compare(mask.size() - 3, 3, "*.*")) << pattern;
        const std::string prefix = mask.substr(0, mask.size() - 3);
        auto found = nodes.find(folder);
        if (found != nodes.end() && !found->second.target.empty())
            folder = found->second.target;
        std::vector<Entry> entries;
        for (const auto &node : nodes) {
            if (Parent(node.first) != folder || node.first.size() <= folder.size())
                continue;
            std::string name = node.first.substr(folder.size() + 1);
            if (name.compare(0, prefix.size(), prefix) == 0)
                entries.push_back({name, node.second.folder, !node.second.target.empty()});
        }
        return entries;
    }
    bool RemoveFolder(const std::string &path) override
    {
        calls.push_back("rmdir " + path);
        auto found = nodes.find(path);
        if (found == nodes.end() || !found->second.folder)
            return false;
        for (const auto &node : nodes)
            if (Parent(node.first) == path)
                return false;
        nodes.erase(found);
        return true;
    }
    bool RemoveFile(const std::string &path) override
    {
        calls.push_back("del " + path);
        auto found = nodes.find(path);
        if (found == nodes.end() || found->second.folder || found->second.readOnly)
            return false;
        nodes.erase(found);
        return true;
    }
};

int Delete(FakeTree &tree, const std::string &path)
{
    return DeleteTree(path.c_str(), tree, IsShiftJisLeadByte);
}

// What is left of a tree after the deletion of one path: read-only files
// stay with their folders; the folder ソ (83 5C) is searched with
// "C:\a\ソ\*.*", not "C:\a\ソ*.*", which would match its siblings ソフト
// and ソ表.txt; a folder link (Wine makes none) is removed as a link, never
// followed, whether it is the path itself or lies inside.
TEST(DeleteTree, RemovesWhatItMayAndNothingElse)
{
    struct Node {
        std::string path;
        char kind; // 'd' folder, 'f' file, 'r' read-only file, 'l' link to C:\data
    };
    const std::vector<Node> data = {{"C:\\data", 'd'}, {"C:\\data\\precious.txt", 'f'}};
    const std::string so = "C:\\a\\" + kSo;
    struct Case {
        std::vector<Node> tree;
        std::string path;
        int result;
        std::set<std::string> left;
    } cases[] = {
        {{{"C:\\t", 'd'}, {"C:\\t\\a", 'd'}, {"C:\\t\\a\\1.txt", 'f'}, {"C:\\t\\a\\b", 'd'},
          {"C:\\t\\2.txt", 'f'}, {"C:\\other", 'd'}},
         "C:\\t", 1, {"C:\\other"}},
        {{{"C:\\other", 'd'}}, "C:\\t", 0, {"C:\\other"}}, // gone already
        {{{"C:\\t", 'd'}, {"C:\\t\\keep", 'd'}, {"C:\\t\\keep\\locked", 'r'}, {"C:\\t\\gone", 'd'},
          {"C:\\t\\gone\\f", 'f'}},
         "C:\\t", 0, {"C:\\t", "C:\\t\\keep", "C:\\t\\keep\\locked"}},
        {{{"C:\\a", 'd'}, {so, 'd'}, {so + "\\in.txt", 'f'}, {so + kFuto, 'd'},
          {so + kFuto + "\\keep.txt", 'f'}, {so + kHyou + ".txt", 'f'}},
         so, 1, {"C:\\a", so + kFuto, so + kFuto + "\\keep.txt", so + kHyou + ".txt"}},
        {{{"C:\\link", 'l'}}, "C:\\link", 1, {}},
        {{{"C:\\t", 'd'}, {"C:\\t\\inner", 'l'}, {"C:\\t\\f", 'f'}}, "C:\\t", 1, {}},
    };
    for (Case &c : cases) {
        FakeTree tree;
        c.tree.insert(c.tree.begin(), data.begin(), data.end());
        for (const Node &n : c.tree) {
            if (n.kind == 'd')
                tree.Folder(n.path);
            else if (n.kind == 'l')
                tree.Link(n.path, "C:\\data");
            else
                tree.File(n.path, n.kind == 'r');
        }
        c.left.insert({"C:\\data", "C:\\data\\precious.txt"});
        EXPECT_EQ(c.result, Delete(tree, c.path)) << c.path;
        std::set<std::string> left;
        for (const auto &node : tree.nodes)
            left.insert(node.first);
        EXPECT_EQ(c.left, left) << c.path;
    }
}

// Paths that name no folder below a root, in their text or once resolved,
// are refused before anything is searched or removed.
TEST(DeleteTree, RootsAndTheCurrentFolderAreRefused)
{
    for (const char *path : {"", "C:", "C:\\", "C:/", "\\", "/", "\\\\server\\share",
                             "\\\\server", "C:\\t\\..", "C:\\.", "..\\..", "C:\\t\\.\\..\\"}) {
        FakeTree tree;
        tree.Folder("C:\\t");
        tree.File("C:\\t\\f");
        tree.Folder("C:\\cwd");
        EXPECT_EQ(0, Delete(tree, path)) << path;
        for (const std::string &call : tree.calls)
            EXPECT_EQ(0u, call.compare(0, 5, "full ")) << path << ": " << call;
        EXPECT_TRUE(tree.Has("C:\\t\\f")) << path;
    }
    FakeTree tree;
    EXPECT_EQ(0, DeleteTree(nullptr, tree, IsShiftJisLeadByte));
    EXPECT_TRUE(tree.calls.empty());
}

} // namespace
