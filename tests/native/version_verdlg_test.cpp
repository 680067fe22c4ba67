// The version dialog's texts with the library's real messages: the
// component list in full and cut short, the mail link, and the caller's
// record fields read within their widths.
#include "lib_messages.h"
#include "util/text.h"
#include "verdlg/verdlg.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using testsupport::LibText;

// Component versions by file; a file not in the map is found nowhere.
std::string FakeVersion(const char *file, void *context)
{
    auto versions = static_cast<const std::map<std::string, std::string> *>(context);
    auto found = versions->find(file);
    return found == versions->end() ? LibText(10) : found->second;
}

std::string List(const std::string &displayName, const std::map<std::string, std::string> &versions,
                 int capacity = 32767, int *result = nullptr)
{
    // Exactly `capacity` bytes, so that the sanitizer sees a write past
    // them; with no capacity, one byte that must stay as it was.
    std::vector<char> buffer(capacity > 0 ? capacity : 1, 'x');
    int r = loom::BuildComponentList(buffer.data(), capacity, displayName, LibText, FakeVersion,
                                     const_cast<std::map<std::string, std::string> *>(&versions));
    if (result)
        *result = r;
    if (capacity <= 0)
        return std::string(buffer.begin(), buffer.end());
    return buffer.data();
}

const std::map<std::string, std::string> kAllFound = {
    {"loomlib.dll", "1.0.0"},   {"comctl32.dll", "6.0"}, {"shell32.dll", "6.1"},
    {"urlmon.dll", "11.0"},     {"cabinet.dll", "5.1"},  {"uxtheme.dll", "6.0"},
};

TEST(ComponentList, LinesInOrderWithTabs)
{
    const std::string header = std::string("Loomkit 1.0\r\n") + LibText(3);
    EXPECT_EQ(header +
                  "loomlib.dll  \t1.0.0\r\n"
                  "comctl32.dll \t6.0\r\n"
                  "shell32.dll  \t6.1\r\n"
                  "urlmon.dll   \t11.0\r\n"
                  "cabinet.dll  \t5.1\r\n"
                  "uxtheme.dll  \t6.0\r\n\r\n",
              List("Loomkit 1.0", kAllFound));
}

TEST(ComponentList, MissingFilesAndVersions)
{
    struct Case {
        const char *what;
        std::vector<std::string> absent;
        std::map<std::string, std::string> changed;
        std::string expected;
    } cases[] = {
        {"optional ones found nowhere have no line",
         {"cabinet.dll", "uxtheme.dll"},
         {},
         "loomlib.dll  \t1.0.0\r\ncomctl32.dll \t6.0\r\nshell32.dll  \t6.1\r\nurlmon.dll   \t11.0"},
        {"a mandatory one found nowhere says so",
         {"comctl32.dll"},
         {},
         "loomlib.dll  \t1.0.0\r\ncomctl32.dll \t" + std::string(LibText(10)) +
             "\r\nshell32.dll  \t6.1\r\nurlmon.dll   \t11.0\r\ncabinet.dll  \t5.1\r\nuxtheme.dll  \t6.0"},
        {"the first line may go: the next one starts without a line break",
         {"loomlib.dll"},
         {},
         "loomlib.dll  \t" + std::string(LibText(10)) +
             "\r\ncomctl32.dll \t6.0\r\nshell32.dll  \t6.1\r\nurlmon.dll   \t11.0\r\ncabinet.dll  \t5.1\r\nuxtheme.dll  \t6.0"},
        {"a found file without a version",
         {},
         {{"urlmon.dll", LibText(9)}, {"uxtheme.dll", LibText(9)}},
         "loomlib.dll  \t1.0.0\r\ncomctl32.dll \t6.0\r\nshell32.dll  \t6.1\r\nurlmon.dll   \t" +
             std::string(LibText(9)) + "\r\ncabinet.dll  \t5.1\r\nuxtheme.dll  \t" + LibText(9)},
    };
    for (const Case &c : cases) {
        std::map<std::string, std::string> versions = kAllFound;
        for (const std::string &file : c.absent)
            versions.erase(file);
        for (const auto &entry : c.changed)
            versions[entry.first] = entry.second;
        EXPECT_EQ("\r\n" + std::string(LibText(3)) + c.expected + "\r\n\r\n", List("", versions))
            << c.what;
    }
}

TEST(ComponentList, StopsBeforeAPieceThatDoesNotFit)
{
    const std::string full = List("Loomkit", kAllFound);
    int result = -1;
    // Every capacity gives a prefix of the full list that ends after a
    // whole piece, and 1 only when all of it fitted.
    std::string previous;
    for (int capacity = 1; capacity <= static_cast<int>(full.size()) + 1; ++capacity) {
        std::string cut = List("Loomkit", kAllFound, capacity, &result);
        ASSERT_EQ(0u, full.compare(0, cut.size(), cut)) << capacity;
        ASSERT_LT(cut.size(), static_cast<std::size_t>(capacity));
        ASSERT_EQ(capacity == static_cast<int>(full.size()) + 1, result == 1) << capacity;
        ASSERT_GE(cut.size(), previous.size());
        previous = cut;
    }
    EXPECT_EQ("Loomkit\r\n", List("Loomkit", kAllFound, 10));
    EXPECT_EQ("Loomkit\r\n" + std::string(LibText(3)) + "loomlib.dll  \t1.0.0",
              List("Loomkit", kAllFound, 10 + int(std::string(LibText(3)).size()) + 19));
    EXPECT_EQ("x", List("Loomkit", kAllFound, 0, &result));
    EXPECT_EQ(0, result);
}

TEST(MailLink, ProductInTheSubjectTextEncodedAfterTheTemplate)
{
    const std::string product(99, 'P');
    const std::string link = loom::MailLink(LibText(21), product, "A B\r\n50% & more?");
    const std::string subject = "?subject=" + product + "の質問&body=";
    EXPECT_EQ(0u, link.find("mailto:"));
    EXPECT_NE(std::string::npos, link.find(subject)) << link;
    // The template's own escapes are single percent signs after formatting.
    EXPECT_NE(std::string::npos, link.find("%0d%0a%0d%0a%0d%0a"));
    const std::string tail = "A B%0D%0A50%25 %26 more%3F";
    ASSERT_GE(link.size(), tail.size());
    EXPECT_EQ(tail, link.substr(link.size() - tail.size()));
}

TEST(RecordFields, ReadWithinTheirWidth)
{
    struct Case {
        std::string bytes;
        std::size_t width;
        std::string text;
    } cases[] = {
        {std::string("name\0rest", 9), 9, "name"},
        {std::string(100, 'n'), 100, std::string(99, 'n')},
        {std::string(99, 'n') + '\0', 100, std::string(99, 'n')},
        {std::string("\0", 1), 1, ""},
        {std::string(50, 'v'), 50, std::string(49, 'v')},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.text, loom::FieldText(c.bytes.data(), c.width)) << c.width;
    EXPECT_EQ("Loomkit\nLexprobe  Version 1.0.0", loom::ProductLine("Lexprobe", "1.0.0"));
}

} // namespace
