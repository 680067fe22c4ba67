// The three in-place text filters and the size formatting, byte for byte.
#include "util/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace loom;

// Runs an in-place filter on a buffer of exactly the room it may fill.
std::string Filtered(char *(*filter)(char *), const std::string &text)
{
    std::vector<char> buffer((filter == UrlEncode ? 3 : 1) * text.size() + 1, '\x7F');
    std::copy(text.begin(), text.end(), buffer.begin());
    buffer[text.size()] = '\0';
    EXPECT_EQ(buffer.data(), filter(buffer.data()));
    return buffer.data();
}

// Each filter on a buffer of exactly the size it may fill (three bytes for
// each one of the URL encoding, the text's own size for the others), so
// that ASan catches a write past it.  The URL encoding escapes the listed
// bytes; DeleteRetTab flattens a text to one line; DeleteRetTabCtrl keeps
// letters, digits and some marks.  A double-byte character passes whole and
// a lead byte at the end stands alone.
TEST(TextFilters, ByteForByte)
{
    using Filter = char *(*)(char *);
    struct Case {
        Filter filter;
        std::string in, out;
    } cases[] = {
        {UrlEncode, "A B\r\n", "A B%0D%0A"},
        {UrlEncode, "%", "%25"},
        {UrlEncode, "a&b?c", "a%26b%3Fc"},
        {UrlEncode, "\t", "%09"},
        {UrlEncode, std::string("\x01\x0D\x0E", 3), "%01%0D\x0E"},
        {UrlEncode, "\"#+,/=~\x7F$'>@", "\"#+,/=~\x7F$'>@"},
        {UrlEncode, "\x82\xA0", "\x82\xA0"},
        {UrlEncode, "\xA0", "%A0"}, // a lone 0xA0
        {UrlEncode, "\x80\xDF\xFD\xFF", "%80%DF%FD%FF"},
        {UrlEncode, "\x81\x25", "\x81\x25"}, // a trail byte is never examined
        {UrlEncode, "\xFC\x0D", "\xFC\x0D"},
        {UrlEncode, "a\x82", "a\x82"},
        {UrlEncode, std::string(100, '\r'), [] {
             std::string all;
             for (int i = 0; i < 100; ++i)
                 all += "%0D";
             return all;
         }()},
        {DeleteRetTab, "\tx\r\n", " x  "},
        {DeleteRetTab, "a\tb", "a b"},
        {DeleteRetTab, "\x82\x0D", "\x82\x0D"},
        {DeleteRetTab, "\x0B\x0C", "\x0B\x0C"},
        {DeleteRetTab, "ab\x9F", "ab\x9F"},
        {DeleteRetTabCtrl, "a@b", "ab"},
        {DeleteRetTabCtrl, "a\\0b", "ab"},
        {DeleteRetTabCtrl, "a\\n", "a n"},
        {DeleteRetTabCtrl, "_", " "},
        {DeleteRetTabCtrl, "\x95\x5C", "\x95\x5C"},
        {DeleteRetTabCtrl, "\\", " "},
        {DeleteRetTabCtrl, "\\\\0", " "},
        {DeleteRetTabCtrl, ",-./09:;<=>?", ",-./09:;<=>?"},
        {DeleteRetTabCtrl, "AZaz", "AZaz"},
        {DeleteRetTabCtrl, "!+[`{\x7F ", "       "},
        {DeleteRetTabCtrl, "\x80\xA0\xDF\xFD\xFF", "     "},
        {DeleteRetTabCtrl, "\x81@", "\x81@"}, // "@" as a trail byte stays
        {DeleteRetTabCtrl, "x\xE0", "x\xE0"},
        {DeleteRetTabCtrl, "@@@", ""},
    };
    for (const Filter filter : {UrlEncode, DeleteRetTab, DeleteRetTabCtrl})
        EXPECT_EQ("", Filtered(filter, ""));
    for (const auto &c : cases)
        EXPECT_EQ(c.out, Filtered(c.filter, c.in)) << c.in;
}

