// Name and address lookups, as a program of the suite calls them.
#include "net/loomnet.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

constexpr char kUntouched = 0x5A;

// The caller's output buffer, filled with a mark so that the tests see every
// byte a lookup wrote.
struct Output {
    char bytes[512];
    Output() { std::memset(bytes, kUntouched, sizeof bytes); }
    bool Untouched() const
    {
        for (char c : bytes) {
            if (c != kUntouched)
                return false;
        }
        return true;
    }
    // Written up to its NUL and not one byte further.
    bool EndsAtItsNul() const
    {
        const void *nul = std::memchr(bytes, 0, sizeof bytes);
        if (!nul)
            return false;
        for (const char *p = static_cast<const char *>(nul) + 1; p < bytes + sizeof bytes; ++p) {
            if (*p != kUntouched)
                return false;
        }
        return true;
    }
    std::string Text() const { return std::string(bytes, strnlen(bytes, sizeof bytes)); }
};

TEST(ServerNametoIPS, LoopbackNamesAndAddresses)
{
    struct Case {
        const char *host;
        int all;
        const char *text;
    } cases[] = {
        {"localhost", 0, "127.0.0.1"},
        {"localhost", 1, "127.0.0.1 "},
        {"127.0.0.1", 0, "127.0.0.1"},
        {"127.0.0.1", 1, "127.0.0.1 "},
    };
    for (const auto &c : cases) {
        Output out;
        EXPECT_EQ(0, ServerNametoIPS(c.host, out.bytes, c.all)) << c.host;
        EXPECT_EQ(c.text, out.Text()) << c.host << " " << c.all;
        EXPECT_TRUE(out.EndsAtItsNul()) << c.host;
    }
}

TEST(ServerNametoIPS, BadNamesLeaveTheOutputAlone)
{
    std::string longName(300, 'a');
    const char *hosts[] = {"no-such-host.invalid", longName.c_str(), "::1", "[::1]"};
    for (const char *host : hosts) {
        Output out;
        int code = ServerNametoIPS(host, out.bytes, 1);
        EXPECT_NE(0, code) << host;
        EXPECT_EQ(DWORD(code), GetLastError()) << host;
        EXPECT_TRUE(out.Untouched()) << host;
    }
    Output out;
    EXPECT_EQ(WSAHOST_NOT_FOUND, ServerNametoIPS("no-such-host.invalid", out.bytes, 0));
}

TEST(IPtoServerNameS, LoopbackAddressNamesLocalhost)
{
    Output plain;
    ASSERT_EQ(0, IPtoServerNameS("127.0.0.1", plain.bytes, 0));
    EXPECT_EQ("localhost", plain.Text());
    EXPECT_TRUE(plain.EndsAtItsNul());
    // With the aliases the text starts with the same name; every alias comes
    // after one space.
    Output aliases;
    ASSERT_EQ(0, IPtoServerNameS("127.0.0.1", aliases.bytes, 1));
    EXPECT_EQ(0u, aliases.Text().rfind("localhost", 0)) << aliases.Text();
    EXPECT_EQ(std::string::npos, aliases.Text().find("  "));
    EXPECT_TRUE(aliases.EndsAtItsNul());
}

TEST(IPtoServerNameS, ATextThatIsNoDottedAddressGivesMinusOne)
{
    std::string longName(300, '1');
    const char *texts[] = {"localhost", "", "::1", "::ffff:127.0.0.1", "127.0.0",
                           "127.0.0.1.1", "127.000.0.1", "0x7f.0.0.1", longName.c_str()};
    for (const char *text : texts) {
        Output out;
        EXPECT_EQ(-1, IPtoServerNameS(text, out.bytes, 1)) << text;
        EXPECT_TRUE(out.Untouched()) << text;
    }
    Output out;
    EXPECT_EQ(-1, IPtoServerNameS(nullptr, out.bytes, 0));
}

} // namespace
