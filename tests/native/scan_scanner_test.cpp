// The string scanner: the byte walk's rules, checkpoints and abort, the
// repetition filter, and reading files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "words/dictionary.h"
#include "scan/cp932.h"
#include "scan/rowfilter.h"
#include "scan/scanner.h"
#include "file_test.h"
#include "recording_host.h"
#include "scan_inputs.h"
#include "scan_reference.h"

using lex::ExtractionSettings;
using lextest::RecordingHost;
using lextest::Row;

namespace {

std::vector<uint8_t> Bytes(const std::string &s) { return std::vector<uint8_t>(s.begin(), s.end()); }

// The rows of the whole data; every build of the walk, given the data as a
// stream in pieces of every size (so that every character is also cut at
// a piece boundary), gives the same.
std::vector<Row> Scan(const std::string &data, int m, const ExtractionSettings &st)
{
    RecordingHost host;
    const auto bytes = Bytes(data);
    EXPECT_EQ(0, lex::ScanBuffer(bytes.data(), bytes.size(), m, st, nullptr, host));
    for (lex::ScanPath path : lextest::kScanPaths) {
        for (size_t piece = 1; piece <= bytes.size(); ++piece) {
            RecordingHost streamed;
            lex::ScanStream stream(bytes.size(), m, st, nullptr, streamed,
                                   lex::StreamOptions{path, piece, lex::kCheckpointInterval});
            lextest::Feed(stream, bytes, [&] { return piece; });
            EXPECT_EQ(host.rows, streamed.rows)
                << "pieces of " << piece << ", " << lex::ScanPathName(path);
        }
    }
    return host.rows;
}

// The default settings but for one flag.
ExtractionSettings With(bool ExtractionSettings::*flag, bool on)
{
    ExtractionSettings s;
    s.*flag = on;
    return s;
}
ExtractionSettings Defaults() { return ExtractionSettings(); }
// The walk's byte rules with Shift-JIS pairs, without the Japanese-text
// judge (which has cases of its own below).
ExtractionSettings Kanji(int minJapanese = lex::kMinJapaneseStrRange.def)
{
    ExtractionSettings s = With(&ExtractionSettings::SearchKanji, true);
    s.CheckKanjiNoise = false;
    s.MinJapaneseStr = minJapanese;
    return s;
}
ExtractionSettings HalfKanaListed() { return With(&ExtractionSettings::CheckHalfKana, false); }

Row A(uint32_t off, const std::string &text) { return {off, lex::RowKind::Ansi, text, false}; }
Row U(uint32_t off, const std::string &text) { return {off, lex::RowKind::Unicode, text, false}; }

struct WalkCase {
    const char *what;
    std::string data;
    int m;
    ExtractionSettings settings;
    std::vector<Row> rows;
};

std::string Z(size_t n) { return std::string(n, '\0'); }

} // namespace

TEST(ScannerWalk, RowsFollowTheByteRules)
{
    const std::string s = std::string("\0", 1);
    const WalkCase cases[] = {
        {"empty file", "", 1, Defaults(), {}},
        {"one byte: the last byte is examined", "A", 1, Defaults(), {A(0, "A")}},
        {"a lone word is listed whole", "HELLO", 5, Defaults(), {A(0, "HELLO")}},
        {"a word shorter than m", "HELL", 5, Defaults(), {}},
        {"UTF-16 after a zero byte", Z(16) + std::string("A\0B\0C\0\0\0", 8), 3, Defaults(),
         {U(0x10, "ABC")}},
        {"UTF-16 right after ANSI text: first letter joins the ANSI row",
         s + "XY" + std::string("A\0B\0C\0\0\0", 8), 2, Defaults(),
         {A(1, "XYA"), U(5, "BC")}},
        {"one printable byte, zero, then a non-printable: nothing even with m=1",
         s + std::string("A\0\x01xyz", 6), 1, Defaults(), {A(4, "xyz")}},
        {"one printable byte before a control byte is ANSI", s + "A\x01", 1, Defaults(),
         {A(1, "A")}},
        {"half-width katakana left out, string goes on", "AB\xB1" "CD" + Z(2), 4, Defaults(),
         {A(0, "ABCD")}},
        {"half-width katakana listed with CheckHalfKana off", "AB\xB1" "CD" + Z(2), 4,
         HalfKanaListed(), {A(0, "AB\xB1" "CD")}},
        {"katakana alone never starts a string", "\xB1\xB2\xB3\xB4\xB5\xB6", 1, Defaults(), {}},
        {"Shift-JIS pairs with SearchKanji: 3 characters are 6 bytes",
         Z(1) + "\x82\xA0\x82\xA2\x82\xA4" + Z(1), 6, Kanji(), {A(1, "\x82\xA0\x82\xA2\x82\xA4")}},
        {"three pairs are too short for four Japanese characters",
         Z(1) + "\x82\xA0\x82\xA2\x82\xA4" + Z(1), 1, Kanji(4), {}},
        {"Shift-JIS between ANSI letters", "AB\x82\xA0" "CD", 6, Kanji(),
         {A(0, "AB\x82\xA0" "CD")}},
        {"katakana left out around pairs; a pair's katakana trail byte stays",
         "AB\xB1" "CD\x82\xB1\xB2" "EF" + Z(2), 4, Kanji(), {A(0, "ABCD\x82\xB1" "EF")}},
        {"a lead byte right after katakana left out begins a pair",
         "\xB1" "AB\xB2\x82\xA0\xB3\xB4" "CD" + Z(2), 4, Kanji(), {A(1, "AB\x82\xA0" "CD")}},
        {"without SearchKanji lead and trail both split", "ABCDE\x82\xA0" "FGHIJ", 5, Defaults(),
         {A(0, "ABCDE"), A(7, "FGHIJ")}},
        {"lead byte before a space: space starts the next string", "ABCDE\x82 FGHI", 5, Kanji(),
         {A(0, "ABCDE"), A(6, " FGHI")}},
        {"lead and trail at the very end", "ABC\x82\xA0", 5, Kanji(), {A(0, "ABC\x82\xA0")}},
        {"lead byte as the last byte flushes", "ABCD\x82", 4, Kanji(), {A(0, "ABCD")}},
        {"lead byte inside wide text ends it", s + std::string("A\0B\0\x82\0C\0", 8), 2, Kanji(),
         {U(1, "AB")}},
        {"inside UTF-16 a byte not followed by zero is left out",
         s + std::string("A\0B\0CD\0\0\0", 9), 2, Defaults(), {U(1, "ABD")}},
        {"a byte and a zero before single-byte text begin no UTF-16 text",
         s + std::string("B\0%s: text\0", 12), 5, Defaults(), {A(3, "%s: text")}},
        {"UTF-16 text at the end of the file", s + std::string("A\0B\0C\0", 6), 3, Defaults(),
         {U(1, "ABC")}},
        {"UTF-16 missing its last high byte", s + std::string("A\0B\0C", 5), 3, Defaults(),
         {U(1, "ABC")}},
        {"repetition filter drops a run of four", "xAAAAy", 5, Defaults(), {}},
        {"repetition filter off keeps it", "xAAAAy", 5,
         [] { ExtractionSettings t; t.CheckRecurrence = false; return t; }(), {A(0, "xAAAAy")}},
        {"minimum length below 1 counts as 1", s + "A\x01", 0, Defaults(), {A(1, "A")}},
    };
    for (const WalkCase &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.rows, Scan(c.data, c.m, c.settings));
    }
}

// UTF-16LE and Shift-JIS bytes of UTF-8 text.
std::string W(const std::string &utf8) { return lextest::Utf16Le(utf8); }
std::string Sjis(const std::string &utf8) { return lextest::Cp932Text(utf8); }

ExtractionSettings WideJapanese(bool halfKanaListed = false, int minJapanese = 1)
{
    ExtractionSettings s;
    s.SearchWideJapanese = true;
    s.CheckHalfKana = !halfKanaListed;
    s.CheckKanjiNoise = false;
    s.MinJapaneseStr = minJapanese;
    return s;
}

