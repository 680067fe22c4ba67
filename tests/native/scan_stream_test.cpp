// The scan of data that arrives in pieces: the same rows and checkpoints as
// the reference walk over the whole data, for every way of cutting it (and
// for the data at once), every build of the walk and row limits that cut
// long runs; stops, read errors and memory running out; and files that
// change while they are read.  Portable (std::filesystem), so it
// runs natively and, in the Windows builds, under Wine.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "words/dictionary.h"
#include "scan/scanner.h"
#include "file_test.h"
#include "recording_host.h"
#include "scan_inputs.h"
#include "scan_reference.h"

namespace {

using lex::ExtractionSettings;
using lex::ScanPath;
using lex::ScanStream;
using lex::StreamOptions;
using lextest::RecordingHost;
using lextest::Row;

using lextest::Feed;
const auto &kPaths = lextest::kScanPaths;

struct Case {
    ExtractionSettings settings;
    int m;
    std::vector<uint8_t> data;
    size_t interval;
    long abortAt;
    size_t rowLimit = lex::kMaxRowLength;
};

Case RandomCase(std::mt19937 &rng)
{
    Case c;
    c.settings = lextest::RandomSettings(rng);
    c.m = static_cast<int>(rng() % 6);
    c.data = lextest::RandomData(rng, 700);
    c.interval = rng() % 3 ? 1 + rng() % 200 : lex::kCheckpointInterval;
    c.abortAt = static_cast<long>(rng() % 10) - 3;
    if (rng() % 3 == 0)
        c.rowLimit = 1 + rng() % 40;
    return c;
}

class StreamModel : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string words = lextest::RandomWords();
        dict_.Load(words.data(), words.size());
    }
    // The stream's host against the reference walk's, call for call.
    template <class NextSize>
    void Compare(const Case &c, ScanPath path, size_t pieceSize, NextSize next,
                 const std::string &what)
    {
        lex::EnglishWordMarker marker(dict_, c.settings);
        RecordingHost model(c.abortAt), streamed(c.abortAt);
        lexref::Scan(c.data.data(), c.data.size(), c.m, c.settings, &dict_, model, c.interval,
                     c.rowLimit);
        StreamOptions options{path, pieceSize, c.interval, c.rowLimit};
        ScanStream scan(c.data.size(), c.m, c.settings, &marker, streamed, options);
        Feed(scan, c.data, next);
        ASSERT_EQ(model.log, streamed.log) << what << ", " << lex::ScanPathName(path);
        ASSERT_EQ(model.rows, streamed.rows) << what << ", " << lex::ScanPathName(path);
        EXPECT_FALSE(scan.OutOfMemory());
        // And the whole data at once.
        RecordingHost whole(c.abortAt);
        lex::ScanBufferWithInterval(c.data.data(), c.data.size(), c.m, c.settings, &marker, whole,
                                    c.interval, path, c.rowLimit);
        ASSERT_EQ(model.log, whole.log) << what << ", whole, " << lex::ScanPathName(path);
        ASSERT_EQ(model.rows, whole.rows) << what << ", whole, " << lex::ScanPathName(path);
    }
    lex::WordDictionary dict_;
};

TEST_F(StreamModel, EveryWayOfCuttingGivesTheRowsOfTheWholeData)
{
    std::mt19937 rng(2024);
    // Pieces of one size, and (0) random splits: mostly short pieces, now
    // and then one of up to 300 bytes.
    for (size_t pieceSize : {size_t(1), size_t(2), size_t(3), size_t(7), size_t(4096), size_t(0)}) {
        auto next = [&] {
            return pieceSize ? pieceSize : size_t(rng() % 4 ? 1 + rng() % 20 : 1 + rng() % 300);
        };
        for (int round = 0; round < (pieceSize ? 300 : 1500); ++round) {
            const Case c = RandomCase(rng);
            for (ScanPath path : kPaths)
                Compare(c, path, pieceSize ? pieceSize : 300, next,
                        "piece " + std::to_string(pieceSize) + ", round " + std::to_string(round));
        }
    }
}

