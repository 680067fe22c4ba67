// Throughput of the string scanner and the English-word marker.
//
//   scan_bench CORPUS DICTIONARY
//
// Prints MB/s (per second of CPU time) of the scan with default settings (without and with the
// marker), rows/s of the marker alone, how the scan of the file splits
// between reading, scanning and marking, and checks that the scanner's rows
// are identical to those of the reference walk (same count, same 64-bit
// digest of every row's offset, kind, checked flag and text).
#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "words/dictionary.h"
#include "base/inputfile.h"
#include "scan/scanner.h"
#include "results/resultsfile.h"
#include "scan_reference.h"

namespace {

// Timings are the process's CPU time (user + system), which other work on a
// shared machine disturbs far less than the wall clock.
struct Clock {
    using time_point = double;
    static double now()
    {
        timespec ts;
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        return ts.tv_sec + ts.tv_nsec * 1e-9;
    }
};

double Seconds(double a, double b) { return b - a; }

// Counts rows and their bytes.
class CountHost : public lex::ScanHost {
public:
    void ClearRows() override {}
    void AddRow(uint32_t, lex::RowKind, const char *, size_t length, bool) override
    {
        ++rows;
        bytes += length;
    }
    void SetProgress(int) override {}
    void ProcessEvents() override {}
    bool AbortRequested() override { return false; }
    uint64_t rows = 0;
    uint64_t bytes = 0;
};

// Counts rows and digests them; optionally keeps the texts for the marker.
class DigestHost : public lex::ScanHost {
public:
    explicit DigestHost(bool keep = false) : keep_(keep) {}
    void ClearRows() override {}
    void AddRow(uint32_t offset, lex::RowKind kind, const char *text, size_t length,
                bool checked) override
    {
        ++rows;
        checkedRows += checked;
        utf8Rows += kind == lex::RowKind::Utf8;
        // Wide rows with bytes above 0x7F hold Japanese characters.
        const bool wide = kind == lex::RowKind::Unicode;
        japaneseRows += wide && std::any_of(text, text + length, [](char c) { return c & 0x80; });
        Mix(&offset, sizeof offset);
        const uint8_t flags = static_cast<uint8_t>(wide | (checked << 1) |
                                                   (kind == lex::RowKind::Utf8) << 2);
        Mix(&flags, 1);
        const uint64_t len = length;
        Mix(&len, sizeof len);
        Mix(text, length);
        if (keep_) {
            ends.push_back(texts.size() + length);
            texts.append(text, length);
        }
    }
    void SetProgress(int) override {}
    void ProcessEvents() override {}
    bool AbortRequested() override { return false; }