TEST(ScannerWalk, JapaneseUtf16TextWithTheSettingOn)
{
    // The expected texts are Shift-JIS bytes.
    const std::string file = "\x83t\x83@\x83" "C\x83\x8B";  // ファイル
    const WalkCase cases[] = {
        {"katakana between zeros: four characters reach m=4", Z(2) + W("ファイル") + Z(2), 4,
         WideJapanese(), {U(2, file)}},
        {"the Japanese minimum counts characters, not bytes", Z(2) + W("ファイル") + Z(2), 1,
         WideJapanese(false, 5), {}},
        {"setting off: no Japanese row", Z(2) + W("ファイル") + Z(2), 1, Defaults(),
         {A(3, "000")}},
        {"ASCII and Japanese in one string", Z(2) + W("Lexprobe バージョン 1.0") + Z(2), 5,
         WideJapanese(), {U(2, "Lexprobe \x83o\x81[\x83W\x83\x87\x83\x93 1.0")}},
        {"Japanese right after ASCII, no space", Z(2) + W("CD-ROMドライブ") + Z(2), 5,
         WideJapanese(), {U(2, "CD-ROM\x83h\x83\x89\x83" "C\x83u")}},
        {"Japanese, then ASCII to the end", Z(2) + W("保存(&S)") + Z(2), 5, WideJapanese(),
         {U(2, "\x95\xDB\x91\xB6(&S)")}},
        {"hiragana first", Z(2) + W("このファイル") + Z(2), 5, WideJapanese(),
         {U(2, "\x82\xB1\x82\xCC" + file)}},
        {"a kanji that reads as ASCII, then one that does not", Z(2) + W("終了します") + Z(2), 5,
         WideJapanese(), {U(2, "\x8F" "I\x97\xB9\x82\xB5\x82\xDC\x82\xB7")}},
        {"a kanji whose low byte is zero begins text after a zero", Z(2) + W("一覧を表示") + Z(2),
         5, WideJapanese(), {U(2, "\x88\xEA\x97\x97\x82\xF0\x95\\\x8E\xA6")}},
        // Zero, then a byte, is also UTF-16 ASCII text read one byte off.
        {"but not after another byte", "\x01" + W("一覧を表示") + Z(2), 3, WideJapanese(),
         {U(5, "\x82\xF0\x95\\\x8E\xA6")}},
        {"but goes on with it", Z(2) + W("統一を表示") + Z(2), 5, WideJapanese(),
         {U(2, "\x93\x9D\x88\xEA\x82\xF0\x95\\\x8E\xA6")}},
        // Random bytes and Shift-JIS text read as UTF-16 give ideographs:
        // alone they are listed only as a whole string.
        {"ideographs alone after another byte are not listed", "\x80" + W("日本国憲法") + Z(2), 5,
         WideJapanese(), {}},
        {"nor with one ASCII character", "\x80" + W("日本国憲法A") + Z(2), 5, WideJapanese(), {}},
        {"ideographs between zero code units are a whole string", Z(2) + W("日本国憲法") + Z(2), 5,
         WideJapanese(), {U(2, Sjis("日本国憲法"))}},
        {"ideographs and a space after a string table's length", Z(2) + W("\x05太字 斜体") + Z(2),
         5, WideJapanese(), {U(4, Sjis("太字 斜体"))}},
        {"a character that reads as ASCII ends the string", Z(2) + W("保存する場所") + Z(2), 5,
         WideJapanese(), {U(2, Sjis("保存する場所"))}},
        // Length words of 33 and 32 read as "!" and " ".
        {"string table lengths that read as ASCII are not text",
         Z(2) + W("!ファイルを開けません。ファイルを開けません。ファイルを開けません。 "
                  "ファイルが見つかりません。ファイルが見つかりません。ファイル名。") + Z(2),
         5, WideJapanese(),
         {U(4, Sjis("ファイルを開けません。ファイルを開けません。ファイルを開けません。")),
          U(72, Sjis("ファイルが見つかりません。ファイルが見つかりません。ファイル名。"))}},
        {"a length that reads as ASCII after a string ending with a line break",
         Z(2) + W("ファイルを開く\n %s を開けません。ファイルが存在するかどうか確かめてください。") +
             Z(2),
         2, WideJapanese(),
         {U(2, Sjis("ファイルを開く")),
          U(20, Sjis("%s を開けません。ファイルが存在するかどうか確かめてください。"))}},
        {"ideographs after a dialog item's class", Z(4) + "\xFF\xFF\x82" + Z(1) + W("浮動小数点例外") + Z(2),
         5, WideJapanese(), {U(8, Sjis("浮動小数点例外"))}},
        {"ideographs after a menu item's flags and identifier",
         Z(2) + "\x80" + Z(1) + "\xD2\x07" + W("最小化") + Z(2), 3, WideJapanese(),
         {U(6, Sjis("最小化"))}},
        // Ideographs whose high bytes are no text, many starts at once.
        {"a menu item's ideographs among other ideographs",
         Z(6) + "\x34\x12" + W("説議論題類願雑録鉄道運転距離計説") + Z(900), 5, WideJapanese(),
         {U(8, Sjis("説議論題類願雑録鉄道運転距離計説"))}},
        {"ASCII after a popup's flags is not read one byte off",
         Z(8) + "\x90" + Z(1) + W("Windows Media オーディオ") + Z(2), 5, WideJapanese(),
         {U(10, "Windows Media " + Sjis("オーディオ"))}},
        {"ideographic space and full-width forms", Z(2) + W("全角　ＡＢＣ～") + Z(2), 7,
         WideJapanese(), {U(2, "\x91S\x8Ap\x81@\x82`\x82" "a\x82" "b\x81`")}},
        {"odd offset", "\x01" + Z(2) + W("日本語です") + Z(2), 5, WideJapanese(),
         {U(3, "\x93\xFA\x96{\x8C\xEA\x82\xC5\x82\xB7")}},
        {"a character code page 932 lacks ends the string and begins nothing",
         Z(2) + W("にほん") + "\x94\x30" + W("語です") + Z(2), 2, WideJapanese(),
         {U(2, "\x82\xC9\x82\xD9\x82\xF1"), U(10, "\x8C\xEA\x82\xC5\x82\xB7")}},
        {"so does a zero code unit after Japanese text",
         Z(2) + W("日本の") + Z(2) + W("Name") + Z(2), 2, WideJapanese(),
         {U(2, "\x93\xFA\x96{\x82\xCC"), U(10, "Name")}},
        {"half-width katakana follow their setting", Z(2) + W("ｱｲｳｴｵ") + Z(2), 5,
         WideJapanese(true), {U(2, "\xB1\xB2\xB3\xB4\xB5")}},
        {"half-width katakana left out by default", Z(2) + W("ｱｲｳｴｵ") + Z(2), 2,
         WideJapanese(), {}},
        {"two characters that look like ASCII, then kana", Z(2) + W("漢字の文字列") + Z(2), 6,
         WideJapanese(), {U(2, "\x8A\xBF\x8E\x9A\x82\xCC\x95\xB6\x8E\x9A\x97\xF1")}},
        {"full-width forms alone", Z(2) + W("ＡＢＣ～") + Z(2), 4, WideJapanese(),
         {U(2, "\x82`\x82" "a\x82" "b\x81`")}},
        {"Japanese text ends where single-byte text begins",
         Z(2) + W("ファイルr") + std::string("%s: failed\0", 11), 5, WideJapanese(),
         {U(2, file + "r"), A(12, "%s: failed")}},
        // Single-byte text that also reads as CJK ideographs stays as it is.
        {"strings after a stray character are not read as UTF-16",
         std::string("\x01\xC2\x6EK\0.shstrtab\0.note\0", 22), 5, WideJapanese(),
         {A(5, ".shstrtab"), A(15, ".note")}},
        {"lower-case ASCII is not read as ideographs", Z(2) + "getmessage" + Z(2), 5,
         WideJapanese(), {A(2, "getmessage")}},
        {"ASCII after zeros is not read as a kanji with a zero low byte",
         Z(2) + "Name of file" + Z(1), 5, WideJapanese(), {A(2, "Name of file")}},
        {"ASCII UTF-16 rows are as before", Z(1) + W("FileDescription") + Z(2), 5, WideJapanese(),
         {U(1, "FileDescription")}},
    };
    for (const WalkCase &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.rows, Scan(c.data, c.m, c.settings));
    }
}

