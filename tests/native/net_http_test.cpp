// The network services' text rules: request line, URL building and
// splitting, dotted addresses and the lookups' output.
#include "net/http_core.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace loom;

TEST(HttpRequestLine, IsGetPathAndOneLineFeed)
{
    EXPECT_EQ("GET /index.html\n", HttpRequestLine("/index.html"));
    EXPECT_EQ("GET \n", HttpRequestLine(""));
    // Bytes above 0x7F and spaces go out unchanged.
    EXPECT_EQ("GET /a b/\x83\x65\n", HttpRequestLine("/a b/\x83\x65"));
}

TEST(HttpRequestLine, LongPathsAreCutTo1023Characters)
{
    struct Case {
        std::size_t pathLength;
        bool endsWithLineFeed;
    } cases[] = {
        {1018, true},   // "GET " + 1,018 + LF = 1,023: still whole
        {1019, false},  // the line feed is the first to go
        {1020, false},  // then the path's end
        {40000, false},
    };
    for (const auto &c : cases) {
        std::string path(c.pathLength, 'p');
        std::string line = HttpRequestLine(path);
        ASSERT_LE(line.size(), 1023u) << c.pathLength;
        EXPECT_EQ(c.endsWithLineFeed, line.back() == '\n') << c.pathLength;
        EXPECT_EQ(0u, line.compare(0, 4, "GET ")) << c.pathLength;
        std::size_t kept = line.size() - 4 - (c.endsWithLineFeed ? 1 : 0);
        EXPECT_EQ(std::min(c.pathLength, std::size_t(1019)), kept) << c.pathLength;
    }
}

TEST(DottedAddress, AcceptsFourDecimalNumbersOnly)
{
    struct Case {
        const char *text;
        bool valid;
        Ipv4Address address;
    } cases[] = {
        {"127.0.0.1", true, {127, 0, 0, 1}},
        {"0.0.0.0", true, {0, 0, 0, 0}},
        {"255.255.255.255", true, {255, 255, 255, 255}},
        {"192.168.100.9", true, {192, 168, 100, 9}},
        {"256.0.0.1", false, {}},
        {"1.2.3", false, {}},
        {"1.2.3.4.5", false, {}},
        {"1.2.3.", false, {}},
        {".1.2.3", false, {}},
        {"1..2.3", false, {}},
        {"01.2.3.4", false, {}},     // octal to the socket layer
        {"1.2.3.0x4", false, {}},
        {"1.2.3.4 ", false, {}},
        {" 1.2.3.4", false, {}},
        {"1.2.3.1000", false, {}},
        {"-1.2.3.4", false, {}},
        {"localhost", false, {}},
        {"::1", false, {}},
        {"::ffff:127.0.0.1", false, {}},
        {"", false, {}},
    };
    for (const auto &c : cases) {
        auto parsed = ParseDottedAddress(c.text);
        ASSERT_EQ(c.valid, parsed.has_value()) << c.text;
        if (c.valid) {
            EXPECT_EQ(c.address, *parsed) << c.text;
            EXPECT_EQ(c.text, DottedText(*parsed));
        }
    }
    // A text cut inside the view: nothing past its end is read.
    std::string text = "10.0.0.12";
    EXPECT_EQ((Ipv4Address{10, 0, 0, 1}), ParseDottedAddress(std::string_view(text).substr(0, 8)));
}

TEST(LookupText, NamesAndAddresses)
{
    std::vector<std::string> aliases = {"www", "web.local"};
    EXPECT_EQ("host.example", HostNamesText("host.example", aliases, false));
    EXPECT_EQ("host.example www web.local", HostNamesText("host.example", aliases, true));
    EXPECT_EQ("host.example", HostNamesText("host.example", {}, true));

    std::vector<Ipv4Address> two = {{10, 0, 0, 1}, {192, 168, 1, 20}};
    EXPECT_EQ("10.0.0.1", AddressesText(two, false));
    EXPECT_EQ("10.0.0.1 192.168.1.20 ", AddressesText(two, true));
    EXPECT_EQ("127.0.0.1 ", AddressesText({{127, 0, 0, 1}}, true));
    EXPECT_EQ("", AddressesText({}, true));
}

TEST(HttpUrl, BuildsWithinTheLimit)
{
    EXPECT_EQ("http://example.com/a/b.txt", HttpUrl("example.com", "/a/b.txt"));
    EXPECT_EQ("http://", HttpUrl("", ""));
    EXPECT_FALSE(HttpUrl(nullptr, "/"));
    EXPECT_FALSE(HttpUrl("h", nullptr));

    // The whole URL may have 32,760 characters, "http://" included; the
    // room left for the path shrinks with the host.
    struct Case {
        std::size_t host, path;
        bool fits;
    } cases[] = {
        {32753, 0, true},
        {32754, 0, false},
        {32760, 0, false},
        {40000, 0, false},
        {0, 32753, true},
        {0, 32754, false},
        {100, 32653, true},
        {100, 32654, false},
    };
    for (const auto &c : cases) {
        std::string host(c.host, 'h'), path(c.path, 'p');
        auto url = HttpUrl(host.c_str(), path.c_str());
        ASSERT_EQ(c.fits, url.has_value()) << c.host << " " << c.path;
        if (c.fits)
            EXPECT_EQ("http://" + host + path, *url);
    }
}