    uint64_t rows = 0;
    uint64_t checkedRows = 0;
    uint64_t japaneseRows = 0;
    uint64_t utf8Rows = 0;
    uint64_t digest = 1469598103934665603ull;
    std::string texts;
    std::vector<size_t> ends;

private:
    void Mix(const void *p, size_t n)
    {
        const uint8_t *b = static_cast<const uint8_t *>(p);
        for (size_t k = 0; k < n; ++k)
            digest = (digest ^ b[k]) * 1099511628211ull;
    }
    bool keep_;
};

// Formats every row as the front end does (a results-file line) into a
// 1 MiB block and writes full blocks to `out`.
class WriteHost : public lex::ScanHost {
public:
    explicit WriteHost(FILE *out) : out_(out), block_(kBlock) {}
    ~WriteHost() override { Drain(); }
    void ClearRows() override {}
    void AddRow(uint32_t offset, lex::RowKind kind, const char *text, size_t length,
                bool) override
    {
        const size_t need = lex::ResultsLineLength(kind, length, false);
        if (need > kBlock - used_)
            Drain();
        if (need > kBlock)
            return;  // (no row of the corpus is that long)
        lex::PutResultsLine(block_.data() + used_, offset, kind, text, length, false);
        used_ += need;
    }
    void SetProgress(int) override {}
    void ProcessEvents() override {}
    bool AbortRequested() override { return false; }

private:
    static constexpr size_t kBlock = size_t(1) << 20;
    void Drain()
    {
        std::fwrite(block_.data(), 1, used_, out_);
        used_ = 0;
    }
    FILE *out_;
    std::vector<char> block_;
    size_t used_ = 0;
};

// CPU seconds of the best of `rounds` runs of `body`.
template <class Body>
double Best(int rounds, Body body)
{
    double best = 1e9;
    for (int round = 0; round < rounds; ++round) {
        const double t0 = Clock::now();
        body();
        best = std::min(best, Seconds(t0, Clock::now()));
    }
    return best;
}

// The file read in the scan's pieces and nothing else done with it.
bool ReadOnly(const char *path)
{
    lex::InputFile file;
    if (file.Open(path) != lex::InputError::None)
        return false;
    std::unique_ptr<uint8_t[]> piece(new uint8_t[lex::kScanPiece]);
    uint64_t left = file.Size();
    while (left > 0) {
        size_t got = 0;
        if (file.Read(piece.get(), static_cast<size_t>(std::min<uint64_t>(left, lex::kScanPiece)),
                      &got) != lex::InputError::None)
            return false;
        left -= got;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: scan_bench CORPUS DICTIONARY\n");
        return 2;
    }
    lex::InputFile file;
    std::unique_ptr<uint8_t[]> data;
    if (file.Open(argv[1]) != lex::InputError::None ||
        file.ReadAll(data) != lex::InputError::None) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const size_t n = static_cast<size_t>(file.Size());
    const double mb = n / 1e6;
    lex::WordDictionary dict;
    if (!lex::LoadDictionaryFile(argv[2], dict)) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 1;
    }
    const lex::ExtractionSettings st;  // defaults
    const int m = 5;
    lex::EnglishWordMarker marker(dict, st);

    // The scan alone (no marker): best of three, with a host that only
    // counts, so that the figure is the scanner's.  The rows themselves are
    // digested in an untimed run.
    uint64_t counted = 0;
    const double best = Best(3, [&] {
        CountHost host;
        lex::ScanBuffer(data.get(), n, m, st, nullptr, host);
        counted = host.rows;
    });
    DigestHost plain(true);
    lex::ScanBuffer(data.get(), n, m, st, nullptr, plain);
    if (counted != plain.rows)
        std::printf("row count differs between runs: %llu, %llu\n",
                    static_cast<unsigned long long>(counted),
                    static_cast<unsigned long long>(plain.rows));
    std::printf("corpus: %.1f MB, %llu rows\n", mb, static_cast<unsigned long long>(plain.rows));
    std::printf("scan core (default settings, no marker): %.3f s, %.0f MB/s\n", best, mb / best);
    std::printf("scan_mbps=%.0f\n", mb / best);

    // The scan alone with other settings, best of three.
    auto timeScan = [&](const lex::ExtractionSettings &settings) {
        return Best(3, [&] {
            CountHost host;
            lex::ScanBuffer(data.get(), n, m, settings, nullptr, host);
        });
    };

    // The same scan with Japanese UTF-16 text taken (SearchWideJapanese).
    lex::ExtractionSettings wide = st;
    wide.SearchWideJapanese = true;
    const double bestWide = timeScan(wide);
    // One line for a scan with other settings: its time against the
    // default's, its rows, and how many of them are of the text it adds.
    auto report = [&](const char *what, double time, const DigestHost &rows, uint64_t added,
                      const char *addedWhat) {
        std::printf("scan core with %s: %.3f s, %.0f MB/s, %.2fx the time without; "
                    "%llu rows (%+lld), %llu of them %s\n",
                    what, time, mb / time, time / best, static_cast<unsigned long long>(rows.rows),
                    static_cast<long long>(rows.rows) - static_cast<long long>(plain.rows),
                    static_cast<unsigned long long>(added), addedWhat);
    };
    DigestHost japanese;
    lex::ScanBuffer(data.get(), n, m, wide, nullptr, japanese);
    report("Japanese UTF-16 text", bestWide, japanese, japanese.japaneseRows, "Japanese");
    std::printf("wide_japanese_ratio=%.2f\n", bestWide / best);

