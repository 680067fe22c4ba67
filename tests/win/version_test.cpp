// GetFileVerInfo and GetFileVerLCID, called through the import library as a
// program of the suite calls them, on version resources built with this
// test, on the two deliverables and on files that are no executables.
// Japanese literals are Shift-JIS here, as the resources read back.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "guarded_record.h"
#include "loom_version.h"
#include "version/loomver.h"
#include "win_test_util.h"

namespace {

using testsupport::BinDir;
using testsupport::InBin;
using testsupport::TempDir;

constexpr std::size_t kRecord = sizeof(FileVerInfo);
constexpr unsigned char kFill = 0xCD;
constexpr int kFields = 11;

const char *const kFieldNames[kFields] = {
    "FileVersion", "FileDescription", "LegalCopyright", "Comments", "CompanyName",
    "Language", "LegalTrademarks", "OriginalFileName", "ProductVersion",
    "ProductName", "InternalName"};

std::string WriteTempFile(const std::string &name, const std::string &bytes)
{
    const std::string path = TempDir() + "verinfo_" + name;
    return testsupport::WriteAll(path, bytes) ? path : std::string();
}

// One call on a record filled with kFill, so that what the call writes and
// what it leaves can be told.
struct Call : testsupport::Guarded<FileVerInfo> {
    int result = -1;

    explicit Call(const std::string &path) : Guarded(kFill)
    {
        result = GetFileVerInfo(path.c_str(), &record());
    }

    // Field i up to its terminator; fails the test when the field has none
    // or holds more than the 250 bytes a value may occupy.
    std::string Field(int i) const
    {
        const char *f = reinterpret_cast<const char *>(bytes) + i * 255;
        std::size_t len = strnlen(f, 255);
        EXPECT_LT(len, 255u) << kFieldNames[i] << " not terminated";
        EXPECT_LE(len, 250u) << kFieldNames[i] << " longer than 250 bytes";
        return std::string(f, len);
    }

