// The string scanner: a file's bytes in, result rows out.
// Portable: the host interface is how the scan talks to the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/inputfile.h"
#include "scan/processor.h"
#include "scan/resultrow.h"
#include "settings/settings.h"

namespace lex {

class EnglishWordMarker;
class ResourceReader;
class ResourceRows;
class WalkCore;
class EncodedRows;
class EncodedWalk;

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
    // Once per emitted row.  `text` holds `length` bytes, never a zero byte.
    // May throw std::bad_alloc when the row does not fit: the scan then
    // ends.
    virtual void AddRow(uint32_t offset, RowKind kind, const char *text, size_t length,
                        bool checked) = 0;
    // A percentage 0..100.
    virtual void SetProgress(int percent) = 0;
    virtual void ProcessEvents() = 0;
    virtual bool AbortRequested() = 0;
};

// Distance in bytes between the scan's checkpoints (progress, events, abort).
constexpr size_t kCheckpointInterval = 65536;

// Size of the pieces in which a scan reads its file: the piece is scanned
// while it is still in the processor's cache, and memory does not grow
// with the file.
constexpr size_t kScanPiece = 256 * 1024;

// The most bytes of text a row holds: a run of text longer than this is
// listed as consecutive rows of at most this many bytes, each with its own
// offset (a piece ends between characters, never inside a double-byte
// character, a UTF-16 code unit or a UTF-8 character), so that nothing is
// lost and memory does not grow with the longest string.  The pieces are
// listed whatever their length; the row filters read each as a row.
constexpr size_t kMaxRowLength = 1024 * 1024;

// The three builds of the walk: plain loops for any processor, 16 bytes at
// a time with SSE2, 32 bytes at a time with AVX2.  All give the same rows.
enum class ScanPath { Plain, Sse2, Avx2 };

// The build that runs when `wanted` is asked for on a processor with
// `features`: that one when the processor runs it, else the fastest below
// it that it runs (AVX2, then SSE2, then plain loops).
ScanPath RunnableScanPath(ScanPath wanted, const ProcessorFeatures &features);
// The build that scans use unless told otherwise: the fastest that this
// processor runs.
ScanPath SelectedScanPath();
const char *ScanPathName(ScanPath path);

// How a stream is cut and walked; tests choose small pieces, checkpoint
// distances and row limits, and the build of the walk (one the processor
// lacks falls back as RunnableScanPath tells).
struct StreamOptions {
    ScanPath path = SelectedScanPath();
    size_t pieceSize = kScanPiece;            // >= 1
    size_t interval = kCheckpointInterval;    // >= 1
    size_t rowLimit = kMaxRowLength;          // >= 1
    // The resource reader of the data, for a scan with SearchResources
    // (resource_rows.h tells what it does; the setting itself is not
    // looked at here).  Null: the walk alone.  A scan of a file makes one
    // when the setting is on.
    ResourceReader *resources = nullptr;
};

// A scan of data that arrives piece by piece.  The walk's state (the string
// being gathered, the look-ahead byte that the next piece holds) is carried
// from piece to piece, so the rows are the same however the data is cut,
// and memory stays that of one piece.
//
// Running out of memory (std::bad_alloc from the host's AddRow, or while
// gathering a string) ends the scan like a stop, without the last
// emission: the rows already added stay, and OutOfMemory() tells.
class ScanStream {
public:
    // `size` is the data's size as announced (the progress is reckoned
    // against it).  `marker` may be null (no row is checked).  Throws
    // std::bad_alloc when not even the piece buffer can be had.
    ScanStream(uint64_t size, int minLength, const ExtractionSettings &settings,
               const EnglishWordMarker *marker, ScanHost &host,
               const StreamOptions &options = StreamOptions());
    ~ScanStream();
    ScanStream(const ScanStream &) = delete;
    ScanStream &operator=(const ScanStream &) = delete;

    // Room for the bytes kept from one piece for the next: the walk's
    // longest look-ahead, and with the further encodings what their rooms
    // have not done with.
    static constexpr size_t kCarryRoom = 8192;