Row U8(uint32_t off, const std::string &text) { return {off, lex::RowKind::Utf8, text, false}; }

ExtractionSettings Utf8(bool kanji = false, bool halfKanaListed = false)
{
    ExtractionSettings s;
    s.SearchUtf8 = true;
    s.SearchKanji = kanji;
    s.CheckHalfKana = !halfKanaListed;
    s.CheckKanjiNoise = false;
    s.MinJapaneseStr = 1;
    return s;
}

TEST(ScannerWalk, Utf8TextWithTheSettingOn)
{
    const WalkCase cases[] = {
        {"Japanese text between zeros, in code page 932", Z(1) + "ファイル名: %s" + Z(1), 5,
         Utf8(), {U8(1, Sjis("ファイル名: %s"))}},
        {"the Japanese minimum counts characters",
         Z(1) + "日本語" + Z(1), 1, [] { ExtractionSettings t = Utf8(); t.MinJapaneseStr = 4; return t; }(),
         {}},
        {"ASCII before the first character belongs to the row", "abc日本", 5, Utf8(),
         {U8(0, "abc" + Sjis("日本"))}},
        {"setting off: bytes as before", Z(1) + "日本語です" + Z(1), 1, Defaults(), {}},
        {"an overlong form is no character", "abcd\xE0\x80\xAF" "efgh", 4, Utf8(),
         {A(0, "abcd"), A(7, "efgh")}},
        {"nor is a surrogate", "abcd\xED\xA0\x80" "efgh", 4, Utf8(), {A(0, "abcd"), A(7, "efgh")}},
        {"nor anything above U+10FFFF", "abcd\xF4\x90\x80\x80" "efgh", 4, Utf8(),
         {A(0, "abcd"), A(8, "efgh")}},
        {"a character code page 932 lacks stands as \\u{...}", Z(1) + "絵文字😀です" + Z(1), 5,
         Utf8(), {U8(1, Sjis("絵文字") + "\\u{1F600}" + Sjis("です"))}},
        {"an accented word", "caf\xC3\xA9 au lait", 5, Utf8(), {U8(0, "caf\\u{E9} au lait")}},
        {"a lone character of machine code (ret; lea) is read as bytes",
         "pop[^_]\xC3\x8D" "t&", 3, Utf8(), {A(0, "pop[^_]")}},
        {"a control character ends UTF-8 text", "日本語\xC2\x85テキスト", 3, Utf8(),
         {U8(0, Sjis("日本語")), U8(11, Sjis("テキスト"))}},
        {"half-width katakana end it by default", "日本語ｶﾀｶﾅ", 3, Utf8(), {U8(0, Sjis("日本語"))}},
        {"and are taken with their setting", "日本語ｶﾀｶﾅ", 3, Utf8(false, true),
         {U8(0, Sjis("日本語") + "\xB6\xC0\xB6\xC5")}},
        {"a stray Shift-JIS byte ends UTF-8 text", "日本語\xB1です", 2, Utf8(false, true),
         {U8(0, Sjis("日本語")), U8(10, Sjis("です"))}},
        // With Shift-JIS text too: the bytes of 日 read as a pair as well.
        {"UTF-8 text read as UTF-8, not as pairs", Z(1) + "日本語のテキスト" + Z(1), 5,
         Utf8(true), {U8(1, Sjis("日本語のテキスト"))}},
        {"Shift-JIS text whose first pair also begins a UTF-8 character", Z(1) + Sjis("苺ジャム") + Z(1),
         5, Utf8(true), {A(1, Sjis("苺ジャム"))}},
        {"UTF-8 next to Shift-JIS: two rows", Z(1) + "日本語" + Sjis("日本語") + Z(1), 3,
         Utf8(true), {U8(1, Sjis("日本語")), A(10, Sjis("日本語"))}},
        {"Shift-JIS next to UTF-8: two rows", Z(1) + Sjis("テスト") + "тест" + Z(1), 3,
         Utf8(true), {A(1, Sjis("テスト")), U8(7, Sjis("тест"))}},
    };
    for (const WalkCase &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.rows, Scan(c.data, c.m, c.settings));
    }
}

