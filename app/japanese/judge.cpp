// The Japanese-text judge (judge.h tells the rule).
#include "japanese/judge.h"

#include <algorithm>
#include <climits>

#include "japanese/model.h"

namespace lex {
namespace japanese {

namespace {

// An ASCII letter, small or capital.
inline bool IsAsciiLetter(uint32_t u) { return (u | 0x20) >= 'a' && (u | 0x20) <= 'z'; }

// What cutting a head or a tail costs, and the score a span needs, per
// encoding, in the pair scores' sixteenths: chosen on the tuning half of
// the catalogues and binaries (scripts/japanese-files.sh).
// A span that is the whole row between two clean edges, as a string
// between zeros, earns `whole`: machine code seldom stands so.
struct Bar {
    int32_t cut;
    int32_t threshold;
    int32_t whole;
};
constexpr Bar kBars[kForms] = {
    {48, 100, 60},  // Shift-JIS
    {48, 50, 0},    // UTF-16LE
    {48, 0, 0},     // UTF-8
};

// The most ASCII characters a head glued to Japanese text at a dirty edge
// is cut off with.
constexpr size_t kGluedHead = 4;

// Whether a whole string (clean at both edges) is made only of what text
// is made of: ASCII letters, digits, spaces and common punctuation, and
// Japanese characters of the classes text uses often (kana, common kanji,
// Japanese punctuation and full-width forms, half-width katakana), with a
// letter or a Japanese character among every three characters.  Such UTF-16 strings
// (a resource's "ＬＥＸＰＲＯＢＥ", "ＭＳ Ｐゴシック") are words that the pairs
// alone have too few characters to tell; machine code read as UTF-16
// seldom stands between two clean edges.
// Full-width ASCII forms and half-width katakana count by their code
// points: machine code read as UTF-16 makes them often enough to be
// code-like to the pairs, but such words are made of them.
bool TextShaped(const RowChar *chars, size_t count, int form)
{
    size_t sinceWord = 0, japanese = 0;
    for (size_t k = 0; k < count; ++k) {
        const uint32_t u = chars[k].code;
        const uint8_t c = ClassOf(u, form);
        const bool letter = IsAsciiLetter(u);
        // (Half-width katakana are listed only while taken as text.)
        if ((u >= 0xFF01 && u <= 0xFF5E) || (u >= 0xFF61 && u <= 0xFF9F)) {
            ++japanese;
            sinceWord = 0;
            continue;
        }
        switch (c) {
        case kHiraganaCommon: case kHiragana: case kKatakana: case kLongVowel:
        case kJapaneseStop: case kBracket: case kWide: case kKanji1: case kKanji2:
            ++japanese;
            sinceWord = 0;
            continue;
        case kSpace: case kDigit: case kCapital: case kSmall: case kStop: case kOpen:
        case kClose: case kPercent: case kAmp:
            break;
        default:
            if (u != '-' && u != ':' && u != '/' && u != '*' && u != '_' && u != '=')
                return false;
        }
        sinceWord = letter ? 0 : sinceWord + 1;
        if (sinceWord >= 3)
            return false;
    }
    return japanese > 0;
}

uint8_t ClassAt(const RowChar &c, int form)
{
    return c.cls != kClassUnknown ? c.cls : ClassOf(c.code, form);
}

// Whether character k of a string is a sign that text seldom holds and
// machine code often makes ("$", "@", "\\", "{", "#", "!", ...), but as
// text sets it: the opening sign of a quote or bracket that closes later
// in the string and its closing sign ("`%s'", "<%s>", "{%s}"), a
// format's flag ("%#x") and a stop that ends the string ("!", "?").
// How far apart, in characters, the signs of a quote or bracket are
// looked for: text closes them soon, and a long string of such signs is
// read in a time that grows with its length alone.
constexpr size_t kSignReach = 64;

bool SeldomSign(const RowChar *chars, size_t k, size_t count)
{
    const uint32_t u = chars[k].code;
    const auto later = [&](uint32_t close) {
        for (size_t q = k + 1; q < count && q <= k + kSignReach; ++q)
            if (chars[q].code == close)
                return true;
        return false;
    };
    const auto earlier = [&](uint32_t open) {
        for (size_t q = k > kSignReach ? k - kSignReach : 0; q < k; ++q)
            if (chars[q].code == open)
                return true;
        return false;
    };
    switch (u) {
    case '`':
        return !later('\'');
    case '<':
        return !later('>');
    case '>':
        // (Nor an arrow's head: "%s -> %s", "%s => %s".)
        return !earlier('<') && !(k > 0 && (chars[k - 1].code == '-' || chars[k - 1].code == '='));
    case '{':
        return !later('}');
    case '}':
        return !earlier('{');
    case '#':
        return k == 0 || chars[k - 1].code != '%';
    case '!': case '?':
        return k + 1 != count;
    case '$': case '@': case '\\': case '^': case '~': case ';':
        return true;
    default:
        return false;
    }
}

// For a Shift-JIS whole string of that shape made of ASCII words with a
// kana or two ("abあcd"), too short for the pairs to tell: machine code
// glues its pairs to capital letters and digits ("Hボ(", "D1D1岡":
// prefixes, registers and displacements) and to single letters ("fポu"),
// and makes kanji more than kana.  It reads as text when its Japanese
// characters are kana (no half-width katakana byte, no kanji), no capital
// letter or digit touches one, and it holds four small letters.
bool ShiftJisKanaInWords(const RowChar *chars, size_t count, int form)
{
    size_t small = 0;
    const auto glue = [](uint32_t u) { return (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9'); };
    for (size_t k = 0; k < count; ++k) {
        const uint32_t u = chars[k].code;
        small += u >= 'a' && u <= 'z';
        if (u < 0x80)
            continue;
        const uint8_t c = ClassAt(chars[k], form);
        if (c < kHiraganaCommon || c > kLongVowel)
            return false;
        if ((k > 0 && glue(chars[k - 1].code)) || (k + 1 < count && glue(chars[k + 1].code)))
            return false;
    }
    return small >= 4;
}

// For a Shift-JIS whole string between clean edges that is ASCII text
// with a few Japanese characters set in it as words ("%lld年", "PGP 鍵",
// "  %H   時 (00..23)", "色(_C)"): machine code glues its pairs to letters,
// digits and signs ("A 越(", "楕_HN", "規(C, ") and makes rare kanji.  It
// reads as text when it holds a word of three letters, a format ("%s"), a
// mnemonic ("(_C)", "(&C)") or a label of common Japanese characters
// ("例: "), none of the signs text seldom holds, only
// kana, Japanese punctuation and signs and kanji of the three commonest
// bands (or code-like ones) beyond ASCII, and each stretch of those has
// before it the string's start, a space, "(", a quote, "|" or a format's
// last letter, and after it the string's end, a space, ":", ")", ".", "="
// or a mnemonic ("負荷=%lu"); arrows count as Japanese signs ("左→右").
bool ShiftJisWordsInText(const RowChar *chars, size_t count, int form)
{
    // Whether the letter at k ends a format: '%' and letters before it.
    const auto formatEnd = [&](size_t k) {
        while (k > 0 && IsAsciiLetter(chars[k - 1].code))
            --k;
        return k > 0 && chars[k - 1].code == '%';
    };
    // A menu's or a label's mnemonic at k: "(_X)" or "(&X)".
    const auto mnemonic = [&](size_t k) {
        return k + 3 < count && chars[k].code == '(' &&
               (chars[k + 1].code == '_' || chars[k + 1].code == '&') && IsAsciiLetter(chars[k + 2].code) &&
               chars[k + 3].code == ')';
    };
    bool word = false;
    size_t letters = 0;
    for (size_t k = 0; k < count; ++k) {
        const uint32_t u = chars[k].code;
        letters = IsAsciiLetter(u) ? letters + 1 : 0;
        word = word || letters >= 3 || (u == '%' && k + 1 < count && IsAsciiLetter(chars[k + 1].code)) ||
               mnemonic(k);
        if (u < 0x80) {
            if (SeldomSign(chars, k, count))
                return false;
            continue;
        }
        const uint8_t c = ClassAt(chars[k], form);
        // (Arrows are signs text sets between words: "左→右".)
        const bool arrow = u >= 0x2190 && u <= 0x2193;
        if (c != kHiraganaCommon && c != kHiragana && c != kKatakana && c != kLongVowel &&
            c != kJapaneseStop && c != kBracket && c != kJapaneseSign && c != kKanji1 &&
            c != kKanji2 && c != kKanji3 && c != kCodeLike && !arrow)
            return false;
        if (k > 0 && chars[k - 1].code < 0x80) {
            const uint32_t before = chars[k - 1].code;
            if (before != ' ' && before != '(' && before != '"' && before != '\'' && before != '|' &&
                !(IsAsciiLetter(before) && formatEnd(k - 1)))
                return false;
        }
        // A label: Japanese characters, ": " and what they name ("例: 1-3").
        word = word || (k + 2 < count && chars[k + 1].code == ':' && chars[k + 2].code == ' ' &&
                        IsCommonTextClass(c));
        if (k + 1 < count && chars[k + 1].code < 0x80) {
            const uint32_t after = chars[k + 1].code;
            if (after != ' ' && after != ':' && after != ')' && after != '.' && after != '=' &&
                !mnemonic(k + 1))
                return false;
        }
    }
    return word;
}

// A digit or an ASCII letter.
bool IsWordChar(uint32_t u)
{
    return (u >= '0' && u <= '9') || IsAsciiLetter(u);
}

// Whether characters [h, j) of a row, the ASCII run before its first
// Japanese character at j, are a word the text begins with: a name or an
// acronym ("DNS が失敗", "PINが", "Qt マーク", "ar メンバー"), letters and
// digits with a dot, a dash, a plus or a slash inside, of at least two
// letters, and then one space (or none after an acronym).  Machine code's last bytes glued to
// the text seldom read so: they are one or two bytes, or break a word's
// case ("HKernel", "tSELinux", "9ODT").
bool WordHead(const RowChar *chars, size_t h, size_t j)
{
    const auto code = [&](size_t k) { return chars[k].code; };
    const auto capital = [](uint32_t u) { return u >= 'A' && u <= 'Z'; };
    const auto small = [](uint32_t u) { return u >= 'a' && u <= 'z'; };
    size_t end = j;
    if (end > h && code(end - 1) == ' ')
        --end;
    if (end < h + 2 || !(capital(code(h)) || small(code(h))) || !IsWordChar(code(end - 1)))
        return false;
    size_t capitals = 0, smalls = 0;
    for (size_t k = h; k < end; ++k) {
        const uint32_t u = code(k);
        if (!IsWordChar(u) && u != '.' && u != '-' && u != '+' && u != '/')
            return false;
        if (!IsWordChar(u) && !IsWordChar(code(k - 1)))
            return false;
        capitals += capital(u);
        smalls += small(u);
    }
    // All capitals, all small letters, or one capital and small letters;
    // glued to the Japanese character, an acronym of three capitals at
    // least or a word of four small letters at least ("nullポインタ"):
    // shorter runs glued so are mostly the end of a symbol's name
    // ("CLSID_" as "CL", "int", "met").
    const bool cased = smalls == 0 || capitals == 0 || (capitals == 1 && capital(code(h)));
    if (end == j)
        return (smalls == 0 && capitals >= 3) || (capitals == 0 && smalls >= 4);
    return capitals + smalls >= 2 && cased;
}

// Whether the first of the ASCII characters [0, j) of a row at a dirty
// edge is code's last byte glued to a word that begins the text: a
// small letter before a capital ("tSELinux", "dJava"), a digit before a word
// ("5Troff", "0WARC"), or a sign text does not set so before a letter
// (".JavaScript", ";TOFU", "=ypbind"; a directive's ".text" stays).  (A
// capital before a capitalised word, "HKernel", is as often a name's
// own: "GStreamer", "KWord".)
bool GluedByteBeforeWord(const RowChar *chars, size_t j)
{
    if (j < 5)
        return false;
    const auto capital = [](uint32_t u) { return u >= 'A' && u <= 'Z'; };
    const auto small = [](uint32_t u) { return u >= 'a' && u <= 'z'; };
    const auto letter = [&](uint32_t u) { return capital(u) || small(u); };
    const uint32_t a = chars[0].code, b = chars[1].code, c = chars[2].code, d = chars[3].code;
    if (!IsWordChar(c) || !IsWordChar(d))
        return false;
    if (small(a) && capital(b))
        return true;
    if (a >= '0' && a <= '9' && letter(b) && letter(c))
        return true;
    switch (a) {
    case '.':
        return capital(b);
    case ';': case '=': case '+': case '@': case '}': case '~': case '!': case ']': case '>':
    case '?': case '^':
        // (Not a sign that encloses a name: "@GnuPG@", "!tlsgd!".)
        for (size_t k = 1; k < j; ++k)
            if (chars[k].code == a)
                return false;
        return letter(b);
    default:
        return false;
    }
}

// Where the text of a span begins that a dirty edge, or a head cut off,
// leaves glued to a few bytes of machine code ("T$'%s' ファイル",
// "IID    接続先", "4A%lld分"): a text's ASCII head begins with a space, a
// format, a quote or bracket that closes later in the row, an option
// ("--help", "-v") or the Japanese character itself, and machine code's
// last bytes seldom do.  Such a start among the span's first ASCII
// characters before its first Japanese character, at most kGluedHead on
// from where that ASCII run begins (the row's start or a character
// beyond ASCII), becomes the span's start, before or after the one the
// pairs chose; where there is none, the span's start stands.
uint32_t TextHeadStart(const RowChar *chars, uint32_t first, uint32_t count, bool cleanStart,
                       JudgeForm form)
{
    size_t j = first;
    while (j < count && chars[j].code < 0x80)
        ++j;
    if (j >= count)
        return first;
    // (Bytes the walk left out, as a half-width katakana byte between
    // code's last printable bytes and the text, end the run: "0ﾀあなたは".)
    const auto gapBefore = [&](size_t k) { return chars[k].at > chars[k - 1].at + chars[k - 1].size; };
    size_t h = j;
    while (h > 0 && chars[h - 1].code < 0x80 && !gapBefore(h))
        --h;
    if (h > first)
        first = static_cast<uint32_t>(h);
    // ASCII right after a zero is text.
    if (h == 0 && cleanStart)
        return first;
    const auto at = [&](size_t k) { return k < count ? chars[k].code : 0u; };
    const auto letterAt = [&](size_t k) { return IsAsciiLetter(at(k)); };
    const auto later = [&](size_t k, uint32_t a, uint32_t b) {
        for (size_t q = k + 1; q < count; ++q)
            if (chars[q].code == a || chars[q].code == b)
                return true;
        return false;
    };
    const auto begins = [&](size_t k) {
        const uint32_t c = at(k), next = at(k + 1);
        switch (c) {
        case ' ':
            return k == h || k - h <= 2 || next == ' ';
        case '%':
            // (A percent sign escaped before a letter, "%%s", is code's
            // byte before a format; a name in parentheses, "%(name)s", is
            // one.)
            return IsWordChar(next) || next == '.' || next == '-' || next == '*' || next == '+' ||
                   next == '#' || next == '\'' || (next == '%' && !letterAt(k + 2)) ||
                   (next == '(' && letterAt(k + 2) && later(k, ')', ')'));
        case '"':
            return later(k, '"', 0x201D);
        case '\'':
        case '`':
            return later(k, '\'', 0x2019);
        case '(':
            // (Not an empty pair: "[]A" of x86's pops before the text.)
            return next != ')' && later(k, ')', ')');
        case '*':
            return next == ' ' || later(k, '*', '*');
        case '[':
            return next != ']' && later(k, ']', ']');
        case '<':
            return later(k, '>', '>');
        case '|':
            return later(k, '|', '|');
        case '-':
            return next == '-' || next == '%' || IsAsciiLetter(next);
        case '#':
            return next == ' ';
        default:
            // A number that begins the text: a count and what it counts,
            // after a space or glued to a hiragana counter ("180 度回転",
            // "2つの"); machine code's digits glued to katakana or kanji
            // are far more often so than text ("5入力").
            if (c >= '0' && c <= '9' && (k == h || !IsWordChar(at(k - 1)))) {
                size_t q = k;
                while (at(q) >= '0' && at(q) <= '9')
                    ++q;
                const uint32_t u = at(q);
                return (u == ' ' && at(q + 1) != ' ' && at(q + 1) != 0) || (u >= 0x3041 && u <= 0x309F);
            }
            return false;
        }
    };
    // A word the text begins with, at the run's start (after a pair, the
    // filter reads that pair's trail byte again: "D" of "DNS" taken as
    // one).
    if (WordHead(chars, h, j))
        return static_cast<uint32_t>(h);
    // So is a name or an acronym and one space before a format, a quote or
    // a bracket that begins what the text says of it ("OID %s の",
    // "RSA (%d ビット)"): code's last bytes seldom hold a space.
    {
        size_t w = h;
        while (w < j && (IsWordChar(at(w)) || at(w) == '/' || at(w) == '-' || at(w) == '.'))
            ++w;
        const uint32_t sign = at(w + 1);
        if (w + 1 < j && at(w) == ' ' &&
            (sign == '%' || sign == '(' || sign == '"' || sign == '\'' || sign == '`' || sign == '[') &&
            begins(w + 1) && WordHead(chars, h, w + 1))
            return static_cast<uint32_t>(h);
    }
    if (h == 0 && GluedByteBeforeWord(chars, j))
        return 1;
    // A letter and "$" at a dirty edge before a word are x86's register
    // and stack operand bytes ("L$IPA" of 4C 24, "T$fetch"), not text's.
    if (h == 0 && j >= 4 && letterAt(0) && at(1) == '$' && letterAt(2) && letterAt(3))
        return 2;
    // So is the end of a section's name (".idata", ".text") glued to a
    // word (".idCDX", ".iFILE"), and a capital and a small letter glued to
    // a capitalised word ("PgJava", "DaMPEG", "AgGnuPG").
    const auto capitalAt = [&](size_t k) { return at(k) >= 'A' && at(k) <= 'Z'; };
    const auto smallAt = [&](size_t k) { return at(k) >= 'a' && at(k) <= 'z'; };
    if (h == 0 && at(0) == '.' && smallAt(1)) {
        const size_t w = smallAt(2) ? 3 : 2;
        if (w + 1 < j && capitalAt(w) && IsWordChar(at(w + 1)))
            return static_cast<uint32_t>(w);
    }
    if (h == 0 && j > 4 && capitalAt(0) && smallAt(1) && capitalAt(2) && WordHead(chars, 2, j))
        return 2;
    // (A head with a space before the Japanese character is no glued
    // head: "ASF 動画".)
    bool spaced = false, glued = false;
    for (size_t k = h; k <= j && k <= h + kGluedHead && !glued; ++k) {
        if (begins(k))
            return static_cast<uint32_t>(k);
        glued = k == j && !spaced;
        spaced = spaced || at(k) == ' ';
    }
    // Else a word after one or two of code's bytes glued before it, a
    // digit or a letter among them: after a sign, or a digit before a
    // capital ("0.TTYの", "1FACKを"; not a name's "_" or "/", nor a
    // directive's "." alone).
    bool code = false;
    for (size_t w = h + 1; w < j && w <= h + 2; ++w) {
        const uint32_t before = chars[w - 1].code;
        code = code || IsWordChar(before);
        if (before == ' ' || before == '_' || before == '/')
            break;
        const bool after = !IsWordChar(before) ||
                           (before >= '0' && before <= '9' && chars[w].code >= 'A' && chars[w].code <= 'Z');
        if (code && after && WordHead(chars, w, j))
            return static_cast<uint32_t>(w);
    }
    if (glued)
        return static_cast<uint32_t>(j);
    // In UTF-8 (and ISO-2022-JP) text, whose Japanese characters machine
    // code seldom makes, a head of words, a letter or digit first and a
    // space between them and the Japanese character, is text too ("AVX2
    // サポート"); Shift-JIS pairs glue to code's letters far more often.
    if (form == JudgeForm::Utf8 && IsWordChar(at(h)))
        for (size_t k = h; k < j; ++k)
            if (at(k) == ' ')
                return static_cast<uint32_t>(h);
    return first;
}

bool IsIdeograph(uint32_t u) { return u >= 0x4E00 && u <= 0x9FFF; }

// Whether characters k and on of a Shift-JIS row are a kanji that begins
// no compounds glued before a format ("富%s を開いています" of 95 78):
// text begins with the format itself far more often.
bool KanjiBeforeFormat(const RowChar *chars, size_t k, size_t end, int form)
{
    if (form != static_cast<int>(JudgeForm::ShiftJis) || k + 3 > end || chars[k].size != 2 ||
        !IsIdeograph(chars[k].code) || LoanwordPrefix(chars[k].code) || chars[k + 1].code != '%')
        return false;
    const uint32_t u = chars[k + 2].code | 0x20;
    return u >= 'a' && u <= 'z';
}

// Kanji that technical text glues right after an ASCII name, as the
// first character of the word the name is one of: a clause, a statement,
// a constraint, a function, a type, a value, a table's column ("WHERE句",
// "SELECT文", "CHECK制約", "C関数", "OID型"); after a format, counters and
// units of time too ("%d回", "%Y年%B", "%H時%M分", "%s対%s").  (Counters
// glued to a name are mostly x86's prefixes and pushes and a move's or a
// load's opcode: "ATI回" of 41 54 49 89 F1, "UH差".)
bool TermSuffix(uint32_t u, bool afterFormat)
{
    static constexpr char16_t kAfterName[] =
        u"文句式表値名型数関制変演定設処接形属要権宣参構言節版用側内外行列項群種類層線面域"
        u"元先鍵帳局所語部器機化性系長枠欄図順位対上下中後前間量率法以未付込済毎字番号";
    static constexpr char16_t kCounters[] = u"回個件年月日時分秒週度点目倍差";
    for (char16_t p : kAfterName)
        if (p == u)
            return true;
    if (afterFormat)
        for (char16_t p : kCounters)
            if (p == u)
                return true;
    return false;
}

// Kanji that code's pairs make often (of the code-like class) but that
// technical text sets alone as words: sides and truth values ("左-右",
// "真 / 偽"), and the currency's unit ("%d 円").
bool SideWord(uint32_t u) { return u == 0x5DE6 || u == 0x53F3 || u == 0x507D || u == 0x5186; }

// For a Shift-JIS whole string between clean edges that is ASCII text
// with words of one or two common kanji glued to its names and formats,
// as technical text writes them ("WHERE句", "FOREIGN KEY制約", "%s対%s",
// "%H時%M分", "旧DIR=新DIR", "*破損*", "中央-右"): machine code glues its
// pairs to letters too ("食failed", "待{HszDate"), but its pairs are
// seldom such kanji, on that side of a name of one case.  It reads as
// text when none of the signs text seldom holds is in it, every stretch
// beyond ASCII is one or two kanji of the three commonest bands, and each
// stretch stands
//   - right after a name (two capitals or more, three small letters or
//     more, or a capital and small letters, and a digit or two after
//     them) or a format, begun with a kanji of TermSuffix for it, and
//     before the string's end, a space, a sign that ends a word or a
//     format;
//   - before a name of capitals or a format, begun with a kanji of
//     LoanwordPrefix, at the start, after a space, "(", "=" or "/";
//   - between "*", quotes or brackets that close right after it; or
//   - set apart by spaces, "-" or "/" (or the string's edges, or the
//     signs of a quote or bracket that closes on the other side of the
//     words: "(*行 列*)") in a string of two Japanese characters or more,
//     or of one kanji with a space beside it in four characters or more.
// In a `whole` string (between clean edges) a stretch set apart or
// enclosed may be one of SideWord's code-like kanji too, or, where the
// string holds a format, of up to four kanji of any band, those that
// text seldom or never uses and code's pairs make too ("第 %d 頁",
// "会員番号 %d"): code seldom makes a format.
// Returns 0 when it does not read so, 2 when a stretch is glued to a name
// or a format (the first two ways), 1 otherwise.
int ShiftJisTermsInText(const RowChar *chars, size_t count, int form, bool whole)
{
    const auto at = [&](size_t k) { return k < count ? chars[k].code : 0u; };
    const auto capital = [](uint32_t u) { return u >= 'A' && u <= 'Z'; };
    const auto small = [](uint32_t u) { return u >= 'a' && u <= 'z'; };
    // Whether the ASCII before character k ends a format ("%s", "%lu",
    // "%Y": 2), a name of one case (1) or neither (0).
    const auto nameEnd = [&](size_t k) -> int {
        // (A format or name in quotes or brackets ends the same way:
        // "`%s'文", "<%s>句".)
        if (k > 1 && (at(k - 1) == '\'' || at(k - 1) == '"' || at(k - 1) == '>' || at(k - 1) == ')' ||
                      at(k - 1) == ']'))
            --k;
        // (A name may end in a digit or two: "int4型", "float8型".)
        size_t digits = k;
        while (digits > 0 && k - digits < 2 && at(digits - 1) >= '0' && at(digits - 1) <= '9')
            --digits;
        size_t h = digits, capitals = 0, smalls = 0;
        while (h > 0 && (capital(at(h - 1)) || small(at(h - 1)))) {
            --h;
            capitals += capital(at(h));
            smalls += small(at(h));
        }
        if (h == digits && digits < k)
            return 0;
        if (h < k && h > 0 && at(h - 1) == '%')
            return digits == k ? 2 : 0;
        if (h > 0 && (IsWordChar(at(h - 1)) || at(h - 1) >= 0x80))
            return 0;
        return (smalls == 0 && capitals >= 2) || (capitals == 0 && smalls >= 3) ||
               (capitals == 1 && capital(at(h)) && smalls >= 2);
    };
    const auto closes = [](uint32_t open, uint32_t u) {
        return (open == '*' && u == '*') || (open == '"' && u == '"') || (open == '\'' && u == '\'') ||
               (open == '(' && u == ')') || (open == '[' && u == ']') || (open == '<' && u == '>') ||
               (open == '{' && u == '}');
    };
    const auto apart = [](uint32_t u) { return u == 0 || u == ' ' || u == '-' || u == '/'; };
    size_t japanese = 0;
    bool setApart = false, glued = false, spacedAlone = false, unseen = false, format = false;
    for (size_t k = 0; k < count;) {
        const uint32_t u = chars[k].code;
        if (k > 0 && chars[k].at > chars[k - 1].at + chars[k - 1].size)
            return 0;
        if (u < 0x80) {
            if (SeldomSign(chars, k, count))
                return 0;
            format = format || (u == '%' && IsAsciiLetter(at(k + 1)));
            ++k;
            continue;
        }
        size_t e = k;
        bool codeLike = false;
        for (; e < count && at(e) >= 0x80; ++e) {
            const uint8_t c = ClassAt(chars[e], form);
            const bool side = whole && c == kCodeLike && SideWord(at(e));
            const bool unseenKanji = whole && (c == kKanji4 || c == kKanji5 || (c == kCodeLike && !side));
            codeLike = codeLike || c == kCodeLike || unseenKanji;
            unseen = unseen || unseenKanji || e - k >= 2;
            if ((c != kKanji1 && c != kKanji2 && c != kKanji3 && !unseenKanji && !side) ||
                e - k >= (whole ? 4 : 2))
                return 0;
        }
        japanese += e - k;
        const uint32_t before = k > 0 ? at(k - 1) : 0, after = at(e);
        const int name = k > 0 ? nameEnd(k) : 0;
        const bool suffix = name > 0 && TermSuffix(u, name == 2) &&
                            (after == 0 || after == ' ' || after == ')' || after == ']' || after == ':' ||
                             after == ',' || after == '.' || after == '/' || after == '-' || after == '%' ||
                             after == '=' || after == '"' || after == '\'');
        // (Or before a format: "全%d件", "約%d%%".)
        const bool prefix = LoanwordPrefix(u) &&
                            ((capital(after) && capital(at(e + 1))) ||
                             (after == '%' && (capital(at(e + 1)) || small(at(e + 1))))) &&
                            (before == 0 || before == ' ' || before == '(' || before == '=' || before == '/');
        const bool enclosed = k > 0 && closes(before, after);
        // (Words set apart inside quotes or brackets too: "(*行 列*)".)
        bool opens = false, shuts = false;
        for (size_t q = e + 1; k > 0 && q < count && q <= e + kSignReach && !opens; ++q)
            opens = closes(before, at(q));
        for (size_t q = k > kSignReach ? k - kSignReach : 0; q < k && !shuts; ++q)
            shuts = closes(at(q), after);
        const bool spaced = (apart(before) || opens) && (apart(after) || after == ':' || shuts);
        if (!suffix && !prefix && !enclosed && !spaced)
            return 0;
        // Kanji that code's pairs make often ("左", "右", "機") stand so only
        // set apart as words, between zeros: "左-右", "左 / 右".
        if (codeLike && (suffix || prefix || !(spaced || enclosed)))
            return 0;
        setApart = setApart || (spaced && !suffix && !prefix && !enclosed);
        // A word of one kanji with a space beside it, as a column's
        // heading or a count's unit sets it (" 昔  ", "(1 行)"), stands
        // alone too in a string of four characters or more (code's pair
        // and a byte or two between zeros: "V 化").
        // So does a label's word of one kanji ("列: %s").
        spacedAlone = spacedAlone || (e == k + 1 && (before == ' ' || after == ' ' ||
                                                     (after == ':' && at(e + 1) == ' ')));
        glued = glued || suffix || prefix;
        k = e;
    }
    if (japanese == 0 || (setApart && japanese < 2 && !(spacedAlone && count >= 4)) || (unseen && !format))
        return 0;
    return glued ? 2 : 1;
}

// Whether characters [0, count) of a row begin with a format ("%s", "%d").
bool FormatFirst(const RowChar *chars, size_t count)
{
    return count > 1 && chars[0].code == '%' && IsAsciiLetter(chars[1].code);
}

// Whether characters [0, count) of a Shift-JIS row begin with a word of
// one or two common kanji that a space, ":" or "=" ends, and then a
// format, a number, a quote or a bracket, Japanese text or a word of
// three letters ("行 %d", "値: %s", "索引 \"%s\""), as a table's headings
// and a count's units stand: code's pairs seldom end so (a pair, a space
// and a byte or two of code's own read otherwise: "尽 c0").
bool KanjiWordFirst(const RowChar *chars, size_t count, int form)
{
    size_t k = 0;
    while (k < count && k < 2 && chars[k].size == 2) {
        const uint8_t c = ClassAt(chars[k], form);
        if (c != kKanji1 && c != kKanji2 && c != kKanji3)
            return false;
        ++k;
    }
    const uint32_t after = k > 0 && k < count ? chars[k].code : 0;
    if (after != ' ' && after != ':' && after != '=')
        return false;
    const size_t sign = k++;
    while (k < count && k < sign + 3 && chars[k].code == ' ')
        ++k;
    if (k >= count)
        return after == ':';
    const uint32_t next = chars[k].code;
    size_t letters = 0;
    while (k + letters < count && IsAsciiLetter(chars[k + letters].code))
        ++letters;
    return next == '%' || (next >= '0' && next <= '9') || next == '(' || next == '[' || next == '"' ||
           next == '\'' || next == '<' || next == '=' || next >= 0x80 || letters >= 3;
}

// Whether a Shift-JIS row at a dirty start and a clean end, of
// kWordsAfterCode characters at most, is such text from its first
// character on: a name or a format glued to a kanji word ("WHERE句"
// right after code's bytes), or, from a letter, a digit, a space, "*",
// "(", "[", a format or a word of KanjiWordFirst, any text of kanji words
// that ShiftJisTermsInText keeps between zeros ("a2 封筒", "[不明]",
// " 下側: %s %s", "%s 列", "行 %d"): machine code's last bytes before a
// zero seldom read so, as their pairs are seldom common kanji set apart
// as words.  (Not from another kanji or a sign that code's bytes make
// before one: "米DT", "/英蛍".)
constexpr size_t kWordsAfterCode = 40;
bool TermsAfterCode(const RowChar *chars, size_t count, int form)
{
    if (count > kWordsAfterCode)
        return false;
    const uint32_t u = chars[0].code;
    const bool name = IsAsciiLetter(u) || u == '%';
    const bool first = IsWordChar(u) || u == ' ' || u == '*' || u == '(' || u == '[' ||
                       FormatFirst(chars, count) || KanjiWordFirst(chars, count, form);
    if (!name && !first)
        return false;
    // The string is read once for both ways.
    const int terms = ShiftJisTermsInText(chars, count, form, false);
    return (name && terms == 2) || (first && terms > 0);
}

// Where a Shift-JIS row at a dirty start and a clean end reads as
// TermsAfterCode's text: from its first character (0); from its second
// (1) when the first is a pair that text does not begin with before a
// name, a symbol or a kanji it seldom or never uses (code's last byte and
// the byte after it: "∈PL/pgSQL関数%s"); or after code's last byte or two
// glued before a format or a word of KanjiWordFirst, one or two ASCII
// characters but a space, or a pair ("H%s 行 %d", "L$版 %d", "蛎%s 節"):
// text seldom glues a sign or a letter before them.  `count` when it
// reads so from none of those.
size_t TermsAfterCodeStart(const RowChar *chars, size_t count, int form)
{
    if (count < 3)
        return TermsAfterCode(chars, count, form) ? 0 : count;
    // (A letter glued before a format or a bracket, or before a column of
    // spaces, is code's last byte there even where the text reads on
    // from it: "H%s 節", "A(%s 行)", "H  %s 版".)
    const uint32_t second = chars[1].code;
    const bool gluedLetter = chars[0].size == 1 && IsAsciiLetter(chars[0].code) &&
                             (second == '%' || second == '(' || (second == ' ' && chars[2].code == ' '));
    if (!gluedLetter && TermsAfterCode(chars, count, form))
        return 0;
    if (gluedLetter)
        return TermsAfterCode(chars + 1, count - 1, form) ? 1 : TermsAfterCode(chars, count, form) ? 0 : count;
    const uint8_t c = ClassAt(chars[0], form);
    const bool glued = c == kSymbol || c == kOther || c == kKanji4 || c == kKanji5 || c == kCodeLike;
    if (chars[0].size == 2 && IsWordChar(chars[1].code))
        return glued && TermsAfterCode(chars + 1, count - 1, form) ? 1 : count;
    for (size_t k = 1; k <= 2 && k + 2 < count; ++k) {
        const RowChar &last = chars[k - 1];
        if (last.code == ' ' || (last.size == 2 && k > 1))
            return count;
        if ((FormatFirst(chars + k, count - k) || KanjiWordFirst(chars + k, count - k, form)) &&
            TermsAfterCode(chars + k, count - k, form))
            return k;
    }
    return count;
}

// Whether the first two characters of a Shift-JIS row are a word of
// technical text that begins with a kanji of the code-like class (code's
// pairs make it often, and a span at a dirty edge is cut after it): a
// symbol, a function, the past, a side ("記号", "機能", "過去", "左辺",
// "右から").  Code's pair glued before the text's first character seldom
// makes such a word.
bool CodeLikeWordHead(const RowChar *chars, size_t end)
{
    static constexpr char16_t kWords[] =
        u"記号記述記録記憶記載記法記入記事記名機能機械機構機種機器機密機関機会過去過大過剰過程過負"
        u"過多過度運用運転運営運行遠隔遠方稼働稼動工場工学工程工夫広域広告広く広い広げ左辺左側左端"
        u"左上左下左寄左揃左右左か左へ左に左の右辺右側右端右上右下右寄右揃右か右へ右に右の右ク会話"
        u"会社会議会員会計往復急速教育請求議論輸入輸出輸送静的静止青色家族室内水平水準液晶科学窓口"
        u"美術習慣荷重課題課金購入購読逆順逆方逆引逆変逆数混在混合精度精密箇所箇条携帯攻撃映像架空"
        u"校正衛星誘導講座輝度遂行閲覧陰影隠し隠す駆動心配気付営業職場職員犯罪食品興味触れ買い詰め";
    if (end < 2 || chars[0].size != 2 || chars[1].size != 2 || chars[1].at != chars[0].at + 2)
        return false;
    for (size_t k = 0; k + 1 < sizeof kWords / sizeof kWords[0] - 1; k += 2)
        if (kWords[k] == chars[0].code && kWords[k + 1] == chars[1].code)
            return true;
    return false;
}

// Whether the first character of a span at a dirty edge is machine
// code's last byte or pair glued to the text ("ﾞおかしな", "駟一時"): a
// half-width katakana, a kanji the text seldom or never uses, or a
// code-like one, right before ASCII or a character of the classes text
// uses.
bool GluedFirstChar(const RowChar *chars, size_t end, int form)
{
    const auto rare = [](uint8_t c) {
        return c == kHalfKatakana || c == kKanji4 || c == kKanji5 || c == kCodeLike;
    };
    if (end < 3)
        return false;
    const uint8_t a = ClassAt(chars[0], form), b = ClassAt(chars[1], form);
    // Besides, any Japanese character before a column of spaces.
    if (IsJapaneseClass(a) && chars[1].code == ' ' && chars[2].code == ' ')
        return true;
    if (KanjiBeforeFormat(chars, 0, end, form))
        return true;
    return rare(a) && (chars[1].code < 0x80 || (IsJapaneseClass(b) && !rare(b)));
}

// Whether a Shift-JIS pair is x86 code's move, load or address opcode
// (89, 8B, 8D) and its ModRM byte.
bool X86MovePair(const RowChar &c)
{
    const uint32_t lead = c.pair >> 8u;
    return lead == 0x89 || lead == 0x8B || lead == 0x8D;
}

// Where the text of a Shift-JIS row after a zero begins when x86-64 code's
// instruction bytes stand there: at most two pushes' or other letters'
// bytes and a REX prefix ('@' to 'O', 0x40-0x4F), a move's opcode and its
// ModRM byte read as a pair ("H会" of 48 89 EF, "ATI廻" of 41 54 49 89 F4),
// or x86's padding 90 90 ("瑞"), and after them at most two pairs of a
// call's or jump's opcode and its displacement's first byte (E8, E9:
// "H会鎬アルジェ").  Text after a zero seldom begins with a capital glued
// to such a kanji.  0 where the row does not begin so, or nothing
// Japanese follows.
uint32_t X86InstructionAfterZero(const RowChar *chars, size_t end, int form)
{
    const auto push = [&](size_t q) { return chars[q].code >= 'P' && chars[q].code <= 'W'; };
    size_t k = 0;
    while (k < end && k < 3 && chars[k].code >= 0x21 && chars[k].code < 0x7F)
        ++k;
    if (k >= end || chars[k].size != 2)
        return 0;
    // (A capital after other capitals is an acronym's: "CRL項目", "RPC構造".)
    const bool pushes = k <= 1 || (k == 2 && push(0)) || (k == 3 && chars[0].code == 'A' && push(1));
    const bool rex = k > 0 && pushes && chars[k - 1].code >= 0x40 && chars[k - 1].code <= 0x4F;
    if (!(rex && X86MovePair(chars[k])) && !(k == 0 && chars[k].pair == 0x9090))
        return 0;
    size_t q = k + 1;
    while (q < end && q < k + 3 && chars[q].size == 2) {
        const uint32_t lead = chars[q].pair >> 8u;
        if (lead != 0xE8 && lead != 0xE9)
            break;
        ++q;
    }
    for (size_t t = q; t < end; ++t)
        if (IsJapaneseClass(ClassAt(chars[t], form)))
            return static_cast<uint32_t>(q);
    return 0;
}

// Where a Shift-JIS span after a zero begins when code's bytes there,
// at most two letters or digits and a pair of a kanji the text seldom or
// never uses, stand glued to a word of kana or common kanji ("瑞データ" of 90 90
// before "データ", "H剛署名"): code holds zeros as often as text ends at
// them.  0 where the row does not begin so.
uint32_t GluedPairAfterZero(const RowChar *chars, size_t end, int form)
{
    const uint32_t instruction = X86InstructionAfterZero(chars, end, form);
    if (instruction > 0)
        return instruction;
    size_t k = 0;
    while (k < end && k < 2 && IsWordChar(chars[k].code))
        ++k;
    if (k + 2 > end || chars[k].size != 2)
        return 0;
    const uint8_t a = ClassAt(chars[k], form), b = ClassAt(chars[k + 1], form);
    // (A code-like kanji first after the zero itself is as often text's,
    // "機能", "稼働", "遠隔" are made of code's bytes, but seldom before a
    // katakana word: "瑞カスタム" is x86's padding 90 90.)
    // (Nor one that begins loanword compounds: "青バランス" of 90 C2.)
    const bool rare = a == kKanji4 || a == kKanji5 ||
                      (a == kCodeLike && (k > 0 || b == kKatakana) &&
                       !(k == 0 && b == kKatakana && LoanwordPrefix(chars[k].code)));
    // (Any kanji before a column of spaces too: text sets columns after
    // words, not after one kanji: "営    全て削除する" of 89 63.)
    const bool column = k + 3 <= end && IsIdeograph(chars[k].code) && chars[k + 1].code == ' ' &&
                        chars[k + 2].code == ' ';
    return (rare && IsCommonTextClass(b)) || column || KanjiBeforeFormat(chars, k, end, form)
               ? static_cast<uint32_t>(k + 1)
               : 0;
}

// Where a Shift-JIS span after a zero whose head [0, first) the pairs or
// the glued-pair rule cut begins: at the zero again when that head is
// one to three kanji, pairs side by side, the first not of the code-like
// class (what x86 code's moves and loads make), none repeated (code's
// padding),
// right before the span's own Japanese characters (after one kanji, a
// hiragana or another kanji), in a row of three characters at least
// ("委員会の設定", "錠の取得", "観測値"): text's words of
// kanji its vocabulary seldom uses read so, and code's pairs between a
// zero and text seldom stand there.
uint32_t WordAfterZero(const RowChar *chars, uint32_t end, uint32_t first)
{
    const uint8_t next = first < end ? ClassOf(chars[first].code, 0) : static_cast<uint8_t>(kOther);
    if (first == 0 || first > 3 || end < 3 || !IsJapaneseClass(next) ||
        (first == 1 && next != kHiraganaCommon && next != kHiragana && !IsIdeograph(chars[first].code)))
        return first;
    for (uint32_t k = 0; k <= first; ++k) {
        if (chars[k].size != 2 || (k > 0 && chars[k].at != chars[k - 1].at + 2))
            return first;
        if (k < first && (!IsIdeograph(chars[k].code) || (k == 0 && ClassOf(chars[k].code, 0) == kCodeLike) ||
                          (k > 0 && chars[k].code == chars[k - 1].code)))
            return first;
    }
    return 0;
}

// Whether a Shift-JIS whole string between zeros is one word of three to
// six kanji, pairs side by side, none repeated, the first not of the
// code-like class, two of them at least of the two commonest bands
// ("観察者", "額面価格"): a compound whose other kanji text seldom uses
// (the pairs score it as code), where code's pairs between zeros seldom
// hold two such kanji.
bool KanjiCompound(const RowChar *chars, size_t count)
{
    if (count < 3 || count > 6 || ClassOf(chars[0].code, 0) == kCodeLike)
        return false;
    size_t common = 0;
    for (size_t k = 0; k < count; ++k) {
        if (chars[k].size != 2 || !IsIdeograph(chars[k].code) || (k > 0 && chars[k].at != chars[k - 1].at + 2) ||
            (k > 0 && chars[k].code == chars[k - 1].code))
            return false;
        const uint8_t c = ClassOf(chars[k].code, 0);
        common += c == kKanji1 || c == kKanji2;
    }
    return common >= 2;
}

// A character that Japanese text never begins with: small kana, the long
// vowel mark and the iteration marks, which only follow another kana or
// kanji.
bool NeverFirst(uint32_t u)
{
    switch (u) {
    case 0x3005: case 0x309D: case 0x309E: case 0x30FC: case 0x30FD: case 0x30FE:
    case 0x3041: case 0x3043: case 0x3045: case 0x3047: case 0x3049: case 0x3063:
    case 0x3083: case 0x3085: case 0x3087: case 0x308E:
    case 0x30A1: case 0x30A3: case 0x30A5: case 0x30A7: case 0x30A9: case 0x30C3:
    case 0x30E3: case 0x30E5: case 0x30E7: case 0x30EE: case 0x30F5: case 0x30F6:
        return true;
    default:
        return u >= 0xFF67 && u <= 0xFF70;
    }
}

// Whether the span [first, end) of a UTF-16 row reads as 32-bit values
// rather than text:
//   - two kanji and then a letter, a digit or a sign that text does not
//     end a word with, the whole span ("一援j", "棄波6", "業波="): an
//     address or a float (its low and high halves) and a small count
//     after it; text does not glue one such character to two kanji (it
//     ends a label with ':', a sentence with its stop);
//   - ASCII characters each followed by a character whose low byte is
//     zero, two of them at least ("5需5∀6"): small values read one byte
//     off, their low byte as an ASCII unit and the next one's as a high
//     byte.
bool Utf16Values(const RowChar *chars, uint32_t first, uint32_t end)
{
    const uint32_t n = end - first;
    const auto glued = [](uint32_t u) {
        switch (u) {
        case '"': case '#': case '$': case '&': case '\'': case '+': case '<': case '=': case '@':
        case '\\': case '^': case '_': case '`': case '|': case '~':
            return true;
        default:
            return IsWordChar(u);
        }
    };
    if (n == 3 && IsIdeograph(chars[first].code) && IsIdeograph(chars[first + 1].code) &&
        glued(chars[first + 2].code))
        return true;
    if (n < 4)
        return false;
    for (uint32_t k = first; k < end; ++k) {
        const uint32_t u = chars[k].code;
        if ((k - first) % 2 == 0 ? u >= 0x80 : u < 0x80 || (u & 0xFF) != 0)
            return false;
    }
    return true;
}

// Whether the span [first, end) of a UTF-16 row is a table of 16- or
// 32-bit values rather than text: it begins with a character text never
// begins with, or doubles a comma or full stop; or it is short and odd (below); or its characters, none ASCII, rise one by one and run on
// into what is no text (a dirty end: a table of code points or offsets);
// or every second character is the same one, not a separator ("ぁ杁た杁づ杁",
// "術c言c": 32-bit values whose high or low halves repeat; "城折基折", two
// addresses in one image: a kanji as the high half of both); or it is
// 32-bit values' halves by their shape (Utf16Values).
bool Utf16Table(const RowChar *chars, size_t count, uint32_t first, uint32_t end, bool cleanEnd)
{
    if (NeverFirst(chars[first].code) || Utf16Values(chars, first, end))
        return true;
    // Text never sets two commas or full stops in a row ("、、〃】").
    for (uint32_t k = first + 1; k < end; ++k)
        if (chars[k].code == chars[k - 1].code && (chars[k].code == 0x3001 || chars[k].code == 0x3002))
            return true;
    const uint32_t n = end - first;
    if (n >= 3 && (end < count || !cleanEnd)) {
        bool rising = chars[first].code >= 0x80;
        for (uint32_t k = first + 1; k < end && rising; ++k)
            rising = chars[k].code > chars[k - 1].code;
        if (rising)
            return true;
    }
    // A short span with a katakana alone among other characters, with a
    // Greek, Cyrillic or other sign, or with a full stop before its end
    // ("封せゲ", "蔵Фi", "突。)"): words of katakana are longer, such
    // signs stand in longer text, and a sentence ends its string.
    if (n <= 4) {
        for (uint32_t k = first; k < end; ++k) {
            const uint8_t c = ClassOf(chars[k].code, static_cast<int>(JudgeForm::Utf16Le));
            const auto kana = [&](uint32_t at) {
                const uint8_t d = ClassOf(chars[at].code, static_cast<int>(JudgeForm::Utf16Le));
                return d == kKatakana || d == kLongVowel || chars[at].code == 0x30FB;
            };
            if (c == kSymbol || (chars[k].code == 0x3002 && k + 1 < end) ||
                (c == kKatakana && (k == first || !kana(k - 1)) && (k + 1 == end || !kana(k + 1))))
                return true;
        }
    }
    if (n < 3)
        return false;
    for (uint32_t parity = 0; parity < 2; ++parity) {
        const uint32_t u = chars[first + parity].code;
        // (A separator between words, unless it ends the span too: "づ そ ",
        // 32-bit values whose high halves are 0x0020.)
        if ((u == ' ' || u == '/' || u == '-' || u == ':' || u == '.' || u == ',' || u == 0x30FB ||
             u == 0x3001) &&
            chars[end - 1].code != u)
            continue;
        // Three times at least, or an ASCII character twice: words repeat
        // a kana twice ("切り取り", "インデント").
        bool same = (n >= 6 || u < 0x80 || (n == 4 && parity == 1 && IsIdeograph(u))) &&
                    first + parity + 2 < end;
        for (uint32_t k = first + parity + 2; k < end && same; k += 2)
            same = chars[k].code == u;
        if (same)
            return true;
    }
    return false;
}

// Machine code and tables read as UTF-16 give spans of a few characters
// that the pairs may let through: a span shorter than kShortUtf16 that is
// not a whole string between clean edges needs a margin of kShortUtf16Bar.
constexpr uint32_t kShortUtf16 = 5;
constexpr int64_t kShortUtf16Bar = 256;
bool ShortUtf16(uint32_t first, uint32_t end, size_t count, RowEdges edges, int64_t margin)
{
    const bool whole = edges.cleanStart && edges.cleanEnd && first == 0 && end == count;
    return end - first < kShortUtf16 && !whole && margin < kShortUtf16Bar;
}

// In UTF-16 text, one or two characters glued to the text after them are
// the end of machine code there, and the span begins after them: Greek,
// Cyrillic or other signs or half-width katakana before a full-width
// Japanese character ("фドメイン", "ｦフルスクリーン"), or one or two
// Japanese characters before ASCII when the last is a katakana ("ダ%s:",
// "耀ダ--fix": words of katakana are longer) or two spaces follow ("起
// domainname": text sets columns after words, not after a character
// or two), at a dirty edge.  Returns how many, where the span begins.
size_t Utf16GluedHead(const RowChar *chars, size_t count, bool cleanStart)
{
    const int form = static_cast<int>(JudgeForm::Utf16Le);
    size_t k = 0;
    while (k < count && k < 2 &&
           (ClassAt(chars[k], form) == kSymbol || ClassAt(chars[k], form) == kHalfKatakana))
        ++k;
    if (k > 0 && k < count) {
        const uint8_t c = ClassAt(chars[k], form);
        return IsJapaneseClass(c) && c != kHalfKatakana ? k : 0;
    }
    if (cleanStart)
        return 0;
    k = 0;
    while (k < count && k < 2 && IsJapaneseClass(ClassAt(chars[k], form)))
        ++k;
    if (k == 0 || k + 1 >= count || chars[k].code >= 0x80)
        return 0;
    const bool katakana = ClassAt(chars[k - 1], form) == kKatakana;
    const bool columns = chars[k].code == ' ' && chars[k + 1].code == ' ';
    return katakana || columns ? k : 0;
}

// Whether characters [0, first) of a whole string, a head the pairs
// would cut off, read as the string's own head rather than a zero of
// machine code and the bytes after it glued to the text: no bytes left
// out, no pair twice in a row (code's padding: "瑞瑞" of 90 90 90 90), and
// among its first two characters no sign, no half-width katakana and no
// pair standing alone among ASCII characters ("職xcel" of 90 45, "Aフrustdb":
// code's byte took the text's first byte as its trail byte; "Hζ%s"),
// where text's words of kanji and kana hold two pairs side by side at
// least ("遠隔I/O", "青バランス").
bool HeadOfString(const RowChar *chars, uint32_t first, int form)
{
    const auto pair = [&](uint32_t k) { return chars[k].size == 2; };
    for (uint32_t k = 0; k <= first; ++k) {
        if (k > 0 && chars[k].at > chars[k - 1].at + chars[k - 1].size)
            return false;
        if (k == first)
            break;
        if (pair(k) && k > 0 && chars[k].code == chars[k - 1].code)
            return false;
        if (k >= 2)
            continue;
        const uint8_t c = ClassAt(chars[k], form);
        if (c == kSymbol || c == kOther || c == kHalfKatakana)
            return false;
        if (pair(k) && (k == 0 || !pair(k - 1)) && !pair(k + 1))
            return false;
    }
    return true;
}

// Where the word of a Shift-JIS row that ends at a clean edge in a
// menu's or a label's mnemonic begins: the Japanese characters, pairs
// side by side, right before "(_X)" or "(&X)" ("H削除(_D)", "O前(_F)":
// machine code's last bytes before the word), or `count` when the row
// does not end so.  Machine code seldom ends at a zero that way.
size_t MnemonicWordStart(const RowChar *chars, size_t count, int form)
{
    if (count < 5)
        return count;
    const uint32_t open = chars[count - 4].code, mark = chars[count - 3].code;
    const uint32_t key = chars[count - 2].code | 0x20;
    if (open != '(' || (mark != '_' && mark != '&') || key < 'a' || key > 'z' ||
        chars[count - 1].code != ')')
        return count;
    size_t k = count - 4;
    while (k > 0 && chars[k - 1].size == 2 && chars[k].at == chars[k - 1].at + 2) {
        const uint8_t c = ClassAt(chars[k - 1], form);
        if (!IsJapaneseClass(c) || c == kHalfKatakana)
            break;
        --k;
    }
    return k < count - 4 ? k : count;
}

} // namespace

bool LoanwordPrefix(uint32_t u)
{
    static constexpr char16_t kPrefixes[] =
        u"全再各新旧非別副総超高低大小中南北東西前後次主内外無未不多単複長短上下"
        u"英米仏独日韓露伊豪印蘭左右逆正半純真元現親子同他本第約毎諸両当該計準被"
        u"対反最極名原初古細太薄濃暗明白黒赤青緑黄紫金銀鉄石水火電光音空海山川島"
        u"州県市町村区国都府洋和漢偽仮要生入出受送共公私官民社軍王女男母父老美悪"
        u"良汎亜擬脱防耐抗付用型式系性化的率数量値額表図字文語号行列欄項色鍵紙線点面枠絵声";
    for (char16_t p : kPrefixes)
        if (p == u)
            return true;
    return false;
}

Verdict JudgeRow(const RowChar *chars, size_t count, JudgeForm form, RowEdges edges,
                 int32_t ease)
{
    Verdict none{false, 0, 0, 0};
    if (count == 0)
        return none;
    if (count > ScoreBound::kBoundedChars)
        return JudgeRowWhole(chars, count, form, edges, ease);
    ScoreBound bound(form, edges.cleanStart);
    for (size_t k = 0; k < count; ++k)
        bound.Add(ClassAt(chars[k], static_cast<int>(form)));
    // (The bound's margin stops at 0: the row is settled only when it is
    // below the eased threshold.)
    const int64_t eased = static_cast<int64_t>(bound.Margin(edges.cleanEnd)) + ease;
    if (eased < 0 && !(form == JudgeForm::ShiftJis && !edges.cleanStart && edges.cleanEnd &&
                       (MnemonicWordStart(chars, count, static_cast<int>(form)) < count ||
                        TermsAfterCodeStart(chars, count, static_cast<int>(form)) < count)))
        return Verdict{false, 0, 0, static_cast<int32_t>(std::max<int64_t>(eased, INT32_MIN))};
    return JudgeRowWhole(chars, count, form, edges, ease);
}

int64_t BoundNeed(JudgeForm form, bool cleanStart, bool cleanEnd)
{
    const Bar &bar = kBars[static_cast<int>(form)];
    // The rules that keep a whole string scoring below the threshold: any
    // score may read.
    if (cleanStart && cleanEnd && form != JudgeForm::Utf8)
        return INT64_MIN / 4;
    int64_t need = bar.threshold - std::max<int64_t>(0, kOneJapaneseScore[static_cast<int>(form)]);
    if (cleanStart && cleanEnd)
        need -= std::max<int32_t>(0, bar.whole);
    return need;
}

int32_t BoundMargin(JudgeForm form, bool cleanStart, bool cleanEnd, int64_t best)
{
    const int64_t margin = best - BoundNeed(form, cleanStart, cleanEnd);
    return static_cast<int32_t>(std::max<int64_t>(std::min<int64_t>(margin, 0), INT32_MIN));
}

Verdict JudgeRowWhole(const RowChar *chars, size_t count, JudgeForm form, RowEdges edges,
                      int32_t ease)
{
    Verdict none{false, 0, 0, 0};
    if (count == 0)
        return none;
    // After x86-64 code's instruction bytes right after a zero, the text
    // stands as it does right after code: it is judged so first.  (Where
    // it does not read as text so, the pairs may have cut its first
    // character, "H | 8D 83 | K" of "ガ": the row is judged whole, and its
    // head cut there lets the text be read again in step.)
    if (edges.cleanStart && form == JudgeForm::ShiftJis) {
        const uint32_t code = X86InstructionAfterZero(chars, count, static_cast<int>(form));
        if (code > 0) {
            Verdict v = JudgeRowWhole(chars + code, count - code, form, RowEdges{false, edges.cleanEnd}, ease);
            if (v.japanese) {
                v.first += code;
                v.end += code;
                return v;
            }
        }
    }
    const auto &score = kPairScore[static_cast<int>(form)];
    const Bar bar = kBars[static_cast<int>(form)];
    const uint8_t startEdge = edges.cleanStart ? kCleanEdge : kDirtyEdge;
    const uint8_t endEdge = edges.cleanEnd ? kCleanEdge : kDirtyEdge;

    // A row that begins at a dirty edge with a few ASCII characters glued
    // to a Japanese character ("D$が含まれて", "7dHおっと") most often holds
    // the end of machine code there: the span then begins at the first
    // Japanese character, as at a dirty edge, without paying for the cut.
    // A longer head, or one with a space ("[Enter] キー", a string table's
    // "    IPX/イーサネット" after its length word), may be text, and the
    // pairs decide.  In UTF-16 text ASCII characters are units with a zero
    // byte, which machine code seldom glues to a Japanese one ("%d個の"):
    // the pairs decide there too.
    size_t forcedStart = 0;
    if (!edges.cleanStart && form != JudgeForm::Utf16Le) {
        size_t k = 0;
        while (k < count && k <= kGluedHead && chars[k].code < 0x80 && chars[k].code != ' ')
            ++k;
        if (k > 0 && k <= kGluedHead && k < count &&
            IsJapaneseClass(ClassAt(chars[k], static_cast<int>(form))))
            forcedStart = k;
    }
    if (form == JudgeForm::Utf16Le)
        forcedStart = Utf16GluedHead(chars, count, edges.cleanStart);
    // A Shift-JIS pair first at a dirty edge, right before another pair,
    // is as often machine code's last byte and the byte after it (0x89 of
    // a move, 0x90 of padding: "加パスワード", "瑞無効な") as the text's own
    // first character: the span may begin after it without paying for
    // the cut, and the pairs decide.
    size_t freeStart = 0;
    if (!edges.cleanStart && form == JudgeForm::ShiftJis && count > 2 && chars[0].size == 2 &&
        chars[1].size == 2 && chars[1].at == chars[0].at + 2 &&
        IsJapaneseClass(ClassAt(chars[1], static_cast<int>(form))))
        freeStart = 1;
    // Right before a katakana word, that pair is text's own only as a
    // kanji that begins words of loanwords ("全ファイル", "再インストール",
    // "南アフリカ"); any other ("加パスワード" of 89 C1) is machine
    // code's, and the span begins after it.
    if (freeStart == 1 && forcedStart == 0 && IsIdeograph(chars[0].code) &&
        ClassAt(chars[1], static_cast<int>(form)) == kKatakana && !LoanwordPrefix(chars[0].code))
        forcedStart = 1;

    // At a clean start, a cut takes away only a head that holds more than
    // ASCII (a zero, then code bytes that read as a pair, then the text):
    // ASCII right after a zero is text, and so is a Japanese word after
    // it ("  主サーバー"; "H煙    PROG" holds code's pair), but in UTF-16
    // text, whose rows begin at code units.  At a clean end no tail is
    // cut: a string that ends at a zero ends with its text.
    size_t headCutFrom = edges.cleanStart ? count : 1;
    if (edges.cleanStart) {
        for (size_t k = 0; k < count; ++k)
            if (chars[k].code >= 0x80) {
                // (Nor a kanji that begins compounds before a capital
                // word right after the zero: "非NULL", "旧DIR".)
                const bool prefix = k == 0 && form == JudgeForm::ShiftJis && k + 1 < count &&
                                    chars[k + 1].code >= 'A' && chars[k + 1].code <= 'Z' &&
                                    LoanwordPrefix(chars[k].code);
                if (!prefix && (k == 0 || k + 1 >= count || form == JudgeForm::Utf16Le ||
                                !IsJapaneseClass(ClassAt(chars[k + 1], static_cast<int>(form)))))
                    headCutFrom = k + 1;
                break;
            }
    }

    // The span [a, b) scores head(a) + the pairs inside it + tail(b), where
    // a head or tail that was cut stands at a dirty edge and pays the cut.
    // With inner(k) the sum of the pairs up to character k, that is
    // (head(a) - inner(a)) + inner(b - 1) + tail(b): one pass keeps the
    // best first term over the starts seen so far, frozen at the last
    // Japanese character so that every span scored holds one.
    int64_t inner = 0;
    int64_t bestStart = INT64_MIN, frozen = INT64_MIN;
    uint32_t bestStartAt = 0, frozenAt = 0;
    int64_t best = INT64_MIN;
    uint32_t first = 0, end = 0;
    uint8_t prev = 0;
    for (size_t k = 0; k < count; ++k) {
        const uint8_t c = ClassAt(chars[k], static_cast<int>(form));
        // Bytes the walk left out between two characters (half-width
        // katakana in a Shift-JIS row) are seldom inside text: a span over
        // them pays twice a cut, and a cut may fall there at any edge.
        const bool gap = k > 0 && chars[k].at > chars[k - 1].at + chars[k - 1].size;
        if (k > 0)
            inner += score[prev][c] - (gap ? 2 * bar.cut : 0);
        const int64_t head = k == 0          ? score[startEdge][c]
                             : k == forcedStart || k == freeStart ? score[kDirtyEdge][c]
                                                : score[kDirtyEdge][c] - bar.cut;
        const bool startHere = k >= forcedStart && (k == 0 || k == forcedStart || k >= headCutFrom || gap);
        if (startHere && head - inner > bestStart) {
            bestStart = head - inner;
            bestStartAt = static_cast<uint32_t>(k);
        }
        if (IsJapaneseClass(c)) {
            frozen = bestStart;
            frozenAt = bestStartAt;
        }
        if (frozen != INT64_MIN && (k + 1 == count || !edges.cleanEnd)) {
            const int64_t tail = k + 1 == count ? score[c][endEdge] : score[c][kDirtyEdge] - bar.cut;
            const int64_t total = frozen + inner + tail;
            if (total > best) {
                best = total;
                first = frozenAt;
                end = static_cast<uint32_t>(k + 1);
            }
        }
        prev = c;
    }
    if (best == INT64_MIN)
        return none;
    // A whole string between clean edges weighs against the cut spans
    // with its bonus: a head cut off it has to outscore that too
    // ("遠隔I/Oエラーです" is not cut to its katakana word).
    const bool wholeString = edges.cleanStart && edges.cleanEnd;
    if (wholeString && bar.whole > 0 && forcedStart == 0 && (first != 0 || end != count) &&
        HeadOfString(chars, first, static_cast<int>(form))) {
        const int64_t whole = score[startEdge][ClassAt(chars[0], static_cast<int>(form))] + inner +
                              score[prev][endEdge] + bar.whole;
        if (whole >= best) {
            best = whole - bar.whole;
            first = 0;
            end = static_cast<uint32_t>(count);
        }
    }
    unsigned japanese = 0;
    for (uint32_t k = first; k < end && japanese < 2; ++k)
        japanese += IsJapaneseClass(ClassAt(chars[k], static_cast<int>(form)));
    if (japanese == 1)
        best += kOneJapaneseScore[static_cast<int>(form)];
    if (wholeString && first == 0 && end == count)
        best += bar.whole;
    const int64_t margin = best - (bar.threshold - ease);
    const auto clamp = [](int64_t v) {
        return static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
    };
    // Such a string is kept whole, even where a cut would score higher.
    if (edges.cleanStart && edges.cleanEnd && form == JudgeForm::ShiftJis && margin < 0 &&
        (ShiftJisWordsInText(chars, count, static_cast<int>(form)) ||
         ShiftJisTermsInText(chars, count, static_cast<int>(form), true) > 0 || KanjiCompound(chars, count)))
        return Verdict{true, 0, static_cast<uint32_t>(count), 0};
    if (edges.cleanStart && edges.cleanEnd && form == JudgeForm::Utf16Le &&
        Utf16Table(chars, count, 0, static_cast<uint32_t>(count), true))
        return Verdict{false, 0, 0, clamp(margin < 0 ? margin : -1)};
    if (edges.cleanStart && edges.cleanEnd &&
        (form == JudgeForm::Utf16Le ||
         (form == JudgeForm::ShiftJis && margin < 0 &&
          ShiftJisKanaInWords(chars, count, static_cast<int>(form)))) &&
        TextShaped(chars, count, static_cast<int>(form)))
        return Verdict{true, 0, static_cast<uint32_t>(count), clamp(margin < 0 ? 0 : margin)};
    // A word before a mnemonic at a clean end is kept, from the word on.
    if (margin < 0 && form == JudgeForm::ShiftJis && !edges.cleanStart && edges.cleanEnd) {
        const size_t word = MnemonicWordStart(chars, count, static_cast<int>(form));
        if (word < count)
            return Verdict{true, static_cast<uint32_t>(word), static_cast<uint32_t>(count), 0};
    }
    // So is a row of names and kanji words from its first character on,
    // where the pairs would keep a kanji word alone or nothing.
    if (form == JudgeForm::ShiftJis && !edges.cleanStart && edges.cleanEnd && (margin < 0 || first != 0)) {
        const size_t terms = TermsAfterCodeStart(chars, count, static_cast<int>(form));
        if (terms < count)
            return Verdict{true, static_cast<uint32_t>(terms), static_cast<uint32_t>(count),
                           clamp(margin < 0 ? 0 : margin)};
    }
    if (margin < 0)
        return Verdict{false, 0, 0, clamp(margin)};
    if (form == JudgeForm::Utf16Le && (Utf16Table(chars, count, first, end, edges.cleanEnd) ||
                                       ShortUtf16(first, end, count, edges, margin)))
        return Verdict{false, 0, 0, -1};
    // (UTF-16 rows begin at their code units' edges: their heads are
    // not trimmed so.)
    if (form != JudgeForm::Utf16Le) {
        const bool word = !edges.cleanStart && form == JudgeForm::ShiftJis && CodeLikeWordHead(chars, end);
        if (word && first == 1)
            first = 0;
        if (first == 0 && !edges.cleanStart && !word && GluedFirstChar(chars, end, static_cast<int>(form)))
            first = 1;
        if (edges.cleanStart && form == JudgeForm::ShiftJis)
            first = WordAfterZero(chars, end, std::max(first, GluedPairAfterZero(chars, end, static_cast<int>(form))));
        first = TextHeadStart(chars, first, end, edges.cleanStart, form);
        // A cut glued first character may have been the span's only
        // Japanese one ("，  "): what is left is no Japanese text.
        bool japanese = false;
        for (uint32_t k = first; k < end && !japanese; ++k)
            japanese = IsJapaneseClass(ClassAt(chars[k], static_cast<int>(form)));
        if (!japanese)
            return Verdict{false, 0, 0, -1};
    }
    return Verdict{true, first, end, clamp(margin)};
}

} // namespace japanese
} // namespace lex
