// Japanese text in the resources of real programs (built with the mingw
// toolchain from tests/fixtures/japanese): with Japanese UTF-16 text taken,
// every string of the string table, the dialog, the menu and the version
// block is one "Unicode" row holding its code page 932 bytes, at the offset
// where its UTF-16 text starts; without, none of them is listed.  With
// resource texts taken, each is one "Resource" row instead.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "scan/resources.h"
#include "scan/scanner.h"
#include "recording_host.h"
#include "scan_inputs.h"

using lex::ExtractionSettings;
using lextest::RecordingHost;
using lextest::Row;

namespace {

struct Text {
    const char *where;
    const char *utf8;
};

// The texts of jpres.rc that a Japanese UTF-16 scan must list, as written
// there.
const Text kTexts[] = {
    {"string: ASCII then katakana", "Lexprobe バージョン 1.0"},
    {"string: ASCII letters and hyphen, then katakana", "CD-ROMドライブ"},
    {"string: hiragana first, ASCII inside", "ようこそ Lexprobe へ"},
    {"string: katakana first, ideographic full stop last", "ファイルを開けません。"},
    {"string: kanji first", "漢字の文字列"},
    {"string: full-width letters only", "ＬＥＸＰＲＯＢＥ"},
    {"string: corner bracket first", "「検索」の結果"},
    {"string: ideographic space inside", "検索　結果"},
    {"string: wave dash between digits", "値は 1〜10 です"},
    {"dialog caption", "抽出の設定"},
    {"dialog font: full-width letters, ASCII space", "ＭＳ Ｐゴシック"},
    {"dialog label with accelerator", "最小の長さ(&M):"},
    {"dialog check box", "漢字も抽出する"},
    {"dialog button, katakana", "キャンセル"},
    {"menu: popup", "ファイル(&F)"},
    {"menu: item with dots", "開く(&O)..."},
    {"menu: item, kanji first", "保存(&S)"},
    {"menu: last item of a popup", "終了(&X)"},
    {"menu: last popup", "ヘルプ(&H)"},
    {"menu: last item", "バージョン情報(&A)..."},
    {"version: CompanyName", "ハルベック株式会社"},
    {"version: FileDescription", "文字列抽出ツール"},
};

// Japanese text begins at three code units: a string of two characters
// standing alone is not listed.
const Text kTooShort = {"dialog button, full-width", "ＯＫ"};

// Half-width katakana: listed only while they count as printable.
const Text kHalfWidth = {"string: half-width katakana", "ﾃﾞｰﾀ"};

std::string ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << path;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<Row> Scan(const std::string &data, const ExtractionSettings &settings)
{
    RecordingHost host;
    EXPECT_EQ(0, lex::ScanBuffer(reinterpret_cast<const uint8_t *>(data.data()), data.size(), 2,
                                 settings, nullptr, host));
    return host.rows;
}

// The rows a text must give: one at each place the file holds its UTF-16
// form (a string may be stored more than once).
std::vector<Row> ExpectedRows(const std::string &file, const Text &t)
{
    const std::string needle = lextest::Utf16Le(t.utf8);
    std::vector<Row> rows;
    for (size_t at = file.find(needle); at != std::string::npos; at = file.find(needle, at + 1))
        rows.push_back({static_cast<uint32_t>(at), lex::RowKind::Unicode,
                        lextest::Cp932Text(t.utf8), false});
    EXPECT_FALSE(rows.empty()) << t.where << ": not in the file";
    return rows;
}

bool Listed(const std::vector<Row> &rows, const Row &want)
{
    return std::find(rows.begin(), rows.end(), want) != rows.end();
}

bool TextListed(const std::vector<Row> &rows, const std::string &text)
{
    return std::any_of(rows.begin(), rows.end(), [&](const Row &r) { return r.text == text; });
}

ExtractionSettings Japanese(bool checkHalfKana)
{
    ExtractionSettings s;
    s.SearchWideJapanese = true;
    s.CheckHalfKana = checkHalfKana;
    return s;
}

// A scan of the file itself, in pieces smaller than the resource section.
std::vector<Row> ScanFile(const std::string &path, const ExtractionSettings &settings)
{
    RecordingHost host;
    lex::StreamOptions pieces;
    pieces.pieceSize = 1000;
    EXPECT_EQ(0, lex::StringScanner(path.c_str(), 2, settings, nullptr, host, nullptr, pieces));
    return host.rows;
}

class JapaneseResources : public testing::TestWithParam<const char *> {
protected:
    std::string path_ = std::string(LEX_JPRES_DIR) + "/" + GetParam();
    std::string file_ = ReadFile(path_);
};

} // namespace

TEST_P(JapaneseResources, EveryTextIsOneRow)
{
    const std::vector<Row> rows = Scan(file_, Japanese(true));
    for (const Text &t : kTexts) {
        for (const Row &want : ExpectedRows(file_, t)) {
            EXPECT_TRUE(Listed(rows, want))
                << t.where << " (" << t.utf8 << ") at offset " << want.offset;
        }
    }
}

