// The results file's rules without a window: the ".txt" extension forced on
// its name.
#include "results/resultsfile.h"

#include <gtest/gtest.h>

namespace lex {
namespace {


TEST(ForceTxtExtension, Table)
{
    struct Case {
        const char *in, *out;
    } const cases[] = {
        {"out.log", "out.txt"},
        {"result", "result.txt"},
        {"result.csv", "result.txt"},
        {"x.txt", "x.txt"},
        {"C:\\dir\\x.txt", "C:\\dir\\x.txt"},
        {"a.b\\list", "a.b\\list.txt"},
        {"C:\\a.b\\list", "C:\\a.b\\list.txt"},
        {"C:name", "C:name.txt"},
        {"C:name.log", "C:name.txt"},
        {"x.y:name", "x.y:name.txt"},
        {"archive.tar.gz", "archive.tar.txt"},
        {"name.", "name.txt"},
        {"", ".txt"},
        // The file name a.b followed by U+8868 (0x95 0x5C): its trail byte
        // is no separator, so the dot of a.b is the file name's last dot.
        {"C:\\dir\\a.b\x95\x5C", "C:\\dir\\a.txt"},
        // A folder whose name ends in that character: its trail byte is no
        // separator either, but the real one after it is.
        {"C:\\x.\x95\x5C\\list", "C:\\x.\x95\x5C\\list.txt"},
        // U+30BD (0x83 0x5C) right before the extension.
        {"C:\\\x83\x5C.log", "C:\\\x83\x5C.txt"},
        // A lead byte at the very end has no trail byte to swallow.
        {"a.b\x95", "a.txt"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ForceTxtExtension(c.in, loom::IsShiftJisLeadByte), c.out) << c.in;
}

} // namespace
} // namespace lex
