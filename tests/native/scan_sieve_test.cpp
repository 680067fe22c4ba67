// The walk's sieves against their exact rules: where a rule says text
// begins (or a string table's length word stands), in each build of the
// walk, on hand-made texts and random data, every block of 64 positions
// around it (at every offset) has its sieve's bit set.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <immintrin.h>
#include <random>
#include <string>
#include <vector>

#include "scan/walk/walker.h"
#include "scan_inputs.h"

namespace lex {
namespace plain {
#include "scan/walk/vector.h"
#include "scan/walk/vector_plain.h"
using BlockVec = Vec1;
using SearchVecs = Vectors<>;
#include "scan_sieve_cover.h"
} // namespace plain
namespace sse2 {
#include "scan/walk/vector.h"
#include "scan/walk/vector_sse2.h"
using BlockVec = Vec16;
using SearchVecs = Vectors<Vec16>;
#include "scan_sieve_cover.h"
} // namespace sse2
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
namespace avx2 {
#include "scan/walk/vector.h"
#include "scan/walk/vector_sse2.h"
#include "scan/walk/vector_avx2.h"
using BlockVec = Vec32;
using SearchVecs = Vectors<Vec32, Vec16>;
#include "scan_sieve_cover.h"
} // namespace avx2
#pragma clang attribute pop
} // namespace lex

namespace {

std::string Z(size_t n) { return std::string(n, '\0'); }
std::string W(const std::string &utf8) { return lextest::Utf16Le(utf8); }

// SpreadInRuns against a walk of the stretches bit by bit.
TEST(ScanSieves, SpreadInRunsFillsEachStretchFromItsLowestBit)
{
    std::mt19937_64 random(11);
    for (int n = 0; n < 20000; ++n) {
        const uint64_t runs = n % 2 ? random() | random() : random(), bits = random() & random();
        uint64_t want = 0;
        for (int j = 0, spread = 0; j < 64; ++j) {
            spread = ((runs >> j) & 1) && (spread || ((bits >> j) & 1));
            want |= uint64_t(spread || ((bits >> j) & 1)) << j;
        }
        ASSERT_EQ(want, lex::plain::SpreadInRuns(bits, runs));
    }
}

TEST(ScanSieves, EachSieveMarksEveryPositionItsRuleAccepts)
{
    // UTF-8 text; ASCII UTF-16 text; Japanese UTF-16 text after zeros,
    // other bytes, a dialog item's class and a menu item's words; string
    // tables' length words (33 reads as "!").
    std::vector<std::string> texts = {
        "日本語のテキスト", "caf\xC3\xA9 au lait", "тест", "絵文字😀です", "ab\xC3\xA9t\xC3\xA9",
        lextest::Cp932Text("苺ジャム") + "abc", Z(1) + W("ABC") + Z(2),
        Z(2) + W("ファイル") + Z(2), "\x01" + W("一覧を表示") + Z(2), "\x80" + W("保存(&S)") + Z(2),
        Z(2) + W("日本国憲法") + Z(2), Z(2) + W("ｱｲｳｴｵ") + Z(2),
        Z(4) + "\xFF\xFF\x82" + Z(1) + W("浮動小数点例外") + Z(2),
        Z(2) + "\x80" + Z(1) + "\xD2\x07" + W("最小化") + Z(2), Z(2) + W("\x05太字 斜体") + Z(2),
        Z(2) + W("!ファイルを開けません。ファイルを開けません。ファイルを開けません。") +
            W(" ファイルが見つかりません。ファイルが見つかりません。ファイル名。") + Z(2),
        Z(2) + W("ファイルを開く\n %s を開けません。") + Z(2)};
    // Every first byte of a UTF-8 character (second byte at three points
    // of its range) between small letters and twice after them; every high
    // byte of a UTF-16 code unit after a zero: a rule widened to any of
    // them outgrows its sieve here.
    std::string letters, units;
    for (int b = 0; b < 256; ++b) {
        const size_t more = b < 0xE0 ? 0 : b < 0xF0 ? 1 : 2;  // continuation bytes after it
        for (const char low : {'\x80', '\xA0', '\xBF'}) {
            const std::string c = std::string{char(b), low} + std::string(more, '\x80');
            letters += b >= 0xC2 && b <= 0xF4 ? "ab" + c + "cd" + c + c + "\x01" : "";
        }
        units += Z(1) + std::string{'\0', char(b)} + Z(1) + std::string{'\x80', char(b)};
    }
    // Ideographs after another byte, with their first mark (ASCII, kana, a
    // symbol, forms) and their end at each distance: the sieve reads up to
    // 96 bytes on.  {mark, its unit, end, its unit}
    const uint16_t marked[][4] = {{2, 0x41, 6, 0},      {3, 0x41, 6, 0},     {12, 0x3042, 14, 1},
                                  {5, 0x2026, 9, 0},    {4, 0xFF21, 8, 0},   {7, 0xFF71, 10, 0},
                                  {16, 0x3042, 18, 0},  {6, 0x41, 24, 0},    {9, 0x3042, 5, 0},
                                  {5, 0x41, 7, 0x0A},   {5, 0x3042, 7, 0xE9}};
    const uint16_t ideographs[] = {0x8A9E, 0x65E5, 0x7D42, 0x9F8D, 0x4E00};
    for (const auto &m : marked) {
        std::string text = "\x80";
        for (uint16_t u = 0; u <= std::max(m[0], m[2]); ++u) {
            const uint16_t unit = u == m[0] ? m[1] : u == m[2] ? m[3] : ideographs[u % 5];
            text += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
        }
        texts.push_back(text);
    }
    // Each at the data's start (the bytes before it are zeros) and further
    // in, in machine code; and random data.
    const std::string code("\x89\x45\xF8\x8B\x4D\xFC\x83\xC4\x10\xFF\xFF", 11);
    std::vector<std::vector<uint8_t>> data;
    auto add = [&](std::string bytes) {
        for (size_t end = bytes.size() + 64 + lex::WalkCore::kMaxLookAhead; bytes.size() < end;)
            bytes += code;
        data.emplace_back(bytes.begin(), bytes.end());
    };
    for (const std::string &text : texts)
        for (size_t at : {0, 3, 64})
            add((code + code + code + code + code + code).substr(0, at) + text);
    add(letters);
    add(units);
    std::mt19937 rng(33);
    for (int round = 0; round < 12; ++round) {
        const std::vector<uint8_t> random = lextest::RandomData(rng, 600);
        add(std::string(random.begin(), random.end()));
    }
    const bool avx2 = lex::DetectedProcessorFeatures().avx2;
    for (int flags = 0; flags < 4; ++flags) {
        lex::ExtractionSettings st;
        st.CheckHalfKana = flags & 1;
        st.SearchKanji = flags & 2;
        const std::pair<const char *, std::vector<std::string>> builds[] = {
            {"plain", lex::plain::Misses(data, st)}, {"SSE2", lex::sse2::Misses(data, st)},
            {"AVX2", avx2 ? lex::avx2::Misses(data, st) : std::vector<std::string>()}};
        for (const auto &build : builds)
            EXPECT_TRUE(build.second.empty()) << build.first << (flags & 1 ? "" : ", katakana text")
                                              << (flags & 2 ? ", Shift-JIS" : "") << ": "
                                              << build.second[0];
    }
}

} // namespace