// With the three Japanese settings on, where two readings meet the judge
// decides which one the bytes are, not the order of the steps.
TEST(ScannerWalk, TiesBetweenReadingsGoToTheOneThatReadsAsText)
{
    ExtractionSettings all = Utf8(true);
    all.SearchWideJapanese = true;
    all.CheckKanjiNoise = true;
    const std::string linker = Sjis("%P%F: リンカスクリプトファイル %s を開けません: %E");
    const std::string counter = "  についてのみ失敗カウンタや制限値を変更する";
    const std::string files = "ファイルを開けませんでした";
    const WalkCase cases[] = {
        // "%", zero, "%P" reads as an ASCII unit and a kanji.
        {"Shift-JIS text, not UTF-16 text from the unit before it", "%" + Z(1) + linker + Z(1), 5,
         all, {A(2, linker)}},
        {"UTF-8 text after Shift-JIS pairs of machine code, its ASCII head with it",
         "\x01\x89\x45\x8B\x86" + counter + Z(1), 5, all, {U8(5, Sjis(counter))}},
        // 0x82 takes the first byte of "フ" as its trail byte, and a pair
        // the rest of it: the UTF-8 text still holds "フ" as a character.
        {"UTF-8 text whose first character pairs of machine code took",
         "\x01\x89\x45\x82" + files + Z(1), 5, all, {U8(4, Sjis(files))}},
        {"Japanese UTF-16 text is still UTF-16 text", Z(2) + lextest::Utf16Le("ファイルを開く") + Z(2),
         5, all, {U(2, Sjis("ファイルを開く"))}},
        // Machine code's last bytes before UTF-16 text: a pair that took
        // its first byte as a trail byte, or ASCII bytes after a pair.
        {"UTF-16 text whose first byte a pair took", "\x01\x98" + lextest::Utf16Le("AI フォーカス AF") + Z(2),
         5, all, {U(2, "AI " + Sjis("フォーカス") + " AF")}},
        {"UTF-16 text after ASCII bytes after a pair",
         "\x01\xED\xA5\x41\x67" + lextest::Utf16Le("  マスカレード接続の表示") + Z(2), 5, all,
         {U(5, "  " + Sjis("マスカレード接続の表示"))}},
        // Code's last byte is a lead byte that would take the text's first
        // byte as its trail byte: the text begins after it all the same.
        {"Japanese UTF-16 text after a lead byte of code",
         "\x01\x48\x83\xE4\xF0\x81\xEC" + lextest::Utf16Le("あなたの要求に従って") + Z(2), 5, all,
         {U(7, Sjis("あなたの要求に従って"))}},
        {"Japanese UTF-16 text right after a pair of code",
         "\x01\x8B\x44\x24\x18\x91\xA0" + lextest::Utf16Le("そのほかのオプション") + Z(2), 5, all,
         {U(7, Sjis("そのほかのオプション"))}},
        {"UTF-16 text of an ASCII unit and Japanese right after a pair of code",
         "\x01\x48\x8B\x7C\x24\x10\xE8\xA7" + lextest::Utf16Le(" コードの完全性チェックを強制する") + Z(2), 5,
         all, {U(8, " " + Sjis("コードの完全性チェックを強制する"))}},
        {"Shift-JIS text after a zero, not UTF-16 text of code's kanji before it",
         "\x01\x49\x8B\x47\x50\x48" + Z(1) + Sjis("テーブル\"%s\"の列番号が不正です") + Z(1), 5, all,
         {A(7, Sjis("テーブル\"%s\"の列番号が不正です"))}},
        // The Shift-JIS reading from the lead byte ends at no zero; the
        // short string's does.
        {"A short Japanese UTF-16 string after a lead byte of code",
         Z(2) + "\x18\x8B" + lextest::Utf16Le("アイマラ語") + Z(2), 5, all, {U(4, Sjis("アイマラ語"))}},
        // F3 82 B1 82 is well-formed UTF-8 of plane 12, where no character
        // is: the bytes are pairs and katakana.
        {"Shift-JIS text, not a UTF-8 character of no character's plane",
         "\x03\xF3" + Sjis("このドメインを扱うサーバーへバインドできません") + Z(1), 5, all,
         {A(2, Sjis("このドメインを扱うサーバーへバインドできません"))}},
        {"UTF-8 text after a lead byte of code", "\x01\x48\x85" + std::string("一時ディレクトリを作成できません") + Z(1),
         5, all, {U8(3, Sjis("一時ディレクトリを作成できません"))}},
        // E8 BC 83 is a UTF-8 kanji: code's last two bytes and the lead
        // byte of "ア".
        {"Shift-JIS text whose first lead byte ends a UTF-8 character of code",
         "\x01\x48\xE8\xBC" + Sjis("アクセスを得ると使えなくなります") + Z(1), 5, all,
         {A(4, Sjis("アクセスを得ると使えなくなります"))}},
        // 90 84 is a pair, C0 a katakana byte of code before "セ" (BB 30).
        {"Japanese UTF-16 text after a pair and a katakana byte of code",
         "\x01\x66\x90\x84\xC0" + lextest::Utf16Le("セントラル") + Z(2), 5, all,
         {U(5, Sjis("セントラル"))}},
        // and with "DA BB" a well-formed UTF-8 character, which the text
        // of the pair "E8 95" stops at.
        {"Japanese UTF-16 text after a pair and a katakana byte that begins a UTF-8 character",
         "\x01\xE8\x95\xDA" + lextest::Utf16Le("セントラル") + Z(2), 5, all,
         {U(4, Sjis("セントラル"))}},
        // UTF-16 text of ASCII units that the bytes of a Shift-JIS
        // string's first katakana ("83 8B", "ル") would go on with.
        {"Shift-JIS text right after ASCII units of UTF-16 text",
         "\x01\x01N" + Z(1) + "Q" + Z(1) + "v" + Z(1) + Sjis("ルクセンブルク大公国") + Z(1), 5, all,
         {A(8, Sjis("ルクセンブルク大公国"))}},
        // UTF-8 text ends at "C5", a katakana byte, where "情" begins.
        {"Japanese UTF-16 text right after UTF-8 text",
         "\x01\xE2\x80\x9C%s" + lextest::Utf16Le("情報ファイル %s/%s") + Z(2), 5, all,
         {U(6, Sjis("情報ファイル") + " %s/%s")}},
        // Text with pairs of code ("8B 7D") ends before UTF-8 text; its
        // ASCII bytes before the first character, over 64 of them, go
        // with the UTF-8 text.
        {"UTF-8 text with a long ASCII head after pairs of code",
         "\x01\x8B\x7D" + std::string(8, ' ') + "--output-directory=DIR     save the files in DIR, one a line: " +
             "保存先" + Z(1),
         5, all, {U8(3, std::string(8, ' ') + "--output-directory=DIR     save the files in DIR, one a line: " + Sjis("保存先"))}},
        // "CE 99" is a Greek letter of UTF-8 text, and "99 5B" the first
        // kanji of Shift-JIS text.
        {"Shift-JIS text whose first lead byte ends UTF-8 text of other letters",
         "\x01" + std::string("αβγδ\xCE") + Sjis("兌換マルク") + Z(1), 5, all, {A(10, Sjis("兌換マルク"))}},
        // 89 C7 is a pair of code, and "期" (1F 67) begins with a control
        // byte, which ends single-byte text.
        {"Japanese UTF-16 text whose first byte is a control byte right after a pair of code",
         "\x01\x48\x89\xC7" + lextest::Utf16Le("期限切れの署名 %s") + Z(2), 5, all,
         {U(4, Sjis("期限切れの署名") + " %s")}},
    };
    for (const WalkCase &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.rows, Scan(c.data, c.m, c.settings));
    }
}

