// The Japanese-text judge on rows the walk gave from real files: what it
// keeps, cuts and drops.  The tables are counted from the machine's own
// data, so the cases are clear ones, not the edge of a bar.
#include "japanese/judge.h"
#include "scan/cp932.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using lex::japanese::JudgeForm;
using lex::japanese::JudgeRow;
using lex::japanese::RowChar;

// A row's characters as the walk of `form` would hand them over: a
// Shift-JIS pair, a UTF-16 code unit, a UTF-8 sequence per character.
std::vector<RowChar> Chars(const std::u32string &text, JudgeForm form)
{
    std::vector<RowChar> chars;
    uint32_t at = 0;
    for (char32_t c : text) {
        const uint32_t size = form == JudgeForm::Utf16Le ? 2
                              : c < 0x80               ? 1
                              : form == JudgeForm::Utf8 ? (c < 0x800 ? 2 : 3)
                                                        : 2;
        // A Shift-JIS character comes with its two bytes, as the filter
        // gives them.
        const uint16_t bytes = form == JudgeForm::ShiftJis ? lex::Cp932Form(c) : 0;
        chars.push_back({static_cast<uint32_t>(c), at, size, lex::japanese::kClassUnknown,
                         static_cast<uint16_t>(bytes >= 0x100 ? bytes : 0)});
        at += size;
    }
    return chars;
}

struct Case {
    const char *what;
    std::u32string row;
    JudgeForm form;
    bool cleanStart, cleanEnd;
    bool japanese;
    uint32_t first, end;  // the characters kept, when japanese
};

