// Inputs of the scanner tests: texts in UTF-16LE and code page 932 made
// from UTF-8, and random inputs for comparing the scanner with the
// reference walk (every setting combination, and data that mixes single
// bytes of one alphabet, runs of text and UTF-16 text of every length, so
// that the 16- and 64-byte fast paths meet their edges).
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "scan/cp932.h"
#include "settings/settings.h"

namespace lextest {

// The UTF-16LE bytes of UTF-8 text (characters of the Basic Multilingual
// Plane only).
inline std::string Utf16Le(const std::string &utf8)
{
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const auto next = [&](size_t k) { return static_cast<unsigned char>(utf8[i + k]) & 0x3Fu; };
        const unsigned u = c >= 0xE0 ? (c & 0x0Fu) << 12 | next(1) << 6 | next(2)
                           : c >= 0xC0 ? (c & 0x1Fu) << 6 | next(1)
                                       : c;
        i += c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        out += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
    }
    return out;
}

// The code page 932 bytes (Shift-JIS) of UTF-8 text of ASCII and Japanese
// characters, as a row holds them.
inline std::string Cp932Text(const std::string &utf8)
{
    const std::string units = Utf16Le(utf8);
    std::string out;
    for (size_t k = 0; k < units.size(); k += 2) {
        const auto u = static_cast<uint16_t>(static_cast<uint8_t>(units[k]) |
                                             static_cast<uint8_t>(units[k + 1]) << 8);
        const uint16_t form = u < 0x80 ? u : lex::JapaneseUnitCp932(u);
        if (form > 0xFF)
            out.push_back(static_cast<char>(form >> 8));
        out.push_back(static_cast<char>(form & 0xFF));
    }
    return out;
}

inline lex::ExtractionSettings RandomSettings(std::mt19937 &rng)
{
    lex::ExtractionSettings st;
    const unsigned f = rng();
    st.SearchKanji = f & 1;
    st.CheckHalfKana = f & 2;
    st.CheckRecurrence = f & 4;
    st.CheckEnglish = f & 8;
    st.CheckSeparator = f & 16;
    st.CheckInitial = f & 32;
    st.SearchWideJapanese = f & 64;
    st.CheckKanjiNoise = f & 128;
    st.SearchUtf8 = f & 256;
    st.SearchEucJp = f & 512;
    st.SearchIso2022Jp = f & 1024;
    st.SearchUtf16Be = f & 2048;
    st.RecurrenceTime = static_cast<int>(rng() % 6);
    st.MinJapaneseStr = static_cast<int>(1 + rng() % 5);
    return st;
}

