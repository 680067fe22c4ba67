// Member names: the base name, the name that reaches the file system, and
// the extraction filter's comparison.
#include "archive/member_name.h"

#include "util/strlist.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace loom;
using namespace loom::archive;

TEST(MemberName, BaseNameStartsAfterTheLastSeparatorThatIsFollowedByAName)
{
    struct Case {
        const char *name, *base;
    } cases[] = {
        {"file.txt", "file.txt"},
        {"a\\b\\c.txt", "c.txt"},
        {"a/b/c.txt", "c.txt"},
        {"C:file.txt", "file.txt"},
        {"a/b\\c:d", "d"},
        // A separator followed by NUL or by "\" does not count.
        {"dir/", "dir/"},
        {"a/dir\\", "dir\\"},
        {"a\\\\b", "b"},
        {"a/\\", "a/\\"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_STREQ(c.base, BaseName(c.name, NoLeadBytes)) << c.name;
}

TEST(MemberName, BaseNameKeepsDoubleByteCharactersWhole)
{
    // 0x95 0x5C is one Shift-JIS character whose second byte is "\".
    const char *name = "\x95\x5C" "file.txt";
    EXPECT_STREQ(name, BaseName(name, IsShiftJisLeadByte));
    EXPECT_STREQ("file.txt", BaseName(name, NoLeadBytes));
    EXPECT_STREQ("\x95\x5C.txt", BaseName("dir\\\x95\x5C.txt", IsShiftJisLeadByte));
}

// Whatever the stored name holds, one plain name in the destination: the
// name the file system keeps (without a lead byte that has no second byte,
// anywhere, then without dots and spaces at the end), tested for a device
// after that.  Read with the Shift-JIS lead-byte rule, as a system in code
// page 932 reads them.
TEST(MemberName, SafeNameIsOnePlainNameTheFileSystemKeeps)
{
    struct Case {
        const char *stored, *written; // "" = skipped
    } cases[] = {
        {"plain.txt", "plain.txt"},
        {"sub/deeper/nested.txt", "nested.txt"},
        {"../../etc/passwd", "passwd"},
        {"..\\..\\windows\\win.ini", "win.ini"},
        {"C:\\Windows\\System32\\evil.dll", "evil.dll"},
        {"C:evil.dll", "evil.dll"},
        {"/etc/passwd", "passwd"},
        {"\\\\server\\share\\x.txt", "x.txt"},
        {"x:y:z", "z"},
        // No plain name at all: skipped.
        {"", ""},
        {".", ""},
        {"..", ""},
        {"...", ""},
        {"a/..", ""},
        {"a\\. .", ""},
        {".. ", ""},
        {"dir/", ""},
        {"dir\\", ""},
        {"a/dir/\\", ""},
        {"stream:", ""},
        // Devices are not files in the destination.
        {"CON", ""},
        {"nul.txt", ""},
        {"dir/Com1.log", ""},
        {"LPT9", ""},
        {"aux .txt", ""},
        {"console.txt", "console.txt"},
        {"com10", "com10"},
        {".profile", ".profile"},
        // What the file system drops.
        {"COM5\x81", ""},
        {"sub/nul.txt\x81", ""},
        {"aux. \x81", ""},
        {"con \x81", ""},
        {"\x81", ""},
        {". \x81", ""},
        {"readme.txt\x81", "readme.txt"},
        {"file.txt. . ", "file.txt"},
        {"a. .\x81", "a"},
        // A lead byte before a dot, a space or a separator has no second
        // byte either.
        {"COM5\x81.txt", ""},
        {"x\x81.", "x"},
        {"con \x81. ", ""},
        {"..\x81/passwd", "passwd"},
        {"dir\x81/nul", ""},
        // Whole characters stay.
        {"COM5\x81\x81", "COM5\x81\x81"},
        {"\x82\xA0\x82\xA2", "\x82\xA0\x82\xA2"},
        {"\x95\x5C\x81\x40.txt", "\x95\x5C\x81\x40.txt"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.written, SafeMemberName(c.stored, IsShiftJisLeadByte)) << c.stored;
}

TEST(MemberName, SafeNameKeepsDoubleByteCharactersWithABackslashByte)
{
    // 表 (0x95 0x5C) and ソ (0x83 0x5C) end in the byte of "\".
    EXPECT_EQ("\x95\x5C.txt", SafeMemberName("dir\\\x95\x5C.txt", IsShiftJisLeadByte));
    EXPECT_EQ("\x83\x5C", SafeMemberName("\x83\x5C", IsShiftJisLeadByte));
    // Read without the lead-byte rule, the same bytes end in a separator.
    EXPECT_EQ("", SafeMemberName("\x83\x5C", NoLeadBytes));
}

TEST(MemberName, NamesCompareIgnoringCaseOfSingleByteLettersOnly)
{
    struct Case {
        const char *a, *b;
        bool sjis, same;
    } cases[] = {
        {"ABC.txt", "abc.TXT", false, true},
        {"sub\\File", "SUB\\file", false, true},
        {"a", "ab", false, false},
        {"ab", "a", false, false},
        {"", "", false, true},
        // Full-width Ａ and ａ are different characters.
        {"\x82\x60", "\x82\x81", true, false},
        // ア (0x83 0x41) and ヂ (0x83 0x61) differ only in a byte that
        // would be a letter on its own: kept apart under Shift-JIS.
        {"\x83\x41", "\x83\x61", true, false},
        {"\x83\x41", "\x83\x61", false, true},
        {"x\x83\x41y", "X\x83\x41Y", true, true},
    };
    for (const auto &c : cases) {
        const LeadByteFn rule = c.sjis ? IsShiftJisLeadByte : NoLeadBytes;
        EXPECT_EQ(c.same, MbEqualsIgnoreCase(c.a, c.b, rule)) << c.a << " / " << c.b;
    }
}

TEST(MemberName, NameListAcceptsWholeNamesOnly)
{
    EXPECT_TRUE(NameListAccepts(nullptr, "anything", NoLeadBytes));

    StrList list;
    StrListInit(&list);
    EXPECT_FALSE(NameListAccepts(&list, "a.txt", NoLeadBytes)); // an empty list takes nothing
    StrListAdd(&list, "c.txt");
    StrListAdd(&list, "sub\\Deeper\\nested.TXT");
    EXPECT_TRUE(NameListAccepts(&list, "C.TXT", NoLeadBytes));
    EXPECT_TRUE(NameListAccepts(&list, "SUB\\deeper\\Nested.txt", NoLeadBytes));
    // No wildcards, no base-name match: the folder part must be spelt.
    EXPECT_FALSE(NameListAccepts(&list, "nested.txt", NoLeadBytes));
    EXPECT_FALSE(NameListAccepts(&list, "x\\c.txt", NoLeadBytes));
    EXPECT_FALSE(NameListAccepts(&list, "*.txt", NoLeadBytes));
    StrListDestroy(&list);
}

TEST(MemberName, EntryNamesAreCutTo259Bytes)
{
    ArchiveEntry entry{};
    const std::string longName(300, 'n');
    SetEntryName(entry.name, longName.c_str(), longName.size());
    EXPECT_EQ(std::string(259, 'n'), entry.name);
    SetEntryName(entry.name, "short", 5);
    EXPECT_STREQ("short", entry.name);
}

} // namespace