    // A cleared record: the first 254 bytes of every field zero, the last
    // byte of each field and everything behind the record untouched.
    void ExpectCleared(const std::string &what) const
    {
        for (int i = 0; i < kFields; ++i) {
            for (int b = 0; b < 254; ++b)
                ASSERT_EQ(0, bytes[i * 255 + b]) << what << ": " << kFieldNames[i] << " byte " << b;
            EXPECT_EQ(kFill, bytes[i * 255 + 254]) << what << ": " << kFieldNames[i] << " last byte";
        }
        EXPECT_TRUE(GuardIntact()) << what;
    }
};

TEST(GetFileVerInfo, ReadsTheFieldsOfTheFirstTranslation)
{
    std::string digits;
    for (int i = 0; i < 250; ++i)
        digits += static_cast<char>('0' + i % 10);
    // "?": the platform's name of the language, whose wording varies; "*":
    // not looked at.
    const struct {
        const char *file;
        std::string fields[kFields];
    } cases[] = {
        // Line breaks flattened in the first three fields (also between
        // double-byte characters) and kept in the others; no "Comments" key;
        // over-long values keep their first 250 bytes, and a character that
        // would begin at byte 250 is dropped whole.
        {"verfix_basic.dll",
         {"2.3.4.5 (fixture)", "Line one/ Line two", "日本語/ 表示 終わり/", "", digits, "?",
          std::string(249, 'x'), "Line\r\nkept.dll", "2.3", "Line one\r\nLine two",
          "verfix_basic"}},
        // English first, then Japanese: what only Japanese holds stays empty.
        {"verfix_enja.dll",
         {"1.0 English", "*", "*", "", "English Company", "?", "*", "*", "*", "", ""}},
    };
    for (const auto &k : cases) {
        Call c(InBin(k.file));
        ASSERT_EQ(1, c.result) << k.file;
        for (int i = 0; i < kFields; ++i) {
            if (k.fields[i] == "?") {
                EXPECT_FALSE(c.Field(i).empty()) << k.file << " " << kFieldNames[i];
            } else if (k.fields[i] != "*") {
                EXPECT_EQ(k.fields[i], c.Field(i)) << k.file << " " << kFieldNames[i];
            }
        }
        EXPECT_TRUE(c.GuardIntact()) << k.file;
        EXPECT_EQ(0x0409, GetFileVerLCID(InBin(k.file).c_str())) << k.file;
    }
}

TEST(GetFileVerInfo, RelativePath)
{
    char saved[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryA(BinDir().c_str()));
    Call c(".\\verfix_basic.dll");
    int lcid = GetFileVerLCID(".\\verfix_enja.dll");
    SetCurrentDirectoryA(saved);
    EXPECT_EQ(1, c.result);
    EXPECT_EQ("2.3.4.5 (fixture)", c.Field(0));
    EXPECT_EQ(0x0409, lcid);
}

TEST(GetFileVerInfo, TheDeliverables)
{
    struct Case {
        const char *file, *description, *internal;
    } cases[] = {
        {"Lexprobe.exe", "Lexprobe - ファイルから文字列を抽出", "Lexprobe"},
        {"loomlib.dll", "Loomkit 共通ライブラリ", "loomlib"},
    };
    for (const Case &k : cases) {
        Call c(InBin(k.file));
        ASSERT_EQ(1, c.result) << k.file;
        EXPECT_EQ(LOOM_VER_STRING, c.Field(0)) << k.file;
        EXPECT_EQ(k.description, c.Field(1)) << k.file;
        EXPECT_EQ(LOOM_COPYRIGHT, c.Field(2)) << k.file;
        EXPECT_EQ("", c.Field(3)) << k.file;
        EXPECT_EQ(LOOM_COMPANY, c.Field(4)) << k.file;
        EXPECT_FALSE(c.Field(5).empty()) << k.file;
        EXPECT_EQ("", c.Field(6)) << k.file;
        EXPECT_EQ(k.file, c.Field(7));
        EXPECT_EQ(LOOM_VER_STRING, c.Field(8)) << k.file;
        EXPECT_EQ(LOOM_PRODUCT, c.Field(9)) << k.file;
        EXPECT_EQ(k.internal, c.Field(10)) << k.file;
        EXPECT_TRUE(c.GuardIntact()) << k.file;
        EXPECT_EQ(0x0411, GetFileVerLCID(InBin(k.file).c_str())) << k.file;
    }
}

// Files without a readable version resource and translation table: 0 from
// both exports, the record cleared and nothing else written.
TEST(GetFileVerInfo, NoReadableVersionResource)
{
    const std::string dll = testsupport::ReadAll(InBin("verfix_basic.dll"));
    ASSERT_GT(dll.size(), 1024u);
    std::string random(4096, '\0');
    unsigned seed = 12345;
    for (char &b : random) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<char>(seed >> 16);
    }
    std::string mzRandom = random;
    mzRandom[0] = 'M';
    mzRandom[1] = 'Z';

    struct Case {
        const char *what;
        std::string path;
    } cases[] = {
        {"no version resource", InBin("verfix_none.dll")},
        {"no translation table", InBin("verfix_notrans.dll")},
        {"translation entry cut short", InBin("verfix_shorttrans.dll")},
        {"path that does not exist", InBin("no such file.dll")},
        {"folder that does not exist", BinDir() + "\\no such folder\\verfix_basic.dll"},
        {"directory", BinDir()},
        {"empty path", ""},
        {"zero-byte file", WriteTempFile("empty.dll", "")},
        {"DOS header only", WriteTempFile("cut64.dll", dll.substr(0, 64))},
        {"PE headers only", WriteTempFile("cut512.dll", dll.substr(0, 512))},
        {"cut in the resources",
         WriteTempFile("cuthalf.dll", dll.substr(0, dll.size() / 2))},
        {"random bytes", WriteTempFile("random.bin", random)},
        {"random bytes after MZ", WriteTempFile("mzrandom.dll", mzRandom)},
    };
    for (const Case &k : cases) {
        if (std::strcmp(k.what, "empty path") != 0) {
            ASSERT_FALSE(k.path.empty()) << k.what << ": fixture not written";
        }
        Call c(k.path);
        EXPECT_EQ(0, c.result) << k.what;
        c.ExpectCleared(k.what);
        EXPECT_EQ(0, GetFileVerLCID(k.path.c_str())) << k.what;
    }
}