    // Where the next piece goes: room for PieceSize() bytes.
    uint8_t *Piece() { return buffer_.get() + kCarryRoom; }
    size_t PieceSize() const { return pieceSize_; }
    // Scans the `got` bytes (at most PieceSize()) just put at Piece().
    // Returns false once the scan has ended: the host asked to stop (the
    // pending string was then emitted), or memory ran out.
    bool Scan(size_t got);
    // The data is complete: its last bytes are examined (with zero bytes
    // after them) and the pending string emitted.
    void Finish();
    // The data ends early (a read error): the pending string is emitted,
    // as after a stop, and the bytes still waiting for their look-ahead
    // (the last one; with UTF-8 text up to 39, with Japanese UTF-16 text
    // up to kCarryRoom) are left out.
    void Abandon();

    bool Ended() const { return ended_; }
    bool OutOfMemory() const { return outOfMemory_; }

private:
    template <class Body>
    bool Guarded(Body &&body);
    // The walk ended (`whole`: at the data's end): the rows of the further
    // encodings before it go to the host, the others are dropped.
    void EndEncoded(bool whole);

    // Made before the walk, which hands its rows through them: the
    // resource rows, then the rows of the further encodings (null without
    // them) with the rooms that read them.
    std::unique_ptr<ResourceRows> resources_;
    std::unique_ptr<EncodedRows> encodedRows_;
    std::unique_ptr<EncodedWalk> encoded_;
    std::unique_ptr<WalkCore> walker_;
    // The carried bytes, at the end of the first kCarryRoom bytes, then the
    // piece.
    std::unique_ptr<uint8_t[]> buffer_;
    size_t pieceSize_;
    uint64_t fed_ = 0;     // bytes given so far
    size_t carried_ = 0;   // the bytes fed_ - carried_ .. fed_ - 1, not yet examined
    bool ended_ = false;
    bool outOfMemory_ = false;
};

// Walks the whole of `data` and emits rows to `host`: the walk alone, whatever
// SearchResources says.  `marker` may be null (no row is checked).  Every position 0..size-1 is examined; the look-ahead
// of the last one is taken as a zero byte.  A checkpoint follows the step
// that reaches the last position of each 64 KiB block, and the step that
// reaches the last position of the data.  Returns 0, or 1 without walking
// for data of 4 GiB and more.  A minimum length below 1 counts as 1.
int ScanBuffer(const uint8_t *data, size_t size, int minLength,
               const ExtractionSettings &settings, const EnglishWordMarker *marker,
               ScanHost &host);

// ScanBuffer with the checkpoint distance (>= 1), the build of the walk and
// the row limit (>= 1) chosen by the caller, so that tests can reach block
// boundaries and the limit with small inputs and compare the builds.
int ScanBufferWithInterval(const uint8_t *data, size_t size, int minLength,
                           const ExtractionSettings &settings,
                           const EnglishWordMarker *marker, ScanHost &host,
                           size_t checkpointInterval, ScanPath path = SelectedScanPath(),
                           size_t rowLimit = kMaxRowLength);

// Reads the file named `fileName` piece by piece and scans it; with
// SearchResources, a PE image's resource texts are read through the same
// file as the walk comes to them (resource_rows.h).  Returns 0
// when the walk ran to its end or was stopped, 1 when the file could not be
// found, opened or read to its end, was 4 GiB or larger, or memory ran out.
// A file that cannot be scanned at all is refused before the host clears
// its rows; after a read error or with memory exhausted the rows found so
// far stay.  `error` (may be null) tells why.
int StringScanner(const char *fileName, int minLength, const ExtractionSettings &settings,
                  const EnglishWordMarker *marker, ScanHost &host,
                  InputError *error = nullptr, const StreamOptions &options = StreamOptions());

// StringScanner on a file already opened (standard input, for one): data
// of unknown size is read to its end, and more than kMaxInputSize bytes of
// it end the scan as TooLarge after the rows before the limit.
int ScanInput(InputFile &file, int minLength, const ExtractionSettings &settings,
              const EnglishWordMarker *marker, ScanHost &host, InputError *error = nullptr,
              const StreamOptions &options = StreamOptions());

} // namespace lex
