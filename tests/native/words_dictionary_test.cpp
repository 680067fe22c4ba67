// The word dictionary (loading, order, block index) and the English-word
// marker.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "words/dictionary.h"
#include "scan_reference.h"

using lex::ExtractionSettings;
using lex::WordDictionary;

namespace {

WordDictionary Dict(const std::string &text)
{
    WordDictionary d;
    d.Load(text.data(), text.size());
    return d;
}

std::vector<std::string> Entries(const WordDictionary &d)
{
    std::vector<std::string> out;
    for (size_t i = 0; i < d.size(); ++i)
        out.push_back(d.entry(i));
    return out;
}

} // namespace

TEST(DictionaryLoad, SplitsLinesAndSkipsEmptyOnes)
{
    struct {
        const char *what;
        std::string text;
        std::vector<std::string> entries;
    } cases[] = {
        {"CR LF", "beta\r\nalpha\r\n", {"alpha", "beta"}},
        {"LF and CR mixed, no final line end", "beta\ralpha\ngamma", {"alpha", "beta", "gamma"}},
        {"empty lines are dropped", "\r\n\r\nbeta\n\n\nalpha\r\r\n", {"alpha", "beta"}},
        {"a zero byte ends the file", std::string("beta\nal\0pha\nzeta\n", 17), {"al", "beta"}},
        {"spaces belong to the entry", "ice cream\n", {"ice cream"}},
        {"empty file", "", {}},
        {"case variants: capitals first", "nasa\nNASA\nNasa\nmoon\n", {"moon", "NASA", "Nasa", "nasa"}},
        // Collation keys longer than words' are ordered the same way.
        {"long entries ignore case too", "B" + std::string(299, 'a') + "b\nb" + std::string(300, 'a') + "\n",
         {"b" + std::string(300, 'a'), "B" + std::string(299, 'a') + "b"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.entries, Entries(Dict(c.text))) << c.what;
}

TEST(DictionaryLoad, BlocksHoldEachLetterWhateverElseTheFileHolds)
{
    // An empty line, digits and punctuation in front of the words must not
    // hide the letters' blocks.
    const WordDictionary d = Dict("\r\nzebra\r\n1st\r\nApple\r\n'tis\r\nbanana\r\nant\r\n\r\n");
    EXPECT_EQ(2u, d.BlockEnd(1) - d.BlockBegin(1));
    EXPECT_EQ("ant", d.entry(d.BlockBegin(1)));
    EXPECT_EQ("Apple", d.entry(d.BlockBegin(1) + 1));
    EXPECT_EQ("banana", d.entry(d.BlockBegin(2)));
    for (int k = 3; k <= 25; ++k)
        EXPECT_EQ(d.BlockBegin(k), d.BlockEnd(k)) << k;
    EXPECT_EQ("zebra", d.entry(d.BlockBegin(26)));
    EXPECT_EQ(d.size(), d.BlockEnd(26));
    // Blocks never overlap the entries that begin with other bytes.
    for (int k = 1; k <= 26; ++k)
        for (size_t j = d.BlockBegin(k); j < d.BlockEnd(k); ++j)
            EXPECT_EQ('A' + k - 1, lexref::Up(d.entry(j)[0]));

    ExtractionSettings st;
    lex::EnglishWordMarker marker(d, st);
    const std::string text = "xxbananaxx";
    EXPECT_TRUE(marker.ContainsWord(text.data(), text.size()));
}

struct MarkerCase {
    const char *what;
    std::string dict;
    std::string text;
    bool separator;
    bool initial;
    bool found;
};

TEST(EnglishWordMarker, FindsWordsByTheLookupRules)
{
    const MarkerCase cases[] = {
        {"no letters", "hello\n", "12 34 !?", true, false, false},
        {"a word inside a longer run", "hello\n", "xxhelloxx", true, false, true},
        {"capitals match lower-case entries", "hello\n", "HELLO", true, false, true},
        {"lower case matches capitalised entries", "Hello\n", "hello", true, false, true},
        {"too short", "hello\n", "hell", true, false, false},
        {"initialism matches without CheckInitial", "NASA\n", "nasa", true, false, true},
        {"initialism never matches with CheckInitial", "NASA\n", "NASA", true, true, false},
        {"lower-case variant of an initialism still counts", "NASA\nnasa\n", "NASA", true, true,
         true},
        {"separator: lower word joined to capitalised word", "loworld\n", "helloWorld", true,
         false, false},
        {"no separator: joined run looked up whole", "loworld\n", "helloWorld", false, false,
         true},
        {"separator: capitalised word found from its capital", "world\n", "helloWorld", true,
         false, true},
        {"separator: capitals then lower case are not split", "mlpa\n", "HTMLparser", true, false,
         true},
        {"a capital after a digit starts a new word", "x9able\n", "x9Able", true, false, false},
        {"without separator the digit joins", "x9able\n", "x9Able", false, false, true},
        {"digits and spaces do not end the word", "ice cream\n", "xice creamx", true, false,
         true},
        {"an apostrophe does not end the word", "don't\n", "I don't", true, false, true},
        {"an underscore ends the word", "ice_cream\n", "ice_cream", true, false, false},
        {"a byte from 0x80 ends the word", "abcd\n", "ab\xB1" "cd", true, false, false},
        {"one-letter entries never match", "a\nI\n", "a I a", true, false, false},
        {"a text of one letter is never looked up", "ab\n", "a", true, false, false},
        {"two-letter entries match", "ab\n", "xab", true, false, true},
        {"prefix of an entry but no entry", "helloworld\n", "hello", true, false, false},
        {"the last letter of the text", "ends\n", "the ends", true, false, true},
        {"empty dictionary", "", "anything", true, false, false},
    };
    for (const MarkerCase &c : cases) {
        const WordDictionary d = Dict(c.dict);
        ExtractionSettings st;
        st.CheckSeparator = c.separator;
        st.CheckInitial = c.initial;
        lex::EnglishWordMarker marker(d, st);
        EXPECT_EQ(c.found, marker.ContainsWord(c.text.data(), c.text.size())) << c.what;
        EXPECT_EQ(c.found, marker.ContainsWordByWalk(c.text.data(), c.text.size()))
            << "walk: " << c.what;
        EXPECT_EQ(c.found, lexref::ContainsWord(d, st, c.text)) << "model: " << c.what;
    }
}

TEST(EnglishWordMarker, ReportsHitsOnlyInDebugMode)
{
    const WordDictionary d = Dict("NASA\nnasa\nrocket\n");
    ExtractionSettings st;
    st.CheckInitial = true;
    lex::EnglishWordMarker marker(d, st);
    std::vector<std::string> seen;
    marker.SetHitReport([&](const std::string &text, const std::string &entry) {
        seen.push_back(text + "|" + entry);
    });
    const std::string text = "the NASA rocket";
    EXPECT_TRUE(marker.ContainsWord(text.data(), text.size()));
    EXPECT_TRUE(seen.empty());
    st.Debug = true;
    EXPECT_TRUE(marker.ContainsWord(text.data(), text.size()));
    // The first hit ends the search: the entry as stored, lower case here.
    EXPECT_EQ(std::vector<std::string>{"the NASA rocket|nasa"}, seen);
}

// The automaton, the block walk and the debug mode's hit report answer as
// the plain linear lookup (lexref) on random dictionaries and texts.  Small
// alphabets, so that prefixes, case variants and separators meet often.  A
// dictionary is read from a file (the loader sorts it) or taken in the order
// given, as a locale collation may leave punctuation out of byte order: the
// lookup must then walk such a block from its first entry.
TEST(EnglishWordMarker, AnswersAsTheLinearLookupOnRandomDictionaries)
{
    enum Load { FromFile, InGivenOrder, ShuffledOrFromFile };
    const std::string kana = "\xB1", letters = "abcABC";
    std::string mostlyLetters; // five letters in six, then ' - 1 and blank
    for (int k = 0; k < 10; ++k)
        mostlyLetters += letters;
    for (int k = 0; k < 3; ++k)
        mostlyLetters += "' -1";
    const struct {
        unsigned seed;
        int rounds, texts;
        Load load;
        std::string first, rest; // an entry's first byte, and the bytes after it
        int fewestEntries, mostEntries, longestRest;
        std::string text;
        int longestText;
    } shapes[] = {
        {777, 300, 50, FromFile, "abAB' 1_" + kana, "abAB' 1_" + kana, 0, 39, 4,
         "abAB' 1_" + kana, 11},
        {4242, 300, 40, InGivenOrder, "aAbB", "abAB' -", 1, 30, 4, "abAB' -", 9},
        {9001, 400, 60, ShuffledOrFromFile, letters, mostlyLetters, 1, 60, 5,
         "abcABCabc' 1_\x7F" + kana + "\x82Z[", 15},
    };
    for (const auto &shape : shapes) {
        std::mt19937 rng(shape.seed);
        auto pick = [&](const std::string &from) { return from[rng() % from.size()]; };
        for (int round = 0; round < shape.rounds; ++round) {
            std::vector<std::string> entries;
            const int count = shape.fewestEntries +
                              int(rng() % (shape.mostEntries - shape.fewestEntries + 1));
            for (int e = 0; e < count; ++e) {
                std::string w(1, pick(shape.first));
                for (int len = rng() % (shape.longestRest + 1); len > 0; --len)
                    w += pick(shape.rest);
                entries.push_back(w);
            }
            WordDictionary d;
            std::string file;
            if (shape.load == InGivenOrder || (shape.load == ShuffledOrFromFile && round % 2)) {
                if (shape.load == ShuffledOrFromFile)
                    std::shuffle(entries.begin(), entries.end(), rng);
                d.LoadInOrder(entries);
            } else {
                for (const std::string &e : entries)
                    file += e + (shape.load == FromFile ? "\r\n" : "\n");
                d.Load(file.data(), file.size());
            }
            for (int t = 0; t < shape.texts; ++t) {
                std::string text;
                for (int len = rng() % (shape.longestText + 1); len > 0; --len)
                    text += pick(shape.text);
                ExtractionSettings st;
                st.CheckSeparator = rng() & 1;
                st.CheckInitial = rng() & 1;
                std::string modelHit;
                const bool expected = lexref::ContainsWord(d, st, text, &modelHit);
                const std::string where = "seed " + std::to_string(shape.seed) + " round " +
                                          std::to_string(round) + ", text \"" + text + "\"";

                lex::EnglishWordMarker marker(d, st);
                ASSERT_EQ(expected, marker.ContainsWord(text.data(), text.size())) << where;
                ASSERT_EQ(expected, marker.ContainsWordByWalk(text.data(), text.size()))
                    << "walk, " << where;
                std::vector<std::string> hits;
                marker.SetHitReport([&](const std::string &, const std::string &entry) {
                    hits.push_back(entry);
                });
                st.Debug = true;
                ASSERT_EQ(expected, marker.ContainsWord(text.data(), text.size())) << where;
                ASSERT_EQ(expected ? std::vector<std::string>{modelHit} : std::vector<std::string>{},
                          hits)
                    << where;
            }
        }
    }
    // The order is kept as given, and such a block is not bisected.
    WordDictionary d;
    d.LoadInOrder({"b", "ab", "aa"});
    EXPECT_EQ("ab", d.entry(0));
    EXPECT_FALSE(d.BlockSortedBytewise(1));
    EXPECT_TRUE(d.BlockSortedBytewise(2));
}

TEST(EnglishWordMarker, AnEmptyOrUnmatchableDictionaryBuildsNoAutomaton)
{
    // No entry, only one-letter entries, or only entries that a grown word
    // can never equal (a byte above Z after the first letter).
    for (const char *file : {"", "a\nB\n", "a_b\nc[d\n"}) {
        const WordDictionary d = Dict(file);
        EXPECT_EQ(0u, d.automaton(false).States()) << file;
        ExtractionSettings st;
        lex::EnglishWordMarker marker(d, st);
        const std::string text = "a_b c[d aB";
        EXPECT_FALSE(marker.ContainsWord(text.data(), text.size())) << file;
    }
}

// The automaton keeps its transitions as 16-bit state numbers while they fit
// and as 32-bit row offsets beyond 65,535 states; both answer as the linear
// lookup, on texts that hold a dictionary word half of the time.
TEST(EnglishWordMarker, AnswersAsTheLinearLookupWithNarrowAndWideTransitions)
{
    const struct {
        int entries;
        bool narrow;
    } sizes[] = {{2000, true}, {30000, false}};
    for (const auto &size : sizes) {
        std::mt19937 rng(static_cast<unsigned>(size.entries));
        auto letters = [&](int n, const std::string &from) {
            std::string w;
            for (; n > 0; --n)
                w += from[rng() % from.size()];
            return w;
        };
        const std::string lower = "abcdefghijklmnopqrstuvwxyz";
        std::vector<std::string> words;
        std::string file;
        for (int e = 0; e < size.entries; ++e) {
            words.push_back(letters(4 + static_cast<int>(rng() % 6), lower));
            file += words.back() + "\n";
        }
        const WordDictionary d = Dict(file);
        EXPECT_EQ(size.narrow, d.automaton(false).Narrow()) << size.entries;
        EXPECT_EQ(size.narrow, d.automaton(true).Narrow()) << size.entries;
        const std::string noise = lower + "ABCXYZ -1";
        for (int t = 0; t < 400; ++t) {
            std::string text = letters(static_cast<int>(rng() % 8), noise);
            if (t % 2) {
                std::string word = words[rng() % words.size()];
                if (t % 3 == 0)
                    word[0] = static_cast<char>(word[0] - 'a' + 'A');
                text += word;
            }
            text += letters(static_cast<int>(rng() % 8), noise);
            ExtractionSettings st;
            st.CheckSeparator = t & 4;
            st.CheckInitial = t & 8;
            const lex::EnglishWordMarker marker(d, st);
            ASSERT_EQ(lexref::ContainsWord(d, st, text), marker.ContainsWord(text.data(), text.size()))
                << size.entries << " entries, text \"" << text << '"';
        }
    }
}