TEST_F(StreamModel, LongRunsAcrossPiecesUseTheFastPaths)
{
    // Long text, long UTF-16 text and long stretches without text, cut into
    // pieces that end inside every one of them.
    std::vector<uint8_t> data;
    for (int k = 0; k < 40; ++k) {
        data.insert(data.end(), static_cast<size_t>(100 + 37 * k), 'a' + k % 26);
        data.insert(data.end(), static_cast<size_t>(3 + k), 0);
        for (int u = 0; u < 50 + 13 * k; ++u) {
            data.push_back(static_cast<uint8_t>('A' + u % 26));
            data.push_back(0);
        }
        data.insert(data.end(), static_cast<size_t>(200 + 11 * k), k % 2 ? 0x01 : 0xB1);
    }
    // Japanese UTF-16 text, on both alignments.
    static const uint16_t japanese[] = {0x30D5, 0x30A1, 0x30A4, 0x30EB, 0x65E5, 0x672C,
                                        0x3053, 0x7D42, 0x4E00, 0x0041, 0xFF71};
    for (int k = 0; k < 20; ++k) {
        data.insert(data.end(), static_cast<size_t>(2 + k % 2), 0);
        for (int u = 0; u < 40 + 17 * k; ++u) {
            const uint16_t c = japanese[(u * 7 + k) % 11];
            data.push_back(static_cast<uint8_t>(c & 0xFF));
            data.push_back(static_cast<uint8_t>(c >> 8));
        }
        data.insert(data.end(), static_cast<size_t>(90 + 7 * k), k % 3 ? 0x01 : 0x88);
    }
    // (4: with a row limit that cuts the runs.)
    for (const int flags : {0, 1, 2, 3, 4, 7}) {
        const bool kanaListed = flags & 1;
        Case c{ExtractionSettings(), 5, data, lex::kCheckpointInterval, -1,
               flags & 4 ? size_t(97) : lex::kMaxRowLength};
        c.settings.CheckRecurrence = false;
        c.settings.CheckEnglish = false;
        c.settings.CheckHalfKana = !kanaListed;
        c.settings.SearchWideJapanese = flags & 2;
        for (size_t pieceSize : {size_t(61), size_t(64), size_t(1000)})
            for (ScanPath path : kPaths)
                Compare(c, path, pieceSize, [&] { return pieceSize; },
                        "piece " + std::to_string(pieceSize));
    }
}

// Exactly the limit; a byte over it (the last piece listed however short);
// a Shift-JIS pair, ASCII and Japanese UTF-16 units and a UTF-8 character
// that would cross it begin the next piece.  (Japanese text as UTF-8,
// u8: the Windows builds turn other literals into code page 932.)
TEST_F(StreamModel, ARunOverTheRowLimitIsListedInPiecesCutBetweenCharacters)
{
    using K = lex::RowKind;
    const auto J = lextest::Cp932Text;
    const auto W = [](const char *text) {
        return std::string(2, '\0') + lextest::Utf16Le(text) + '\0';
    };
    ExtractionSettings kanji, wide, utf8;
    kanji.SearchKanji = wide.SearchWideJapanese = utf8.SearchUtf8 = true;
    const std::tuple<std::string, size_t, ExtractionSettings, std::vector<Row>> cases[] = {
        {"\x01" "abcdefgh\x01", 8, {}, {{1, K::Ansi, "abcdefgh", false}}},
        {"\x01" "abcdefghi", 8, {}, {{1, K::Ansi, "abcdefgh", false}, {9, K::Ansi, "i", false}}},
        {"abcdefg\x82\xA0hi", 8, kanji,
         {{0, K::Ansi, "abcdefg", false}, {7, K::Ansi, "\x82\xA0hi", false}}},
        {W("ABCDEFGHIJ"), 8, {},
         {{2, K::Unicode, "ABCDEFGH", false}, {18, K::Unicode, "IJ", false}}},
        {W(u8"ファイルを開く"), 5, wide,
         {{2, K::Unicode, J(u8"ファ"), false}, {6, K::Unicode, J(u8"イル"), false},
          {10, K::Unicode, J(u8"を開"), false}, {14, K::Unicode, J(u8"く"), false}}},
        {u8"abcdef日本", 7, utf8, {{0, K::Ansi, "abcdef", false}, {6, K::Utf8, J(u8"日本"), false}}},
    };
    for (const auto &[data, limit, settings, rows] : cases) {
        Case c{settings, 5, std::vector<uint8_t>(data.begin(), data.end()), 64, -1, limit};
        c.settings.CheckEnglish = false;
        RecordingHost model;
        lexref::Scan(c.data.data(), c.data.size(), 5, c.settings, nullptr, model, 64, limit);
        EXPECT_EQ(rows, model.rows) << rows[0].text;
        for (size_t piece : {size_t(1), size_t(3), size_t(4096)})
            for (ScanPath path : kPaths)
                Compare(c, path, piece, [&] { return piece; }, rows[0].text);
    }
}

