// The positioned reader at the edges of its data, the content scan for DLL
// names (also across the blocks it reads the file in, against a plain walk
// over the whole buffer) and the display names.
#include "exe_builder.h"
#include "exe_exam.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using exefix::Exam;
using Strings = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

Bytes ToBytes(const std::string &text)
{
    return Bytes(text.begin(), text.end());
}

std::string Utf16(const std::string &ascii)
{
    std::string wide;
    for (char c : ascii) {
        wide += c;
        wide += '\0';
    }
    return wide;
}

// A source that fails every read at or after `failFrom`.
class FailingSource : public loom::ByteSource {
public:
    FailingSource(const Bytes &bytes, std::uint64_t failFrom) : bytes_(bytes), failFrom_(failFrom) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    std::size_t ReadAt(std::uint64_t offset, void *out, std::size_t count) override
    {
        if (offset >= failFrom_)
            return 0;
        loom::BufferSource inner(bytes_.data(), bytes_.size());
        return inner.ReadAt(offset, out, count);
    }

private:
    const Bytes &bytes_;
    std::uint64_t failFrom_;
};

TEST(PosReader, ZerosPastTheEndWhateverTheOffset)
{
    Bytes data = {0x11, 0x22, 0x33, 0x44, 0x55};
    loom::BufferSource source(data.data(), data.size());
    loom::PosReader r(source);
    struct Case {
        std::uint64_t offset;
        std::uint32_t u32;
        std::uint16_t u16;
    } cases[] = {
        {0, 0x44332211, 0x2211},
        {1, 0x55443322, 0x3322},
        {2, 0x00554433, 0x4433},
        {4, 0x00000055, 0x0055},
        {5, 0, 0},
        {0xFFFFFFFFull, 0, 0},
        {0xFFFFFFFFFFFFFFF0ull, 0, 0},
        {~0ull, 0, 0},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.u32, r.U32(c.offset)) << c.offset;
        EXPECT_EQ(c.u16, r.U16(c.offset)) << c.offset;
    }
    EXPECT_EQ(0x0000000000554433ull, r.U64(2));
    EXPECT_TRUE(r.PastEnd(5));
    EXPECT_FALSE(r.PastEnd(4));
}

TEST(PosReader, TextStopsAtZeroAtItsLimitAndAtTheEnd)
{
    Bytes data = ToBytes(std::string("abc\0defghij", 11));
    loom::BufferSource source(data.data(), data.size());
    loom::PosReader r(source);
    EXPECT_EQ("abc", r.Text(0, 10));
    EXPECT_EQ("ab", r.Text(0, 2));
    EXPECT_EQ("defghij", r.Text(4, 100));
    EXPECT_EQ("", r.Text(11, 5));
    EXPECT_EQ("", r.Text(3, 5));
    EXPECT_EQ("", r.Text(0, 0));
}

TEST(PosReader, ReadsAcrossBlocksAndSurvivesFailedReads)
{
    Bytes data(10000);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    loom::BufferSource whole(data.data(), data.size());
    loom::PosReader r(whole);
    for (std::uint64_t at : {4094ull, 4095ull, 8190ull, 9998ull}) {
        std::uint8_t got[4];
        r.Bytes(at, got, sizeof got);
        for (std::size_t i = 0; i < 4; ++i)
            EXPECT_EQ(at + i < data.size() ? data[at + i] : 0, got[i]) << at << "+" << i;
    }
    FailingSource failing(data, 4096);
    loom::PosReader f(failing);
    EXPECT_EQ(data[4095] | 0u, f.U16(4095));
    EXPECT_EQ(0u, f.U32(5000));
    EXPECT_EQ(data[10] | data[11] << 8, f.U16(10));
}

TEST(PosReader, RandomReadsAgreeWithTheBufferWhateverTheCacheHolds)
{
    // Far more blocks than the reader caches, read in a random order.
    std::mt19937 random(5);
    Bytes data(300000);
    for (auto &b : data)
        b = static_cast<std::uint8_t>(random());
    loom::BufferSource source(data.data(), data.size());
    loom::PosReader r(source);
    for (int i = 0; i < 20000; ++i) {
        std::uint64_t at = random() % (data.size() + 100);
        std::size_t count = random() % 9000;
        std::vector<std::uint8_t> got(count, 0xEE);
        r.Bytes(at, got.data(), count);
        for (std::size_t k = 0; k < count; ++k) {
            std::uint8_t want = at + k < data.size() ? data[at + k] : 0;
            ASSERT_EQ(want, got[k]) << "offset " << at << " + " << k;
        }
    }
}

// The content scan over a buffer, with a record as the examination leaves it.
Strings Scan(const std::string &bytes, const char *path = "C:\\dir\\file.exe",
             const char *module = "", Strings imported = {})
{
    Exam e;
    std::snprintf(e.info.Path, sizeof e.info.Path, "%s", path);
    std::snprintf(e.info.ModuleName, sizeof e.info.ModuleName, "%s", module);
    for (const std::string &dll : imported)
        loom::StrListAdd(&e.info.ImportedDlls, dll.c_str());
    loom::BufferSource source(bytes.data(), bytes.size());
    loom::ScanForDlls(&e.info, source, Exam::Hooks());
    return e.Found();
}