TEST(GetFileVerInfo, NullArguments)
{
    Call c(InBin("verfix_basic.dll"));
    ASSERT_EQ(1, c.result);
    EXPECT_EQ(0, GetFileVerInfo(nullptr, &c.record()));
    c.ExpectCleared("null path");
    EXPECT_EQ(0, GetFileVerInfo(InBin("verfix_basic.dll").c_str(), nullptr));
    EXPECT_EQ(0, GetFileVerLCID(nullptr));
}

// On NT-family platforms no file name is skipped.
TEST(GetFileVerInfo, UpdateFilesAreReadOnNt)
{
    std::string dir = TempDir() + "verinfo_nt";
    CreateDirectoryA(dir.c_str(), nullptr);
    std::string plain = dir + "\\UPDATE.SYS";
    ASSERT_TRUE(CopyFileA(InBin("verfix_basic.dll").c_str(), plain.c_str(), FALSE));
    Call c(plain);
    EXPECT_EQ(1, c.result);
    EXPECT_EQ("2.3.4.5 (fixture)", c.Field(0));
    EXPECT_EQ("", c.Field(3));
    Call missing(dir + "\\loomupd.sys");
    EXPECT_EQ(0, missing.result);
    missing.ExpectCleared("loomupd.sys on NT");
}

// The probe program runs with Wine reporting Windows 95 to it alone.
class Windows95Family : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(testsupport::SetProgramWindowsVersion("version_probe.exe", "win95"));
    }
    void TearDown() override { testsupport::SetProgramWindowsVersion("version_probe.exe", ""); }

    struct Entry {
        int platform, result;
        FileVerInfo info;
    };

    // Runs the probe on `paths` and returns what it recorded per path.
    std::vector<Entry> Probe(const std::vector<std::string> &paths)
    {
        std::string output = TempDir() + "verinfo_probe.bin";
        DeleteFileA(output.c_str());
        std::string cmd = "\"" + InBin("version_probe.exe") + "\" \"" + output + "\"";
        for (const std::string &p : paths)
            cmd += " \"" + p + "\"";
        std::vector<Entry> entries;
        EXPECT_EQ(0, testsupport::RunProgram(cmd)) << "probe exit code";
        const std::string bytes = testsupport::ReadAll(output);
        const std::size_t step = 2 * sizeof(int) + kRecord;
        for (std::size_t at = 0; at + step <= bytes.size(); at += step) {
            Entry e;
            std::memcpy(&e.platform, &bytes[at], sizeof(int));
            std::memcpy(&e.result, &bytes[at + sizeof(int)], sizeof(int));
            std::memcpy(&e.info, &bytes[at + 2 * sizeof(int)], kRecord);
            entries.push_back(e);
        }
        EXPECT_EQ(paths.size(), entries.size());
        return entries;
    }
};

TEST_F(Windows95Family, UpdateFilesAreNotOpened)
{
    // Neither skipped file exists: a 1 shows that they were not opened.
    std::vector<Entry> e = Probe({"C:\\nowhere\\UPDATE.SYS", "loomupd.sys",
                                  "C:\\nowhere\\update.sys.txt",
                                  InBin("verfix_basic.dll")});
    ASSERT_EQ(4u, e.size());
    ASSERT_EQ(VER_PLATFORM_WIN32_WINDOWS, e[0].platform) << "Wine did not report Windows 95";
    std::string message = testsupport::LibMessage(36);
    ASSERT_FALSE(message.empty());
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(1, e[i].result) << i;
        EXPECT_EQ(message, e[i].info.Comments) << i;
        EXPECT_STREQ("", e[i].info.FileVersion) << i;
        EXPECT_STREQ("", e[i].info.InternalName) << i;
    }
    EXPECT_EQ(0, e[2].result);
    EXPECT_STREQ("", e[2].info.Comments);
    // Any other file is read as on NT.
    EXPECT_EQ(1, e[3].result);
    EXPECT_STREQ("2.3.4.5 (fixture)", e[3].info.FileVersion);
    EXPECT_STREQ("", e[3].info.Comments);
}

} // namespace