// Japanese text in EUC-JP, ISO-2022-JP and UTF-16BE, judged (every case
// also cut at every piece boundary by Scan).
TEST(ScannerWalk, FurtherEncodingsWithTheirSettingsOn)
{
    auto with = [](std::initializer_list<bool ExtractionSettings::*> flags, bool halfKana = false) {
        ExtractionSettings s;
        for (auto flag : flags)
            s.*flag = true;
        s.CheckHalfKana = !halfKana;
        return s;
    };
    using S = ExtractionSettings;
    const S euc = with({&S::SearchEucJp}), iso = with({&S::SearchIso2022Jp}),
            be = with({&S::SearchUtf16Be});
    auto row = [](lex::RowKind kind, uint32_t off, const std::string &utf8) {
        return Row{off, kind, Sjis(utf8), false};
    };
    const auto E = lex::RowKind::EucJp, I = lex::RowKind::Iso2022Jp, B = lex::RowKind::Utf16Be;
    // ファイルを開けません, 日本語のテキスト, テスト in each encoding.
    const std::string eucFile = "\xA5\xD5\xA5\xA1\xA5\xA4\xA5\xEB\xA4\xF2\xB3\xAB\xA4\xB1\xA4\xDE\xA4\xBB\xA4\xF3";
    const std::string eucText = "\xC6\xFC\xCB\xDC\xB8\xEC\xA4\xCE\xA5\xC6\xA5\xAD\xA5\xB9\xA5\xC8";
    const std::string eucTest = "\xA5\xC6\xA5\xB9\xA5\xC8";
    const std::string isoText = "\x1B$BF|K\\8l$N%F%-%9%H";
    // 時間制限を超過しました, ドキュメント.
    const std::string eucTime =
        "\xBB\xFE\xB4\xD6\xC0\xA9\xB8\xC2\xA4\xF2\xC4\xB6\xB2\xE1\xA4\xB7\xA4\xDE\xA4\xB7\xA4\xBF";
    const std::string eucDocument = "\xA5\xC9\xA5\xAD\xA5\xE5\xA5\xE1\xA5\xF3\xA5\xC8";
    const std::string beFile("0\xD5" "0\xA1" "0\xA4" "0\xEB" "0\x92" "\x95\x8B" "0Q" "0~" "0[" "0\x93", 20);
    auto utf16be = [](const std::u16string &text) {
        std::string out;
        for (const char16_t u : text) {
            out += static_cast<char>(u >> 8);
            out += static_cast<char>(u & 0xFF);
        }
        return out;
    };
    const WalkCase cases[] = {
        {"EUC-JP between zeros", Z(1) + eucFile + Z(1), 5, euc, {row(E, 1, "ファイルを開けません")}},
        {"a lone SS2 ends the text", Z(1) + eucText + "\x8E\n", 5, euc,
         {row(E, 1, "日本語のテキスト")}},
        {"half-width katakana after SS2, left out", Z(1) + eucText + "\x8E\xB6\x8E\xC5" + Z(1), 5,
         euc, {row(E, 1, "日本語のテキスト")}},
        {"and taken with their setting", Z(1) + eucText + "\x8E\xB6\x8E\xC5" + Z(1), 5,
         with({&S::SearchEucJp}, true), {row(E, 1, "日本語のテキストｶﾅ")}},
        {"JIS X 0212 after SS3, outside code page 932", Z(1) + eucText + "\x8F\xB0\xA1" + eucTest + Z(1),
         5, euc, {Row{1, E, Sjis("日本語のテキスト") + "\\u{4E02}" + Sjis("テスト"), false}}},
        {"EUC-JP next to Shift-JIS: each in its own", Z(1) + eucText + Z(1) + Sjis("日本語のテキスト") + Z(1),
         5, with({&S::SearchEucJp, &S::SearchKanji}), {row(E, 1, "日本語のテキスト"), A(18, Sjis("日本語のテキスト"))}},
        {"a mail subject in ISO-2022-JP", "Subject: " + isoText + "\x1B(B\r\n", 5, iso,
         {row(I, 0, "Subject: 日本語のテキスト")}},
        {"from the escape, up to an unknown one", Z(1) + isoText + "\x1B$Aabc" + Z(1), 5, iso,
         {row(I, 1, "日本語のテキスト"), A(21, "$Aabc")}},
        {"UTF-16BE after its byte-order mark", "\xFE\xFF" + beFile + Z(2), 5, be,
         {row(B, 2, "ファイルを開けません")}},
        {"one character over and over, as in a font's tables", "\x01\xC5\xC5\xC5\xC5\xC5\xC5\xC5\xC5\x01",
         5, euc, {}},
        {"ASCII in UTF-16BE is left to the walk", std::string("\0A\0B\0C\0D\0E\0F\0\0", 14), 5, be,
         {U(1, "ABCDEF")}},
        // Found in machine code and catalogues: kana that rise but are no
        // table, text first read one byte off, code bytes before a head.
        {"katakana that rise and fall", Z(2) + utf16be(u"アニメーション") + Z(2), 5, be,
         {row(B, 2, "アニメーション")}},
        {"a word of katakana that rises but for its last, between zeros", Z(2) + utf16be(u"アイスランド") + Z(2),
         5, be, {row(B, 2, "アイスランド")}},
        {"kana that rise, glued to ASCII, as in a table", Z(2) + utf16be(u"lまりをゴヌ") + Z(2), 5, be, {}},
        // "置" (7F 6E) is the only unit that may begin the text, far from
        // the data's end as well as near it.
        {"text whose first kanji's high byte is 7F, after code",
         "\x12\x34" + utf16be(u"置きなさい") + Z(2) + std::string(80, '\x12'), 5, be,
         {row(B, 2, "置きなさい")}},
        {"a multiplication sign between numbers goes on with the text",
         Z(2) + utf16be(u"2816×2212 または 2816×2112") + Z(2), 5, be,
         {Row{2, B, "2816\x81\x7E" "2212" + Sjis(" または ") + "2816\x81\x7E" "2112", false}}},
        {"and after an ASCII word and a space", Z(2) + utf16be(u"A4 エキストラ") + Z(2), 5, be,
         {row(B, 2, "A4 エキストラ")}},
        {"after a zero unit, though one byte on it reads as UTF-16LE",
         Z(2) + utf16be(u"以下のファイルがあります") + Z(2), 5, be, {row(B, 2, "以下のファイルがあります")}},
        {"kana that rise after a kanji", Z(2) + utf16be(u"%s: 書き込みエラー") + Z(2), 5, be,
         {row(B, 2, "%s: 書き込みエラー")}},
        {"text after ASCII first read one byte off", Z(4) + "\xFE\xFF" + utf16be(u"DNS が失敗しました: NOAUTH") + Z(2),
         5, be, {row(B, 6, "DNS が失敗しました: NOAUTH")}},
        {"kana whose bytes read as ASCII after a byte-order mark",
         "\xFE\xFF" + utf16be(u"または: %s OPTION") + Z(2), 5, be, {row(B, 2, "または: %s OPTION")}},
        {"code bytes 00 80 30 C0 before an indented message",
         "\x8B\x45" + Z(1) + "\x80\x30\xC0" + utf16be(u"   のみ使用する") + Z(2), 5, be,
         {row(B, 6, "   のみ使用する")}},
        {"zeros and 04 01 (a Cyrillic letter) before a format", Z(4) + "\x04\x01" +
             utf16be(u"%s は存在しますが読み込めません") + Z(2), 5, be,
         {row(B, 6, "%s は存在しますが読み込めません")}},
        {"a number's high bytes 80 00 (a rare kanji) before katakana",
         Z(2) + "\x80" + Z(1) + utf16be(u"アーカイブを開けません") + Z(2), 5, be,
         {row(B, 4, "アーカイブを開けません")}},
        {"a full-width letter (FF 48) of code before kanji", "\x8B\x45\xFF\x48" +
             utf16be(u"単語は、空白類文字で区切られます") + Z(2), 5, be, {row(B, 4, "単語は、空白類文字で区切られます")}},
        {"two units of code, the second a number's high bytes 61 00", "\x8B\x45\x30\x5F\x61" + Z(1) +
             utf16be(u"名前に無効な文字があります") + Z(2), 5, be, {row(B, 6, "名前に無効な文字があります")}},
        {"katakana after a byte that makes them read as UTF-16LE one byte on",
         "\x8B\x45\x31\xCE" + utf16be(u"キャッシュをフラッシュします") + Z(2), 5, be,
         {row(B, 4, "キャッシュをフラッシュします")}},
        {"xor al, al (30 C0) before katakana", "\x8B\x45\x30\xC0" + utf16be(u"アーカイブが壊れています") + Z(2),
         5, be, {row(B, 4, "アーカイブが壊れています")}},
        {"a word of katakana that begins with that unit", Z(6) + utf16be(u"ダイアログを開く") + Z(2), 5, be,
         {row(B, 6, "ダイアログを開く")}},
        {"after a zero any word may begin with it", Z(6) + utf16be(u"ダゲスタン語") + Z(2), 5, be,
         {row(B, 6, "ダゲスタン語")}},
        {"and after a number's high bytes 80 00 after zeros", Z(4) + "\x80" + Z(1) + "\x30\xC0" +
             utf16be(u"アーカイブを開けません") + Z(2), 5, be, {row(B, 8, "アーカイブを開けません")}},
        {"and after a double's bytes 01 00 00 00 00 00 (zero units after its high bytes)",
         "\x8B\x45\x01" + Z(5) + "\x30\xC0" + utf16be(u"アーカイブを開けません") + Z(2), 5, be,
         {row(B, 10, "アーカイブを開けません")}},
        {"a common kanji before a format right after code is text",
         "\x8B\x45" + utf16be(u"鍵%s: 公開鍵が見つかりません") + Z(2), 5, be,
         {row(B, 2, "鍵%s: 公開鍵が見つかりません")}},
        {"a static library's name table: a line break after \"/\" is no clean edge",
         "\x01\x8Bx.o/\nl" + eucFile + Z(1), 5, euc, {row(E, 8, "ファイルを開けません")}},
        {"a label and its mnemonic right after code, up to a zero", "\x01\x8B\x8B\xCC\xBE\xC1\xB0(_N):" + Z(1),
         5, euc, {row(E, 3, "名前(_N):")}},
        // Right after machine code: its last bytes read with the text's.
        {"code bytes 30 C0 (a lone katakana) before hiragana", "\x8B\x45\x30\xC0" + utf16be(u"この鍵を削除します") + Z(2),
         5, be, {row(B, 4, "この鍵を削除します")}},
        {"EUC-JP after an odd high byte of code, read in step", "\x01\x8B\x45\xB0" + eucFile + Z(1), 5, euc,
         {row(E, 4, "ファイルを開けません")}},
        {"an acronym glued to EUC-JP text", "\x01\x8B\x45\xF8" "CPU" + eucTime + Z(1), 5, euc,
         {row(E, 4, "CPU時間制限を超過しました")}},
        {"code bytes glued before an indented column", "\x01\x8B\x45\xF8" "li  " + eucFile + Z(1), 5, euc,
         {row(E, 6, "  ファイルを開けません")}},
        {"a sign of code before an option's line", "\x01\x8B\x45\xF8" "*  -O, --no-owner  " + eucFile + Z(1),
         5, euc, {row(E, 5, "  -O, --no-owner  ファイルを開けません")}},
        {"and a comment's sign after a line break, kept", "\x01\x8B\x45\n#  " + eucFile + Z(1), 5, euc,
         {row(E, 4, "#  ファイルを開けません")}},
        {"but not a label before its column", Z(1) + "q:      " + eucFile + Z(1), 5, euc,
         {row(E, 1, "q:      ファイルを開けません")}},
        {"a capital of code before a known acronym", "\x01\x8B\x45\xF8" "YHTTP " + eucDocument + Z(1), 5,
         euc, {row(E, 5, "HTTP ドキュメント")}},
        {"a small letter of code before an acronym", "\x01\x8B\x0F" "oELF" + eucDocument + Z(1), 5, euc,
         {row(E, 4, "ELFドキュメント")}},
        {"a kanji of code (C0 E8) before a format after a zero", Z(1) + "\xC0\xE8%s " + eucFile + Z(1), 5,
         euc, {row(E, 3, "%s ファイルを開けません")}},
        {"xor eax, eax (31 C0) and a call's E8 before the text", "\x01\x8B\x45\x31\xC0\xE8" + eucDocument + Z(1),
         5, euc, {row(E, 6, "ドキュメント")}},
        {"a kanji of code before an option", "\x01\x8B\x45\x89\xCB\xFE--" + eucDocument + Z(1), 5, euc,
         {row(E, 6, "--ドキュメント")}},
        {"an opening bracket of code that nothing closes", "\x01\x8B\x45\x89\xA1\xD8" "GET " + eucDocument + Z(1),
         5, euc, {row(E, 6, "GET ドキュメント")}},
        {"a code byte before a capitalised word", "\x01\x8B\x45\xF8" "HAbiWord " + eucDocument + Z(1), 5,
         euc, {row(E, 5, "AbiWord ドキュメント")}},
        {"a letter of code before an option", "\x01\x8B\x45\xF8" "D-e " + eucFile + Z(1), 5, euc,
         {row(E, 5, "-e ファイルを開けません")}},
        {"a small letter after a line break of code", "\x01\x8B\x3C\n" "l" + eucFile + Z(1), 5, euc,
         {row(E, 5, "ファイルを開けません")}},
        {"a space and a capital of code before Japanese", "\x01\x8B\x45\xF8" " H" + eucDocument + Z(1), 5,
         euc, {row(E, 6, "ドキュメント")}},
        {"a capital of code before a format", "\x01\x8B\x45\xF8" "H%s: \xB7\xD0\xB2\xE1" + Z(1), 5, euc,
         {row(E, 5, "%s: 経過")}},
        {"an exclamation mark that names a relocation is the text's",
         "\x01\x8B\x45\xF8" "!gpdisp!%ld " + eucFile + Z(1), 5, euc,
         {row(E, 4, "!gpdisp!%ld ファイルを開けません")}},
        {"movsxd's bytes before a word", "\x01\x8B\x45\xF8" "Hcdselect " + eucDocument + Z(1), 5, euc,
         {row(E, 6, "dselect ドキュメント")}},
        {"a bracket of code that nothing closes", "\x01\x8B\x45\xF8" "[Opus " + eucDocument + Z(1), 5,
         euc, {row(E, 5, "Opus ドキュメント")}},
        {"but one the text closes is its own", "\x01\x8B\x45\xF8" "(Opus " + eucDocument + ")" + Z(1), 5,
         euc, {row(E, 4, "(Opus ドキュメント)")}},
        {"ISO-2022-JP from its escape on, a short row too", "\x01\x8B\x45\xF8\x1B$BKL%5!<%_8l\x1B(B" + Z(1),
         5, iso, {row(I, 4, "北サーミ語")}},
    };
    for (const WalkCase &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.rows, Scan(c.data, c.m, c.settings));
    }
    // The UTF-16BE sieve reads 64 positions at a time: the text is found
    // wherever it begins among them (the window's first two positions, the
    // last of the 64, past them), after a zero unit or a byte-order mark
    // (its first units read as ASCII bytes: "0~0_0o").
    const std::string beOr = utf16be(u"または: %s OPTION");
    for (size_t at = 0; at <= 70; at = at == 5 ? 58 : at + 1) {
        SCOPED_TRACE(at);
        const std::vector<Row> rows{row(B, static_cast<uint32_t>(at), "または: %s OPTION")};
        EXPECT_EQ(rows, Scan(Z(at) + beOr + Z(2), 5, be));
        if (at >= 3)
            EXPECT_EQ(rows, Scan(Z(at - 2) + "\xFE\xFF" + beOr + Z(2), 5, be));
    }
}

