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

TEST(DictionaryLoad, CaseVariantsSortCapitalsFirst)
{
    const WordDictionary d = Dict("nasa\nNASA\nNasa\nmoon\n");
    EXPECT_EQ((std::vector<std::string>{"moon", "NASA", "Nasa", "nasa"}), Entries(d));
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

TEST(EnglishWordMarker, AgreesWithTheLinearLookupOnRandomTexts)
{
    // Entries and texts from a small alphabet so that prefixes, case
    // variants and separators meet often.
    std::mt19937 rng(777);
    const std::string abc = "abAB' 1_\xB1";
    for (int round = 0; round < 300; ++round) {
        std::string file;
        for (int e = rng() % 40; e > 0; --e) {
            for (int len = rng() % 5; len >= 0; --len)
                file += abc[rng() % abc.size()];
            file += "\r\n";
        }
        const WordDictionary d = Dict(file);
        for (int t = 0; t < 50; ++t) {
            std::string text;
            for (int len = rng() % 12; len > 0; --len)
                text += abc[rng() % abc.size()];
            ExtractionSettings st;
            st.CheckSeparator = rng() & 1;
            st.CheckInitial = rng() & 1;
            lex::EnglishWordMarker marker(d, st);
            const bool expected = lexref::ContainsWord(d, st, text);
            ASSERT_EQ(expected, marker.ContainsWord(text.data(), text.size()))
                << "text \"" << text << "\" dictionary:\n" << file;
            ASSERT_EQ(expected, marker.ContainsWordByWalk(text.data(), text.size()))
                << "walk, text \"" << text << "\" dictionary:\n" << file;
        }
    }
}

TEST(EnglishWordMarker, WalksBlocksThatAreNotInByteOrder)
{
    // A locale collation may order entries with punctuation differently
    // from the byte comparison; the lookup then walks the block from its
    // first entry, and must agree with the plain walk on every order.
    std::mt19937 rng(4242);
    const std::string abc = "abAB' -";
    for (int round = 0; round < 300; ++round) {
        std::vector<std::string> entries;
        for (int e = 1 + rng() % 30; e > 0; --e) {
            std::string w(1, "aAbB"[rng() % 4]);
            for (int len = rng() % 5; len > 0; --len)
                w += abc[rng() % abc.size()];
            entries.push_back(w);
        }
        WordDictionary d;
        d.LoadInOrder(entries);
        for (int t = 0; t < 40; ++t) {
            std::string text;
            for (int len = rng() % 10; len > 0; --len)
                text += abc[rng() % abc.size()];
            ExtractionSettings st;
            st.CheckSeparator = rng() & 1;
            st.CheckInitial = rng() & 1;
            lex::EnglishWordMarker marker(d, st);
            const bool expected = lexref::ContainsWord(d, st, text);
            ASSERT_EQ(expected, marker.ContainsWord(text.data(), text.size()))
                << "text \"" << text << "\"";
            ASSERT_EQ(expected, marker.ContainsWordByWalk(text.data(), text.size()))
                << "walk, text \"" << text << "\"";
        }
    }
    // The order is kept as given, and such a block is not bisected.
    WordDictionary d;
    d.LoadInOrder({"b", "ab", "aa"});
    EXPECT_EQ("ab", d.entry(0));
    EXPECT_FALSE(d.BlockSortedBytewise(1));
    EXPECT_TRUE(d.BlockSortedBytewise(2));
}

// The automaton must answer exactly as the walk does (the walk stays as the
// reference and as the debug mode's lookup, which reports the entry hit).
// Dictionaries of every shape: case variants, initialisms, entries that
// begin others, punctuation, blocks out of byte order; texts with
// separators, digits, spaces and bytes that end a word.
TEST(EnglishWordMarker, TheAutomatonAnswersAsTheWalkAndDebugHitsAreTheWalks)
{
    std::mt19937 rng(9001);
    const std::string letters = "abcABC";
    const std::string others = "' -1";
    const std::string textBytes = "abcABCabc' 1_\x7F\xB1\x82Z[";
    for (int round = 0; round < 400; ++round) {
        std::vector<std::string> entries;
        for (int e = 1 + rng() % 60; e > 0; --e) {
            std::string w(1, letters[rng() % letters.size()]);
            for (int len = rng() % 6; len > 0; --len)
                w += rng() % 6 ? letters[rng() % letters.size()] : others[rng() % others.size()];
            entries.push_back(w);
        }
        WordDictionary d;
        if (round % 2) {
            std::shuffle(entries.begin(), entries.end(), rng);
            d.LoadInOrder(entries);
        } else {
            std::string file;
            for (const std::string &e : entries)
                file += e + "\n";
            d.Load(file.data(), file.size());
        }
        for (int t = 0; t < 60; ++t) {
            std::string text;
            for (int len = rng() % 16; len > 0; --len)
                text += textBytes[rng() % textBytes.size()];
            ExtractionSettings st;
            st.CheckSeparator = rng() & 1;
            st.CheckInitial = rng() & 1;
            std::string modelHit;
            const bool expected = lexref::ContainsWord(d, st, text, &modelHit);

            lex::EnglishWordMarker marker(d, st);
            ASSERT_EQ(expected, marker.ContainsWord(text.data(), text.size()))
                << "round " << round << ", text \"" << text << "\"";
            std::vector<std::string> hits;
            marker.SetHitReport([&](const std::string &, const std::string &entry) {
                hits.push_back(entry);
            });
            st.Debug = true;
            ASSERT_EQ(expected, marker.ContainsWord(text.data(), text.size()));
            ASSERT_EQ(expected ? std::vector<std::string>{modelHit} : std::vector<std::string>{},
                      hits)
                << "round " << round << ", text \"" << text << "\"";
        }
    }
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
