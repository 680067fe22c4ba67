// The file argument of the program's command line, as the shell, a
// shortcut or a user writes it.  Texts are Shift-JIS bytes where they hold
// Japanese: "表" is 0x95 0x5C, its second byte a backslash.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "startup/cmdline.h"

namespace {

// Files that exist, for the rule that takes an unquoted rest whole.
const std::set<std::string> kExisting = {
    "C:\\My Files\\a b.bin",
    "C:\\x y",
};

bool Exists(const std::string &path)
{
    return kExisting.count(path) != 0;
}

TEST(CommandLineFile, FindsTheFirstArgumentAfterTheProgram)
{
    const struct {
        const char *line;
        const char *file;
        const char *what;
    } cases[] = {
        {"Lexprobe.exe", "", "no argument"},
        {"Lexprobe.exe   \t ", "", "only blanks after the program"},
        {"\"C:\\Program Files\\Lexprobe\\Lexprobe.exe\"", "", "quoted program, no argument"},
        {"Lexprobe.exe a.bin", "a.bin", "plain argument"},
        {"Lexprobe.exe\ta.bin\t", "a.bin", "tabs around it"},
        {"\"C:\\Program Files\\Lexprobe\\Lexprobe.exe\" \"C:\\My Files\\x.bin\"",
         "C:\\My Files\\x.bin", "open with: quoted program and quoted file"},
        {"\"C:\\Program Files\\Lexprobe\\Lexprobe.exe\" C:\\a.bin", "C:\\a.bin",
         "quoted program, plain file"},
        {"\"C:\\P Q\\Lexprobe.exe\"C:\\a.bin", "C:\\a.bin", "an argument right after the program's closing quote"},
        {"Lexprobe.exe \"C:\\dir\\\" b.bin", "C:\\dir\\", "a backslash before the closing quote is no escape"},
        {"Lexprobe.exe \"C:\\\x95\x5C\"", "C:\\\x95\x5C", "double-byte name ending in 0x5C before the quote"},
        {"Lexprobe.exe C:\\\x95\x5C\x8E\xA6\\a.bin", "C:\\\x95\x5C\x8E\xA6\\a.bin", "double-byte folder, unquoted"},
        {"Lexprobe.exe C:\\\"My Files\"\\x.bin", "C:\\My Files\\x.bin", "quotes in the middle group the blank"},
        {"Lexprobe.exe \"C:\\unterminated name", "C:\\unterminated name", "a missing closing quote ends at the line's end"},
        {"Lexprobe.exe \"\"", "", "an empty quoted argument names no file"},
        {"Lexprobe.exe a.bin b.bin", "a.bin", "two files: the first"},
        {"Lexprobe.exe C:\\My Files\\a b.bin", "C:\\My Files\\a b.bin", "unquoted blanks, the whole rest exists"},
        {"Lexprobe.exe C:\\My Files\\a b.bin  ", "C:\\My Files\\a b.bin", "trailing blanks are not part of the whole rest"},
        {"Lexprobe.exe C:\\My Files\\gone.bin", "C:\\My", "unquoted blanks, the rest does not exist: first word"},
        {"Lexprobe.exe \"C:\\x y\" z", "C:\\x y", "a quoted rest is never taken whole"},
        {"  Lexprobe.exe a.bin", "a.bin", "blanks before the program"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.file, lex::CommandLineFile(c.line, Exists)) << c.what << ": " << c.line;
}

TEST(CommandLineFile, WorksWithoutAnExistenceTestAndWithoutALine)
{
    EXPECT_EQ("", lex::CommandLineFile(nullptr, Exists));
    EXPECT_EQ("C:\\My", lex::CommandLineFile("p C:\\My Files\\a b.bin", nullptr));
}

} // namespace