// ---------------------------------------------------------------------------
// Ends other than the data's end

Row A(uint32_t off, const std::string &text) { return {off, lex::RowKind::Ansi, text, false}; }

StreamOptions Pieces(size_t pieceSize, size_t interval = lex::kCheckpointInterval)
{
    StreamOptions o;
    o.pieceSize = pieceSize;
    o.interval = interval;
    return o;
}

void Put(ScanStream &scan, const std::string &bytes)
{
    std::copy(bytes.begin(), bytes.end(), scan.Piece());
    scan.Scan(bytes.size());
}

TEST(StreamEnds, AReadErrorKeepsTheRowsAndEmitsThePendingString)
{
    // The bytes that wait for their look-ahead (the next two) are left out;
    // what was gathered before them is emitted as after a stop.
    struct {
        std::vector<std::string> pieces;
        int m;
        std::vector<Row> rows;
    } cases[] = {
        {{"first\x01" "seconds"}, 5, {A(0, "first"), A(6, "secon")}},
        {{"first\x01", "seco", "nds"}, 5, {A(0, "first"), A(6, "secon")}},
        {{"abc\x01" "de"}, 1, {A(0, "abc")}},
        {{""}, 1, {}},
    };
    for (const auto &c : cases) {
        RecordingHost host;
        ScanStream scan(1000, c.m, ExtractionSettings(), nullptr, host, Pieces(64));
        for (const std::string &p : c.pieces)
            Put(scan, p);
        scan.Abandon();
        EXPECT_EQ(c.rows, host.rows) << c.pieces[0];
        EXPECT_TRUE(scan.Ended());
        EXPECT_FALSE(scan.OutOfMemory());
        // Nothing more happens after the end.
        Put(scan, "more text\x01");
        scan.Finish();
        EXPECT_EQ(c.rows, host.rows);
    }
}

TEST(StreamEnds, MemoryRunningOutEndsTheScanAndKeepsTheRows)
{
    // Rows of 6 bytes each, separated by control bytes; the host cannot
    // hold the third row.  Both builds, and a failure in the last piece.
    std::string text;
    for (int k = 0; k < 40; ++k)
        text += "row" + std::to_string(100 + k) + "\x01";
    for (ScanPath path : kPaths) {
        for (size_t pieceSize : {size_t(5), size_t(4096)}) {
            RecordingHost host;
            host.failRowAt = 2;
            StreamOptions o = Pieces(pieceSize, 8);
            o.path = path;
            ScanStream scan(text.size(), 5, ExtractionSettings(), nullptr, host, o);
            Feed(scan, std::vector<uint8_t>(text.begin(), text.end()),
                 [&] { return pieceSize; });
            EXPECT_TRUE(scan.OutOfMemory());
            EXPECT_TRUE(scan.Ended());
            EXPECT_EQ((std::vector<Row>{A(0, "row100"), A(7, "row101")}), host.rows);
            // The failure is the last thing the host saw: no checkpoint and
            // no emission after it.
            EXPECT_EQ("no memory", host.log.back());
        }
    }
}

// ---------------------------------------------------------------------------
// Files