TEST(SplitHttpUrl, HostAndPath)
{
    struct Case {
        const char *url;
        bool valid;
        const char *host, *path;
    } cases[] = {
        {"http://example.com/dir/file.txt", true, "example.com", "/dir/file.txt"},
        {"http://example.com", true, "example.com", ""},
        {"http://example.com/", true, "example.com", "/"},
        {"HTTP://Example.com/X", true, "Example.com", "/X"},
        {"http://127.0.0.1//a", true, "127.0.0.1", "//a"},
        {"http://", true, "", ""},
        {"http:///a", true, "", "/a"},
        // Shorter than the scheme: refused without reading past the text.
        {"", false, "", ""},
        {"h", false, "", ""},
        {"http:/", false, "", ""},
        // Not the own client's scheme.
        {"https://example.com/", false, "", ""},
        {"ftp://example.com/a", false, "", ""},
        {"example.com/index.html", false, "", ""},
        {" http://example.com/", false, "", ""},
    };
    for (const auto &c : cases) {
        auto target = SplitHttpUrl(c.url);
        ASSERT_EQ(c.valid, target.has_value()) << c.url;
        if (c.valid) {
            EXPECT_EQ(c.host, target->host) << c.url;
            EXPECT_EQ(c.path, target->path) << c.url;
        }
    }
    EXPECT_FALSE(SplitHttpUrl(nullptr));
}

TEST(SplitHttpUrl, WhatFollowsTheSchemeFitsIn1024Bytes)
{
    std::string fits = "http://h/" + std::string(1021, 'p');   // 1,023 after "http://"
    std::string over = fits + "p";
    auto target = SplitHttpUrl(fits.c_str());
    ASSERT_TRUE(target);
    EXPECT_EQ(1022u, target->path.size());
    EXPECT_FALSE(SplitHttpUrl(over.c_str()));
}

TEST(SplitHttpUrl, ShortUrlsAreNotReadPastTheirEnd)
{
    // Each short URL sits at the very end of its own allocation, so ASan
    // reports any read past the NUL.
    for (std::size_t n = 0; n < 7; ++n) {
        std::string prefix = std::string("http://").substr(0, n);
        std::vector<char> exact(prefix.begin(), prefix.end());
        exact.push_back('\0');
        EXPECT_FALSE(SplitHttpUrl(exact.data())) << n;
    }
}

// An answer is cut off only when its own header promised more bytes than
// arrived; each answer also goes in as pieces split at every byte.
TEST(AnswerCheck, CutShortOnlyWhenTheStatedLengthIsNotReached)
{
    struct Case {
        const char *what;
        std::string answer;
        bool cutShort;
    } cases[] = {
        {"length reached", "HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello", false},
        {"length passed", "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nhello", false},
        {"one byte short", "HTTP/1.1 200 OK\r\ncontent-length:6\r\n\r\nhello", true},
        {"bare line feeds", "HTTP/1.0 200 OK\nContent-Length: 9\n\nhello", true},
        {"header never ends", "HTTP/1.0 200 OK\r\nContent-Length: 9\r\n", false},
        {"no length", "HTTP/1.0 200 OK\r\n\r\nhello", false},
        {"chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nContent-Length: 99\r\n\r\n5",
         false},
        {"no body by status", "HTTP/1.1 304 Not Modified\r\nContent-Length: 99\r\n\r\n", false},
        {"no status line", "hello\r\nContent-Length: 99\r\n\r\n", false},
        {"a 17,000-byte header line before the length",
         "HTTP/1.0 200 OK\r\nX-Pad: " + std::string(17000, 'p') +
             "\r\nContent-Length: 1000\r\n\r\n0123456789",
         true},
        {"empty", "", false},
    };
    for (const auto &c : cases) {
        AnswerCheck whole;
        whole.Add(c.answer);
        EXPECT_EQ(c.cutShort, whole.CutShort()) << c.what;
        // Every split of a short answer; a few of a long one.
        const std::size_t step = c.answer.size() > 200 ? 997 : 1;
        for (std::size_t split = 1; split < c.answer.size(); split += step) {
            AnswerCheck pieces;
            pieces.Add(std::string_view(c.answer).substr(0, split));
            pieces.Add(std::string_view(c.answer).substr(split));
            EXPECT_EQ(c.cutShort, pieces.CutShort()) << c.what << " split at " << split;
        }
    }
}

} // namespace