// The Japanese-text judge in the walk (CheckKanjiNoise, on by default), on
// the texts it is there for: machine code that pairs its bytes like
// Shift-JIS, texts right after machine code, short Japanese words.
TEST(ScannerWalk, JapaneseTextJudgeKeepsTextAndCutsMachineCode)
{
    ExtractionSettings kanji = With(&ExtractionSettings::SearchKanji, true);
    kanji.MinJapaneseStr = 2;
    const std::string enter = Sjis("[Enter] キーを押すと続行します。");
    const std::string message = Sjis("%2$s に対する引数 %1$s が曖昧です");
    const std::string items = Sjis("アイテムを削除できませんでした");
    const std::string test = Sjis("これはテストのメッセージです");
    const std::string author = Sjis("作者 %s および %s。");
    const std::string sign = Sjis("署名の検証を省略");
    const std::string dns = Sjis("DNS が失敗しました: NOTIMP");
    const std::string env = Sjis("あなたは言語に関わりのない環境にいます");
    const std::string result = Sjis("AF の結果");
    const std::string parse = Sjis("コマンドラインの解析に失敗しました");
    const std::string list = Sjis("ファイルの一覧の取得に失敗しました");
    const struct {
        const char *what;
        std::string data;
        std::vector<Row> rows;
    } cases[] = {
        {"x86 prologue: push ebp; mov ebp,esp; push edi, esi, ebx; sub esp,44",
         Z(1) + "U\x89\xE5WVS\x83\xEC," + Z(1), {}},
        {"mov eax,[esp+56]; mov [esp+60],eax: '$' after kanji", Z(1) + "\x8B\x44$8\x89\x44$<" + Z(1),
         {}},
        {"a message with a level-2 kanji", Z(1) + message + Z(1), {A(1, message)}},
        // The code's last byte 0x94 takes "[" as its trail byte: the pair
        // is cut and "[" read again.
        {"[Enter] right after code", "\x01\x8B\x45\xF8\x94" + enter + Z(1), {A(5, enter)}},
        // 0x8B takes the first lead byte 0x83 of "ア" as its trail byte and
        // 0x41 stands alone: the message is read again from 0x83.
        {"a message read out of step after code", "\x01" "7dH\x8B" + items + Z(1), {A(5, items)}},
        // 0x8B takes 0x82 of "こ" as its trail byte and the katakana byte
        // 0xB1 after it is left out: 0x82 pairs with that byte again.
        {"a message whose first trail byte is a katakana byte, after code",
         "\x01" "7dH\x8B" + test + Z(1), {A(5, test)}},
        // 0xE9 takes 0x8D of "作" as its trail byte, "EC 8E" reads as a
        // pair and the katakana byte 0xD2 is left out: one byte on, the
        // message reads in step again.
        {"a message read one byte on after code", Z(1) + "\xE9" + author + Z(1), {A(2, author)}},
        {"the same after a pair of code", "\x01" "H\x8B" + sign + Z(1), {A(3, sign)}},
        // 0x98 takes "D" as its trail byte; the name is read again whole.
        {"a name before the message after a lead byte", "\x01\x98" + dns + Z(1), {A(2, dns)}},
        {"code's digit before a katakana byte left out", "\x01" "0\xC0" + env + Z(1), {A(3, env)}},
        // 0x8B takes "A" as its trail byte and the judge cuts "F" with the
        // pair: "A" is read again with the text.
        {"a name's letters after a pair of code", "\x01\x8B" + result + Z(1), {A(2, result)}},
        // "89 FB" reads as a rare kanji before "I": one byte on, "FB 49"
        // reads as one in step with the text, but code's, not text's.
        {"a rare kanji read in step before the text", "\x01" "SATH\x8D" "d$\xF8H\x89\xFBI" + parse + Z(1),
         {A(13, parse)}},
        // "E8 E6", read one byte on, pairs up with the katakana after it
        // in step, but as a kanji that begins no loanword: code's.
        {"a code pair before a katakana word read in step", Z(1) + "\xE8\xE8\xE6" + list + Z(1),
         {A(4, list)}},
        {"a two-character word between zeros", Z(1) + Sjis("全般") + Z(1), {A(1, Sjis("全般"))}},
        // Rows the bound on their bytes would settle as code: the walk
        // hands them to the judge, which keeps kanji words glued to names.
        {"a statement word after code", "\x01\x8B\x45\x01" + Sjis("SELECT文") + Z(1),
         {A(4, Sjis("SELECT文"))}},
        {"a bracketed word after code", "\x01\xFF" + Sjis("[不明]") + Z(1), {A(2, Sjis("[不明]"))}},
        // 0x8B takes "J" of a name before a kanji word as its trail byte:
        // the text is read again from "J".
        {"a name and a kanji word after a lead byte", "\x01\x8B" + Sjis("JPEG 画像") + Z(1),
         {A(2, Sjis("JPEG 画像"))}},
        {"the ASCII of a code row is read again as text",
         Z(1) + "configure\x89\xC2\x89\xD8" + Z(1), {A(1, "configure")}},
        // Code's runs of printable bytes: a lead byte ends one, a pair's
        // trail byte may begin one, katakana left out neither join nor end one.
        {"a run before pairs of code", "\x01" "HIJKLM" "\x8B\x45\xFC\x50\x01", {A(1, "HIJKLM")}},
        {"a run from a pair's trail byte", "\x01\x8B\x45" "abcd" "\x01", {A(2, "Eabcd")}},
        {"a run with katakana left out", "\x01\x8B\x45\xFC" "abc\xB1\xB2" "de" "\x89\x45\x01",
         {A(4, "abcde")}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.rows, Scan(c.data, 5, kanji));
    }
}