TEST(ContentScan, NameLengthsAndCharacters)
{
    struct Case {
        const char *what;
        std::string bytes;
        Strings found;
    } cases[] = {
        {"four characters", std::string("\0abcd.dll\0", 10), {"abcd.dll"}},
        {"one character is too short", std::string("\0a.dll", 6), {}},
        {"two characters", " ab.dll", {"ab.dll"}},
        {"at the very start", "xy.dll", {"xy.dll"}},
        {"at most eight characters", "-longername9.dll", {"gername9.dll"}},
        {"any letter case, kept in lower case", "=My_Lib.DlL=", {"my_lib.dll"}},
        {"stops at a disallowed character", "path\\to-ab12.dll", {"ab12.dll"}},
        {"a dot with nothing allowed before", "\\.dll", {}},
        {"katakana before a letter", "\xb1\xb2" "abc.dll", {"abc.dll"}},
        {"katakana after the letters", "abc\xb1\xb2.dll", {"abc\xb1\xb2.dll"}},
        {"katakana with digits", "\xb1" "12.dll", {"\xb1" "12.dll"}},
        {"katakana range ends", "\xa5\xa6\xdf.dll", {"\xa6\xdf.dll"}},
        {"no katakana above 0xDF", "ab\xe0.dll", {}},
        {"duplicates once, sorted", "zz.dll aa.dll zz.dll AA.DLL", {"aa.dll", "zz.dll"}},
        {"UTF-16", "\0\0" + Utf16("fxhelper.dll") + "\0\0", {"fxhelper.dll"}},
        {"UTF-16 in upper case", Utf16("SHELL32.DLL"), {"shell32.dll"}},
        {"UTF-16 stops at a unit with a high byte", "x\x30" + Utf16("ab.dll"), {"ab.dll"}},
        {"UTF-16 one character", Utf16("-a.dll"), {}},
        {"UTF-16 at most eight characters", Utf16("abcdefghij.dll"), {"cdefghij.dll"}},
        {"a .dll cut off at the end", "abc.dl", {}},
        {"UTF-16 cut off at the end", Utf16("abc.dl") + "l", {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.found, Scan(c.bytes)) << c.what;
}

TEST(ContentScan, ExclusionsOwnNameModuleAndImports)
{
    const std::string bytes = " plugin_a.dll kernel32.dll abcd.dll abc.dll abx.dll xyz.dll";
    EXPECT_EQ((Strings{"abc.dll", "abcd.dll", "abx.dll", "kernel32.dll", "plugin_a.dll",
                       "xyz.dll"}),
              Scan(bytes));
    EXPECT_EQ((Strings{"abc.dll", "abcd.dll", "abx.dll", "kernel32.dll", "xyz.dll"}),
              Scan(bytes, "C:\\dir\\Plugin_A.DLL"));
    EXPECT_EQ((Strings{"abx.dll", "kernel32.dll", "plugin_a.dll", "xyz.dll"}),
              Scan(bytes, "C:\\dir\\file.exe", "ABC"));
    EXPECT_EQ((Strings{"abc.dll", "abcd.dll", "abx.dll", "plugin_a.dll"}),
              Scan(bytes, "C:\\dir\\file.exe", "", {"kernel32.dll", "xyz.dll"}));
}

// The scan as a plain walk over the whole buffer, position by position.
std::set<std::string> ReferenceScan(const Bytes &b)
{
    std::set<std::string> names;
    auto fold = [](std::uint8_t c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    auto isLetter = [](std::uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    auto allowed = [&](std::uint8_t c, bool letter) {
        return isLetter(c) || (c >= '0' && c <= '9') || c == '_' || (!letter && c >= 0xA6 && c <= 0xDF);
    };
    for (std::size_t p = 0; p < b.size(); ++p) {
        for (std::size_t step : {1, 2}) {
            if (p + 4 * step > b.size())
                continue;
            bool match = b[p] == '.' && fold(b[p + step]) == 'd' &&
                         fold(b[p + 2 * step]) == 'l' && fold(b[p + 3 * step]) == 'l';
            for (std::size_t k = 1; step == 2 && k < 8; k += 2)
                match = match && b[p + k] == 0;
            if (!match)
                continue;
            std::string name;
            bool letter = false;
            for (std::size_t k = 1; k <= 8 && p >= k * step; ++k) {
                std::uint8_t c = b[p - k * step];
                if ((step == 2 && b[p - k * step + 1] != 0) || !allowed(c, letter))
                    break;
                letter = letter || isLetter(c);
                name.insert(name.begin(), static_cast<char>(fold(c)));
            }
            if (name.size() + 4 > 5)
                names.insert(name + ".dll");
        }
    }
    return names;
}

TEST(ContentScan, SameAsWholeBufferWalkAcrossBlocks)
{
    // Names planted at every alignment around the 1 MiB block boundaries.
    std::mt19937 random(11);
    const std::size_t size = (2u << 20) + 300;
    Bytes bytes(size);
    for (auto &b : bytes)
        b = static_cast<std::uint8_t>(random() % 4 == 0 ? 'a' + random() % 3 : random() % 256);
    const std::string plant[] = {"ab12_x.dll", "Q.DLL", "\xb1\xb2z9.dll", Utf16("wide_7.dll"),
                                 Utf16("AB.DLL")};
    std::size_t n = 0;
    for (std::size_t boundary : {std::size_t(1) << 20, std::size_t(2) << 20}) {
        for (std::size_t back = 0; back < 30; ++back) {
            const std::string &p = plant[n++ % 5];
            std::size_t at = boundary - back;
            if (at + p.size() <= size)
                std::memcpy(&bytes[at], p.data(), p.size());
            at = boundary - 2000 - 40 * back;
            std::memcpy(&bytes[at], p.data(), p.size());
        }
    }
    std::string text(bytes.begin(), bytes.end());
    Strings found = Scan(text);
    std::set<std::string> expected = ReferenceScan(bytes);
    EXPECT_EQ(Strings(expected.begin(), expected.end()), found);
    EXPECT_GT(found.size(), 5u);
}

TEST(ContentScan, AsPartOfTheExamination)
{
    exefix::PeShape shape;
    shape.imports = {{"KERNEL32.dll", {"Sleep"}}};
    shape.exportName = "fxself.dll";
    shape.trailer = "load plugin_b.dll, fxself.dll, fxselfx.dll and kernel32.dll" +
                   Utf16(" uhelper.dll ");
    Exam e;
    e.Run(exefix::Pe(shape).bytes, false, true, loom::kNoNameLimit, "C:\\x\\other.dll");
    // fxself.dll is the module's own export name, kernel32.dll an import;
    // fxselfx.dll does not begin with the module name.
    EXPECT_EQ((Strings{"fxselfx.dll", "plugin_b.dll", "uhelper.dll"}), e.Found());
    Exam without;
    without.Run(exefix::Pe(shape).bytes, true, false);
    EXPECT_TRUE(without.Found().empty());
    // A DOS program has no tables to walk, but its bytes are scanned too.
    std::vector<std::uint8_t> dos = {'M', 'Z'};
    dos.resize(62);
    const std::string text = "uses KERNEL32.dll and user32.dll";
    dos.insert(dos.end(), text.begin(), text.end());
    Exam program;
    EXPECT_EQ(EXEINFO_MZ | EXEINFO_DOS, program.Run(dos, true, true));
    EXPECT_EQ((Strings{"kernel32.dll", "user32.dll"}), program.Found());
}

// Every code that the examination gives has a name of its own (the
// compiler codes of the runtime rules and the Borland stub, the machines
// whose flags it knows, the Windows subsystems); the subsystem is read
// from the low 16 bits; codes without a name show the library's message.
TEST(DisplayNames, EveryCodeTheExaminationGivesHasAName)
{
    using Lookup = loom::DisplayName (*)(int);
    const struct {
        Lookup lookup;
        std::vector<int> codes;
    } named[] = {
        {loom::CompilerDisplayName, {14, 15, 16, 17, 18, 19, 32, 33, 34, 35, 36, 50, 53, 54,
                                     55, 56, 57, 58, 60, 73, 74, 75, 76, 80, 91}},
        {loom::MachineDisplayName, {0x14C, 0x8664, 0x266, 0x200, 0x166, 0x168, 0x184, 0x1A8,
                                    0x1EF, 0x284, 0x1C0, 0x1F0}},
        {loom::SubSystemDisplayName, {2, 3, 9}},
    };
    for (const auto &n : named) {
        std::set<std::string> texts;
        for (int code : n.codes) {
            const char *text = n.lookup(code).text;
            EXPECT_TRUE(text && *text && texts.insert(text).second) << code;
        }
    }
    EXPECT_STREQ(loom::SubSystemDisplayName(2).text, loom::SubSystemDisplayName(0x10002).text);
    const struct {
        Lookup lookup;
        int code;
        unsigned message;
    } unnamed[] = {
        {loom::SubSystemDisplayName, 1, 12}, {loom::SubSystemDisplayName, 4, 11},
        {loom::MachineDisplayName, 0xAA64, 13}, {loom::MachineDisplayName, -1, 13},
        {loom::CompilerDisplayName, 0, 13},
    };
    for (const auto &u : unnamed) {
        EXPECT_EQ(nullptr, u.lookup(u.code).text) << u.code;
        EXPECT_EQ(u.message, u.lookup(u.code).message) << u.code;
    }
}

} // namespace