TEST(JapaneseJudge, RuleCasesFromRealFiles)
{
    const Case cases[] = {
        // Machine code's last byte 0x94 took "[" as its trail byte: the
        // pair is cut, so that the walk reads "[" again.
        {"[Enter] head after a junk pair", U"納Enter] キーを押すと続行します。", JudgeForm::ShiftJis,
         false, true, true, 1, 20},
        {"message after code bytes \"D$\"", U"D$が含まれていて回復したい場合は使用してください。",
         JudgeForm::ShiftJis, false, true, true, 2, 26},
        {"menu text", U"名前の変更(&R)", JudgeForm::Utf16Le, true, true, true, 0, 9},
        {"two-character word between zeros", U"全般", JudgeForm::Utf16Le, true, true, true, 0, 2},
        // Words between clean edges too short for the pairs to tell.
        {"dialog font name", U"ＭＳ Ｐゴシック", JudgeForm::Utf16Le, true, true, true, 0, 8},
        {"half-width katakana string", U"ﾃﾞｰﾀ", JudgeForm::Utf16Le, true, true, true, 0, 4},
        {"words with a kana between zeros", U"abあcd", JudgeForm::ShiftJis, true, true, true, 0, 5},
        {"a kanji after a format", U"%lld年", JudgeForm::ShiftJis, true, true, true, 0, 5},
        {"a kanji after a word", U"PGP 鍵", JudgeForm::ShiftJis, true, true, true, 0, 5},
        {"a kanji before a mnemonic", U"色(_C)", JudgeForm::ShiftJis, true, true, true, 0, 5},
        // Technical text glues short kanji words to names and formats;
        // code's counters, prefixes and signs glued so stay code.
        {"a clause after a keyword", U"WHERE句", JudgeForm::ShiftJis, true, true, true, 0, 6},
        {"a constraint after two keywords", U"FOREIGN KEY制約", JudgeForm::ShiftJis, true, true, true, 0,
         13},
        {"a kanji between formats", U"%s対%s", JudgeForm::ShiftJis, true, true, true, 0, 5},
        {"prefixes before capital names", U"旧DIR=新DIR", JudgeForm::ShiftJis, true, true, true, 0, 9},
        {"a statement after code bytes", U"SELECT文", JudgeForm::ShiftJis, false, true, true, 0, 7},
        {"a counter after a format after code bytes", U"%lld秒", JudgeForm::ShiftJis, false, true, true,
         0, 5},
        {"a word set apart after code bytes", U"a2 封筒", JudgeForm::ShiftJis, false, true, true, 0, 5},
        {"a bracketed word after code bytes", U"[不明]", JudgeForm::ShiftJis, false, true, true, 0, 4},
        // Signs code makes, set as text sets them: quotes and brackets
        // that close, a stop at the end; left open they stay code's.
        {"a kanji word after a format in quotes", U"`%s' 節", JudgeForm::ShiftJis, true, true, true, 0, 6},
        {"a clause after a format in brackets", U"<%s>句", JudgeForm::ShiftJis, true, true, true, 0, 5},
        {"a kanji word and a stop at the end", U"表 \"%s\"!", JudgeForm::ShiftJis, true, true, true, 0, 7},
        {"a brace that never closes", U"待{HszDate", JudgeForm::ShiftJis, true, true, false, 0, 0},
        {"a quote that never closes", U"`%s 節", JudgeForm::ShiftJis, true, true, false, 0, 0},
        {"pushes and a move read as a counter", U"ATI回", JudgeForm::ShiftJis, false, true, false, 0, 0},
        {"a code pair before capitals", U"米DT", JudgeForm::ShiftJis, false, true, false, 0, 0},
        {"a sign and code pairs", U"/英蛍", JudgeForm::ShiftJis, false, true, false, 0, 0},
        // A move's bytes 89 C1 before a katakana word read as a kanji that
        // begins no such word; a prefix does.
        {"a move's kanji before a katakana word", U"加パスワードは変更しなければなりません",
         JudgeForm::ShiftJis, false, true, true, 1, 19},
        {"a prefix before a katakana word", U"全ファイルを取り出す", JudgeForm::ShiftJis, false, true, true,
         0, 10},
        {"a kanji of code's bytes glued before a format", U"富%s を開いています", JudgeForm::ShiftJis, false,
         true, true, 1, 11},
        // Right after a zero, such a kanji of code's bytes (90 C2, 94 F1)
        // stays too, before a katakana word or a capital one.
        {"a code-like prefix after a zero", U"青バランス", JudgeForm::ShiftJis, true, true, true, 0, 5},
        {"a kanji of code's bytes before a column after a zero", U"営    全て削除する", JudgeForm::ShiftJis,
         true, true, true, 1, 11},
        {"a prefix before a capital word after a zero", U"非NULL制約の整合性を確認しています",
         JudgeForm::ShiftJis, true, true, true, 0, 19},
        {"a letter and a sign glued to a kanji", U"A 越(", JudgeForm::ShiftJis, true, true, false, 0, 0},
        // Heads at a dirty edge: code's last bytes glued to the text go,
        // the text's own ASCII start stays.
        {"format after code bytes", U"T$'%s' ファイルが変更されています。", JudgeForm::ShiftJis,
         false, true, true, 2, 21},
        {"column of spaces after code bytes", U"IID    接続先のサーバです。", JudgeForm::ShiftJis,
         false, true, true, 3, 17},
        {"quoted format before the text", U"\"%s\"に対する未定義のファイルタイプ", JudgeForm::ShiftJis,
         false, true, true, 0, 19},
        {"count before a counter word", U"1 つ以上のファイルが指定された場合は", JudgeForm::ShiftJis,
         false, true, true, 0, 19},
        {"half-width katakana glued on", U"ﾞおかしなパラメータ", JudgeForm::ShiftJis, false, true,
         true, 1, 10},
        {"an acronym glued to the text", U"CRLに発行者がありません", JudgeForm::ShiftJis, false, true,
         true, 0, 13},
        {"a name and a space before the text", U"DNS が失敗しました", JudgeForm::ShiftJis, false, true,
         true, 0, 11},
        {"a symbol name's end glued to the text", U"CLあらかじめコンパイルされた", JudgeForm::ShiftJis,
         false, true, true, 2, 15},
        {"code's bytes glued before an acronym", U"0.TTYの変更要求を無視する", JudgeForm::ShiftJis,
         false, true, true, 2, 15},
        {"a small letter glued before a name", U"tSELinux のユーザキーを生成できません",
         JudgeForm::ShiftJis, false, true, true, 1, 23},
        {"a digit glued to a kanji", U"5入力ファイルが長すぎます", JudgeForm::ShiftJis, false, true, true,
         1, 13},
        {"a digit glued to a hiragana counter", U"2つの異なった文字セット", JudgeForm::ShiftJis, false, true,
         true, 0, 12},
        {"a letter and a code-like kanji after a zero", U"H剛署名が見つかりません", JudgeForm::ShiftJis,
         true, true, true, 2, 12},
        {"a code-like kanji that begins a string", U"機能拡張を読み込んでいます", JudgeForm::ShiftJis, true,
         true, true, 0, 13},
        {"words before UTF-8 text at a dirty edge", U"AVX2 サポートが検出されませんでした", JudgeForm::Utf8,
         false, true, true, 0, 20},
        {"a Japanese word after spaces after a zero", U"  主サーバー設定ファイルを使用する", JudgeForm::Utf8,
         true, true, true, 0, 18},
        {"message in UTF-8", U"%s に充分な空きスペースがありません。", JudgeForm::Utf8, true, true, true, 0, 20},
        // Whole strings whose head the pairs alone would cut, and code's
        // bytes that a zero, padding or a lone pair glue to the text.
        {"a code-like kanji word before ASCII", U"遠隔I/Oエラーです", JudgeForm::ShiftJis, true, true,
         true, 0, 10},
        {"arrows between words", U"LRE 左→右 Embedding(_E)", JudgeForm::ShiftJis, true, true, true, 0,
         21},
        {"a label and numbers", U"例: 1-3,7,11", JudgeForm::ShiftJis, true, true, true, 0, 11},
        {"a rare kanji before a colon", U"鐃: ", JudgeForm::ShiftJis, true, true, false, 0, 0},
        {"a lone pair glued to a word after a zero", U"職xcel 2007 スプレッドシート", JudgeForm::ShiftJis,
         true, true, true, 1, 19},
        {"a word before a mnemonic after code", U"H削除(_D)", JudgeForm::ShiftJis, false, true, true, 1, 7},
        {"x86 pops glued to the text", U"[]Aコマンドライン", JudgeForm::ShiftJis, false, true, true, 3, 10},
        {"x86 operand bytes before a name", U"L$IPA (国際発音記号)", JudgeForm::ShiftJis, false, true,
         true, 2, 14},
        {"a section name's end glued to a name", U".idCDX ファイル", JudgeForm::ShiftJis, false, true, true,
         3, 11},
        {"two letters glued to a capitalised word", U"PgJava バイトコード", JudgeForm::ShiftJis, false, true,
         true, 2, 13},
        {"a percent sign glued to a format", U"%%s の tcb ディレクトリ", JudgeForm::ShiftJis, false, true,
         true, 1, 16},
        // Code rows: x86-64 pushes with a kanji glued on, a table of
        // units read as ideographs between ASCII, pairs of rare kanji.
        {"pushes with a kanji", U"AWAVAUATUSH壊", JudgeForm::ShiftJis, false, false, false, 0, 0},
        {"kanji among ASCII units", U"言5退5需5", JudgeForm::Utf16Le, false, false, false, 0, 0},
        {"prefix letter glued to a kana between zeros", U"Hボ(", JudgeForm::ShiftJis, true, true,
         false, 0, 0},
        {"rare kanji from instructions", U"荘羨瑞斉荘托荘", JudgeForm::ShiftJis, false, false, false, 0, 0},
        {"no Japanese at all", U"Could not open file", JudgeForm::ShiftJis, true, true, false, 0, 0},
        // UTF-16 tables of 16- and 32-bit values, and the words beside
        // them that the same rules must keep.
        {"code points in rising order", U"をゲド", JudgeForm::Utf16Le, true, false, false, 0, 0},
        {"high halves that repeat", U"ば表ば表ば表", JudgeForm::Utf16Le, true, true, false, 0, 0},
        {"a letter every second unit", U"術c言c", JudgeForm::Utf16Le, true, true, false, 0, 0},
        {"a lone katakana after kanji", U"封せゲ", JudgeForm::Utf16Le, true, true, false, 0, 0},
        {"a small kana first", U"っ能か褄", JudgeForm::Utf16Le, false, false, false, 0, 0},
        {"a word that repeats a kana", U"切り取り", JudgeForm::Utf16Le, true, true, true, 0, 4},
        {"a word that repeats two kana", U"いろいろ", JudgeForm::Utf16Le, true, true, true, 0, 4},
        {"two addresses in one image", U"城折基折", JudgeForm::Utf16Le, true, true, false, 0, 0},
        {"an address and a count", U"一援j", JudgeForm::Utf16Le, true, true, false, 0, 0},
        {"a label of two kanji", U"位置:", JudgeForm::Utf16Le, true, true, true, 0, 3},
        {"values read one byte off", U"5需5∀6", JudgeForm::Utf16Le, true, true, false, 0, 0},
        {"high halves of spaces", U"づ そ ", JudgeForm::Utf16Le, true, true, false, 0, 0},
        {"kana set apart by spaces", U"ア イ ウ", JudgeForm::Utf16Le, true, true, true, 0, 5},
        {"a format glued to UTF-16 text", U"%dバイトをログファイルに書き込めませんでした",
         JudgeForm::Utf16Le, false, true, true, 0, 23},
        // Technical text's words of one kanji, names and formats.
        {"a count's unit in brackets", U"(1 行)", JudgeForm::ShiftJis, true, true, true, 0, 5},
        {"a column's heading", U" 昔  ", JudgeForm::ShiftJis, true, true, true, 0, 4},
        {"a type name ending in a digit", U"int4型", JudgeForm::ShiftJis, true, true, true, 0, 5},
        {"a prefix before a format", U"全%d件", JudgeForm::ShiftJis, true, true, true, 0, 4},
        {"an arrow between formats", U"%s => %s 型", JudgeForm::ShiftJis, true, true, true, 0, 10},
        {"a word in angle brackets", U"<%s 型>", JudgeForm::ShiftJis, true, true, true, 0, 6},
        {"a word of small letters glued on", U"nullポインタを複製できません", JudgeForm::ShiftJis, false,
         true, true, 0, 16},
        {"an acronym and a space before a format", U"OID %uのラージオブジェクトをリストアしています",
         JudgeForm::ShiftJis, false, true, true, 0, 26},
        {"a symbol's pair before names and words", U"∈TIFF/EP 標準 ID", JudgeForm::ShiftJis, false, true,
         true, 1, 14},
        {"a word of one kanji before a format after code", U"行 %d", JudgeForm::ShiftJis, false, true, true, 0, 4},
        {"code's letter glued before a format", U"H%s 節", JudgeForm::ShiftJis, false, true, true, 1, 5},
        {"sides set apart between zeros", U"左-右", JudgeForm::ShiftJis, true, true, true, 0, 3},
        {"a word begun with a code-like kanji after code", U"機能追加", JudgeForm::ShiftJis, false, true, true, 0,
         4},
        {"kanji text seldom uses after a zero", U"委員会の設定を確認してください", JudgeForm::ShiftJis, true, true,
         true, 0, 15},
        {"a word of unseen kanji with a format", U"会員番号 %d", JudgeForm::ShiftJis, true, true, true, 0, 7},
        {"a compound of kanji between zeros", U"額面価格", JudgeForm::ShiftJis, true, true, true, 0, 4},
        // x86-64 instructions right after a zero read as pairs glued to the
        // text: a REX prefix and a move's opcode with its ModRM byte ("H" and
        // 89 EF), a call's opcode (E8 4D), pushes, NOP padding (90 90).  An
        // acronym's capital before such a kanji is the text's.
        {"a move and a call after a zero", U"H会鎬アルジェ", JudgeForm::ShiftJis, true, true, true, 3, 7},
        {"pushes and a move after a zero", U"ATI廻または: getconf", JudgeForm::ShiftJis, true, true, true, 4,
         16},
        {"padding after a zero", U"瑞無効な前方正規表現です", JudgeForm::ShiftJis, true, true, true, 1, 12},
        {"an acronym before a move's kanji after a zero", U"CRL項目の取得エラー: %s", JudgeForm::ShiftJis, true,
         true, true, 0, 15},
    };
    for (const Case &c : cases) {
        const std::vector<RowChar> chars = Chars(c.row, c.form);
        const lex::japanese::Verdict v =
            JudgeRow(chars.data(), chars.size(), c.form, {c.cleanStart, c.cleanEnd});
        EXPECT_EQ(v.japanese, c.japanese) << c.what << " (margin " << v.margin << ")";
        if (c.japanese && v.japanese) {
            EXPECT_EQ(v.first, c.first) << c.what;
            EXPECT_EQ(v.end, c.end) << c.what;
        }
    }
}

TEST(JapaneseJudge, KeptBytesFollowTheCharacters)
{
    const std::vector<RowChar> chars = Chars(U"D$が含まれて", JudgeForm::ShiftJis);
    const lex::japanese::Verdict v = JudgeRow(chars.data(), chars.size(), JudgeForm::ShiftJis, {false, true});
    ASSERT_TRUE(v.japanese);
    uint32_t from = 0, to = 0;
    lex::japanese::KeptBytes(chars.data(), v, &from, &to);
    EXPECT_EQ(from, 2u);   // after "D$"
    EXPECT_EQ(to, 12u);    // five pairs
}

} // namespace
