// The rows of Japanese text in EUC-JP, ISO-2022-JP and UTF-16BE
// (encodedrows.h tells the rule).
#include "scan/encodedrows.h"

#include <algorithm>
#include <climits>

#include "scan/cp932.h"
#include "scan/utf8.h"
#include "util/shiftjis.h"

namespace lex {

using japanese::JudgeForm;
using japanese::RowChar;
using japanese::RowEdges;
using japanese::Verdict;

extern const uint16_t kJisX0212Chars[94 * 94];

namespace {

// Every JIS X 0208 character as code page 932 holds it, by row and cell,
// worked out once: EUC-JP and ISO-2022-JP text looks one up for every
// character it reads.
struct JisX0208Chars {
    uint16_t code[94 * 94];
    JisX0208Chars()
    {
        for (unsigned j1 = 0x21; j1 <= 0x7E; ++j1) {
            for (unsigned j2 = 0x21; j2 <= 0x7E; ++j2) {
                // The Shift-JIS form of row j1, cell j2: two rows share a
                // lead byte.
                const auto lead = static_cast<uint8_t>(((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0));
                const auto trail =
                    static_cast<uint8_t>(j2 + ((j1 & 1) ? (j2 < 0x60 ? 0x1F : 0x20) : 0x7E));
                const uint32_t c = Cp932Char(lead, trail);
                code[(j1 - 0x21) * 94 + (j2 - 0x21)] =
                    static_cast<uint16_t>(c >= 0xE000 && c <= 0xF8FF ? 0 : c);
            }
        }
    }
};

} // namespace

uint32_t JisX0208Char(uint8_t j1, uint8_t j2)
{
    static const JisX0208Chars chars;
    return chars.code[(j1 - 0x21u) * 94 + (j2 - 0x21u)];
}

uint32_t JisX0212Char(uint8_t j1, uint8_t j2)
{
    return kJisX0212Chars[(j1 - 0x21u) * 94 + (j2 - 0x21u)];
}

namespace {

// What UTF-16LE text read one byte on needs to win against a UTF-16BE
// reading: a margin that falls short of it by less than this (sixteenths
// of the judge's unit).  Chosen on the machine's catalogues: UTF-16LE
// messages read as UTF-16BE mostly score within it, UTF-16BE messages
// mostly by far more.
constexpr int32_t kShiftedLead = 64;

// Machine code read in these encodings gives rows of a few characters that
// the judge may let through: a row shorter than kShortRow characters that
// is not a whole string between clean edges needs a margin of kShortBar,
// in UTF-16BE a whole one kShortWholeBar (small numbers of machine code
// stand between zero and control units).
// Chosen on the machine's programs (ELF, where no Japanese is) against the
// catalogues' messages after binary data.
constexpr size_t kShortRow = 5;
constexpr int32_t kShortBar = 256;
constexpr int32_t kShortWholeBar = 192;

// How far below the UTF-8 threshold ISO-2022-JP text may score (the
// judge reads it with UTF-8's tables): its text begins at an escape to a
// Japanese set, which machine code and tables all but never hold, and
// short messages ("  例: 2006-08-14", "ISO 値") score below it.  Chosen on
// the tuning half's messages after binary data against the rows of the
// machine's programs and fonts.
constexpr int32_t kIso2022JpEase = 160;

// How the judge reads each encoding: EUC-JP's bytes are Shift-JIS's
// neighbours (machine code reads alike in both), UTF-16BE is UTF-16, and
// ISO-2022-JP needs its escapes, which machine code seldom holds.
JudgeForm FormOf(Encoding e)
{
    return e == Encoding::Utf16Be ? JudgeForm::Utf16Le
           : e == Encoding::EucJp  ? JudgeForm::ShiftJis
                                   : JudgeForm::Utf8;
}

// The class of a character of a run for the judge: UTF-16BE's code-like
// characters are those that machine code read big-endian makes.
uint8_t ClassIn(Encoding e, uint32_t code)
{
    return e == Encoding::Utf16Be ? japanese::ClassOfWith(code, japanese::kCodeLikeBitsUtf16Be)
                                  : japanese::ClassOf(code, static_cast<int>(FormOf(e)));
}

RowKind KindOf(Encoding e)
{
    return e == Encoding::EucJp ? RowKind::EucJp
           : e == Encoding::Iso2022Jp ? RowKind::Iso2022Jp
                                      : RowKind::Utf16Be;
}

// The judge's characters: one place each, side by side (the bytes an
// encoding spends on escapes and left-out katakana are no gap in the text).
void ToRowChars(const uint32_t *codes, size_t count, std::vector<RowChar> &out)
{
    out.resize(count);
    for (size_t k = 0; k < count; ++k)
        out[k] = {codes[k], static_cast<uint32_t>(k), 1};
}

int32_t MarginOf(const std::vector<uint32_t> &codes, JudgeForm form, RowEdges edges,
                 std::vector<RowChar> &scratch)
{
    if (std::none_of(codes.begin(), codes.end(), IsJapaneseCode))
        return INT32_MIN;
    ToRowChars(codes.data(), codes.size(), scratch);
    const Verdict v = japanese::JudgeRow(scratch.data(), scratch.size(), form, edges);
    return v.japanese ? v.margin : INT32_MIN;
}

// The bytes read as Shift-JIS text (as the walk with SearchKanji reads
// them): printable ASCII, half-width katakana unless they are left out,
// pairs; the reading stops at any other byte.  Returns where it stopped
// (n when it read all).
size_t ShiftJisCodes(const uint8_t *b, size_t n, bool hideKana, std::vector<uint32_t> &out)
{
    for (size_t k = 0; k < n; ++k) {
        if (b[k] >= 0x20 && b[k] <= 0x7E) {
            out.push_back(b[k]);
        } else if (loom::sjis::IsHalfWidthKana(b[k])) {
            if (!hideKana)
                out.push_back(kHalfWidthKatakanaFirst + (b[k] - 0xA1u));
        } else if (loom::sjis::IsLead(b[k]) && k + 1 < n && Cp932Char(b[k], b[k + 1])) {
            out.push_back(Cp932Char(b[k], b[k + 1]));
            ++k;
        } else {
            return k;
        }
    }
    return n;
}

// UTF-8: ASCII and well-formed sequences, up to the first other byte.
size_t Utf8Codes(const uint8_t *b, size_t n, std::vector<uint32_t> &out)
{
    for (size_t k = 0; k < n;) {
        uint8_t seq[4] = {};
        std::copy(b + k, b + std::min(n, k + 4), seq);
        uint32_t code = 0;
        if (b[k] >= 0x20 && b[k] <= 0x7E) {
            out.push_back(b[k++]);
        } else if (const unsigned length = utf8::Sequence(seq, &code)) {
            out.push_back(code);
            k += length;
        } else {
            return k;
        }
    }
    return n;
}

// UTF-16LE: ASCII units and Japanese ones, up to the first other unit.
size_t Utf16LeCodes(const uint8_t *b, size_t n, std::vector<uint32_t> &out)
{
    for (size_t k = 0; k + 1 < n; k += 2) {
        const uint16_t unit = static_cast<uint16_t>(b[k] | b[k + 1] << 8);
        if (unit >= 0x20 && unit <= 0x7E) {
            out.push_back(unit);
        } else if (unit >= 0x80 && JapaneseUnitCp932(unit)) {
            out.push_back(unit);
        } else {
            return k;
        }
    }
    return n;
}

// The index of a run's first character beyond ASCII (`count` if none).
size_t FirstJapanese(const EncodedChar *chars, size_t count)
{
    size_t k = 0;
    while (k < count && !IsJapaneseCode(chars[k].code))
        ++k;
    return k;
}

// A lone UTF-16BE unit glued before ASCII at a dirty edge: one that text
// seldom begins with before ASCII, machine code's last bytes read as a
// character.  Text that begins so begins with a kana, a kanji of the
// commoner bands ("鍵%s", "右 Alt"), an opening quotation mark or
// bracket, "※", or a kanji before a mnemonic or a colon ("色(_C)",
// "例: "); a rare or code-like kanji, another symbol, a full-width letter
// or a half-width katakana before ASCII is code's ("①   [mod]",
// "ｈ%F%P").
bool LoneBeforeAscii(const EncodedChar *chars, size_t count)
{
    if (count < 3 || !IsJapaneseCode(chars[0].code) || IsJapaneseCode(chars[1].code))
        return false;
    const uint32_t u = chars[0].code, next = chars[1].code;
    const bool opening = u == 0x2018 || u == 0x201C || u == 0xFF08 || u == 0xFF3B ||
                         u == 0xFF5B || (u >= 0x3008 && u <= 0x301B && u % 2 == 0);
    if (next == ':' || (next == '(' && chars[2].code == '_') || u == 0x203B || opening)
        return false;
    const uint8_t c = ClassIn(Encoding::Utf16Be, u);
    return (c >= japanese::kKanji3 && c <= japanese::kSymbol) || c == japanese::kWide ||
           c == japanese::kWideSign || c == japanese::kHalfKatakana || c == japanese::kOther;
}

// UTF-16BE text glued to the last bytes of machine code: how many units
// that begin the run are those bytes, not text.  A lone katakana, first
// or after a unit that is no kana, before anything but katakana; one or
// two units before ASCII whose last is a sign that is no Japanese
// character (Greek, Cyrillic, box drawing; not an opening quotation mark:
// "‘%s’"), at a clean edge only one, which zeros of machine code also
// give ("00 00 04 01" before "%s" reads as "Ё%s"); a lone kanji of no
// common class (rare or code-like) before a format or a quote at a dirty
// edge ("鍵%s" is text); at any edge a kanji first or second
// that Japanese text seldom or never uses and whose low byte is zero (a
// number's high bytes: 80 00 reads as "耀", 61 00 as "愀"); at a dirty
// edge a full-width letter, a half-width katakana or a comma before
// Japanese characters; and there "ダ"
// before a katakana that seldom follows it in a word (30 C0 is the
// instruction xor al, al, and the top of the number -16.0).  Words of
// katakana are longer than one, text seldom begins with a foreign letter
// before ASCII, and a kanji that begins text stands before kana or a
// space ("例: "), where machine code ends in any unit (00 80 30 C0 reads
// as "耀ダ", 04 01 as "Ё").  A Japanese sign may begin text ("※ ").
// And at a dirty edge a lone unit before ASCII that text seldom begins
// with there (LoneBeforeAscii).
//
// `numberEdge`: the clean edge before the run is a unit with a zero low
// byte (80 00, 01 00), maybe before a zero unit or two, a number's high
// bytes rather than a string's end;
// "ダ" is glued there as at a dirty edge (00 00 80 00 30 C0 is a double).
size_t GluedUnits(const EncodedChar *chars, size_t count, bool cleanStart, bool numberEdge)
{
    const auto code = [&](size_t k) { return k < count ? chars[k].code : 0u; };
    const auto katakana = [&](size_t k) { return code(k) >= 0x30A1 && code(k) <= 0x30FA; };
    const auto kana = [&](size_t k) { return code(k) >= 0x3041 && code(k) <= 0x30FF; };
    // (The long vowel mark and the middle dot go on a katakana word.)
    const auto katakanaWord = [&](size_t k) { return code(k) >= 0x30A1 && code(k) <= 0x30FC; };
    if (count < 2 || code(0) < 0x80)
        return 0;
    for (size_t k = 0; k < 2 && (k == 0 || !kana(0)); ++k)
        if (katakana(k) && k + 1 < count && !katakanaWord(k + 1))
            return k + 1;
    const size_t a = code(1) < 0x80 ? 1 : 2;
    const uint32_t sign = code(a - 1);
    if ((!cleanStart || a == 1) && a < count && code(a) < 0x80 && sign >= 0x80 &&
        sign != 0x2018 && sign != 0x201C && !IsJapaneseUnit(static_cast<uint16_t>(sign)))
        return a;
    const uint32_t next = code(1);
    if (!cleanStart && code(0) >= 0x4E00 && code(0) <= 0x9FFF &&
        !japanese::IsCommonTextClass(ClassIn(Encoding::Utf16Be, code(0))) &&
        (next == '%' || next == '"' || next == '\'' || next == '`'))
        return 1;
    // (The kanji's band by how often text uses it: in UTF-16 every unit
    // with a zero byte is code-like.)
    const auto numberHigh = [&](size_t k) {
        const uint32_t u = code(k);
        const uint8_t band = japanese::kClassBlocks[japanese::kClassBlockOf[u >> 8]][u & 0xFF];
        return u >= 0x4E00 && u <= 0x9FFF && (u & 0xFF) == 0 &&
               (band == japanese::kKanji4 || band == japanese::kKanji5);
    };
    // The katakana that go on a word after "ダ" ("ダイアログ", "ダウンロード",
    // "ダブル", "ダーク", "ダンプ", "ダッシュ", "ダミー"); before others it is
    // code's 30 C0.
    const auto gluedDa = [&](size_t k) {
        const uint32_t n = code(k + 1);
        return code(k) == 0x30C0 && katakanaWord(k + 1) && n != 0x30A4 && n != 0x30A6 &&
               n != 0x30D6 && n != 0x30FC && n != 0x30F3 && n != 0x30C3 && n != 0x30DF;
    };
    // (After a number's high bytes, the number may go on in "ダ".)
    for (size_t k = 0; k < 2; ++k)
        if (numberHigh(k) && k + 1 < count)
            return k + 1 + (gluedDa(k + 1) && k + 2 < count ? 1 : 0);
    // A full-width letter, slash or low line, a half-width katakana or a
    // comma or full stop before Japanese text at a dirty edge: text seldom
    // begins with one ("ｈ単語", "、不明な").
    const uint32_t c0 = code(0);
    if (!cleanStart && next >= 0x80 &&
        ((c0 >= 0xFF21 && c0 <= 0xFF3A) || (c0 >= 0xFF41 && c0 <= 0xFF5A) || c0 == 0xFF0F ||
         c0 == 0xFF3F || (c0 >= 0xFF61 && c0 <= 0xFF9F) || c0 == 0x3001 || c0 == 0x3002))
        return 1;
    if ((!cleanStart || numberEdge) && gluedDa(0))
        return 1;
    // A kanji XX 00 before ASCII or katakana there: a number's high byte and
    // zero ("一%s", "最プッシュ"); text that begins with one ("一時", "一つ",
    // "最後") goes on in a kanji or a kana of its word.
    if ((!cleanStart || numberEdge) && c0 >= 0x4E00 && c0 <= 0x9FFF && (c0 & 0xFF) == 0 &&
        (next < 0x80 || katakanaWord(1)))
        return 1;
    if (!cleanStart && LoneBeforeAscii(chars, count))
        return 1;
    return 0;
}

// Signs that machine code's last bytes give and text seldom begins with
// before a Japanese character.
bool IsGluedSign(uint32_t c)
{
    return c == '/' || c == '`' || c == '\\' || c == '|' || c == '_' || c == '$' || c == ';' ||
           c == ':' || c == '.' || c == ',' || c == '~' || c == '^' || c == '!' || c == '?';
}

// How many ASCII bytes that begin the span at `s` (the run's first
// character, or where the judge cut machine code off) are machine code's
// last bytes glued to the text.  At any edge, a small letter or a sign
// that no text begins with right before a Japanese character
// ("l構文エラー", "/予期しない": a line break of code, or an archive's
// table of names, stands before them at times); at a dirty one (`dirty`)
// or a cut, a space and a letter or digit before
// one (" Hラウニオン"): text that begins with ASCII glued to Japanese
// begins with a capital, a digit, a bracket or a quote ("X軸", "1つ",
// "(これは").  One or two letters before a format ("H%s: ", "li%s"), a
// letter before an option ("D-e と -i"), a dash or "-e" before "%s":
// words seldom end in a format, and an option stands first on its own.
// An opening bracket before a letter that nothing in the row closes
// ("[KPovModeler シーン"), where text closes what it opens ("(Opus 以外)").
size_t GluedBeforeText(const EncodedChar *chars, size_t count, size_t s, bool dirty)
{
    const auto code = [&](size_t k) { return s + k < count ? chars[s + k].code : 0u; };
    const auto letter = [&](size_t k) {
        return (code(k) >= 'A' && code(k) <= 'Z') || (code(k) >= 'a' && code(k) <= 'z');
    };
    const auto digit = [&](size_t k) { return code(k) >= '0' && code(k) <= '9'; };
    if (IsJapaneseCode(code(1)) && ((code(0) >= 'a' && code(0) <= 'z') || IsGluedSign(code(0))))
        return 1;
    if (!dirty)
        return 0;
    if (code(0) == ' ' && (letter(1) || digit(1)) && IsJapaneseCode(code(2)))
        return 2;
    if (letter(0) && (code(1) == '%' || (letter(1) && code(2) == '%')))
        return code(1) == '%' ? 1 : 2;
    if (letter(0) && code(1) == '-' && letter(2) && code(3) == ' ')
        return 1;
    // An instruction's bytes: a ModRM byte before the SIB byte 24 ("D$",
    // "L$", "|$"), movsxd's 48 63 ("Hc"), before a word.
    if ((letter(0) || code(0) == '|' || code(0) == '\\') && code(1) == '$' && code(2) > ' ' &&
        code(2) < 0x7F)
        return 2;
    if (code(0) == 'H' && code(1) == 'c' && letter(2))
        return 2;
    if (code(0) == '-' && (code(1) == 'e' ? code(2) == '%' && code(3) == 's'
                                          : code(1) == '%' && code(2) == 's'))
        return code(1) == 'e' ? 2 : 1;
    if (letter(1) && (code(0) == '(' || code(0) == '[' || code(0) == '<' || code(0) == '{')) {
        const uint32_t close = code(0) == '(' ? ')' : code(0) == '<' ? '>' : code(0) + 2;
        for (size_t k = s + 1; k < count; ++k)
            if (chars[k].code == close)
                return 0;
        return 1;
    }
    return 0;
}

// Acronyms that technical text names often: protocols, formats, file
// systems, hardware and the like.  A capital glued before one at a dirty
// start ("YHTTP", "LELF") is machine code's last byte (a REX prefix, a
// push): text writes the acronym alone.
bool KnownAcronym(const EncodedChar *chars, size_t from, size_t to)
{
    static constexpr const char *kAcronyms[] = {
        "AAC", "ACL", "ADB", "AES", "AMR", "API", "ARP", "ASCII", "ATA", "AVI", "BIOS", "BMP",
        "BSD", "CGI", "CPU", "CRC", "CRL", "CSS", "CSV", "DBM", "DHCP", "DNS", "DNSSEC", "DSA",
        "DVD", "ECC", "EFI", "ELF", "EOF", "EOL", "EOS", "FAT", "FTP", "GCC", "GDB", "GIF",
        "GML", "GNU", "GPG", "GPL", "GPU", "GUI", "HTML", "HTTP", "HTTPS", "ICMP", "IDE",
        "IMAP", "IPC", "IPv4", "IPv6", "ISO", "JPEG", "JSON", "LDAP", "LZMA", "MBR", "MIDI",
        "MIME", "MP3", "MP4", "MPEG", "NFS", "NTP", "ODF", "OID", "PAM", "PCI", "PDF", "PEM",
        "PGP", "PHP", "PID", "PNG", "POSIX", "PPP", "RAM", "RGB", "ROM", "RPC", "RPM", "RSA",
        "RSS", "RTF", "SCSI", "SHA", "SMB", "SMIL", "SMTP", "SNMP", "SQL", "SSH", "SSL", "STL",
        "SVG", "TCP", "TIFF", "TLS", "TOC", "TTY", "UDP", "UID", "URI", "URL", "USB", "UTF",
        "UUID", "VGA", "VPN", "WAL", "WARC", "WAV", "XML", "XSL", "YAML", "ZIP"};
    for (const char *a : kAcronyms) {
        size_t k = from;
        while (k < to && *a != '\0' && chars[k].code == static_cast<uint8_t>(*a)) {
            ++k;
            ++a;
        }
        if (k == to && *a == '\0')
            return true;
    }
    return false;
}

// Where EUC-JP and ISO-2022-JP text begins that the judge read from
// `first`, by the shape of its first ASCII word.  Back over an acronym of
// two to four capitals and digits right before the Japanese character at
// `first` ("CPU時間", "AF 位置"), which the judge cuts as bytes of machine
// code glued to it: such code's few printable bytes seldom read as one.
// Forward, at any start, over one to three bytes glued before the spaces
// of an indented column ("li  パッケージ"); at a dirty start, over one to
// three bytes that no word begins with: one or more capitals, digits or closing signs before a capital
// and a small letter ("HAdobe", "K8AbiWord"), a small letter before a
// capital ("wAIFC"), a byte or two before a dot and a small letter
// ("P.def"), a closing sign but "!" before a letter ("=conffiles";
// "!gpdisp!%ld" names a relocation).
size_t AsciiHeadStart(const EncodedChar *chars, size_t count, size_t first, bool cleanStart)
{
    const auto code = [&](size_t k) { return k < count ? chars[k].code : 0u; };
    const auto capital = [&](size_t k) { return code(k) >= 'A' && code(k) <= 'Z'; };
    const auto small = [&](size_t k) { return code(k) >= 'a' && code(k) <= 'z'; };
    const auto digit = [&](size_t k) { return code(k) >= '0' && code(k) <= '9'; };
    const auto closing = [&](size_t k) {
        const uint32_t c = code(k);
        return c == '=' || c == ';' || c == ',' || c == '!' || c == '?' || c == '^' || c == '~' ||
               c == '+' || c == ')' || c == ']' || c == '}' || c == '>';
    };
    // A number the judge cut into, or cut off whole when it is two digits
    // or more ("1.|3より", "2106|年まで"): code's last bytes seldom make
    // one, and text reads it whole.
    if (first > 0 && (digit(first) || digit(first - 1))) {
        size_t w = first;
        while (w > 0 && first - w < 8 &&
               (digit(w - 1) || (code(w - 1) == '.' && w >= 2 && digit(w - 2) && digit(w))))
            --w;
        if (w < first && (digit(first) || (w == 0 && first - w >= 2 &&
                                            IsJapaneseCode(code(first)))))
            return w;
    }
    // A capital before "#" or "++" and a space is a language's name ("C#",
    // "C++"), not a byte of code before a comment's sign.
    if (first > 0 && capital(first - 1) &&
        ((code(first) == '#' && code(first + 1) == ' ') ||
         (code(first) == '+' && code(first + 1) == '+' && code(first + 2) == ' ')) &&
        (first == 1 || !(capital(first - 2) || small(first - 2) || digit(first - 2))))
        return first - 1;
    if (first > 0 && IsJapaneseCode(code(first))) {
        const size_t t = code(first - 1) == ' ' ? first - 1 : first;
        size_t w = t;
        while (w > 0 && t - w < 4 && (capital(w - 1) || digit(w - 1)))
            --w;
        // (At a dirty start, a small letter glued before it is code's:
        // "oELF" of 0F 6F; a capital only before a known acronym.)
        const bool lone = w == 1 && !cleanStart && small(0);
        if ((t - w >= 3 || (t - w == 2 && t < first)) && capital(w) && code(t - 1) != 'H' &&
            (w == 0 || lone || !(small(w - 1) || capital(w - 1) || digit(w - 1))))
            return w == 0 && !cleanStart && !KnownAcronym(chars, 0, t) &&
                           KnownAcronym(chars, 1, t)
                       ? 1
                       : w;
        return first;
    }
    // One to three bytes before the spaces that indent a column, at any
    // edge or where the judge cut code off: letters and digits before
    // two, other signs (not "#", "*" or "-", which begin comments and
    // lists) before three; not a label's colon ("q:      終了する").
    size_t glued = first, alnum = 0;
    while (glued < first + 4 && code(glued) > ' ' && code(glued) < 0x7F) {
        alnum += small(glued) || capital(glued) || digit(glued);
        ++glued;
    }
    const size_t n = glued - first;
    if (n >= 1 && n <= 3 && code(glued) == ' ' && code(glued + 1) == ' ' &&
        code(glued - 1) != ':' && (alnum == n ||
         (code(glued + 2) == ' ' && code(first) != '#' && code(first) != '*' && code(first) != '-')))
        return glued;
    // At a dirty start or a cut, one sign but "#" before the spaces of an
    // option's line ("(  -m, --mode"): code's byte, as the line's own
    // text begins with its spaces.
    if (n == 1 && alnum == 0 && code(first) != '#' && (first > 0 || !cleanStart) &&
        code(glued) == ' ' && code(glued + 1) == ' ') {
        size_t k = glued;
        while (k < glued + 8 && code(k) == ' ')
            ++k;
        if (code(k) == '-' && (small(k + 1) || capital(k + 1) || code(k + 1) == '-'))
            return glued;
    }
    if (first < count && code(first) < 0x80)
        if (const size_t g = GluedBeforeText(chars, count, first, first > 0 || !cleanStart))
            return first + g;
    if (first > 0 || cleanStart || count < 3 || code(0) >= 0x80)
        return first;
    {
        size_t t = 0;
        while (t < 8 && (capital(t) || digit(t) || (t > 0 && code(t) == 'v')))
            ++t;
        if (t >= 3 && !small(t) && !KnownAcronym(chars, 0, t) && KnownAcronym(chars, 1, t))
            return 1;
    }
    for (size_t p = 1; p <= 3; ++p) {
        if (!(capital(p - 1) || digit(p - 1) || closing(p - 1)))
            break;
        if (capital(p) && small(p + 1))
            return p;
    }
    if (small(0) && capital(1))
        return 1;
    for (size_t p = 1; p <= 2; ++p)
        if (code(p) == '.' && small(p + 1) && code(p - 1) != ' ' && (p == 1 || code(0) != ' '))
            return p;
    if (closing(0) && code(0) != '!' && (small(1) || capital(1)))
        return 1;
    return first;
}

// A line break before a run is no clean edge where the line is an ar
// archive's (static libraries): a member's header ends with "`" and a
// line break, a name in its table of long names with "/" and one, and a
// header's name after a member's padding line break is "/" and a number.
// What follows them is a member's bytes or a header, not a line of text.
// `at(k)`: the file byte at offset k, k below the run's first byte.
template <class At>
bool ArchiveLineStart(At at, uint64_t from, const EncodedChar *chars, size_t count)
{
    if (from < 2 || at(from - 1) != '\n')
        return false;
    const uint8_t before = at(from - 2);
    if (before == '/' || before == '`')
        return true;
    return count >= 2 && chars[0].code == '/' && chars[1].code >= '0' && chars[1].code <= '9';
}

// EUC-JP text glued to x86 code that zeros or tests a register (xor
// eax, eax is 31 C0; test is 85, the other xor form 33): the ModRM byte
// of a register with itself and the next instruction's opcode read as a
// pair ("先" of 31 C0 E8, a call), first or after at most three bytes of
// code that read as ASCII (the opcode's own "1" among them; not after a
// format's or a number's: "%1秒" is text).  How many characters that
// begin the run are such code.  `at(k)`: the file byte at offset k, k
// below the run's first byte.
template <class At>
size_t ZeroingPair(At at, const EncodedChar *chars, size_t count)
{
    size_t g = 0;
    while (g < count && g < 4 && chars[g].code < 0x80)
        ++g;
    if (g + 2 > count || chars[g].to - chars[g].from != 2 || chars[g].from == 0)
        return 0;
    if (g >= 2 && (chars[g - 2].code == '%' || (chars[g - 2].code >= '0' && chars[g - 2].code <= '9')))
        return 0;
    const uint8_t op = at(chars[g].from - 1), modrm = at(chars[g].from);
    const bool zeroing = op == 0x31 || op == 0x33 || op == 0x85;
    const bool self = modrm == 0xC0 || modrm == 0xC9 || modrm == 0xD2 || modrm == 0xDB ||
                      modrm == 0xE4 || modrm == 0xED || modrm == 0xF6;
    return zeroing && self ? g + 1 : 0;
}

// A pair first at a dirty edge that is machine code's last bytes glued
// to EUC-JP text rather than its first character: a kanji right before
// an option ("満--ボリューム", "向-S の"), text sets a word before one
// with a space; an opening bracket that nothing in the run closes
// ("『GET DIAGNOSTICS 項目").
bool GluedLeadPair(const EncodedChar *chars, size_t count)
{
    if (count < 3 || chars[0].to - chars[0].from != 2)
        return false;
    const uint32_t u = chars[0].code, n = chars[1].code, m = chars[2].code;
    if (u >= 0x4E00 && u <= 0x9FFF && n == '-' &&
        (m == '-' || (m >= 'A' && m <= 'Z') || (m >= 'a' && m <= 'z')))
        return true;
    static constexpr uint32_t kOpen[] = {0x3008, 0x300A, 0x300C, 0x300E, 0x3010, 0xFF08, 0xFF3B, 0xFF5B};
    for (uint32_t open : kOpen) {
        if (u != open)
            continue;
        const uint32_t close = open == 0xFF3B || open == 0xFF5B ? open + 2 : open + 1;
        for (size_t k = 1; k < count; ++k)
            if (chars[k].code == close)
                return false;
        return true;
    }
    return false;
}

// Kana: hiragana, katakana, half-width katakana.
bool IsKana(uint32_t code)
{
    return (code >= 0x3041 && code <= 0x30FF) || (code >= 0xFF66 && code <= 0xFF9F);
}

// Machine code and tables read in these encodings give short runs of
// kanji and symbols; Japanese text nearly always has kana, or ASCII beside
// them, unless it is a whole string between clean edges.
bool KanjiAlone(const EncodedChar *chars, size_t count, bool whole)
{
    size_t others = 0;
    for (size_t k = 0; k < count; ++k) {
        if (IsKana(chars[k].code))
            return false;
        others += chars[k].code < 0x80;
    }
    return others < 2 && !whole;
}

// Tables of code points (fonts' and libraries' character tables) read in
// UTF-16BE as kana in rising order: a row with five kana or more whose
// characters beyond ASCII all rise (whatever ASCII stands between them),
// but for the last one (often a comma, a full stop or a bracket, whose
// code points are low), is one, unless they follow an ASCII word and a
// space ("A4 エキストラ", "Matroska ストリーム"), as text sets them and a
// table's numbers seldom do.  Words rise often but not all through:
// "アニメーション" falls after its long vowel mark, "書き込みエラー" at its
// kanji.  A word of katakana alone that ends at a clean edge
// ("アイスランド", "カメルーン") is no table: tables of kana run on into
// hiragana, small katakana or the next value.
bool RisingTable(const EncodedChar *chars, size_t count, bool cleanEnd)
{
    size_t kana = 0, wide = 0, falls = 0;
    uint32_t last = 0;
    bool fellLast = false, katakanaWord = true;
    for (size_t k = 0; k < count; ++k) {
        const uint32_t code = chars[k].code;
        if (code < 0x80)
            continue;
        const uint32_t word = k >= 2 ? chars[k - 2].code | 0x20 : 0;
        if (wide == 0 && k >= 2 && chars[k - 1].code == ' ' &&
            ((word >= 'a' && word <= 'z') || (chars[k - 2].code >= '0' && chars[k - 2].code <= '9')))
            return false;
        kana += IsKana(code);
        katakanaWord = katakanaWord && code >= 0x30A1 && code <= 0x30FC && code != 0x30F5 && code != 0x30F6;
        fellLast = wide++ > 0 && code <= last;
        falls += fellLast;
        last = code;
    }
    return kana >= 5 && falls == (fellLast ? 1u : 0u) && !(katakanaWord && cleanEnd);
}

// Tables read in these encodings (fonts' glyph and kerning tables) give
// short rows with a kanji that Japanese text seldom or never uses, or a
// code-like one ("益い窿い"), and rows of one character over and over
// ("いいいい", "電電電電"), which text seldom holds: a row shorter than
// kShortRow characters at a dirty edge with such a kanji, or one with
// `repeats` equal Japanese characters in a row (the repetition filter's
// limit, counted in characters; 0: none).
bool TableLike(const EncodedChar *chars, size_t count, bool whole, Encoding encoding, int repeats)
{
    size_t run = 0;
    for (size_t k = 0; k < count; ++k) {
        const uint32_t u = chars[k].code;
        if (count < kShortRow && !whole) {
            const uint8_t c = ClassIn(encoding, u);
            if (c == japanese::kKanji4 || c == japanese::kKanji5 || c == japanese::kCodeLike)
                return true;
        }
        run = k > 0 && IsJapaneseCode(u) && u == chars[k - 1].code ? run + 1 : 0;
        if (repeats > 0 && run + 1 >= static_cast<size_t>(repeats))
            return true;
    }
    return false;
}

} // namespace

int32_t ReadingMargin(Reading reading, const uint8_t *b, size_t n, bool hideKana, RowEdges edges)
{
    // Kept from call to call: the walk asks at many places of a file.
    thread_local std::vector<uint32_t> codes;
    thread_local std::vector<RowChar> scratch;
    codes.clear();
    // A reading that stops at a zero, a tab or a line break (a zero unit,
    // in UTF-16) ends at a clean edge, as its row would; a lone character
    // there is no such end (a UTF-8 "ア" from the trail byte of "弱い").
    size_t stop = 0;
    JudgeForm form = JudgeForm::Utf16Le;
    switch (reading) {
    case Reading::ShiftJis:
        stop = ShiftJisCodes(b, n, hideKana, codes);
        form = JudgeForm::ShiftJis;
        break;
    case Reading::Utf8:
        stop = Utf8Codes(b, n, codes);
        form = JudgeForm::Utf8;
        break;
    case Reading::Utf16Le:
        stop = Utf16LeCodes(b, n, codes);
        break;
    }
    const bool wide = reading == Reading::Utf16Le;
    if (codes.size() >= 2 && stop + (wide ? 1 : 0) < n && IsCleanEdgeByte(b[stop]) &&
        (!wide || b[stop + 1] == 0))
        edges.cleanEnd = true;
    return MarginOf(codes, form, edges, scratch);
}

EncodedRows::EncodedRows(int minLength, const ExtractionSettings &settings,
                         const EnglishWordMarker *marker, ScanHost &host)
    : minJapanese_(static_cast<size_t>(kMinJapaneseStrRange.Clamp(settings.MinJapaneseStr))),
      judging_(settings.CheckKanjiNoise), settings_(settings), host_(host),
      emitter_(minLength, settings, marker, host)
{
}

int32_t EncodedRows::OtherMargin(Encoding encoding, const uint8_t *d, uint64_t base,
                                 size_t avail, uint64_t a, uint64_t b, RowEdges edges)
{
    std::vector<uint32_t> &codes = otherCodes_;
    std::vector<RowChar> &scratch = otherChars_;
    codes.clear();
    const uint8_t *bytes = d + (a - base);
    const size_t length = static_cast<size_t>(b - a);
    int32_t best = INT32_MIN;
    if (encoding == Encoding::EucJp) {
        ShiftJisCodes(bytes, length, settings_.CheckHalfKana, codes);
        best = std::max(best, MarginOf(codes, JudgeForm::ShiftJis, edges, scratch));
        codes.clear();
        Utf8Codes(bytes, length, codes);
        best = std::max(best, MarginOf(codes, JudgeForm::Utf8, edges, scratch));
    }
    if (encoding != Encoding::Utf16Be)
        return best;
    // The same bytes as UTF-16LE; and UTF-16LE text read one byte on, which
    // reads as UTF-16BE (kana above all, whose units share their high
    // byte): its units from the byte before to the byte after, between
    // its own edges.  That reading wins by less: UTF-16BE text read so
    // scores nearly as high (most of the machine's Windows programs hold
    // UTF-16LE text; UTF-16BE text is rarer where it is looked for).
    // A reading that stops at a unit it cannot read before its bytes end
    // ends there at a dirty edge, whatever stands after the bytes.
    Utf16LeCodes(bytes, length, codes);
    const RowEdges same{edges.cleanStart, edges.cleanEnd && codes.size() == length / 2};
    best = std::max(best, MarginOf(codes, JudgeForm::Utf16Le, same, scratch));
    // After a zero unit (the end of the UTF-16BE string before), that
    // reading would begin with a unit whose low byte is zero, which
    // UTF-16LE text seldom holds ("以下の" after 00 00 reads "一以》の").
    auto at = [&](uint64_t k) { return k - base < avail ? d[k - base] : uint8_t(0); };
    if (a == 0 || (a >= 2 && at(a - 1) == 0 && at(a - 2) == 0))
        return best;
    // Where the text's last low byte stands before a zero unit (its
    // string's end), that reading's last unit would be made of it and the
    // zero: no unit of UTF-16LE text, which ends at a unit of its own
    // (text that ends so, "[プロパティ]" before a line break, is read one
    // byte off before 0A 00).  Kana read so are the text's own characters
    // one on ("キャッシュ" after a byte CE reads "ノキャッシ"), and would
    // win with that unit's clean end.
    const bool lowBeforeZero = at(b - 1) != 0 && at(b) == 0 && at(b + 1) == 0;
    std::vector<uint8_t> &shifted = shifted_;
    shifted.clear();
    for (uint64_t k = a - 1; k < (lowBeforeZero ? b - 1 : b + 1); ++k)
        shifted.push_back(at(k));
    codes.clear();
    Utf16LeCodes(shifted.data(), shifted.size(), codes);
    const RowEdges le{a < 3 || (at(a - 3) | at(a - 2) << 8) < 0x20,
                      !lowBeforeZero && codes.size() == shifted.size() / 2 &&
                          (at(b + 1) | at(b + 2) << 8) < 0x20};
    const int32_t shiftedMargin = MarginOf(codes, JudgeForm::Utf16Le, le, scratch);
    return shiftedMargin == INT32_MIN ? best : std::max(best, shiftedMargin + kShiftedLead);
}

bool EncodedRows::Decide(Encoding encoding, const EncodedChar *chars, size_t count,
                         bool cleanStart, bool cleanEnd, const uint8_t *bytes, uint64_t base,
                         size_t avail, uint64_t *from, uint64_t *to)
{
    // Most runs in binary data are two characters that read as Japanese
    // before one that does not; what follows only shortens a run, so one
    // shorter than a row lists nothing.
    if (count < minJapanese_)
        return false;
    if (cleanStart && encoding != Encoding::Utf16Be &&
        ArchiveLineStart([&](uint64_t k) { return bytes[k - base]; }, chars[0].from, chars, count))
        cleanStart = false;
    if (encoding == Encoding::Utf16Be) {
        // The unit before the run, past up to two zero units (a number's
        // low bytes: 01 00 00 00 00 00 30 C0 is a double).
        const auto at = [&](uint64_t k) { return k >= base ? bytes[k - base] : uint8_t(1); };
        uint64_t f = chars[0].from;
        for (int zeros = 0; zeros < 2 && f >= 4 && at(f - 2) == 0 && at(f - 1) == 0; ++zeros)
            f -= 2;
        const bool numberEdge = cleanStart && f >= 2 && at(f - 2) != 0 && at(f - 1) == 0;
        const size_t glued = GluedUnits(chars, count, cleanStart, numberEdge);
        chars += glued;
        count -= glued;
        cleanStart = cleanStart && glued == 0;
    } else if (encoding == Encoding::EucJp) {
        size_t glued =
            ZeroingPair([&](uint64_t k) { return k >= base ? bytes[k - base] : uint8_t(0); }, chars, count);
        if (glued == 0 && !cleanStart && GluedLeadPair(chars, count))
            glued = 1;
        chars += glued;
        count -= glued;
        cleanStart = cleanStart && glued == 0;
    }
    size_t japanese = 0;
    for (size_t k = 0; k < count; ++k)
        japanese += IsJapaneseCode(chars[k].code);
    if (japanese == 0 || count < minJapanese_)
        return false;
    size_t first = 0, end = count;
    if (judging_) {
        // EUC-JP characters stand as they lie, a pair's two bytes side by
        // side as in Shift-JIS, so that the judge's rules of a pair glued
        // to text read them too; the others one place each (the bytes
        // ISO-2022-JP spends on escapes are no gap in the text).
        scratch_.resize(count);
        const bool asLaid = encoding == Encoding::EucJp;
        for (size_t k = 0; k < count; ++k)
            scratch_[k] = {chars[k].code,
                           asLaid ? chars[k].from - chars[0].from : static_cast<uint32_t>(k),
                           asLaid ? chars[k].to - chars[k].from : 1,
                           ClassIn(encoding, chars[k].code)};
        const RowEdges edges{cleanStart, cleanEnd};
        const int32_t ease = encoding == Encoding::Iso2022Jp ? kIso2022JpEase : 0;
        Verdict v = japanese::JudgeRow(scratch_.data(), count, FormOf(encoding), edges, ease);
        // EUC-JP and ISO-2022-JP text right after machine code that ends
        // at a zero: ASCII text with Japanese words set in it ("prc2 封筒",
        // "上側(_T):", "(Python, Tcl, Glade 以外)") has too few Japanese
        // characters for the pairs to tell at a dirty edge; it reads as
        // text when the whole run reads as a string between clean edges.
        if (!v.japanese && encoding != Encoding::Utf16Be && !cleanStart && cleanEnd) {
            const Verdict w = japanese::JudgeRow(scratch_.data(), count, FormOf(encoding),
                                                 RowEdges{true, true}, ease);
            if (w.japanese && w.first == 0 && w.end == count)
                v = w;
        }
        if (!v.japanese)
            return false;
        first = v.first;
        end = v.end;
        // ISO-2022-JP text is text from its first escape to a Japanese set
        // on (machine code all but never holds one): only its ASCII head
        // is the judge's to cut.
        if (encoding == Encoding::Iso2022Jp)
            first = std::min(first, FirstJapanese(chars, count));
        if (first > 0 && encoding == Encoding::Utf16Be && LoneBeforeAscii(chars + first, end - first))
            ++first;
        if (encoding != Encoding::Utf16Be)
            first = AsciiHeadStart(chars, end, first, cleanStart);
        if (end - first < minJapanese_)
            return false;
        // The margin at the threshold the other readings are judged by.
        const int32_t margin = v.margin - ease;
        const bool wholeRun = cleanStart && cleanEnd && first == 0 && end == count;
        if (end - first < kShortRow && encoding != Encoding::Iso2022Jp &&
            margin < (!wholeRun                        ? kShortBar
                      : encoding == Encoding::Utf16Be ? kShortWholeBar
                                                      : INT32_MIN))
            return false;
        // The same bytes in another encoding (in force or not): the reading
        // that scores higher is the text.
        const RowEdges kept{cleanStart && first == 0, cleanEnd && end == count};
        const uint64_t a = chars[first].from, b = chars[end - 1].to;
        if (OtherMargin(encoding, bytes, base, avail, a, b, kept) >= margin)
            return false;
    }
    const bool whole = cleanStart && cleanEnd && first == 0 && end == count;
    if (KanjiAlone(chars + first, end - first, whole))
        return false;
    if (judging_ && TableLike(chars + first, end - first, whole, encoding,
                              settings_.CheckRecurrence ? std::max(settings_.RecurrenceTime, 1) : 0))
        return false;
    if (encoding == Encoding::Utf16Be && RisingTable(chars + first, end - first, cleanEnd && end == count))
        return false;
    *from = chars[first].from;
    *to = chars[end - 1].to;
    Queue(*from, KindOf(encoding), chars + first, end - first);
    return true;
}

void EncodedRows::Queue(uint64_t start, RowKind kind, const EncodedChar *chars, size_t count)
{
    Waiting row{start, kind, std::string(), std::vector<size_t>()};
    // Two bytes a character at most, but for stand-ins.
    row.text.reserve(2 * count);
    for (size_t k = 0; k < count; ++k) {
        const uint32_t code = chars[k].code;
        const uint16_t form = code < 0x80 ? static_cast<uint16_t>(code) : Cp932Form(code);
        if (form == 0) {
            char standIn[kMaxStandIn];
            row.standIns.push_back(row.text.size());
            row.text.append(standIn, PutStandIn(code, standIn));
        } else {
            if (form > 0xFF)
                row.text.push_back(static_cast<char>(form >> 8));
            row.text.push_back(static_cast<char>(form & 0xFF));
        }
    }
    // The rooms end their runs in their own order: each row goes behind
    // those at lower or equal offsets.
    auto at = std::upper_bound(waiting_.begin(), waiting_.end(), start,
                               [](uint64_t s, const Waiting &w) { return s < w.start; });
    waiting_.insert(at, std::move(row));
}

void EncodedRows::Release(uint64_t offset)
{
    while (!waiting_.empty() && waiting_.front().start < offset) {
        const Waiting &w = waiting_.front();
        emitter_.Keep(w.start, w.kind, w.text.data(), w.text.size(), w.standIns);
        waiting_.pop_front();
    }
}

} // namespace lex