    // The same scan with UTF-8 text (SearchUtf8), without and with
    // Shift-JIS text.
    lex::ExtractionSettings utf8 = st, utf8Kanji = st;
    utf8.SearchUtf8 = utf8Kanji.SearchUtf8 = utf8Kanji.SearchKanji = true;
    lex::ExtractionSettings kanji = st;
    kanji.SearchKanji = true;
    const double bestUtf8 = timeScan(utf8);
    const double bestKanji = timeScan(kanji);
    const double bestUtf8Kanji = timeScan(utf8Kanji);
    DigestHost utf8Rows, utf8KanjiRows;
    lex::ScanBuffer(data.get(), n, m, utf8, nullptr, utf8Rows);
    lex::ScanBuffer(data.get(), n, m, utf8Kanji, nullptr, utf8KanjiRows);
    report("UTF-8 text", bestUtf8, utf8Rows, utf8Rows.utf8Rows, "UTF-8");
    std::printf("scan core with UTF-8 and Shift-JIS text: %.3f s, %.2fx the time with Shift-JIS "
                "text alone (%.3f s); %llu rows, %llu of them UTF-8\n",
                bestUtf8Kanji, bestUtf8Kanji / bestKanji, bestKanji,
                static_cast<unsigned long long>(utf8KanjiRows.rows),
                static_cast<unsigned long long>(utf8KanjiRows.utf8Rows));
    std::printf("utf8_ratio=%.2f\nutf8_kanji_ratio=%.2f\n", bestUtf8 / best,
                bestUtf8Kanji / bestKanji);

    // The whole default pipeline: scan and marker.
    CountHost timed;
    auto t0 = Clock::now();
    lex::ScanBuffer(data.get(), n, m, st, &marker, timed);
    const double fullTime = Seconds(t0, Clock::now());
    DigestHost full;
    lex::ScanBuffer(data.get(), n, m, st, &marker, full);
    std::printf("scan with marker (default settings): %.3f s, %.0f MB/s, %llu rows checked\n",
                fullTime, mb / fullTime, static_cast<unsigned long long>(full.checkedRows));

    // The marker alone over every row text of the scan, best of fifteen.
    uint64_t hits = 0;
    double markTime = 1e9;
    size_t begin = 0;
    for (int round = 0; round < 15; ++round) {
        hits = 0;
        begin = 0;
        t0 = Clock::now();
        for (size_t end : plain.ends) {
            hits += marker.ContainsWord(plain.texts.data() + begin, end - begin);
            begin = end;
        }
        markTime = std::min(markTime, Seconds(t0, Clock::now()));
    }
    std::printf("marker (%zu entries): %llu rows in %.3f s, %.2f million rows/s, %llu hits\n",
                dict.size(), static_cast<unsigned long long>(plain.rows), markTime,
                plain.rows / markTime / 1e6, static_cast<unsigned long long>(hits));
    std::printf("marker_mrows=%.2f\n", plain.rows / markTime / 1e6);
    std::printf("marker automaton: %zu states (%zu with CheckInitial)\n",
                dict.automaton(false).States(), dict.automaton(true).States());

