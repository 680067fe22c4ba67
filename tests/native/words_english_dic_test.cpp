// The English.dic that the build puts beside the programs (this test too):
// its file format, and what the marker does with it on real text and on
// the byte patterns of machine code.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "words/dictionary.h"

using lex::ExtractionSettings;
using lex::WordDictionary;

namespace {

std::string DictPath() { return lex::DictionaryBesideExecutable(); }

std::string ReadBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Fold(std::string s)
{
    for (char &c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 0x20);
    return s;
}

} // namespace

TEST(EnglishDic, LinesAreLettersInLoaderOrderWithCrLfAndNoneHoldsAnother)
{
    const std::string bytes = ReadBytes(DictPath());
    ASSERT_FALSE(bytes.empty()) << DictPath();
    ASSERT_EQ("\r\n", bytes.substr(bytes.size() - 2)) << "the last line lacks CR LF";

    std::vector<std::string> lines;
    std::set<std::string> lower; // the entries with a lower-case letter
    size_t p = 0;
    while (p < bytes.size()) {
        const size_t e = bytes.find("\r\n", p);
        ASSERT_NE(std::string::npos, e);
        lines.push_back(bytes.substr(p, e - p));
        if (Fold(lines.back()) != lines.back())
            lower.insert(lines.back());
        p = e + 2;
    }
    // Thousands of words, not a stub and not a whole spelling list.
    EXPECT_GT(lines.size(), 3000u);
    EXPECT_LT(lines.size(), 30000u);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string &w = lines[i];
        ASSERT_GE(w.size(), 3u) << "line " << i + 1 << ": \"" << w << "\"";
        for (char c : w)
            ASSERT_TRUE((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
                << "line " << i + 1 << ": \"" << w << "\"";
        if (i > 0) {
            // Case-insensitive order, equal words by bytes, no duplicates.
            const std::string a = Fold(lines[i - 1]), b = Fold(w);
            EXPECT_TRUE(a < b || (a == b && lines[i - 1] < w))
                << "out of order: \"" << lines[i - 1] << "\" before \"" << w << "\"";
        }
        // No entry holds a shorter lower-case entry: that one marks it.
        std::string f = w;
        for (char &c : f)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 0x20 : c);
        for (size_t n = 3; n <= f.size(); ++n)
            for (size_t k = 0; k + n <= f.size(); ++k) {
                const std::string part = f.substr(k, n);
                EXPECT_TRUE(part == w || !lower.count(part)) << "\"" << w << "\" holds \"" << part << "\"";
            }
    }
}

TEST(EnglishDic, LoadsIntoBlocksInByteOrder)
{
    WordDictionary dict;
    ASSERT_TRUE(lex::LoadDictionaryFile(DictPath().c_str(), dict)) << DictPath();
    // Every entry begins with a letter, so the blocks cover the list; the
    // platform's collation agrees with the byte order on letters, so every
    // block is searched by bisection.
    EXPECT_EQ(0u, dict.BlockBegin(1));
    EXPECT_EQ(dict.size(), dict.BlockEnd(26));
    for (int k = 1; k <= 26; ++k)
        EXPECT_TRUE(dict.BlockSortedBytewise(k)) << "block " << char('A' + k - 1);
}

TEST(EnglishDic, ChecksTextAndLeavesMachineCodeAlone)
{
    WordDictionary dict;
    ASSERT_TRUE(lex::LoadDictionaryFile(DictPath().c_str(), dict)) << DictPath();
    struct {
        const char *text;
        bool checked, checkedWithInitial;
    } cases[] = {
        // Program messages, including ones made of short words only.
        {" is not set.", true, true},
        {"Invalid argument", true, true},
        {"Permission denied", true, true},
        {"cannot open file %s", true, true},
        {"usage: %s [options] FILE", true, true},
        {"The colour of the window", true, true},
        {"GetProcAddress", true, true},
        {"GCC: (GNU) 12-win32", true, true},
        // Initialisms: found in any case, passed over with CheckInitial.
        {"ASCII", true, false},
        {"unix", true, false},
        // Register pushes and pops of x86 function prologues and epilogues.
        {"AWAVAUATUSH", false, false},
        {"AVAUATUSH", false, false},
        {"AUATUSH", false, false},
        {"ATUSH", false, false},
        {"AWAVATSH", false, false},
        {"AWAVAUATSH", false, false},
        {"AVATUSH", false, false},
        {"AWAVSH", false, false},
        {"ATUWVSH", false, false},
        {"APAQAR", false, false},
        {"[]A\\A]A^A_", false, false},
        {"UWVS1", false, false},
        {"WVSQ", false, false},
        {"t$HH", false, false},
        {"D$0H", false, false},
    };
    for (const auto &c : cases) {
        for (bool initial : {false, true}) {
            ExtractionSettings settings;
            settings.CheckInitial = initial;
            lex::EnglishWordMarker marker(dict, settings);
            const std::string text = c.text;
            EXPECT_EQ(initial ? c.checkedWithInitial : c.checked,
                      marker.ContainsWord(text.data(), text.size()))
                << "\"" << text << "\" CheckInitial " << initial;
        }
    }
}
