// The portable text handling of the version resource reader, with the
// Shift-JIS lead bytes of code page 932.  Japanese text is written as
// Shift-JIS byte escapes: native literals are UTF-8.
// The record header is included so that its layout checks compile natively.
#include "version/loomver.h"
#include "version/vertext.h"
#include "util/mbcs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using loom::IsShiftJisLeadByte;

// 日本 in Shift-JIS.
const std::string kNihon = "\x93\xfa\x96\x7b";
// 表: its second byte is a backslash.
const std::string kHyou = "\x95\x5c";

TEST(SkippedUpdateFile, NamePartComparedIgnoringCase)
{
    struct Case {
        std::string path;
        bool skipped;
    } cases[] = {
        {"update.sys", true},
        {"UPDATE.SYS", true},
        {"C:\\Windows\\Temp\\Update.Sys", true},
        {"..\\setup\\loomupd.sys", true},
        {"LOOMUPD.SYS", true},
        {"update.sys.bak", false},
        {"xupdate.sys", false},
        {"update.sy", false},
        {"C:\\update.sys\\other.dll", false},
        {"", false},
        {"C:\\", false},
        // The backslash inside 表 does not separate a name part.
        {"C:\\" + kHyou + "update.sys", false},
        {"C:\\" + kHyou + "\\update.sys", true},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.skipped, vertext::IsSkippedUpdateFile(c.path.c_str(), IsShiftJisLeadByte))
            << c.path;
}

TEST(FlattenLineBreaks, LineFeedToSpaceCarriageReturnToSlash)
{
    struct Case {
        std::string in, out;
    } cases[] = {
        {"Line one\r\nLine two", "Line one/ Line two"},
        {"a\nb\nc", "a b c"},
        {"a\rb", "a/b"},
        {"\n\r", " /"},
        {"\r\n\r\n", "/ / "},
        {"no breaks", "no breaks"},
        {"", ""},
        {kNihon + "\r\n" + kNihon, kNihon + "/ " + kNihon},
        // A byte after a lead byte belongs to its character.
        {"\x81\r\n", "\x81\r "},
        {"\x81\nx\n", "\x81\nx "},
        // A lead byte right before the end stands alone.
        {"a\n\x81", "a \x81"},
    };
    for (const Case &c : cases) {
        std::vector<char> buffer(c.in.begin(), c.in.end());
        buffer.push_back('\0');
        vertext::FlattenLineBreaks(buffer.data(), IsShiftJisLeadByte);
        EXPECT_EQ(c.out, std::string(buffer.data())) << c.in;
    }
}

} // namespace
