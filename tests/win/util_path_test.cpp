// The path exports on Japanese names, as a program of the suite calls them on
// a code-page-932 system.  Many common characters have 0x5C, the backslash,
// as their second byte (ソ 83 5C, 表 95 5C, 能 94 5C, 十 8F 5C, 予 97 5C):
// that byte belongs to its character and never separates.
#include "util/loomutil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(PathExports, TrailBytesAreNoSeparators)
{
    ASSERT_TRUE(IsDBCSLeadByte(0x83)) << "the tests need code page 932";
    struct Case {
        const char *path, *name, *ext, *dir;
    } const cases[] = {
        {"C:\\dir\\表示.txt", "表示.txt", "txt", "C:\\dir"},
        {"C:\\dir\\ソ", "ソ", "", "C:\\dir"},
        {"C:\\ソ\\x", "x", "", "C:\\ソ"},
        {"能", "能", "", "能"},
        {"十\\予", "予", "", "十"},
        {"C:\\a.b\\予定表", "予定表", "b\\予定表", "C:\\a.b"},
        {"C:\\ソフト\\", "", "", "C:\\ソフト"},
    };
    for (const Case &c : cases) {
        EXPECT_STREQ(c.name, strExtractFileName(c.path)) << c.path;
        EXPECT_STREQ(c.ext, strExtractFileExt(c.path)) << c.path;
        char dir[64];
        std::strcpy(dir, c.path);
        EXPECT_EQ(dir, strExtractFileDir(dir));
        EXPECT_STREQ(c.dir, dir) << c.path;
    }
}

TEST(PathExports, CatPathAddsTheBackslashAfterATrailByte)
{
    struct Case {
        const char *path, *component, *joined;
    } const cases[] = {
        {"C:\\ソ", "x", "C:\\ソ\\x"},
        {"C:\\表", "示", "C:\\表\\示"},
        {"C:\\ソ\\", "x", "C:\\ソ\\x"},
        {"C:\\dir", "能", "C:\\dir\\能"},
        {"", "予", "予"},
    };
    for (const Case &c : cases) {
        char buffer[64];
        std::strcpy(buffer, c.path);
        EXPECT_EQ(buffer, strCatPath(buffer, c.component));
        EXPECT_STREQ(c.joined, buffer) << c.path << " + " << c.component;
    }
}

} // namespace
