// The resource reader on resource-only DLLs that windres and windmc built
// from tests/fixtures/resources (PE32 and PE32+): every text of the script,
// at the one place where its bytes lie in the file, and nothing else; then
// the same files damaged one field at a time; then the rows' texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "scan/cp932.h"
#include "scan/resources.h"

using lex::ResourceKind;
using lex::ResourceText;
using lex::ResourceTexts;

namespace {

struct Expected {
    ResourceKind kind;
    const char16_t *text;
    bool ansi;
};

// The texts of restexts.rc and restexts.mc (both message tables).
const Expected kTexts[] = {
    {ResourceKind::Menu, u"ファイル(&F)", false},
    {ResourceKind::Menu, u"開く(&O)...\tCtrl+O", false},
    {ResourceKind::Menu, u"Recent", false},
    {ResourceKind::Menu, u"First item", false},
    {ResourceKind::Menu, u"Second item", false},
    {ResourceKind::Menu, u"終了(&X)", false},
    {ResourceKind::Menu, u"Help", false},
    {ResourceKind::Menu, u"編集(&E)", false},
    {ResourceKind::Menu, u"切り取り(&T)", false},
    {ResourceKind::Menu, u"Nested", false},
    {ResourceKind::Menu, u"Deep", false},
    {ResourceKind::Menu, u"Disabled", false},
    {ResourceKind::Menu, u"Top", false},
    {ResourceKind::Dialog, u"Plain dialog", false},
    {ResourceKind::Dialog, u"Label:", false},
    {ResourceKind::Dialog, u"リスト", false},
    {ResourceKind::Dialog, u"OK", false},
    {ResourceKind::Dialog, u"拡張ダイアログ", false},
    {ResourceKind::Dialog, u"名前(&N):", false},
    {ResourceKind::Dialog, u"Check", false},
    {ResourceKind::Dialog, u"With data", false},
    {ResourceKind::Dialog, u"キャンセル", false},
    {ResourceKind::StringTable, u"First string", false},
    {ResourceKind::StringTable, u"二行の\n文字列", false},
    {ResourceKind::StringTable, u"Tab\there", false},
    {ResourceKind::StringTable, u"Emoji 😀 and é", false},
    {ResourceKind::StringTable, u"Last of block", false},
    {ResourceKind::MessageTable, u"ファイルが見つかりません。\n", false},
    {ResourceKind::MessageTable, u"Line one\nLine two\n", false},
    {ResourceKind::MessageTable, u"Alone %1\n", false},
    {ResourceKind::MessageTable, u"ファイルが見つかりません。\n", true},
    {ResourceKind::MessageTable, u"Line one\nLine two\n", true},
    {ResourceKind::MessageTable, u"Alone %1\n", true},
    {ResourceKind::Version, u"Halvek", false},
    {ResourceKind::Version, u"Upper\r\nlower", false},
    {ResourceKind::Version, u"文字列抽出", false},
};

// A fixture's bytes, and where its resource directory's parts lie: the
// .rsrc section begins with the root table, whose entries the linker
// sorts by type (menu, dialog, string, message table, version), each
// table's entries by name.
struct Fixture {
    std::vector<uint8_t> bytes;
    size_t raw = 0;
    uint32_t va = 0;

