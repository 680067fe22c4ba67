// The results file's rules without a window: the layout of its lines and
// the ".txt" extension forced on its name; the CSV file, read back by
// Python's csv module.
#include "results/csvfile.h"
#include "results/resultsfile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <vector>

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
    // The CSV type keeps its own extension by the same rule.
    EXPECT_EQ("C:\\a.b\\out.csv", ForceExtension("C:\\a.b\\out.txt", ".csv", loom::IsShiftJisLeadByte));
    EXPECT_EQ("out.csv", ForceExtension("out", ".csv", loom::IsShiftJisLeadByte));
}

// Rows of every kind, Japanese text among them, and texts that need
// quoting, written as CSV and read back by another program's CSV reader:
// the same texts in UTF-8, the header, the checked column.
TEST(CsvFile, ReadsBackWithPythonsCsvModule)
{
    struct Case {
        RowKind kind;
        const char *cp932;  // the row's text as the list holds it
        const char *utf8;   // what a reader must get back
    } const cases[] = {
        {RowKind::Ansi, "Hello World", "Hello World"},
        {RowKind::Ansi, "\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0\x8A\x4A\x82\xAF", "ファイルを開け"},
        {RowKind::Unicode, "\x90\xDD\x92\xE8, \"\x95\xDB\x91\xB6\"", "設定, \"保存\""},
        {RowKind::Utf8, "smile \\u{1F600} \\u{E9}", "smile \U0001F600 \u00E9"},
        {RowKind::Ansi, "\\u{E9} stays", "\\u{E9} stays"},  // only a UTF-8 row holds stand-ins
        {RowKind::Ansi, "two\r\nlines", "two\r\nlines"},
        {RowKind::Ansi, "\xB1\xB2\xB3", "ｱｲｳ"},  // half-width katakana
        {RowKind::Ansi, "", ""},
    };
    RowStore rows;
    for (size_t i = 0; i < std::size(cases); ++i)
        rows.Append(static_cast<uint32_t>(0x1A2B0 + i), cases[i].kind, cases[i].cp932,
                    std::strlen(cases[i].cp932), i % 2 == 1);
    const std::string csv = RowsCsv(rows);
    ASSERT_EQ(0u, csv.find("\xEF\xBB\xBF" "offset,kind,text,checked\r\n"));

    const std::string path = testing::TempDir() + "rows.csv";
    std::ofstream(path, std::ios::binary) << csv;
    // Each field as hexadecimal bytes, so that nothing is lost on the way.
    const std::string command =
        "python3 -c 'import csv,sys\n"
        "for r in csv.reader(open(sys.argv[1], encoding=\"utf-8-sig\", newline=\"\")):\n"
        "  print(\" \".join(f.encode().hex() for f in r))' " + path;
    FILE *pipe = popen(command.c_str(), "r");
    ASSERT_NE(nullptr, pipe);
    std::vector<std::string> lines;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, pipe))
        lines.emplace_back(buffer, std::strcspn(buffer, "\n"));
    ASSERT_EQ(0, pclose(pipe));
    const auto hex = [](const std::string &bytes) {
        std::string out;
        char two[3];
        for (unsigned char c : bytes) {
            std::snprintf(two, sizeof two, "%02x", c);
            out += two;
        }
        return out;
    };
    ASSERT_EQ(std::size(cases) + 1, lines.size());
    EXPECT_EQ(hex("offset") + " " + hex("kind") + " " + hex("text") + " " + hex("checked"), lines[0]);
    for (size_t i = 0; i < std::size(cases); ++i) {
        char offset[9];
        std::snprintf(offset, sizeof offset, "%08X", static_cast<unsigned>(0x1A2B0 + i));
        const std::string expected = hex(offset) + " " + hex(KindText(cases[i].kind)) + " " +
                                     hex(cases[i].utf8) + " " + hex(i % 2 ? "1" : "0");
        EXPECT_EQ(expected, lines[i + 1]) << i;
    }
    std::remove(path.c_str());
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