// Up to `maxSize` bytes (a little more: the last piece may run over).
inline std::vector<uint8_t> RandomData(std::mt19937 &rng, size_t maxSize)
{
    // The last one: bytes of Shift-JIS text and of x86 code read as it
    // (kanji, katakana and hiragana rows, level-2 kanji, the symbol rows,
    // '$', '&', '%', "(_").
    static const std::string alphabet[] = {
        std::string("AB\0 x\x82\xA0\xB1\x01\x7F\xFC\x40", 12),
        std::string("a\0\0b\0c", 6),
        std::string("\x81\x40\x9F\xFC\xE0\x7E\x80\xA1\xDF", 9),
        std::string("\x89\x8B\x90\x93\x83\x82\xE8\x81\x84\xC2\x44\x74\xA0\xB0\xFA$&%sD(_R)", 24),
    };
    const std::string &abc = alphabet[rng() % 4];
    std::vector<uint8_t> data;
    // UTF-16 code units around Japanese text: hiragana, katakana, CJK
    // ideographs (whose bytes may look like ASCII text, or whose low byte
    // is zero), CJK symbols, full-width forms, half-width katakana, other
    // symbols of code page 932, characters code page 932 lacks, ASCII
    // units, a line break, a control unit, a unit 0x0080-0x00FF and the
    // zero that ends a string.
    static const uint16_t japanese[] = {
        0x3042, 0x3053, 0x307E, 0x3093, 0x30A2, 0x30D5, 0x30FC, 0x4E00, 0x65E5, 0x672C,
        0x7D42, 0x4E86, 0x8A9E, 0x9F8D, 0x3000, 0x3001, 0x300C, 0xFF21, 0xFF5E, 0xFF71,
        0xFF9F, 0x3094, 0x9FFF, 0x3030, 0x6567, 0x5B57, 0x2026, 0x201C, 0x03B1, 0x0041,
        0x0020, 0x000A, 0x0005, 0x0085, 0x0000};
    auto unit = [&](uint16_t u) {
        data.push_back(static_cast<uint8_t>(u & 0xFF));
        data.push_back(static_cast<uint8_t>(u >> 8));
    };
    // UTF-8 text and what lies next to it: characters of two to four bytes
    // (small and capital Latin-1 letters, the multiplication sign, a sign
    // code page 932 holds, Cyrillic, kana, a kanji whose bytes are a
    // Shift-JIS pair too, a dash, a letter whose stand-in spells a word and an
    // emoji that it lacks, a half-width
    // katakana, a control character, the last code point), malformed ones
    // (overlong, surrogate, above U+10FFFF, cut short, a lone continuation
    // byte), Shift-JIS pairs, ASCII letters and a zero byte.
    static const char *const utf8Pieces[] = {
        "\xC3\xA9", "\xC3\x9F", "\xC3\x89", "\xC3\x97", "\xC2\xA2", "\xD1\x84",
        "\xE3\x81\x82", "\xE6\x97\xA5", "\xE8\xB3\xA2", "\xE2\x80\x94", "\xE0\xAE\xAA", "\xF0\x9F\x98\x80",
        "\xEF\xBD\xB1", "\xC2\x85", "\xF4\x8F\xBF\xBF", "\xC0\xAF", "\xE0\x9F\xBF",
        "\xF0\x8F\xBF\xBF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE3\x81", "\xBF",
        "\x82\xA0", "\x88\x9F", "a", "ab", "Z", "ca", " ", ""};
    for (size_t target = rng() % maxSize; data.size() < target;) {
        const unsigned kind = rng() % 18;
        if (kind == 17) {
            // Japanese messages in Shift-JIS and in UTF-8 with ASCII heads,
            // beside machine code that pairs its bytes like Shift-JIS and
            // single bytes and zeros that begin UTF-16 text: where the
            // readings meet, the judge decides.
            static const std::string ties[] = {
                "\x83\x8A\x83\x93\x83\x4A\x83\x58\x83\x4E\x83\x8A\x83\x76\x83\x67\x83\x74\x83\x40\x83\x43\x83\x8B"
                "\x82\xF0\x8A\x4A\x82\xAF\x82\xDC\x82\xB9\x82\xF1",
                "\x8F\x6F\x97\xCD\x82\xC9\x91\xCE\x82\xB5\x82\xC4\x8C\xE3\x8F\x88\x97\x9D\x82\xF0\x8D\x73\x82\xA4",
                "\xE3\x81\xAB\xE3\x81\xA4\xE3\x81\x84\xE3\x81\xA6\xE3\x81\xAE\xE3\x81\xBF\xE5\xA4\xB1\xE6\x95\x97"
                "\xE3\x82\xAB\xE3\x82\xA6\xE3\x83\xB3\xE3\x82\xBF",
                "\xE6\x8C\x87\xE5\xAE\x9A\xE3\x81\x97\xE3\x81\x9F\xE3\x83\x86\xE3\x83\xBC\xE3\x83\x96\xE3\x83\xAB",
                "%P%F: ", "   [-]opost  ", "  -T, --exclude ", "\x8B\x86", "\x89\x45\xF8\x94",
                std::string("%\0", 2), std::string(1, '\0'), std::string(" \0 \0", 4)};
            for (unsigned len = 1 + rng() % 6; len > 0; --len) {
                const std::string &piece = ties[rng() % (sizeof ties / sizeof ties[0])];
                data.insert(data.end(), piece.begin(), piece.end());
            }
            continue;
        }
        if (kind < 4) {
            data.push_back(rng() % 4 ? static_cast<uint8_t>(abc[rng() % abc.size()])
                                     : static_cast<uint8_t>(rng()));
        } else if (kind < 6) {
            for (unsigned len = rng() % 90; len > 0; --len)
                data.push_back(static_cast<uint8_t>(rng() % 8 ? 'a' + rng() % 26 : 0xB1));
        } else if (kind < 8) {
            for (unsigned len = rng() % 40; len > 0; --len) {
                data.push_back(static_cast<uint8_t>('A' + rng() % 26));
                data.push_back(rng() % 30 ? 0 : static_cast<uint8_t>(rng()));
            }
        } else if (kind < 10) {
            for (unsigned len = rng() % 24; len > 0; --len)
                unit(japanese[rng() % (sizeof japanese / sizeof japanese[0])]);
        } else if (kind >= 14) {
            // EUC-JP and ISO-2022-JP pieces (JIS X 0208 pairs, SS2 katakana,
            // SS3 JIS X 0212 with and without a code page 932 form, escapes
            // known and unknown, cut short, a lone SS2 or SS3) and the
            // Japanese units in UTF-16BE, with a byte-order mark.
            static const char *const pieces[] = {
                "\xA4\xA2", "\xA5\xB3", "\xC6\xFC", "\xCB\xDC", "\xA1\xA3", "\x8E\xB1",
                "\x8F\xB0\xA1", "\x8F\xA2\xAF", "\x8E", "\x8F\xA1", "\xA4", "\x1B$B",
                "\x1B(B", "\x1B(J", "\x1B(I", "\x1B$(D", "\x1B$@", "\x1B$A", "\x1B(", "$\"",
                "%3", "F|", "K\\", "1", "0\x21", "\r\n", "ab", " ", "\xFE\xFF", ""};
            for (unsigned len = rng() % 24; len > 0; --len) {
                if (kind == 16) {
                    const uint16_t u = japanese[rng() % (sizeof japanese / sizeof japanese[0])];
                    data.push_back(static_cast<uint8_t>(u >> 8));
                    data.push_back(static_cast<uint8_t>(u & 0xFF));
                    continue;
                }
                const char *piece = pieces[rng() % (sizeof pieces / sizeof pieces[0])];
                data.insert(data.end(), piece, piece + std::char_traits<char>::length(piece));
                if (!*piece)
                    data.push_back(0);
            }
        } else if (kind >= 12) {
            for (unsigned len = rng() % 16; len > 0; --len) {
                const char *piece = utf8Pieces[rng() % (sizeof utf8Pieces / sizeof utf8Pieces[0])];
                // The empty piece stands for a zero byte.
                data.insert(data.end(), piece, piece + std::char_traits<char>::length(piece));
                if (!*piece)
                    data.push_back(0);
            }
        } else {
            // Strings of a string table, of text and line breaks (mostly
            // ideographs that read as single-byte text, with a few kana,
            // symbols and ASCII units), between empty strings or not: each
            // after a length word that mostly counts its code units (often
            // 32 or more, so that it reads as an ASCII unit).
            static const uint16_t table[] = {0x5B57, 0x6567, 0x6E7E, 0x4E00, 0x65E5, 0x8A9E,
                                             0x3042, 0x30A2, 0x2026, 0x0041, 0x0020, 0x000A};
            if (rng() % 2)
                unit(0);
            for (unsigned strings = 1 + rng() % 4; strings > 0; --strings) {
                const unsigned len = rng() % 2 ? 32 + rng() % 8 : rng() % 32;
                unit(static_cast<uint16_t>(rng() % 8 ? len : len + 1));
                for (unsigned k = 0; k < len; ++k)
                    unit(table[rng() % (rng() % 2 ? 6 : sizeof table / sizeof table[0])]);
            }
            if (rng() % 4)
                unit(0);
        }
    }
    return data;
}

// The word list of the random comparisons: short words that random text
// meets often, one of them in capitals.
inline const char *RandomWords()
{
    return "ab\r\nabba\r\nbaa\r\nAAB\r\naab\r\nxx\r\n";
}

} // namespace lextest