TEST_P(JapaneseResources, TwoCharactersAloneAreNotText)
{
    const std::vector<Row> rows = Scan(file_, Japanese(true));
    const std::vector<Row> expected = ExpectedRows(file_, kTooShort);
    ASSERT_FALSE(expected.empty());
    EXPECT_FALSE(TextListed(rows, expected[0].text));
}

TEST_P(JapaneseResources, HalfWidthKatakanaFollowTheirSetting)
{
    const std::vector<Row> expected = ExpectedRows(file_, kHalfWidth);
    ASSERT_FALSE(expected.empty());
    const std::vector<Row> listed = Scan(file_, Japanese(false));
    for (const Row &want : expected)
        EXPECT_TRUE(Listed(listed, want)) << "at offset " << want.offset;
    EXPECT_FALSE(TextListed(Scan(file_, Japanese(true)), expected[0].text));
}

TEST_P(JapaneseResources, NothingJapaneseWhenTheSettingIsOff)
{
    ExtractionSettings off;
    for (bool halfKana : {true, false}) {
        off.CheckHalfKana = halfKana;
        const std::vector<Row> rows = Scan(file_, off);
        for (const Text &t : kTexts) {
            EXPECT_FALSE(TextListed(rows, lextest::Cp932Text(t.utf8)))
                << t.where << ", half-width katakana " << (halfKana ? "left out" : "listed");
        }
    }
    // Without half-width katakana every "Unicode" row is plain ASCII.
    for (const Row &r : Scan(file_, ExtractionSettings())) {
        if (r.kind != lex::RowKind::Unicode)
            continue;
        for (char c : r.text)
            EXPECT_LT(static_cast<unsigned char>(c), 0x80) << "row at " << r.offset;
    }
}

TEST_P(JapaneseResources, ResourceTextsReplaceTheWalkInsideTheirEntries)
{
    loom::BufferSource source(file_.data(), file_.size());
    const std::vector<lex::ResourceBlock> blocks = lex::ReadResourceTexts(source).blocks;
    ASSERT_FALSE(blocks.empty());
    // Where the first entry at or after `at` begins.
    const auto nextEntry = [&](uint64_t at) {
        for (const lex::ResourceBlock &b : blocks)
            if (uint64_t(b.offset) + b.size > at)
                return uint64_t(b.offset);
        return uint64_t(file_.size());
    };
    std::vector<Text> texts(std::begin(kTexts), std::end(kTexts));
    texts.push_back(kTooShort);
    texts.push_back(kHalfWidth);
    for (bool wide : {false, true}) {
        for (bool halfKana : {true, false}) {
            ExtractionSettings s = Japanese(halfKana);
            s.SearchWideJapanese = wide;
            const std::vector<Row> walk = ScanFile(path_, s);
            s.SearchResources = true;
            const std::vector<Row> rows = ScanFile(path_, s);
            const std::string how = std::string(wide ? "Japanese UTF-16" : "ASCII UTF-16") +
                                    (halfKana ? "" : ", half-width katakana");
            // Every text whole at its offset, short ones and half-width
            // katakana too; a dialog's font name is no text.
            for (const Text &t : texts) {
                const bool font = std::string(t.where).find("font") != std::string::npos;
                for (Row want : ExpectedRows(file_, t)) {
                    want.kind = lex::RowKind::Resource;
                    EXPECT_EQ(!font, Listed(rows, want)) << how << ": " << t.where;
                }
            }
            size_t resourceRows = 0;
            for (size_t i = 0; i < rows.size(); ++i) {
                EXPECT_TRUE(i == 0 || rows[i - 1].offset <= rows[i].offset) << how << ", row " << i;
                if (rows[i].kind == lex::RowKind::Resource)
                    ++resourceRows;
                else
                    EXPECT_LT(rows[i].offset, nextEntry(rows[i].offset)) << how << ": inside";
            }
            EXPECT_EQ(lex::ReadResourceTexts(source).texts.size(), resourceRows) << how;
            // Outside the entries nothing is lost: a row of the walk alone
            // that ends well before the next entry is listed as it was.
            for (const Row &r : walk) {
                if (r.offset + 4 * r.text.size() + 4 <= nextEntry(r.offset))
                    EXPECT_TRUE(Listed(rows, r)) << how << ": lost " << r.text;
            }
        }
    }
    // A file that is no PE image is walked as without the setting.
    const std::string notPe = (std::filesystem::temp_directory_path() /
                               (std::string("lex_not_pe_") + GetParam())).string();
    std::ofstream(notPe, std::ios::binary) << "ZM" << file_.substr(2);
    ExtractionSettings on = Japanese(true);
    const std::vector<Row> walk = ScanFile(notPe, on);
    on.SearchResources = true;
    EXPECT_EQ(walk, ScanFile(notPe, on));
    std::filesystem::remove(notPe);
}

INSTANTIATE_TEST_SUITE_P(Programs, JapaneseResources,
                         testing::Values("jpres32.exe", "jpres64.exe"),
                         [](const testing::TestParamInfo<const char *> &info) {
                             return std::string(info.param).substr(0, 7);
                         });
