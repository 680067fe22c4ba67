// The string scanner: a file's bytes in, result rows out.
// Portable: the host interface is how the scan talks to the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "Check/inputfile.h"
#include "Check/settings.h"

namespace lex {

class EnglishWordMarker;

// What a scan needs from the program that runs it, in the order a scan first
// needs it.  The scanner calls SetProgress, ProcessEvents and AbortRequested
// at checkpoints (at least every 64 KiB of input, and at the end), not after
// every byte: a host acts on them only when something changed or enough time
// has passed.
class ScanHost {
public:
    virtual ~ScanHost() = default;
    // Once, after the file was opened and before it is read.
    virtual void ClearRows() = 0;
    // Once per emitted row.  `text` holds `length` bytes, never a zero byte;
    // `wide` marks UTF-16LE text ("Unicode"), otherwise "ANSI".
    virtual void AddRow(uint32_t offset, bool wide, const char *text, size_t length,
                        bool checked) = 0;
    // A percentage 0..100.
    virtual void SetProgress(int percent) = 0;
    virtual void ProcessEvents() = 0;
    virtual bool AbortRequested() = 0;
};

// The repetition filter: false when `text` holds `limit` or more equal bytes
// in a row, unless that byte is a space, an underscore or a digit.
bool PassesRepetitionFilter(const char *text, size_t length, int limit);

// Distance in bytes between the scan's checkpoints (progress, events, abort).
constexpr size_t kCheckpointInterval = 65536;

// Walks `data` and emits rows to `host`.  `marker` may be null (no row is
// checked).  Every position 0..size-1 is examined; the look-ahead of the
// last one is taken as a zero byte.  A checkpoint follows the step that
// reaches the last position of each 64 KiB block, and the step that reaches
// the last position of the data.  Returns 0, or 1 without walking for data
// of 2 GiB and more.  A minimum length below 1 counts as 1.
int ScanBuffer(const uint8_t *data, size_t size, int minLength,
               const ExtractionSettings &settings, const EnglishWordMarker *marker,
               ScanHost &host);

// ScanBuffer with the checkpoint distance chosen by the caller (>= 1), so
// that tests can reach block boundaries with small inputs.
int ScanBufferWithInterval(const uint8_t *data, size_t size, int minLength,
                           const ExtractionSettings &settings,
                           const EnglishWordMarker *marker, ScanHost &host,
                           size_t checkpointInterval);

// Reads the whole file named `fileName` and scans it.  Returns 0 when the
// walk ran to its end or was stopped, 1 when the file could not be found,
// opened, read in full or held in memory (2 GiB and up).
int StringScanner(const char *fileName, int minLength, const ExtractionSettings &settings,
                  const EnglishWordMarker *marker, ScanHost &host);
// The same, telling why the file could not be scanned (`error` may be null).
int StringScanner(const char *fileName, int minLength, const ExtractionSettings &settings,
                  const EnglishWordMarker *marker, ScanHost &host, InputError *error);

} // namespace lex
