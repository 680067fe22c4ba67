// The string scanner: the choice of the walk's build, the stream that feeds
// the walk piece by piece, and the scan of a file.  The walk itself is in
// walk/ (walk/body.h), the row filters in rowfilter.cpp.
#include "scan/scanner.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "scan/walk/walker.h"

namespace lex {

ScanPath RunnableScanPath(ScanPath wanted, const ProcessorFeatures &features)
{
    if (wanted == ScanPath::Avx2 && features.avx2)
        return ScanPath::Avx2;
    if (wanted != ScanPath::Plain && features.sse2)
        return ScanPath::Sse2;
    return ScanPath::Plain;
}

ScanPath SelectedScanPath()
{
    static const ScanPath path = RunnableScanPath(ScanPath::Avx2, DetectedProcessorFeatures());
    return path;
}

const char *ScanPathName(ScanPath path)
{
    switch (path) {
    case ScanPath::Avx2:
        return "AVX2";
    case ScanPath::Sse2:
        return "SSE2";
    case ScanPath::Plain:
        break;
    }
    return "plain";
}

static_assert(ScanStream::kCarryRoom == WalkCore::kMaxLookAhead,
              "a piece keeps exactly the walk's look-ahead for the next");

namespace {

std::unique_ptr<WalkCore> MakeWalker(ScanPath path, const WalkSetup &setup)
{
    // A build runs only where the processor has what it needs, whatever
    // the caller asked for.
    switch (RunnableScanPath(path, DetectedProcessorFeatures())) {
    case ScanPath::Avx2:
        return MakeAvx2Walker(setup);
    case ScanPath::Sse2:
        return MakeSse2Walker(setup);
    case ScanPath::Plain:
        break;
    }
    return MakePlainWalker(setup);
}

} // namespace

ScanStream::ScanStream(uint64_t size, int minLength, const ExtractionSettings &settings,
                       const EnglishWordMarker *marker, ScanHost &host,
                       const StreamOptions &options)
    : walker_(MakeWalker(options.path, WalkSetup{minLength, &settings, marker, &host, size,
                                                 options.interval, options.rowLimit})),
      buffer_(new uint8_t[std::max<size_t>(options.pieceSize, 1) + kCarryRoom]),
      pieceSize_(std::max<size_t>(options.pieceSize, 1))
{
}

ScanStream::~ScanStream() = default;

// Memory running out inside the walk (a row the host cannot hold, a string
// too long to gather) ends the scan where it stands.
template <class Body>
bool ScanStream::Guarded(Body &&body)
{
    try {
        return body();
    } catch (const std::bad_alloc &) {
    } catch (const std::length_error &) {
    }
    outOfMemory_ = true;
    ended_ = true;
    return false;
}

bool ScanStream::Scan(size_t got)
{
    if (ended_)
        return false;
    got = std::min(got, pieceSize_);
    if (got == 0)
        return true;
    // The bytes left over from the last piece stand right in front of this
    // one, so that the walk sees one window with every look-ahead inside it.
    uint8_t *window = buffer_.get() + kCarryRoom - carried_;
    const size_t avail = got + carried_;
    const uint64_t base = fed_ - carried_;
    fed_ += got;
    return Guarded([&] {
        if (!walker_->Walk(window, base, avail, false)) {
            walker_->EmitPending();
            ended_ = true;
            return false;
        }
        // At most the window's last LookAhead() bytes wait for the next piece.
        carried_ = static_cast<size_t>(fed_ - walker_->Pos());
        std::memmove(buffer_.get() + kCarryRoom - carried_, window + avail - carried_, carried_);
        return true;
    });
}

void ScanStream::Finish()
{
    if (ended_)
        return;
    Guarded([&] {
        if (carried_ > 0)
            walker_->Walk(buffer_.get() + kCarryRoom - carried_, fed_ - carried_, carried_, true);
        else
            walker_->CheckpointAtEnd();
        walker_->EmitPending();
        return true;
    });
    ended_ = true;
}

void ScanStream::Abandon()
{
    if (ended_)
        return;
    Guarded([&] {
        walker_->EmitPending();
        return true;
    });
    ended_ = true;
}

int ScanBufferWithInterval(const uint8_t *data, size_t size, int minLength,
                           const ExtractionSettings &settings,
                           const EnglishWordMarker *marker, ScanHost &host,
                           size_t checkpointInterval, ScanPath path, size_t rowLimit)
{
    if (static_cast<uint64_t>(size) > kMaxInputSize)
        return 1;
    auto walker = MakeWalker(path, WalkSetup{minLength, &settings, marker, &host, size,
                                             std::max<size_t>(checkpointInterval, 1), rowLimit});
    // One window that ends the data; the pending string is emitted after a
    // stop too.
    walker->Walk(data, 0, size, true);
    walker->EmitPending();
    return 0;
}

int ScanBuffer(const uint8_t *data, size_t size, int minLength,
               const ExtractionSettings &settings, const EnglishWordMarker *marker,
               ScanHost &host)
{
    return ScanBufferWithInterval(data, size, minLength, settings, marker, host,
                                  kCheckpointInterval);
}

namespace {

// Reads data of unknown size to its end, piece by piece.  More than
// kMaxInputSize bytes cannot be listed (offsets are eight hexadecimal
// digits): the rows before stay and the scan fails as too large.
InputError ReadToEnd(InputFile &file, ScanStream &scan)
{
    uint64_t left = kMaxInputSize;
    for (;;) {
        size_t got = 0;
        if (left == 0) {
            uint8_t probe;
            const InputError why = file.Read(&probe, 1, &got);
            if (why != InputError::None || got != 0) {
                scan.Abandon();
                return why != InputError::None ? why : InputError::TooLarge;
            }
            break;
        }
        const InputError why = file.Read(
            scan.Piece(), static_cast<size_t>(std::min<uint64_t>(left, scan.PieceSize())), &got);
        if (why != InputError::None) {
            scan.Abandon();
            return why;
        }
        if (got == 0)
            break;
        left -= got;
        if (!scan.Scan(got))
            return InputError::Stopped;
    }
    scan.Finish();
    return InputError::None;
}

// Reads exactly the announced size: a file that grows meanwhile is scanned
// as it was, one that shrinks ends in a short read.
InputError ReadSize(InputFile &file, ScanStream &scan)
{
    uint64_t left = file.Size();
    while (left > 0) {
        size_t got = 0;
        const InputError why = file.Read(
            scan.Piece(), static_cast<size_t>(std::min<uint64_t>(left, scan.PieceSize())), &got);
        if (why != InputError::None) {
            scan.Abandon();
            return why;
        }
        left -= got;
        if (!scan.Scan(got))
            return InputError::Stopped;
    }
    scan.Finish();
    return InputError::None;
}

} // namespace

int ScanInput(InputFile &file, int minLength, const ExtractionSettings &settings,
              const EnglishWordMarker *marker, ScanHost &host, InputError *error,
              const StreamOptions &options)
{
    InputError ignored;
    InputError &why = error ? *error : ignored;
    // Too large for the eight-digit offsets: refused before the old rows go.
    if (file.Size() > kMaxInputSize) {
        why = InputError::TooLarge;
        return 1;
    }
    // The old rows go once the file is known to be there and readable.
    host.ClearRows();
    try {
        ScanStream scan(file.Size(), minLength, settings, marker, host, options);
        why = file.SizeKnown() ? ReadSize(file, scan) : ReadToEnd(file, scan);
        if (scan.OutOfMemory())
            why = InputError::NoMemory;
    } catch (const std::bad_alloc &) {
        why = InputError::NoMemory;
    }
    return why == InputError::None || why == InputError::Stopped ? 0 : 1;
}

int StringScanner(const char *fileName, int minLength, const ExtractionSettings &settings,
                  const EnglishWordMarker *marker, ScanHost &host, InputError *error,
                  const StreamOptions &options)
{
    InputError ignored;
    InputError &why = error ? *error : ignored;
    InputFile file;
    why = file.Open(fileName);
    if (why != InputError::None)
        return 1;
    return ScanInput(file, minLength, settings, marker, host, &why, options);
}

} // namespace lex