    explicit Fixture(const char *name)
    {
        std::ifstream in(std::string(LEX_RESTEXTS_DIR) + "/" + name, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        const std::string rsrc(".rsrc\0\0", 8);
        auto h = std::search(bytes.begin(), bytes.begin() + 1024, rsrc.begin(), rsrc.end());
        va = Get32(static_cast<size_t>(h - bytes.begin()) + 12);
        raw = Get32(static_cast<size_t>(h - bytes.begin()) + 20);
    }
    uint32_t Get32(size_t at) const
    {
        return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t(bytes[at + 3]) << 24;
    }
    void Put16(size_t at, uint16_t v)
    {
        bytes[at] = v & 0xFF;
        bytes[at + 1] = v >> 8;
    }
    void Put32(size_t at, uint32_t v)
    {
        Put16(at, v & 0xFFFF);
        Put16(at + 2, v >> 16);
    }
    // File offsets of entry `i` of the table at `table` (in the directory),
    // of the table that a subdirectory entry leads to, of a type's name
    // entries, of a resource's data entry and of its data.
    size_t Entry(size_t table, unsigned i) const { return raw + table + 16 + 8 * i; }
    size_t Below(size_t entry) const { return Get32(entry + 4) & 0x7FFFFFFF; }
    size_t Name(unsigned type, unsigned name) const { return Entry(Below(Entry(0, type)), name); }
    size_t DataEntry(unsigned type, unsigned name) const
    {
        return raw + Get32(Entry(Below(Name(type, name)), 0) + 4);
    }
    size_t Data(unsigned type, unsigned name) const { return Get32(DataEntry(type, name)) - va + raw; }
    size_t Find(const std::u16string &text) const
    {
        const auto *p = reinterpret_cast<const uint8_t *>(text.data());
        return std::search(bytes.begin(), bytes.end(), p, p + 2 * text.size()) - bytes.begin();
    }

    ResourceTexts Read() const
    {
        loom::BufferSource source(bytes.data(), bytes.size());
        return lex::ReadResourceTexts(source);
    }
};

const char *const kFixtures[] = {"restexts32.dll", "restexts64.dll"};

// The bytes a text occupies in the file: UTF-16LE, or code page 932.
std::string Stored(const Expected &e)
{
    std::string out;
    for (const char16_t *p = e.text; *p; ++p) {
        const uint16_t form = e.ansi ? lex::Cp932Form(*p) : *p;
        if (e.ansi && form > 0xFF)
            out.push_back(static_cast<char>(form >> 8));
        out.push_back(static_cast<char>(form & 0xFF));
        if (!e.ansi)
            out.push_back(static_cast<char>(form >> 8));
    }
    return out;
}

TEST(ResourceReader, ListsEveryTextOfTheScriptWhereItsBytesLie)
{
    for (const char *name : kFixtures) {
        SCOPED_TRACE(name);
        const Fixture f(name);
        const std::string file(f.bytes.begin(), f.bytes.end());
        std::vector<std::pair<size_t, const Expected *>> expected;
        for (const Expected &e : kTexts) {
            const std::string stored = Stored(e);
            const size_t at = file.find(stored);
            ASSERT_NE(at, std::string::npos) << "not in the file: " << stored;
            ASSERT_EQ(file.find(stored, at + 1), std::string::npos) << "twice in the file";
            expected.emplace_back(at, &e);
        }
        std::sort(expected.begin(), expected.end());

        const ResourceTexts found = f.Read();
        EXPECT_TRUE(found.image && found.directory);
        EXPECT_EQ(found.refused, 0u);
        for (uint32_t damaged : found.damaged)
            EXPECT_EQ(damaged, 0u);
        ASSERT_EQ(found.texts.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            const ResourceText &t = found.texts[i];
            const Expected &e = *expected[i].second;
            SCOPED_TRACE(i);
            EXPECT_EQ(t.offset, expected[i].first);
            EXPECT_EQ(t.size, Stored(e).size());
            EXPECT_EQ(t.kind, e.kind);
            EXPECT_EQ(t.ansi, e.ansi);
            if (e.ansi)
                EXPECT_EQ(t.bytes, Stored(e));
            else
                EXPECT_EQ(t.units, std::u16string(e.text));
            // Inside a block of its kind, which begins where the data
            // entry says.
            const auto block = std::find_if(found.blocks.begin(), found.blocks.end(), [&](auto &b) {
                return t.offset >= b.offset && t.offset - b.offset < b.size;
            });
            ASSERT_NE(block, found.blocks.end());
            EXPECT_EQ(block->kind, t.kind);
            EXPECT_LE(t.offset + t.size, block->offset + block->size);
        }
        ASSERT_EQ(found.blocks.size(), 9u);
        EXPECT_EQ(found.blocks[0].offset, f.Data(0, 0));
        EXPECT_EQ(found.blocks[8].offset, f.Data(4, 0));
    }
}

// The data entries in file order, as bits of Damage::gone.
enum : unsigned { kMenu100 = 1, kMenu200 = 2, kDialog300 = 4, kDialog400 = 8, kStrings1 = 16,
                  kStrings2 = 32, kMessages1 = 64, kVersion = 256, kAll = 511 };
constexpr uint32_t kSub = 0x80000000u;

struct Damage {
    const char *what;
    void (*apply)(Fixture &f);
    unsigned gone;     // the entries whose texts are no longer listed
    bool image, directory;
    uint32_t damaged, refused;
};

const Damage kDamages[] = {
    {"file cut inside the root table", [](Fixture &f) { f.bytes.resize(f.raw + 20); }, kAll, true, false, 0, 0},
    {"file cut inside the last data", [](Fixture &f) { f.bytes.resize(f.Data(4, 0) + 8); }, kVersion, true, true, 1, 0},
    {"type table leading to the root", [](Fixture &f) { f.Put32(f.Entry(0, 0) + 4, kSub); }, kMenu100 | kMenu200, true, true, 0, 1},
    {"name table leading to its type table", [](Fixture &f) { f.Put32(f.Name(0, 0) + 4, kSub | f.Get32(f.Entry(0, 0) + 4)); }, kMenu100, true, true, 0, 1},
    {"two types sharing a table", [](Fixture &f) { f.Put32(f.Entry(0, 1) + 4, f.Get32(f.Entry(0, 0) + 4)); }, kDialog300 | kDialog400, true, true, 0, 1},
    {"two names sharing a data entry", [](Fixture &f) { f.Put32(f.Entry(f.Below(f.Name(2, 1)), 0) + 4, f.Get32(f.Entry(f.Below(f.Name(2, 0)), 0) + 4)); }, kStrings2, true, true, 0, 1},
    {"data outside every section", [](Fixture &f) { f.Put32(f.DataEntry(1, 0), 0x7FFFFFF0); }, kDialog300, true, true, 1, 0},
    {"data longer than its section", [](Fixture &f) { f.Put32(f.DataEntry(1, 1) + 4, 0xFFFFFFF0); }, kDialog400, true, true, 1, 0},
    {"data overlapping the entry before", [](Fixture &f) { f.Put32(f.DataEntry(1, 1), f.Get32(f.DataEntry(1, 0)) + 2); }, kDialog400, true, true, 1, 0},
    {"root counting 65535 entries", [](Fixture &f) { f.Put16(f.raw + 14, 0xFFFF); }, kAll, true, false, 0, 0},
    {"type table counting 65535 entries", [](Fixture &f) { f.Put16(f.raw + f.Below(f.Entry(0, 0)) + 14, 0xFFFF); }, kMenu100 | kMenu200, true, true, 0, 1},
    {"name past the directory's end", [](Fixture &f) { f.Put32(f.Name(0, 0), 0x8000FFF0); }, kMenu100, true, true, 0, 1},
    {"string longer than its block", [](Fixture &f) { f.Put16(f.Data(2, 0), 0xFFFF); }, kStrings1, true, true, 1, 0},
    {"menu whose last item lacks MF_END", [](Fixture &f) { f.Put16(f.Find(u"Help") - 4, 0); }, kMenu100, true, true, 1, 0},
    {"dialog counting 65535 items", [](Fixture &f) { f.Put16(f.Data(1, 0) + 8, 0xFFFF); }, kDialog300, true, true, 1, 0},
    {"extended dialog counting 65535 items", [](Fixture &f) { f.Put16(f.Data(1, 1) + 16, 0xFFFF); }, kDialog400, true, true, 1, 0},
    {"version block of length 0", [](Fixture &f) { f.Put16(f.Data(4, 0) + 92, 0); }, kVersion, true, true, 1, 0},
    {"message table of 2^32 - 1 blocks", [](Fixture &f) { f.Put32(f.Data(3, 0), 0xFFFFFFFF); }, kMessages1, true, true, 1, 0},
    {"message block up to number 2^32 - 1", [](Fixture &f) { f.Put32(f.Data(3, 0) + 8, 0xFFFFFFFF); }, kMessages1, true, true, 1, 0},
    {"message entry of length 0", [](Fixture &f) { f.Put16(f.Data(3, 0) + f.Get32(f.Data(3, 0) + 12), 0); }, kMessages1, true, true, 1, 0},
    {"no PE signature", [](Fixture &f) { f.bytes[f.Get32(60) + 1] = 'X'; }, kAll, false, false, 0, 0},
    {"PE header offset past the end", [](Fixture &f) { f.Put32(60, 0xFFFFFFF0); }, kAll, false, false, 0, 0},
    {"optional header of neither magic", [](Fixture &f) { f.Put16(f.Get32(60) + 24, 0x107); }, kAll, false, false, 0, 0},
    {"section table past the end", [](Fixture &f) { f.Put16(f.Get32(60) + 6, 0xFFFF); }, kAll, false, false, 0, 0},
};

TEST(ResourceReader, LeavesOutWhatIsDamaged)
{
    for (const char *name : kFixtures) {
        const Fixture clean(name);
        const ResourceTexts all = clean.Read();
        for (const Damage &d : kDamages) {
            SCOPED_TRACE(std::string(name) + ": " + d.what);
            Fixture f = clean;
            d.apply(f);
            const ResourceTexts found = f.Read();
            EXPECT_EQ(found.image, d.image);
            EXPECT_EQ(found.directory, d.directory);
            uint32_t damaged = 0;
            for (uint32_t n : found.damaged)
                damaged += n;
            EXPECT_EQ(damaged, d.damaged);
            EXPECT_EQ(found.refused, d.refused);
            // The other entries' texts, unchanged.
            std::vector<uint32_t> kept, offsets;
            for (const ResourceText &t : all.texts) {
                bool lost = false;
                for (unsigned k = 0; k < 9; ++k) {
                    const lex::ResourceBlock &b = all.blocks[k];
                    lost |= (d.gone >> k & 1) && t.offset >= b.offset && t.offset < b.offset + b.size;
                }
                if (!lost)
                    kept.push_back(t.offset);
            }
            for (const ResourceText &t : found.texts)
                offsets.push_back(t.offset);
            EXPECT_EQ(offsets, kept);
        }
    }
}

struct Row {
    const char *what;
    bool ansi;
    std::u16string units;
    std::string bytes;
    const char *row;
};

const Row kRows[] = {
    {"line breaks and a tab", false, u"a\tb\r\nc", "", "a\\tb\\r\\nc"},
    {"Japanese", false, u"日本", "", "\x93\xfa\x96\x7b"},
    {"half-width katakana", false, u"ｱ", "", "\xb1"},
    {"a character code page 932 lacks", false, u"é", "", "\\u{E9}"},
    {"a surrogate pair", false, u"x\U0001F600", "", "x\\u{1F600}"},
    {"a lone surrogate", false, std::u16string(1, char16_t(0xD800)) + u"x", "", "\\u{D800}x"},
    {"control characters and a zero", false, std::u16string(u"\x1b[a\0b", 5), "", "\\u{1B}[a\\u{0}b"},
    {"ANSI double-byte text and a line break", true, u"", "\x93\xfa\n", "\x93\xfa\\n"},
    {"ANSI byte that begins no character", true, u"", "\x80" "a\xa0", "\\u{FFFD}a\\u{FFFD}"},
    {"ANSI lead byte at the end", true, u"", "a\x93", "a\\u{FFFD}"},
    {"ANSI pair that code page 932 leaves unassigned", true, u"", "\x85\x40", "\\u{FFFD}"},
};

TEST(ResourceRowText, WritesCodePage932WithStandInsAndEscapes)
{
    for (const Row &r : kRows) {
        ResourceText t;
        t.ansi = r.ansi;
        t.units = r.units;
        t.bytes = r.bytes;
        EXPECT_EQ(lex::ResourceRowText(t), r.row) << r.what;
    }
}

} // namespace
