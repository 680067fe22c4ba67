// A scan with SearchResources: the texts of a PE image's resources listed
// as rows of the kind "Resource" among the walk's rows.  Inside each data
// entry that the resource reader understood, its texts are the rows: the
// walk sees zero bytes there, so it lists nothing inside the entry, and a
// text of its own that runs into the entry (or out of it) ends at the
// entry's edge.  Everywhere else the walk goes on as set.  Entries are read
// as the walk comes to them, so memory holds the rows of the entries that
// the walk has not yet passed (and where the entries understood lie), not
// the whole file's texts.  Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "scan/resources.h"
#include "scan/scanner.h"

namespace lex {

class EnglishWordMarker;

// Stands between the walk and the host: the walk's rows go to the host
// after the resource rows that lie before them, so the host sees every row
// in offset order.
class ResourceRows final : public ScanHost {
public:
    // `reader`, `marker` (may be null: no row is checked) and `host` must
    // outlive it; `minLength` is the walk's.
    ResourceRows(ResourceReader &reader, int minLength, const ExtractionSettings &settings,
                 const EnglishWordMarker *marker, ScanHost &host);

    // Before the walk sees the `count` bytes at `data`, which begin at
    // file offset `from` (pieces come in file order): reads the entries
    // that begin before their end, keeps the rows of those it understood,
    // and turns those entries' bytes in `data` into zeros.  Throws
    // std::bad_alloc when the rows do not fit.
    void Prepare(uint8_t *data, uint64_t from, size_t count);
    // The walk has examined every position before `pos`: the rows of the
    // entries that end there or before go to the host (no row of the
    // walk's can begin before them any more).
    void Passed(uint64_t pos);
    // The walk has ended (its pending text emitted): the rows kept that
    // begin before `pos` go to the host, the others are dropped.
    void Ended(uint64_t pos);

    void ClearRows() override { host_.ClearRows(); }
    void AddRow(uint32_t offset, RowKind kind, const char *text, size_t length,
                bool checked) override;
    void SetProgress(int percent) override { host_.SetProgress(percent); }
    void ProcessEvents() override { host_.ProcessEvents(); }
    bool AbortRequested() override { return host_.AbortRequested(); }

private:
    struct Kept {
        uint32_t offset;
        uint64_t entryEnd;
        size_t text;  // where its text begins in texts_
        size_t length;
        bool checked;
    };
    void Keep(const ResourceText &text, uint64_t entryEnd);
    bool Checked(const std::string &row) const;
    // Hands the host the kept rows while `release` says so.
    template <class Release>
    void ReleaseWhile(Release release);

    ResourceReader &reader_;
    const size_t minLength_;
    const bool english_;
    const EnglishWordMarker *marker_;
    ScanHost &host_;
    size_t nextEntry_ = 0;  // the next entry to read
    // The entries understood, in file order: from blankFrom_ on, those
    // whose bytes may still lie ahead of the walk; from rowEntry_ on,
    // those that may still hold the start of a row of the walk's.
    std::vector<ResourceBlock> understood_;
    size_t blankFrom_ = 0;
    size_t rowEntry_ = 0;
    // The rows not yet handed on, from head_ on, and their texts.
    std::vector<Kept> kept_;
    size_t head_ = 0;
    std::string texts_;
    std::vector<ResourceText> read_;  // one entry's texts on their way in
};

} // namespace lex
