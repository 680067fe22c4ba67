// Inside the resource reader: one data entry's bytes read field by field,
// and the layouts of the five kinds of resource whose texts are read.
// Portable.
#pragma once

#include <cstdint>
#include <vector>

#include "scan/resources.h"
#include "version/exe_reader.h"

namespace lex {
namespace res {

// A cursor over one data entry, [0, size) of the entry at file offset
// `start`, whose first byte is loaded at the address `rva` (alignment
// inside a resource is to the loaded address).  Reads have exactly one way
// to fail: a read past the entry's end marks the cursor failed, and every
// later read answers zero without moving it, so every loop over the entry
// checks Failed() and nothing is ever read outside the entry.  The caller
// has checked that the entry lies inside the file.
class EntryCursor {
public:
    // Room for the bytes of the entry that are read at a time.
    static constexpr uint32_t kWindow = 16384;

    // `window` is room for kWindow bytes; texts are appended to `texts`.
    EntryCursor(loom::PosReader &file, uint64_t start, uint32_t size, uint32_t rva,
                ResourceKind kind, uint8_t *window, std::vector<ResourceText> &texts)
        : file_(file), start_(start), size_(size), rva_(rva), kind_(kind), window_(window),
          texts_(texts)
    {
    }

    bool Failed() const { return failed_; }
    void Fail() { failed_ = true; }
    uint32_t Pos() const { return pos_; }
    uint32_t Size() const { return size_; }
    // Bytes left after the cursor.
    uint32_t Left() const { return failed_ ? 0 : size_ - pos_; }

    uint16_t U16();
    uint32_t U32();
    // Moves on `count` bytes, or to `pos`; past the end fails.
    void Skip(uint32_t count);
    void Seek(uint32_t pos);
    // Moves on to the next address that is a multiple of 4 (of 2).  At the
    // end of the entry it stops there: padding may be cut off at the end.
    void Align4() { AlignTo(4); }
    void Align2() { AlignTo(2); }

    // A zero-terminated UTF-16 string that must end before `end` (an
    // offset in the entry, at most Size()); the cursor moves past its
    // terminator.  Kept as a text when `keep` and not empty.
    void ZeroString(bool keep, uint32_t end);
    void ZeroString(bool keep) { ZeroString(keep, size_); }
    // ZeroString(false, end), telling whether the string is `ascii`,
    // letters in either case.
    bool ZeroStringIs(const char *ascii, uint32_t end);
    // A string or a number: 0xFFFF and a word is a number, anything else a
    // zero-terminated string (0 alone: the empty one).
    void StringOrOrdinal(bool keep);
    // `units` code units, kept as a text when not empty.
    void CountedString(uint32_t units);
    // Code units up to a zero one or `end`, whichever comes first, kept as
    // a text when not empty; the cursor moves to `end`.
    void BoundedString(uint32_t end);
    // The same of bytes in code page 932.
    void BoundedAnsi(uint32_t end);

private:
    void AlignTo(uint32_t alignment);
    // The bytes [pos, pos + count) of the entry (the caller checked that
    // they lie in it; count <= kWindow), through the window.
    const uint8_t *Bytes(uint32_t pos, uint32_t count);
    uint16_t Peek16(uint32_t pos);
    // Code units from pos_ up to the first zero one before `end`: their
    // count, or `end - pos_` halved when there is none.
    uint32_t UnitsBefore(uint32_t end, bool *terminated);
    void KeepUnits(uint32_t pos, uint32_t units);
    ResourceText &NewText(uint32_t pos, uint32_t size);

    loom::PosReader &file_;
    uint64_t start_;
    uint32_t size_;
    uint32_t rva_;
    ResourceKind kind_;
    uint8_t *window_;
    std::vector<ResourceText> &texts_;
    uint32_t pos_ = 0;
    bool failed_ = false;
    // The window holds [windowStart_, windowStart_ + windowLength_).
    uint32_t windowStart_ = 0;
    uint32_t windowLength_ = 0;
};

// Each reads the whole entry behind the cursor and appends its texts;
// false when the entry is not readable as that kind (its texts are then
// of no use).  The cursor starts at 0.
bool ReadMenu(EntryCursor &entry);
bool ReadDialog(EntryCursor &entry);
bool ReadStringBlock(EntryCursor &entry);
bool ReadMessageTable(EntryCursor &entry);
bool ReadVersion(EntryCursor &entry);

} // namespace res
} // namespace lex