TEST(ScannerWalk, OffsetTextIsEightUpperCaseDigits)
{
    EXPECT_EQ("00000000", lex::OffsetText(0));
    EXPECT_EQ("00001A2B", lex::OffsetText(0x1A2B));
    EXPECT_EQ("7FFFFFFF", lex::OffsetText(0x7FFFFFFF));
    EXPECT_EQ("FFFFFFFF", lex::OffsetText(0xFFFFFFFF));
}

TEST(ScannerWalk, MarkerChecksRowsOnlyWithCheckEnglish)
{
    lex::WordDictionary dict;
    const std::string words = "hello\r\nworld\r\n";
    dict.Load(words.data(), words.size());
    ExtractionSettings st;
    lex::EnglishWordMarker marker(dict, st);
    const std::string data = std::string("xhellox\0qqzzqq\0", 15);
    auto bytes = Bytes(data);
    RecordingHost on;
    lex::ScanBuffer(bytes.data(), bytes.size(), 5, st, &marker, on);
    ASSERT_EQ(2u, on.rows.size());
    EXPECT_TRUE(on.rows[0].checked);
    EXPECT_FALSE(on.rows[1].checked);

    st.CheckEnglish = false;
    RecordingHost off;
    lex::ScanBuffer(bytes.data(), bytes.size(), 5, st, &marker, off);
    ASSERT_EQ(2u, off.rows.size());
    EXPECT_FALSE(off.rows[0].checked);
}

TEST(ScannerCheckpoints, ProgressEventsAndAbortChecksPerBlock)
{
    // 3.5 blocks of text: a checkpoint at the end of each block and at the
    // last position, never per byte; one byte has one, no data none.
    constexpr size_t block = lex::kCheckpointInterval, n = 3 * block + block / 2;
    auto at = [](size_t k) { return static_cast<int>(k * 100 / n); };
    const std::pair<size_t, std::vector<int>> cases[] = {
        {n, {at(block - 1), at(2 * block - 1), at(3 * block - 1), at(n - 1)}}, {1, {0}}, {0, {}}};
    for (const auto &c : cases) {
        std::vector<uint8_t> data(c.first, 'a');
        for (size_t k = 7; k < c.first; k += 9)
            data[k] = 0;
        RecordingHost host;
        lex::ScanBuffer(data.data(), data.size(), 5, Defaults(), nullptr, host);
        EXPECT_EQ(c.second, host.progress);
        EXPECT_EQ(host.events, static_cast<int>(c.second.size()));
        EXPECT_EQ(host.checks, host.events);
        // Each checkpoint is progress, events, abort check, in that order.
        size_t p = 0;
        for (const std::string &entry : host.log) {
            const char *expected[] = {"progress", "events", "go on"};
            if (entry.compare(0, 3, "row") != 0)
                EXPECT_EQ(0u, entry.find(expected[p++ % 3])) << entry;
        }
    }
}

// A stop at the first checkpoint (every 8 bytes here): the pending
// candidate is still emitted when it reaches the minimum length, and
// nothing after it is examined; a lead step across the block's end moves
// the checkpoint to its trail byte.
TEST(ScannerCheckpoints, AStopAtTheFirstCheckpointEmitsThePendingCandidate)
{
    const std::string letters = std::string("abcdefghijklmnopqrst\0tail text after\0", 37);
    const struct {
        const char *what;
        std::string data;
        int m;
        ExtractionSettings settings;
        std::vector<Row> rows;
        size_t at;  // the checkpoint's position
    } cases[] = {
        {"a run of letters across the checkpoint", letters, 5, Defaults(), {A(0, "abcdefgh")}, 7},
        {"stopped before m bytes were gathered", letters, 9, Defaults(), {}, 7},
        {"the pair at 7-8 ends the block at 8", "ABCDEFG\x82\xA0HIJ", 5, Kanji(),
         {A(0, "ABCDEFG\x82\xA0")}, 8},
    };
    for (const auto &c : cases) {
        const auto bytes = Bytes(c.data);
        RecordingHost host(0);
        lex::ScanBufferWithInterval(bytes.data(), bytes.size(), c.m, c.settings, nullptr, host, 8);
        EXPECT_EQ(c.rows, host.rows) << c.what;
        EXPECT_EQ(std::vector<int>{static_cast<int>(c.at * 100 / bytes.size())}, host.progress)
            << c.what;
    }
}

// The processor check, forced: the words that CPUID and XGETBV give on
// processors and operating systems of every kind, and the build of the walk
// that each request then runs.
TEST(ScanPathChoice, TheCpuidChoicePicksEachWalkWhenForced)
{
    using lex::ScanPath;
    constexpr uint32_t sse2 = 1u << 26;                      // leaf 1 EDX
    constexpr uint32_t osxsave = 1u << 27, avx = 1u << 28;  // leaf 1 ECX
    constexpr uint32_t avx2 = 1u << 5, bmi = 1u << 3 | 1u << 8;  // leaf 7 EBX
    constexpr uint32_t sse3 = 1u << 0, sse41 = 1u << 19;
    constexpr uint32_t x87 = 1, xmm = 2, ymm = 4;           // XCR0
    struct Case {
        const char *what;
        lex::CpuidWords words;
        ScanPath forAvx2;  // the build that runs when AVX2 is asked for
        ScanPath forSse2;
    };
    const Case cases[] = {
        {"AVX2, its registers saved by the system",
         {osxsave | avx | sse3, sse2, avx2 | bmi, x87 | xmm | ymm}, ScanPath::Avx2, ScanPath::Sse2},
        {"AVX2, only the 128-bit registers saved",
         {osxsave | avx, sse2, avx2, x87 | xmm}, ScanPath::Sse2, ScanPath::Sse2},
        {"AVX2, the upper halves saved without the XMM state",
         {osxsave | avx, sse2, avx2, x87 | ymm}, ScanPath::Sse2, ScanPath::Sse2},
        {"AVX2, XSAVE not enabled by the system",
         {avx, sse2, avx2, x87 | xmm | ymm}, ScanPath::Sse2, ScanPath::Sse2},
        {"AVX2 without AVX", {osxsave, sse2, avx2, x87 | xmm | ymm}, ScanPath::Sse2,
         ScanPath::Sse2},
        {"AVX without AVX2", {osxsave | avx | sse41, sse2, bmi, x87 | xmm | ymm}, ScanPath::Sse2,
         ScanPath::Sse2},
        {"no leaf 7", {osxsave | avx, sse2, 0, x87 | xmm | ymm}, ScanPath::Sse2, ScanPath::Sse2},
        {"SSE without SSE2", {0, 1u << 25, 0, 0}, ScanPath::Plain, ScanPath::Plain},
        {"no CPUID at all", {}, ScanPath::Plain, ScanPath::Plain},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const lex::ProcessorFeatures features = lex::FeaturesFromCpuid(c.words);
        EXPECT_EQ(c.forAvx2, lex::RunnableScanPath(ScanPath::Avx2, features));
        EXPECT_EQ(c.forSse2, lex::RunnableScanPath(ScanPath::Sse2, features));
        EXPECT_EQ(ScanPath::Plain, lex::RunnableScanPath(ScanPath::Plain, features));
    }
}

