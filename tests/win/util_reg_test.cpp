// Registry helpers against the test prefix's own registry, under a key of
// the current user that each test creates and removes.
#include "util/loomutil.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char kBase[] = "Software\\Halvek\\LoomUtilTest";

class RegistryExports : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeOf(kBase); }
    void TearDown() override { RegDeleteTreeOf(kBase); }

    static void RegDeleteTreeOf(const char *key)
    {
        RegDeleteAllSubKeys(HKEY_CURRENT_USER, key);
        RegDeleteKeyA(HKEY_CURRENT_USER, key);
    }

    static std::string Key(const std::string &sub) { return std::string(kBase) + "\\" + sub; }

    static std::string Read(const std::string &key, const char *name, DWORD size = 256)
    {
        std::string buffer(size + 1, '#');
        EXPECT_EQ(&buffer[0], RegReadString(HKEY_CURRENT_USER, key.c_str(), name, &buffer[0], size));
        EXPECT_EQ('#', buffer[size]) << "written past the buffer";
        return buffer.c_str();
    }

    // Number of subkeys and values, or -1 when the key cannot be opened.
    static int Entries(const std::string &key)
    {
        HKEY handle;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
            return -1;
        DWORD subkeys = 0, values = 0;
        RegQueryInfoKeyA(handle, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr);
        RegCloseKey(handle);
        return static_cast<int>(subkeys + values);
    }
};

TEST_F(RegistryExports, WriteReadAndDeleteAValue)
{
    const std::string key = Key("Values");
    EXPECT_EQ(1, RegWriteString(HKEY_CURRENT_USER, key.c_str(), "Name", "日本語の値"));
    EXPECT_EQ("日本語の値", Read(key, "Name"));
    EXPECT_EQ(1, RegWriteString(HKEY_CURRENT_USER, key.c_str(), "Name", nullptr));
    EXPECT_EQ("", Read(key, "Name"));
    EXPECT_EQ(0, Entries(key));
    // A null text on a key that does not exist yet creates the key.
    EXPECT_EQ(1, RegWriteString(HKEY_CURRENT_USER, Key("New").c_str(), "Missing", nullptr));
    EXPECT_EQ(0, Entries(Key("New")));
}

TEST_F(RegistryExports, ReadingNeverLeavesAnUnterminatedText)
{
    const std::string key = Key("Bounds");
    RegWriteString(HKEY_CURRENT_USER, key.c_str(), "Word", "hello");
    EXPECT_EQ("hello", Read(key, "Word", 6));   // exactly the text and its NUL
    EXPECT_EQ("", Read(key, "Word", 5));        // too long for the buffer
    EXPECT_EQ("", Read(key, "Other"));          // missing value
    EXPECT_EQ("", Read(Key("Absent"), "Word")); // missing key
    EXPECT_EQ("#", Read(key, "Word", 0));       // no room: nothing written

    // Data stored without a NUL, of exactly the buffer's size.
    HKEY handle;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_WRITE, &handle));
    const BYTE raw[4] = {'a', 'b', 'c', 'd'};
    RegSetValueExA(handle, "Raw", 0, REG_BINARY, raw, sizeof raw);
    RegCloseKey(handle);
    EXPECT_EQ("abc", Read(key, "Raw", 4));
    EXPECT_EQ("abcd", Read(key, "Raw", 5));
}

TEST_F(RegistryExports, DeleteAllSubKeysEmptiesTheKey)
{
    const std::string top = Key("Tree");
    const char *paths[] = {"One", "One\\Two", "One\\Two\\Three", "Two", "日本語キー\\下位",
                           "A very long subkey name that is longer than any value name here"};
    for (const char *path : paths) {
        const std::string key = top + "\\" + path;
        RegWriteString(HKEY_CURRENT_USER, key.c_str(), "v1", "x");
        RegWriteString(HKEY_CURRENT_USER, key.c_str(), "値", "y");
    }
    RegWriteString(HKEY_CURRENT_USER, top.c_str(), "TopValue", "z");
    RegWriteString(HKEY_CURRENT_USER, top.c_str(), "", "default");
    ASSERT_EQ(6, Entries(top));

    EXPECT_EQ(1, RegDeleteAllSubKeys(HKEY_CURRENT_USER, top.c_str()));
    EXPECT_EQ(0, Entries(top));
    EXPECT_EQ(-1, Entries(top + "\\One"));
    EXPECT_EQ(0, RegDeleteAllSubKeys(HKEY_CURRENT_USER, Key("Absent").c_str()));
}

// An empty or missing subkey would name the root key itself and empty it:
// refused, and nothing below the root is touched.
TEST_F(RegistryExports, DeleteAllSubKeysRefusesAnEmptySubkey)
{
    const std::string top = Key("Kept");
    RegWriteString(HKEY_CURRENT_USER, (top + "\\Child").c_str(), "v", "x");
    RegWriteString(HKEY_CURRENT_USER, top.c_str(), "Value", "y");
    HKEY root;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, top.c_str(), 0, KEY_ALL_ACCESS, &root));
    EXPECT_EQ(0, RegDeleteAllSubKeys(root, ""));
    EXPECT_EQ(0, RegDeleteAllSubKeys(root, nullptr));
    RegCloseKey(root);
    EXPECT_EQ(2, Entries(top));
    EXPECT_EQ(1, Entries(top + "\\Child"));
}

} // namespace