class StreamFile : public lextest::FileTest {
protected:
    // Lines of 20 bytes, each a row: "line 00000 of text\r\n" ...
    static std::string Lines(int first, int count)
    {
        std::string out;
        for (int k = first; k < first + count; ++k) {
            char line[32];
            std::snprintf(line, sizeof line, "line %05d of text\r\n", k);
            out += line;
        }
        return out;
    }
    static std::vector<Row> LineRows(int count)
    {
        std::vector<Row> rows;
        for (int k = 0; k < count; ++k) {
            char text[32];
            std::snprintf(text, sizeof text, "line %05d of text", k);
            rows.push_back(A(static_cast<uint32_t>(20 * k), text));
        }
        return rows;
    }
};

TEST_F(StreamFile, AFileThatShrinksWhileReadKeepsTheRowsReadBeforeTheEnd)
{
    // 3,000 lines; at the first checkpoint the file is cut to 500 lines.
    for (ScanPath path : kPaths) {
        const std::string file = Write("shrink.txt", Lines(0, 3000));
        RecordingHost host;
        host.onEvents = [&] {
            if (host.events == 1)
                std::filesystem::resize_file(file, 10000);
        };
        StreamOptions o = Pieces(4096, 1024);
        o.path = path;
        lex::InputError why = lex::InputError::None;
        EXPECT_EQ(1, lex::StringScanner(file.c_str(), 5, ExtractionSettings(), nullptr, host,
                                        &why, o));
        EXPECT_EQ(lex::InputError::ShortRead, why);
        EXPECT_EQ(LineRows(500), host.rows);
    }
}

TEST_F(StreamFile, AFileThatGrowsWhileReadIsScannedAsItWasOpened)
{
    const std::string path = Write("grow.txt", Lines(0, 1000));
    RecordingHost host;
    host.onEvents = [&] {
        if (host.events == 1)
            std::ofstream(path, std::ios::binary | std::ios::app) << Lines(1000, 1000);
    };
    lex::InputError why = lex::InputError::None;
    EXPECT_EQ(0, lex::StringScanner(path.c_str(), 5, ExtractionSettings(), nullptr, host, &why,
                                    Pieces(4096, 1024)));
    EXPECT_EQ(lex::InputError::None, why);
    EXPECT_EQ(LineRows(1000), host.rows);
    // The progress was reckoned against the size at the start.
    EXPECT_EQ(99, host.progress.back());
}

TEST_F(StreamFile, EmptyFilesFoldersAndMissingFiles)
{
    struct {
        std::string path;
        int result;
        lex::InputError why;
        int clears;
    } cases[] = {
        {Write("empty.bin", ""), 0, lex::InputError::None, 1},
        {dir_.string(), 1, lex::InputError::CannotOpen, 0},
        {(dir_ / "missing.bin").string(), 1, lex::InputError::NotFound, 0},
    };
    for (const auto &c : cases) {
        RecordingHost host;
        lex::InputError why = lex::InputError::Stopped;
        EXPECT_EQ(c.result, lex::StringScanner(c.path.c_str(), 1, ExtractionSettings(), nullptr,
                                               host, &why))
            << c.path;
        EXPECT_EQ(c.why, why) << c.path;
        EXPECT_EQ(c.clears, host.clears) << c.path;
        EXPECT_TRUE(host.rows.empty());
        EXPECT_TRUE(host.progress.empty());
        // Also when the caller does not ask why.
        EXPECT_EQ(c.result, lex::StringScanner(c.path.c_str(), 1, ExtractionSettings(), nullptr,
                                               host));
    }
}

TEST_F(StreamFile, MemoryRunningOutIsReportedWithTheRowsKept)
{
    const std::string path = Write("rows.txt", Lines(0, 50));
    RecordingHost host;
    host.failRowAt = 30;
    lex::InputError why = lex::InputError::None;
    EXPECT_EQ(1, lex::StringScanner(path.c_str(), 5, ExtractionSettings(), nullptr, host, &why));
    EXPECT_EQ(lex::InputError::NoMemory, why);
    EXPECT_EQ(LineRows(30), host.rows);
}

} // namespace