// This processor's check agrees with the kernel's flags: AVX2 where Linux
// lists "avx2" (which it does only where it saves the 256-bit registers).
TEST(ScanPathChoice, TheProcessorCheckAgreesWithTheKernel)
{
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line, flags;
    while (flags.empty() && std::getline(cpuinfo, line))
        if (line.compare(0, 5, "flags") == 0)
            flags = line + " ";
    if (flags.empty())
        GTEST_SKIP() << "no x86 flags in /proc/cpuinfo";
    const bool avx2 = flags.find(" avx2 ") != std::string::npos;
    EXPECT_EQ(avx2, lex::DetectedProcessorFeatures().avx2);
    EXPECT_EQ(avx2 ? lex::ScanPath::Avx2 : lex::ScanPath::Sse2, lex::SelectedScanPath());
}

struct FilterCase {
    std::string text;
    int limit;
    bool passes;
};

TEST(RepetitionFilter, RejectsRunsOfTheLimitExceptSpacesUnderscoresDigits)
{
    const FilterCase cases[] = {
        {"xAAAy", 4, true},     {"xAAAAy", 4, false},   {"xyzAAAA", 4, false},
        {"AAAA", 4, false},     {"        x", 4, true}, {"a____b", 4, true},
        {"1000000", 4, true},   {"AAAAA", 6, true},     {"AAAAAA", 6, false},
        {"ab", 2, true},        {"abb", 2, false},      {"x", 1, false},
        {"1 _", 1, true},       {"x", 0, false},        {"x", -5, false},
        {"x", INT32_MIN, false}, {"99_ 1", INT32_MIN, true},
        // Double-byte characters with equal lead and trail bytes form runs.
        {"\x88\x88", 4, true},  {"\x88\x88\x88\x88", 4, false},
        {"", 1, true},
    };
    for (const FilterCase &c : cases)
        EXPECT_EQ(c.passes, lex::PassesRepetitionFilter(c.text.data(), c.text.size(), c.limit))
            << '"' << c.text << "\" limit " << c.limit;
}

// Against the reference walk's rule.
TEST(RepetitionFilter, AgreesWithTheRuleOnRandomTextsWhereverTheRunsFall)
{
    std::mt19937 rng(7);
    // Small alphabets make runs of every length, at every place relative to
    // the filter's four-byte steps; the large one makes runs rare.
    const std::string alphabets[] = {"ab", "aB_", "a1 ", "abcdefgh", "xy\x88"};
    const int limits[] = {-1, 0, 1, 2, 3, 4, 5, 8};
    for (int round = 0; round < 20000; ++round) {
        const std::string &alphabet = alphabets[round % 5];
        std::string text(rng() % 41, '\0');
        for (char &c : text)
            c = alphabet[rng() % alphabet.size()];
        const int limit = limits[rng() % 8];
        ASSERT_EQ(!lexref::Repetitive(text, limit),
                  lex::PassesRepetitionFilter(text.data(), text.size(), limit))
            << '"' << text << "\" limit " << limit;
    }
}

using ScannerFile = lextest::FileTest;

TEST_F(ScannerFile, BigFilesAreReadInPiecesThatTheHostCanStop)
{
    // Text across the boundary of the first read piece must come out whole.
    std::string data(lex::kScanPiece * 2 + 100, '\0');
    const std::string across = "straddling the piece boundary";
    data.replace(lex::kScanPiece - 10, across.size(), across);
    const std::string late = "after the first checkpoint";
    data.replace(lex::kCheckpointInterval + 5, late.size(), late);
    const std::string path = Write("big.bin", data);

    RecordingHost full;
    lex::InputError why = lex::InputError::Stopped;
    EXPECT_EQ(0, lex::StringScanner(path.c_str(), 5, Defaults(), nullptr, full, &why));
    EXPECT_EQ(lex::InputError::None, why);
    EXPECT_EQ(1, full.clears);
    const std::vector<Row> expected = {A(lex::kCheckpointInterval + 5, late),
                                       A(lex::kScanPiece - 10, across)};
    EXPECT_EQ(expected, full.rows);
    ASSERT_GE(full.log.size(), 2u);
    EXPECT_EQ("clear", full.log[0]);

    // A stop ends the scan at the next checkpoint, with the rows found so
    // far; it is not an error.
    RecordingHost stopped(1);
    EXPECT_EQ(0, lex::StringScanner(path.c_str(), 5, Defaults(), nullptr, stopped, &why));
    EXPECT_EQ(lex::InputError::Stopped, why);
    EXPECT_EQ(1, stopped.clears);
    EXPECT_EQ(std::vector<Row>{expected[0]}, stopped.rows);
    EXPECT_EQ(2u, stopped.progress.size());
}

TEST_F(ScannerFile, FilesOfFourGigabytesAndMoreAreRefused)
{
    // Sparse files: the size is what matters, no data is written.
    for (off_t size : {off_t(0x100000000), off_t(0x100000005)}) {
        const std::string path = Write("big" + std::to_string(size), "");
        ASSERT_EQ(0, truncate(path.c_str(), size));
        RecordingHost host;
        lex::InputError why = lex::InputError::None;
        EXPECT_EQ(1, lex::StringScanner(path.c_str(), 5, Defaults(), nullptr, host, &why));
        EXPECT_EQ(lex::InputError::TooLarge, why);
        EXPECT_EQ(0, host.clears);
        EXPECT_TRUE(host.progress.empty());
    }
    // Up to 4 GiB - 1 a file is taken: here the host stops the scan at the
    // first checkpoint, with its progress reckoned against the full size.
    for (off_t size : {off_t(0x80000000), off_t(0xFFFFFFFF)}) {
        const std::string path = Write("ok" + std::to_string(size), "");
        ASSERT_EQ(0, truncate(path.c_str(), size));
        RecordingHost host(0);
        lex::InputError why = lex::InputError::None;
        EXPECT_EQ(0, lex::StringScanner(path.c_str(), 5, Defaults(), nullptr, host, &why));
        EXPECT_EQ(lex::InputError::Stopped, why);
        EXPECT_EQ(1, host.clears);
        EXPECT_EQ(std::vector<int>{0}, host.progress);
    }
    // The buffer entry point refuses such sizes before touching the data.
    if (sizeof(size_t) > 4) {
        const uint8_t byte = 'A';
        RecordingHost host;
        EXPECT_EQ(1, lex::ScanBuffer(&byte, size_t(0xFFFFFFFF) + 1, 1, Defaults(), nullptr, host));
        EXPECT_TRUE(host.log.empty());
    }
}
