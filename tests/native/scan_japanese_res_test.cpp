// Japanese text in the resources of real programs (built with the mingw
// toolchain from tests/fixtures/japanese): with Japanese UTF-16 text taken,
// every string of the string table, the dialog, the menu and the version
// block is one "Unicode" row holding its code page 932 bytes, at the offset
// where its UTF-16 text starts; without, none of them is listed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

class JapaneseResources : public testing::TestWithParam<const char *> {
protected:
    std::string file_ = ReadFile(std::string(LEX_JPRES_DIR) + "/" + GetParam());
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

INSTANTIATE_TEST_SUITE_P(Programs, JapaneseResources,
                         testing::Values("jpres32.exe", "jpres64.exe"),
                         [](const testing::TestParamInfo<const char *> &info) {
                             return std::string(info.param).substr(0, 7);
                         });
