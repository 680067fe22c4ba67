// The string scanner: the choice of the walk's build, the stream that feeds
// the walk piece by piece, and the scan of a file.  The walk itself is in
// walk/ (walk/body.h), the row filters in rowfilter.cpp.
#include "scan/scanner.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

#include "scan/resource_rows.h"
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

static_assert(ScanStream::kCarryRoom >= WalkCore::kMaxLookAhead + EncodedWalk::kMaxLag + 3,
              "a piece keeps the walk's look-ahead for the next, and what the rooms of "
              "the further encodings have not done with");

namespace {

// Resource rows only where there is a directory with entries to read.
std::unique_ptr<ResourceRows> MakeResourceRows(const StreamOptions &options, int minLength,
                                               const ExtractionSettings &settings,
                                               const EnglishWordMarker *marker, ScanHost &host)
{
    if (!options.resources || options.resources->EntryCount() == 0)
        return nullptr;
    return std::unique_ptr<ResourceRows>(
        new ResourceRows(*options.resources, minLength, settings, marker, host));
}

bool FurtherEncodings(const ExtractionSettings &s)
{
    return s.SearchEucJp || s.SearchIso2022Jp || s.SearchUtf16Be;
}

std::unique_ptr<EncodedRows> MakeEncodedRows(int minLength, const ExtractionSettings &settings,
                                             const EnglishWordMarker *marker, ScanHost &host)
{
    if (!FurtherEncodings(settings))
        return nullptr;
    return std::unique_ptr<EncodedRows>(new EncodedRows(minLength, settings, marker, host));
}

std::unique_ptr<EncodedWalk> MakeEncodedWalk(ScanPath path, const ExtractionSettings &settings,
                                             EncodedRows *rows)
{
    if (!rows)
        return nullptr;
    switch (RunnableScanPath(path, DetectedProcessorFeatures())) {
    case ScanPath::Avx2:
        return MakeAvx2EncodedWalk(settings, *rows);
    case ScanPath::Sse2:
        return MakeSse2EncodedWalk(settings, *rows);
    case ScanPath::Plain:
        break;
    }
    return MakePlainEncodedWalk(settings, *rows);
}

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
    : resources_(MakeResourceRows(options, minLength, settings, marker, host)),
      encodedRows_(MakeEncodedRows(minLength, settings, marker,
                                   resources_ ? *static_cast<ScanHost *>(resources_.get()) : host)),
      encoded_(MakeEncodedWalk(options.path, settings, encodedRows_.get())),
      walker_(MakeWalker(
          options.path,
          WalkSetup{minLength, &settings, marker,
                    encodedRows_   ? static_cast<ScanHost *>(encodedRows_.get())
                    : resources_ ? static_cast<ScanHost *>(resources_.get())
                                 : &host,
                    size, options.interval, options.rowLimit, encodedRows_.get()})),
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
    const uint64_t start = fed_;
    fed_ += got;
    return Guarded([&] {
        if (resources_)
            resources_->Prepare(Piece(), start, got);
        // The rooms of the further encodings read the window first, and
        // the walk reads as much of it as they have done with.
        const size_t ready = encoded_ ? encoded_->Walk(window, base, avail, false) : avail;
        if (!walker_->Walk(window, base, ready, false)) {
            walker_->EmitPending();
            EndEncoded(false);
            if (resources_)
                resources_->Ended(walker_->Pos());
            ended_ = true;
            return false;
        }
        if (resources_)
            resources_->Passed(walker_->Pos());
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
        uint8_t *window = buffer_.get() + kCarryRoom - carried_;
        if (encoded_ && carried_ > 0)
            encoded_->Walk(window, fed_ - carried_, carried_, true);
        const bool whole = carried_ > 0 ? walker_->Walk(window, fed_ - carried_, carried_, true)
                                        : walker_->CheckpointAtEnd();
        walker_->EmitPending();
        EndEncoded(whole);
        // After a stop, the rows past it are not listed.
        if (resources_)
            resources_->Ended(whole ? UINT64_MAX : walker_->Pos());
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
        EndEncoded(false);
        if (resources_)
            resources_->Ended(UINT64_MAX);
        return true;
    });
    ended_ = true;
}

void ScanStream::EndEncoded(bool whole)
{
    if (!encodedRows_)
        return;
    // After a stop, the rows past it are not listed.
    encodedRows_->Release(whole ? UINT64_MAX : walker_->Pos());
    encodedRows_->Drop();
}

int ScanBufferWithInterval(const uint8_t *data, size_t size, int minLength,
                           const ExtractionSettings &settings,
                           const EnglishWordMarker *marker, ScanHost &host,
                           size_t checkpointInterval, ScanPath path, size_t rowLimit)
{
    if (static_cast<uint64_t>(size) > kMaxInputSize)
        return 1;
    // The further encodings' rooms zero the bytes of their rows: in a copy.
    auto rows = MakeEncodedRows(minLength, settings, marker, host);
    std::vector<uint8_t> copy;
    if (rows) {
        copy.assign(data, data + size);
        MakeEncodedWalk(path, settings, rows.get())->Walk(copy.data(), 0, size, true);
        data = copy.data();
    }
    auto walker = MakeWalker(path, WalkSetup{minLength, &settings, marker,
                                             rows ? static_cast<ScanHost *>(rows.get()) : &host,
                                             size, std::max<size_t>(checkpointInterval, 1),
                                             rowLimit, rows.get()});
    // One window that ends the data; the pending string is emitted after a
    // stop too.
    const bool whole = walker->Walk(data, 0, size, true);
    walker->EmitPending();
    if (rows)
        rows->Release(whole ? UINT64_MAX : walker->Pos());
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

// The scanner's input file as the resource reader reads it: at any offset,
// leaving the walk's place in the file as it was.
class InputBytes final : public loom::ByteSource {
public:
    explicit InputBytes(InputFile &file) : file_(file) {}
    uint64_t Size() const override { return file_.Size(); }
    size_t ReadAt(uint64_t offset, void *out, size_t count) override
    {
        auto *to = static_cast<uint8_t *>(out);
        size_t done = 0;
        while (done < count) {
            size_t got = 0;
            if (file_.ReadAt(offset + done, to + done, count - done, &got) != InputError::None ||
                got == 0)
                break;
            done += got;
        }
        return done;
    }

private:
    InputFile &file_;
};

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
        // Only a file of known size can be read at any offset.
        std::unique_ptr<InputBytes> bytes;
        std::unique_ptr<ResourceReader> reader;
        StreamOptions streamOptions = options;
        if (settings.SearchResources && file.SizeKnown() && !options.resources) {
            bytes.reset(new InputBytes(file));
            reader.reset(new ResourceReader(*bytes));
            streamOptions.resources = reader.get();
        }
        ScanStream scan(file.Size(), minLength, settings, marker, host, streamOptions);
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