TEST(WholeEncodedLength, EndsBetweenWholeEscapesAndCharacters)
{
    // "あ" in Shift-JIS passes the encoding whole; "%" becomes three bytes.
    const std::string a = "\x82\xa0";
    struct Case {
        std::string encoded;
        std::size_t room, length;
    } cases[] = {
        {"", 5, 0},
        {"abc", 0, 0},
        {"abc", 2, 2},
        {"abc", 99, 3},
        {"%25%25", 2, 0},
        {"%25%25", 3, 3},
        {"%25%25", 5, 3},
        {"%25%25", 6, 6},
        {a + a, 1, 0},
        {a + a, 3, 2},
        {a + a, 4, 4},
        {"x" + a + "%0D", 2, 1},
        {"x" + a + "%0D", 3, 3},
        {"x" + a + "%0D", 5, 3},
        {"x" + a + "%0D", 6, 6},
        // A lead byte or an escape cut off at the end counts as what is left.
        {"x\x82", 2, 2},
        {"x%4", 2, 1},
        {"x%4", 3, 3},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.length, WholeEncodedLength(c.encoded, c.room)) << c.encoded << " in " << c.room;
}

TEST(WholeEncodedLength, LongEncodedTextsCutAtEveryRoom)
{
    // Whatever the room, the cut is whole units only and no whole unit
    // more would fit.
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "\x82\xa0 %&\r\n\x81\x40?z";
    std::vector<char> buffer(3 * text.size() + 1);
    std::copy(text.begin(), text.end(), buffer.begin());
    const std::string encoded = UrlEncode(buffer.data());
    std::vector<std::size_t> ends; // where each whole unit ends
    for (std::size_t i = 0; i < encoded.size();) {
        i += encoded[i] == '%' ? 3 : (static_cast<unsigned char>(encoded[i]) >= 0x80 ? 2 : 1);
        ends.push_back(i);
    }
    ASSERT_EQ(encoded.size(), ends.back());
    for (std::size_t room = 0; room <= encoded.size() + 1; ++room) {
        const std::size_t length = WholeEncodedLength(encoded, room);
        ASSERT_LE(length, room);
        const auto next = std::upper_bound(ends.begin(), ends.end(), length);
        ASSERT_TRUE(length == 0 || std::binary_search(ends.begin(), ends.end(), length)) << room;
        ASSERT_TRUE(next == ends.end() || *next > room) << room;
    }
}

// The library's unit names, spelt in ASCII for the native build.
const SizeUnits kUnits{{" B", " KB", " MB", " GB", " TB"}};

TEST(FormatFileSize, Table)
{
    const std::uint64_t KB = 1024, MB = KB * KB, GB = MB * KB, TB = GB * KB;
    struct Case {
        std::uint64_t bytes;
        const char *text;
    } cases[] = {
        {0, "0 B"},
        {1, "1.00 B"},
        {12, "12.0 B"},
        {100, "100 B"},
        {999, "999 B"},
        {1000, "0.97 KB"},
        {1023, "0.99 KB"},
        {1024, "1.00 KB"},
        {1536, "1.50 KB"},
        {10240, "10.0 KB"},
        {1000000, "976 KB"},
        {1048575, "0.99 MB"},
        {MB, "1.00 MB"},
        {GB, "1.00 GB"},
        {TB, "1.00 TB"},
        {5000 * TB, "5000 TB"},
        {9999 * TB + TB - 1, "9999 TB"},
        {10000 * TB, "10000 TB"},
        {10000 * TB - 1, "9999 TB"},
        {123456 * TB + 5, "123456 TB"},
        {~std::uint64_t(0), "16777215 TB"},
        {1023 * GB, "0.99 TB"},
        {1000 * GB, "0.97 TB"},
        {999 * GB, "999 GB"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.text, FormatFileSize(c.bytes, kUnits)) << c.bytes;
}

} // namespace
