// The resource reader on real files: every file named, and every file
// below each folder named, goes through ReadResourceTexts.  Prints the
// files read, the PE images and those with a resource directory, per kind
// the data entries read, their texts and the entries left out as damaged,
// the directory entries refused, and the time per MB of the files, of the
// PE images among them and of the data entries read (the second of two
// passes, so both read from the file cache).
//   resources_bench [--list | --counts] PATH...
// --list prints each text instead: file, offset, kind, the row's text in
// UTF-8; --counts one line per file: its texts per kind and its damaged
// entries (scripts/resources-check.py compares them with windres).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "posix_file_source.h"
#include "scan/cp932.h"
#include "scan/resources.h"

namespace {

using Clock = std::chrono::steady_clock;

const char *const kKindNames[lex::kResourceKinds] = {"menu", "dialog", "string", "message",
                                                      "version"};

struct Totals {
    size_t files = 0, images = 0, directories = 0;
    uint64_t bytes = 0, imageBytes = 0, blockBytes = 0, refused = 0;
    uint64_t blocks[lex::kResourceKinds] = {}, texts[lex::kResourceKinds] = {},
             damaged[lex::kResourceKinds] = {};
};

std::vector<std::string> Files(int argc, char **argv, int first)
{
    namespace fs = std::filesystem;
    std::vector<std::string> files;
    for (int i = first; i < argc; ++i) {
        std::error_code error;
        if (!fs::is_directory(argv[i], error)) {
            files.push_back(argv[i]);
            continue;
        }
        for (auto it = fs::recursive_directory_iterator(argv[i], error);
             it != fs::recursive_directory_iterator(); it.increment(error)) {
            if (error)
                break;
            if (it->is_regular_file(error) && !it->is_symlink(error))
                files.push_back(it->path().string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

void List(const std::string &path, const lex::ResourceTexts &found)
{
    for (const lex::ResourceText &text : found.texts) {
        const std::string row = lex::ResourceRowText(text);
        std::string utf8(row.size() * lex::kMaxUtf8PerByte, '\0');
        utf8.resize(lex::Cp932TextToUtf8(row.data(), row.size(), true, &utf8[0]));
        std::printf("%s\t%08X\t%s\t%s\n", path.c_str(), text.offset,
                    kKindNames[static_cast<size_t>(text.kind)], utf8.c_str());
    }
}

void Count(const std::string &path, const lex::ResourceTexts &found)
{
    size_t texts[lex::kResourceKinds] = {};
    for (const lex::ResourceText &text : found.texts)
        ++texts[static_cast<size_t>(text.kind)];
    std::printf("%s", path.c_str());
    for (size_t k = 0; k < lex::kResourceKinds; ++k)
        std::printf("\t%s=%zu", kKindNames[k], texts[k]);
    uint32_t damaged = 0;
    for (uint32_t d : found.damaged)
        damaged += d;
    std::printf("\tdamaged=%u\trefused=%u\n", damaged, found.refused);
}

void Add(Totals &totals, uint64_t size, const lex::ResourceTexts &found)
{
    ++totals.files;
    totals.bytes += size;
    totals.images += found.image;
    totals.imageBytes += found.image ? size : 0;
    totals.directories += found.directory;
    totals.refused += found.refused;
    for (const lex::ResourceBlock &block : found.blocks) {
        ++totals.blocks[static_cast<size_t>(block.kind)];
        totals.blockBytes += block.size;
    }
    for (const lex::ResourceText &text : found.texts)
        ++totals.texts[static_cast<size_t>(text.kind)];
    for (size_t k = 0; k < lex::kResourceKinds; ++k)
        totals.damaged[k] += found.damaged[k];
}

} // namespace

int main(int argc, char **argv)
{
    const bool list = argc > 1 && std::strcmp(argv[1], "--list") == 0;
    const bool counts = argc > 1 && std::strcmp(argv[1], "--counts") == 0;
    const std::vector<std::string> files = Files(argc, argv, list || counts ? 2 : 1);
    if (files.empty()) {
        std::fprintf(stderr, "usage: resources_bench [--list | --counts] PATH...\n");
        return 2;
    }
    Totals totals;
    double seconds = 0;
    for (int pass = list || counts ? 1 : 0; pass < 2; ++pass) {
        totals = Totals();
        seconds = 0;
        for (const std::string &path : files) {
            PosixFileSource file(path.c_str());
            if (!file.ok())
                continue;
            const auto start = Clock::now();
            const lex::ResourceTexts found = lex::ReadResourceTexts(file);
            seconds += std::chrono::duration<double>(Clock::now() - start).count();
            if (pass == 1 && list)
                List(path, found);
            if (pass == 1 && counts)
                Count(path, found);
            Add(totals, file.Size(), found);
        }
    }
    if (list || counts)
        return 0;
    std::printf("files read: %zu (%.1f MB); PE images: %zu (%.1f MB); with a resource "
                "directory: %zu; data entries read: %.1f MB\n",
                totals.files, totals.bytes / 1e6, totals.images, totals.imageBytes / 1e6,
                totals.directories, totals.blockBytes / 1e6);
    std::printf("%-8s %10s %10s %10s\n", "kind", "entries", "texts", "damaged");
    for (size_t k = 0; k < lex::kResourceKinds; ++k)
        std::printf("%-8s %10llu %10llu %10llu\n", kKindNames[k],
                    static_cast<unsigned long long>(totals.blocks[k]),
                    static_cast<unsigned long long>(totals.texts[k]),
                    static_cast<unsigned long long>(totals.damaged[k]));
    std::printf("directory entries refused: %llu\n",
                static_cast<unsigned long long>(totals.refused));
    std::printf("time: %.3f s; per MB: %.3f ms of files, %.3f ms of PE images, %.2f ms of "
                "data entries read\n",
                seconds, seconds * 1e3 / (totals.bytes / 1e6),
                seconds * 1e3 / (totals.imageBytes / 1e6), seconds * 1e3 / (totals.blockBytes / 1e6));
    return 0;
}
