// Times the list commands on a large results list (default 1,000,000 rows of
// texts like those a scan of a program file yields).
//
//   rowstore_bench [rows]
//
// Plain C++ so that the same program runs natively and as a Windows build.
#include "results/rowstore.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

// Deterministic xorshift generator: every run measures the same rows.
struct Rng {
    uint64_t s = 0x9E3779B97F4A7C15ull;
    uint32_t Next()
    {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return static_cast<uint32_t>(s >> 32);
    }
    uint32_t Below(uint32_t n) { return Next() % n; }
};

const char *const kWords[] = {
    "Microsoft", "Windows", "kernel32.dll", "user32", "GetProcAddress", "LoadLibraryA",
    "CreateFileW", "Software\\Classes", "error", "Copyright", "version", "Invalid parameter",
    "%s: %d", "http://", "www.example.com", "Open", "Cancel", "Settings", "the", "and",
    "string", "buffer", "_initterm", "__stdcall", "MessageBoxA", "RegOpenKeyExA", "memcpy",
    "abcdefgh", "ABCDEFGH", "0123456789", "VS_VERSION_INFO", "FileDescription", "data",
};
const char *const kKanji[] = {
    "\x83\x74\x83\x40\x83\x43\x83\x8B",  // file (katakana)
    "\x8C\x9F\x8D\xF5",                  // search
    "\x95\xB6\x8E\x9A\x97\xF1",          // character string
    "\x83\x47\x83\x89\x81\x5B",          // error (katakana)
    "\x95\x5C\x8E\xA6",                  // display
};

std::string MakeText(Rng &rng)
{
    std::string t;
    const uint32_t kind = rng.Below(10);
    if (kind < 6) {
        // Words and identifiers.
        const uint32_t n = 1 + rng.Below(4);
        for (uint32_t i = 0; i < n; ++i) {
            if (i)
                t += rng.Below(3) ? ' ' : '_';
            t += kWords[rng.Below(sizeof kWords / sizeof *kWords)];
        }
    } else if (kind < 9) {
        // Printable noise, as found in compressed or code sections.
        const uint32_t n = 5 + rng.Below(rng.Below(8) == 0 ? 120 : 12);
        for (uint32_t i = 0; i < n; ++i)
            t += static_cast<char>(0x20 + rng.Below(0x5F));
    } else {
        // Double-byte text.
        const uint32_t n = 1 + rng.Below(3);
        for (uint32_t i = 0; i < n; ++i)
            t += kKanji[rng.Below(sizeof kKanji / sizeof *kKanji)];
    }
    return t;
}

using Clock = std::chrono::steady_clock;

// Prints the wall-clock time and the processor time of one step.  The
// machine may be shared, so the processor time is the steadier figure
// (std::clock counts this process's processor time on Linux; Windows
// runtimes count wall-clock time there).
template <class F>
void Time(const char *what, F &&f)
{
    const Clock::time_point start = Clock::now();
    const std::clock_t cpuStart = std::clock();
    f();
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    const double cpu = 1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    std::printf("%-28s %9.1f ms  (cpu %9.1f ms)\n", what, ms, cpu);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    const size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
    Rng rng;
    // The rows are made first, so that appending is timed alone: a scan
    // hands the store texts that lie ready in its buffer.
    struct Made {
        uint32_t offset;
        lex::RowKind kind;
        bool checked;
        size_t at, length;
    };
    std::vector<Made> made;
    made.reserve(count);
    std::string texts;
    uint32_t offset = 0x400;
    for (size_t i = 0; i < count; ++i) {
        const std::string t = MakeText(rng);
        offset += static_cast<uint32_t>(t.size()) + 1 + rng.Below(64);
        // One draw per statement: the order in which arguments are
        // evaluated differs between compilers.
        const lex::RowKind kind = rng.Below(4) == 0 ? lex::RowKind::Unicode : lex::RowKind::Ansi;
        const bool checked = rng.Below(5) == 0;
        made.push_back(Made{offset, kind, checked, texts.size(), t.size()});
        texts += t;
    }
    const size_t textBytes = texts.size();
    lex::RowStore rows;
    auto appendAll = [&] {
        for (const Made &m : made)
            rows.Append(m.offset, m.kind, texts.data() + m.at, m.length, m.checked);
    };
    Time("append rows (fresh memory)", appendAll);
    // Once more after a clear: what a second scan in the same window does.
    rows.Clear();
    Time("append rows (after a clear)", appendAll);
    std::printf("%zu rows, %zu text bytes\n", rows.Count(), textBytes);

    Time("sort by name", [&] { rows.Sort(lex::SortKey::Name); });
    Time("sort by length", [&] { rows.Sort(lex::SortKey::Length); });
    // Again from an order unrelated to where the texts lie.
    Time("sort by name (from length)", [&] { rows.Sort(lex::SortKey::Name); });
    Time("sort by length (from name)", [&] { rows.Sort(lex::SortKey::Length); });
    Time("sort by check", [&] { rows.Sort(lex::SortKey::Checked); });
    Time("sort by kind", [&] { rows.Sort(lex::SortKey::Kind); });
    Time("sort by address", [&] { rows.Sort(lex::SortKey::Address); });
    Time("select all", [&] { rows.SelectAll(); });
    Time("invert selection", [&] { rows.InvertSelection(); });
    Time("select checked", [&] { rows.SelectChecked(); });

    // Texts that no row holds, so that each find walks the whole list.
    size_t folded = 0, exact = 0;
    Time("find, whole list, folded", [&] {
        folded = rows.FindNext(SIZE_MAX, true, "no such text here", false);
    });
    Time("find, whole list, exact", [&] {
        exact = rows.FindNext(SIZE_MAX, true, "no such text here", true);
    });
    std::printf("find results: %s, %s\n", folded == SIZE_MAX ? "not found" : "found",
                exact == SIZE_MAX ? "not found" : "found");
    std::string text;
    Time("results text (full)", [&] { text = rows.ResultsText(false); });
    const size_t fullBytes = text.size();
    Time("results text (text only)", [&] { text = rows.ResultsText(true); });
    std::printf("results text: %zu / %zu bytes\n", fullBytes, text.size());

    rows.ClearSelection();
    for (size_t i = 0; i < rows.Count(); i += 2)
        rows.SetSelected(i, true);
    size_t deleted = 0;
    Time("delete half the rows", [&] { deleted = rows.DeleteSelected(); });
    std::printf("deleted %zu, %zu left\n", deleted, rows.Count());
    return 0;
}
