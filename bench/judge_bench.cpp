// judge_bench: the Japanese-text judge's cost per row.
//
//   judge_bench ROWS...
//
// ROWS are files of a front end's rows (offset TAB kind TAB text CR LF,
// as lexprobe writes them); the rows that hold Japanese characters are
// decoded once, then judged over and over in five rounds of 0.2 s; prints the
// rows, their mean length in characters and the nanoseconds per row (the
// best of five rounds).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "judge_rowtext.h"

int main(int argc, char **argv)
{
    using namespace judgerows;
    struct Row {
        std::vector<RowChar> chars;
        JudgeForm form;
    };
    std::vector<Row> rows;
    size_t total = 0;
    for (int k = 1; k < argc; ++k) {
        FILE *f = std::fopen(argv[k], "rb");
        if (!f) {
            std::fprintf(stderr, "judge_bench: cannot read %s\n", argv[k]);
            return 1;
        }
        ReadRows(f, [&](uint32_t, const std::string &kind, const std::string &text) {
            JudgeForm form;
            if (!FormOf(kind, &form))
                return;
            std::vector<RowChar> chars = Decode(text, form);
            if (!HasJapanese(chars))
                return;
            total += chars.size();
            rows.push_back({std::move(chars), form});
        });
        std::fclose(f);
    }
    if (rows.empty()) {
        std::fprintf(stderr, "usage: judge_bench ROWS... (files of rows with Japanese text)\n");
        return 2;
    }
    using Clock = std::chrono::steady_clock;
    double best = 1e300;
    size_t kept = 0;
    for (int round = 0; round < 5; ++round) {
        size_t judged = 0, japanese = 0;
        const auto start = Clock::now();
        do {
            for (const Row &r : rows)
                japanese += lex::japanese::JudgeRow(r.chars.data(), r.chars.size(), r.form, {true, true}).japanese;
            judged += rows.size();
        } while (Clock::now() - start < std::chrono::milliseconds(200));
        const double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
        best = std::min(best, ns / static_cast<double>(judged));
        kept = japanese * rows.size() / judged;
    }
    std::printf("rows with Japanese characters: %zu (mean %.1f characters), read as Japanese: %zu\n",
                rows.size(), static_cast<double>(total) / static_cast<double>(rows.size()), kept);
    std::printf("judge: %.1f ns per row (best of 5 rounds of 0.2 s)\n", best);
    return 0;
}
