// The results file's rules without a window: the layout of its lines and
// the ".txt" extension forced on its name.
#include "results/resultsfile.h"

#include <gtest/gtest.h>

#include <memory>

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

// Each line written into a buffer of exactly its length (a write past it
// fails under AddressSanitizer): every kind, with and without the columns,
// texts around the lengths at which the copy changes its way.
TEST(ResultsLine, FillsExactlyItsLength)
{
    struct Case {
        RowKind kind;
        const char *kindText;
    } const kinds[] = {{RowKind::Ansi, "ANSI"},
                       {RowKind::Unicode, "Unicode"},
                       {RowKind::Utf8, "UTF-8"},
                       {RowKind::Resource, "Resource"}};
    for (const Case &k : kinds) {
        for (const size_t length : {0, 1, 2, 3, 4, 5, 7, 8, 63, 64, 65, 300}) {
            std::string text;
            for (size_t n = 0; n < length; ++n)
                text += static_cast<char>('a' + n % 26);
            for (const bool textOnly : {false, true}) {
                const std::string expected =
                    (textOnly ? std::string() : std::string("0012ABEF\t") + k.kindText + "\t") +
                    text + "\r\n";
                const size_t size = ResultsLineLength(k.kind, length, textOnly);
                ASSERT_EQ(expected.size(), size) << k.kindText << ' ' << length;
                std::unique_ptr<char[]> line(new char[size]);
                const char *end = PutResultsLine(line.get(), 0x0012ABEF, k.kind, text.data(), length,
                                                 textOnly);
                EXPECT_EQ(line.get() + size, end);
                EXPECT_EQ(expected, std::string(line.get(), size)) << k.kindText << ' ' << length;
            }
        }
    }
}

} // namespace
} // namespace lex
