// A ScanHost that writes down everything a scan does, in order, so two
// scans can be compared call for call; and the stream fed to it in pieces.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "scan/resultrow.h"
#include "scan/scanner.h"

namespace lextest {

struct Row {
    uint32_t offset;
    lex::RowKind kind;
    std::string text;
    bool checked;
    bool operator==(const Row &o) const
    {
        return offset == o.offset && kind == o.kind && text == o.text && checked == o.checked;
    }
};

class RecordingHost : public lex::ScanHost {
public:
    // abortAt: the number of abort checks that answer "go on" before the
    // first that answers "stop"; negative: never stop.
    explicit RecordingHost(long abortAt = -1) : abortAt_(abortAt) {}

    void ClearRows() override
    {
        ++clears;
        log.push_back("clear");
    }
    void AddRow(uint32_t offset, lex::RowKind kind, const char *text, size_t length,
                bool checked) override
    {
        // A row the program could not hold.
        if (failRowAt >= 0 && static_cast<long>(rows.size()) == failRowAt) {
            log.push_back("no memory");
            throw std::bad_alloc();
        }
        rows.push_back({offset, kind, std::string(text, length), checked});
        log.push_back("row " + lex::OffsetText(offset));
    }
    void SetProgress(int percent) override
    {
        progress.push_back(percent);
        log.push_back("progress " + std::to_string(percent));
    }
    void ProcessEvents() override
    {
        ++events;
        log.push_back("events");
        if (onEvents)
            onEvents();
    }
    bool AbortRequested() override
    {
        const bool stop = abortAt_ >= 0 && checks >= abortAt_;
        ++checks;
        log.push_back(stop ? "abort" : "go on");
        return stop;
    }

    std::vector<Row> rows;
    std::vector<int> progress;
    std::vector<std::string> log;
    int clears = 0;
    long events = 0;
    long checks = 0;
    // Runs at every event processing (tests change the file being read).
    std::function<void()> onEvents;
    // AddRow throws std::bad_alloc instead of adding row number failRowAt
    // (counted from 0); negative: never.
    long failRowAt = -1;

private:
    long abortAt_;
};

// Every build of the walk (one the processor lacks falls back).
const lex::ScanPath kScanPaths[] = {lex::ScanPath::Plain, lex::ScanPath::Sse2, lex::ScanPath::Avx2};

// Feeds `data` to `scan` in pieces whose sizes `next` chooses (each at most
// the stream's piece size), then finishes it.
template <class NextSize>
void Feed(lex::ScanStream &scan, const std::vector<uint8_t> &data, NextSize next)
{
    size_t at = 0;
    while (at < data.size()) {
        const size_t n = std::min({next(), data.size() - at, scan.PieceSize()});
        std::copy(data.begin() + static_cast<std::ptrdiff_t>(at),
                  data.begin() + static_cast<std::ptrdiff_t>(at + n), scan.Piece());
        at += n;
        if (!scan.Scan(n))
            return;
    }
    scan.Finish();
}

} // namespace lextest
