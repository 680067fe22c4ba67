// GetFileVerInfo and GetFileVerLCID, called through the import library as a
// program of the suite calls them, on version resources built with this
// test, on the two deliverables and on files that are no executables.
// Japanese literals are Shift-JIS here, as the resources read back.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "loom_version.h"
#include "version/loomver.h"

namespace {

constexpr std::size_t kRecord = sizeof(FileVerInfo);
constexpr std::size_t kGuard = 64;
constexpr unsigned char kFill = 0xCD;
constexpr int kFields = 11;

const char *const kFieldNames[kFields] = {
    "FileVersion", "FileDescription", "LegalCopyright", "Comments", "CompanyName",
    "Language", "LegalTrademarks", "OriginalFileName", "ProductVersion",
    "ProductName", "InternalName"};

std::string BinDir()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, n);
    return dir.substr(0, dir.rfind('\\'));
}

std::string InBin(const std::string &name) { return BinDir() + "\\" + name; }

std::string TempDir()
{
    char path[MAX_PATH];
    GetTempPathA(MAX_PATH, path);
    return path;
}

std::string WriteTempFile(const std::string &name, const std::vector<char> &bytes)
{
    std::string path = TempDir() + "verinfo_" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return out ? path : std::string();
}

std::vector<char> ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

// A record with guard bytes behind it, every byte filled with kFill before
// the call, so that what the call writes and what it leaves can be told.
struct Call {
    int result = -1;
    unsigned char bytes[kRecord + kGuard];

    explicit Call(const std::string &path)
    {
        std::memset(bytes, kFill, sizeof bytes);
        result = GetFileVerInfo(path.c_str(), reinterpret_cast<FileVerInfo *>(bytes));
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
    const FileVerInfo &Info() const { return *reinterpret_cast<const FileVerInfo *>(bytes); }

    bool GuardIntact() const
    {
        for (std::size_t i = kRecord; i < sizeof bytes; ++i)
            if (bytes[i] != kFill)
                return false;
        return true;
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

std::string Message36()
{
    HMODULE lib = GetModuleHandleA("loomlib.dll");
    char text[1024] = {};
    int n = LoadStringA(lib, 36, text, sizeof text);
    return std::string(text, n > 0 ? n : 0);
}

TEST(GetFileVerInfo, ReadsTheFirstTranslation)
{
    Call c(InBin("verfix_basic.dll"));
    ASSERT_EQ(1, c.result);
    EXPECT_EQ("2.3.4.5 (fixture)", c.Field(0));
    // Line breaks flattened, also between double-byte characters.
    EXPECT_EQ("Line one/ Line two", c.Field(1));
    EXPECT_EQ("日本語/ 表示 終わり/", c.Field(2));
    // No "Comments" key: only that field stays empty.
    EXPECT_EQ("", c.Field(3));
    // The platform's name of language 0x0409; its wording varies.
    EXPECT_FALSE(c.Field(5).empty());
    EXPECT_EQ("2.3", c.Field(8));
    // Copied as stored: line breaks kept.
    EXPECT_EQ("Line\r\nkept.dll", c.Field(7));
    EXPECT_EQ("Line one\r\nLine two", c.Field(9));
    EXPECT_EQ("verfix_basic", c.Field(10));
    EXPECT_TRUE(c.GuardIntact());
    EXPECT_EQ(0x0409, GetFileVerLCID(InBin("verfix_basic.dll").c_str()));
}

TEST(GetFileVerInfo, OverLongValuesKeepTheirFirst250Bytes)
{
    Call c(InBin("verfix_basic.dll"));
    ASSERT_EQ(1, c.result);
    std::string company;
    for (int i = 0; i < 250; ++i)
        company += static_cast<char>('0' + i % 10);
    EXPECT_EQ(company, c.Field(4));
    // Byte 250 would be the first byte of 日: the character is dropped whole.
    EXPECT_EQ(std::string(249, 'x'), c.Field(6));
    EXPECT_TRUE(c.GuardIntact());
}

TEST(GetFileVerInfo, OnlyTheFirstLanguageIsRead)
{
    Call c(InBin("verfix_enja.dll"));
    ASSERT_EQ(1, c.result);
    EXPECT_EQ("1.0 English", c.Field(0));
    EXPECT_EQ("English Company", c.Field(4));
    EXPECT_FALSE(c.Field(5).empty());
    // Present only under Japanese.
    EXPECT_EQ("", c.Field(3));
    EXPECT_EQ("", c.Field(9));
    EXPECT_EQ("", c.Field(10));
    EXPECT_TRUE(c.GuardIntact());
    EXPECT_EQ(0x0409, GetFileVerLCID(InBin("verfix_enja.dll").c_str()));
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
    std::vector<char> dll = ReadFile(InBin("verfix_basic.dll"));
    ASSERT_GT(dll.size(), 1024u);
    std::vector<char> random(4096);
    unsigned seed = 12345;
    for (char &b : random) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<char>(seed >> 16);
    }
    std::vector<char> mzRandom = random;
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
        {"zero-byte file", WriteTempFile("empty.dll", {})},
        {"DOS header only", WriteTempFile("cut64.dll", {dll.begin(), dll.begin() + 64})},
        {"PE headers only", WriteTempFile("cut512.dll", {dll.begin(), dll.begin() + 512})},
        {"cut in the resources",
         WriteTempFile("cuthalf.dll", {dll.begin(), dll.begin() + dll.size() / 2})},
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
    EXPECT_EQ(0, GetFileVerInfo(nullptr, reinterpret_cast<FileVerInfo *>(c.bytes)));
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
    static constexpr const char *kKey = "Software\\Wine\\AppDefaults\\version_probe.exe";

    void SetUp() override
    {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0,
                                                 KEY_SET_VALUE, nullptr, &key, nullptr));
        static const char version[] = "win95";
        LONG rc = RegSetValueExA(key, "Version", 0, REG_SZ,
                                 reinterpret_cast<const BYTE *>(version), sizeof version);
        RegCloseKey(key);
        ASSERT_EQ(ERROR_SUCCESS, rc);
    }
    void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, kKey); }

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
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        std::vector<char> line(cmd.begin(), cmd.end());
        line.push_back('\0');
        std::vector<Entry> entries;
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &si, &pi)) {
            ADD_FAILURE() << "cannot start the probe: " << GetLastError();
            return entries;
        }
        WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD code = 1;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        EXPECT_EQ(0u, code) << "probe exit code";
        std::vector<char> bytes = ReadFile(output);
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
    std::string message = Message36();
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