    // The scan of the file as the program and the front end run it (read
    // piece by piece, scanned as it arrives), split into its stages by
    // adding one stage at a time: reading alone, reading and scanning,
    // reading, scanning and marking.  Writing is what the front end adds.
    const double readTime = Best(5, [&] { ReadOnly(argv[1]); });
    const double scanTime = Best(5, [&] {
        CountHost h;
        lex::StringScanner(argv[1], m, st, nullptr, h);
    });
    const double markedTime = Best(5, [&] {
        CountHost h;
        lex::StringScanner(argv[1], m, st, &marker, h);
    });
    // Writing: the lines go to a temporary file, as the front end's go to
    // its output.
    const double writtenTime = Best(5, [&] {
        FILE *out = std::tmpfile();
        if (!out)
            return;
        {
            WriteHost h(out);
            lex::StringScanner(argv[1], m, st, &marker, h);
        }
        std::fclose(out);
    });
    std::printf("file scan, CPU s (best of 5): read %.3f, read+scan %.3f, read+scan+mark %.3f, "
                "read+scan+mark+write %.3f\n",
                readTime, scanTime, markedTime, writtenTime);
    std::printf("split_read=%.3f\nsplit_scan=%.3f\nsplit_mark=%.3f\nsplit_write=%.3f\n", readTime,
                std::max(0.0, scanTime - readTime), std::max(0.0, markedTime - scanTime),
                std::max(0.0, writtenTime - markedTime));
    std::printf("scan path: %s\n", lex::ScanPathName(lex::SelectedScanPath()));

    // The reference walk (one position per step) must give the same rows.
    DigestHost model;
    t0 = Clock::now();
    lexref::Scan(data.get(), n, m, st, nullptr, model);
    const double modelTime = Seconds(t0, Clock::now());
    const bool same = model.rows == plain.rows && model.digest == plain.digest &&
                      hits == full.checkedRows;
    std::printf("reference walk: %.3f s, %.0f MB/s; rows %s (%llu rows, digest %016llx)\n",
                modelTime, mb / modelTime, same ? "identical" : "DIFFER",
                static_cast<unsigned long long>(model.rows),
                static_cast<unsigned long long>(model.digest));
    DigestHost wideModel;
    lexref::Scan(data.get(), n, m, wide, nullptr, wideModel);
    const bool sameWide =
        wideModel.rows == japanese.rows && wideModel.digest == japanese.digest;
    std::printf("reference walk with Japanese UTF-16 text: rows %s (%llu rows, digest %016llx)\n",
                sameWide ? "identical" : "DIFFER",
                static_cast<unsigned long long>(wideModel.rows),
                static_cast<unsigned long long>(wideModel.digest));

    // The reference lookup walks whole blocks linearly and is slow; every
    // 97th row is compared with it.
    size_t compared = 0, disagree = 0;
    begin = 0;
    for (size_t r = 0; r < plain.ends.size(); ++r) {
        const size_t end = plain.ends[r];
        if (r % 97 == 0) {
            const std::string text(plain.texts.data() + begin, end - begin);
            ++compared;
            disagree += lexref::ContainsWord(dict, st, text) !=
                        marker.ContainsWord(text.data(), text.size());
        }
        begin = end;
    }
    std::printf("marker vs reference lookup: %zu rows compared, %zu differ\n", compared,
                disagree);
    bool sameUtf8 = true;
    for (const auto &run : {std::make_pair(&utf8, &utf8Rows), std::make_pair(&utf8Kanji, &utf8KanjiRows)}) {
        DigestHost utf8Model;
        lexref::Scan(data.get(), n, m, *run.first, nullptr, utf8Model);
        const bool same8 = utf8Model.rows == run.second->rows && utf8Model.digest == run.second->digest;
        std::printf("reference walk with UTF-8 text%s: rows %s (%llu rows, digest %016llx)\n",
                    run.first->SearchKanji ? " and Shift-JIS text" : "", same8 ? "identical" : "DIFFER",
                    static_cast<unsigned long long>(utf8Model.rows),
                    static_cast<unsigned long long>(utf8Model.digest));
        sameUtf8 = sameUtf8 && same8;
    }
    return same && sameWide && sameUtf8 && disagree == 0 ? 0 : 1;
}
