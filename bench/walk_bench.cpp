// The scan core's time with each build of the walk that this processor
// runs, for the settings users turn on: default, Shift-JIS text, Japanese
// UTF-16 text, UTF-8 text, and all three.  Built natively and for Windows
// (run under Wine), so that the builds compare in both.
//
//   walk_bench CORPUS [ROUNDS] [--plain]
//
// The corpus is read into memory first; each run then streams it to the
// scanner in its pieces, as the program and the front end do after each
// read (so the walk reads a piece that is still in the processor's cache).
// CPU seconds (user + system), best of ROUNDS (default 5) runs, the builds
// taking turns within each round so that a busy spell of a shared machine
// falls on all of them.  The rows of every build must be those of the
// first (count and a 64-bit digest of every row); the exit status says
// whether they were.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

#include "base/inputfile.h"
#include "scan/scanner.h"

namespace {

double CpuNow()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
}

// Counts the rows and digests their offsets, kinds and texts.
class DigestHost : public lex::ScanHost {
public:
    void ClearRows() override {}
    void AddRow(uint32_t offset, lex::RowKind kind, const char *text, size_t length,
                bool) override
    {
        ++rows;
        Mix(&offset, sizeof offset);
        const auto k = static_cast<uint8_t>(kind);
        Mix(&k, 1);
        Mix(text, length);
        digest = (digest ^ length) * 1099511628211ull;
    }
    void SetProgress(int) override {}
    void ProcessEvents() override {}
    bool AbortRequested() override { return false; }

    uint64_t rows = 0;
    uint64_t digest = 1469598103934665603ull;

private:
    void Mix(const void *p, size_t n)
    {
        const auto *b = static_cast<const uint8_t *>(p);
        for (size_t k = 0; k < n; ++k)
            digest = (digest ^ b[k]) * 1099511628211ull;
    }
};

// The corpus streamed to a scan in its pieces.
void ScanInPieces(const uint8_t *data, size_t n, const lex::ExtractionSettings &settings,
                  lex::ScanPath path, lex::ScanHost &host)
{
    lex::StreamOptions options;
    options.path = path;
    lex::ScanStream scan(n, 5, settings, nullptr, host, options);
    for (size_t at = 0; at < n; at += scan.PieceSize()) {
        const size_t got = std::min(scan.PieceSize(), n - at);
        std::memcpy(scan.Piece(), data + at, got);
        scan.Scan(got);
    }
    scan.Finish();
}

struct Setting {
    const char *name;
    bool kanji, wide, utf8;
};

} // namespace

int main(int argc, char **argv)
{
    const char *path = nullptr;
    int rounds = 5;
    bool plain = false;
    for (int a = 1; a < argc; ++a) {
        if (std::strcmp(argv[a], "--plain") == 0)
            plain = true;
        else if (!path)
            path = argv[a];
        else
            rounds = std::max(1, std::atoi(argv[a]));
    }
    if (!path) {
        std::fprintf(stderr, "usage: walk_bench CORPUS [ROUNDS] [--plain]\n");
        return 2;
    }
    lex::InputFile file;
    std::unique_ptr<uint8_t[]> data;
    if (file.Open(path) != lex::InputError::None ||
        file.ReadAll(data) != lex::InputError::None) {
        std::fprintf(stderr, "cannot read %s\n", path);
        return 1;
    }
    const size_t n = static_cast<size_t>(file.Size());

    std::vector<lex::ScanPath> paths;
    if (plain)
        paths.push_back(lex::ScanPath::Plain);
    for (lex::ScanPath p : {lex::ScanPath::Sse2, lex::ScanPath::Avx2})
        if (lex::RunnableScanPath(p, lex::DetectedProcessorFeatures()) == p)
            paths.push_back(p);
    const Setting settings[] = {
        {"default", false, false, false},
        {"Shift-JIS", true, false, false},
        {"UTF-16 Japanese", false, true, false},
        {"UTF-8", false, false, true},
        {"all three", true, true, true},
    };

    std::printf("corpus %.1f MB, %d-bit build, chosen build: %s; CPU s, best of %d\n", n / 1e6,
                int(sizeof(void *) * 8), lex::ScanPathName(lex::SelectedScanPath()), rounds);
    std::printf("%-16s", "setting");
    for (lex::ScanPath p : paths)
        std::printf(" %8s", lex::ScanPathName(p));
    if (paths.size() > 1)
        std::printf("  %s/%s", lex::ScanPathName(paths.back()),
                    lex::ScanPathName(paths[paths.size() - 2]));
    std::printf("  rows\n");

    bool same = true;
    for (const Setting &s : settings) {
        lex::ExtractionSettings st;
        st.SearchKanji = s.kanji;
        st.SearchWideJapanese = s.wide;
        st.SearchUtf8 = s.utf8;
        std::vector<double> best(paths.size(), 1e9);
        std::vector<DigestHost> rows(paths.size());
        for (int round = 0; round < rounds; ++round) {
            for (size_t k = 0; k < paths.size(); ++k) {
                DigestHost host;
                const double t0 = CpuNow();
                ScanInPieces(data.get(), n, st, paths[k], host);
                best[k] = std::min(best[k], CpuNow() - t0);
                rows[k] = host;
            }
        }
        std::printf("%-16s", s.name);
        for (double t : best)
            std::printf(" %8.3f", t);
        if (paths.size() > 1)
            std::printf("  %9.3f", best.back() / best[best.size() - 2]);
        bool agree = true;
        for (const DigestHost &r : rows)
            agree = agree && r.rows == rows[0].rows && r.digest == rows[0].digest;
        std::printf("  %llu%s\n", static_cast<unsigned long long>(rows[0].rows),
                    agree ? "" : "  ROWS DIFFER");
        same = same && agree;
    }
    return same ? 0 : 1;
}
