// The resource texts' rows among the walk's: entries read as the pieces
// reach them, their bytes hidden from the walk, their rows handed on in
// offset order.
#include "scan/resource_rows.h"

#include <algorithm>
#include <cstring>

#include "words/dictionary.h"

namespace lex {

ResourceRows::ResourceRows(ResourceReader &reader, const ExtractionSettings &settings,
                           const EnglishWordMarker *marker, ScanHost &host)
    : reader_(reader), english_(settings.CheckEnglish), marker_(marker), host_(host)
{
}

namespace {

uint64_t EndOf(const ResourceBlock &entry)
{
    return uint64_t(entry.offset) + entry.size;
}

} // namespace

void ResourceRows::Prepare(uint8_t *data, uint64_t from, size_t count)
{
    const uint64_t to = from + count;
    while (nextEntry_ < reader_.EntryCount() && reader_.Entry(nextEntry_).offset < to) {
        const size_t index = nextEntry_++;
        read_.clear();
        if (!reader_.ReadEntry(index, read_))
            continue;
        const ResourceBlock entry = reader_.Entry(index);
        for (const ResourceText &text : read_)
            Keep(text, EndOf(entry));
        understood_.push_back(entry);
    }
    // Entries come in file order and do not overlap: those that end
    // before this piece are behind the walk for good.
    const auto behind = std::find_if(understood_.begin(), understood_.end(),
                                     [from](const ResourceBlock &e) { return EndOf(e) > from; });
    understood_.erase(understood_.begin(), behind);
    for (const ResourceBlock &entry : understood_) {
        if (entry.offset >= to)
            break;
        const uint64_t first = std::max<uint64_t>(entry.offset, from);
        const uint64_t last = std::min(EndOf(entry), to);
        std::memset(data + (first - from), 0, static_cast<size_t>(last - first));
    }
}

// A row's escapes and stand-ins are no text: the marker reads their
// letters ("\n", "\u{E9}") as bytes that no word holds, so that "\nfile"
// is not taken for "nfile".
bool ResourceRows::Checked(const std::string &row) const
{
    if (!english_ || !marker_)
        return false;
    if (row.find('\\') == std::string::npos)
        return marker_->ContainsWord(row.data(), row.size());
    std::string masked = row;
    for (size_t i = 0; i + 1 < masked.size(); ++i) {
        if (masked[i] != '\\')
            continue;
        const char next = masked[i + 1];
        if (next == 'n' || next == 'r' || next == 't') {
            masked[++i] = '~';
        } else if (next == 'u' && i + 2 < masked.size() && masked[i + 2] == '{') {
            for (++i; i < masked.size() && masked[i] != '}'; ++i)
                masked[i] = '~';
        }
    }
    return marker_->ContainsWord(masked.data(), masked.size());
}

void ResourceRows::Keep(const ResourceText &text, uint64_t entryEnd)
{
    const std::string row = ResourceRowText(text);
    kept_.push_back({text.offset, entryEnd, texts_.size(), row.size(), Checked(row)});
    texts_ += row;
}

template <class Release>
void ResourceRows::ReleaseWhile(Release release)
{
    while (head_ < kept_.size() && release(kept_[head_])) {
        const Kept &row = kept_[head_++];
        host_.AddRow(row.offset, RowKind::Resource, texts_.data() + row.text, row.length,
                     row.checked);
    }
    if (head_ == kept_.size()) {
        kept_.clear();
        texts_.clear();
        head_ = 0;
    }
}

void ResourceRows::AddRow(uint32_t offset, RowKind kind, const char *text, size_t length,
                          bool checked)
{
    ReleaseWhile([offset](const Kept &row) { return row.offset < offset; });
    host_.AddRow(offset, kind, text, length, checked);
}

void ResourceRows::Passed(uint64_t pos)
{
    ReleaseWhile([pos](const Kept &row) { return row.entryEnd <= pos; });
}

void ResourceRows::Ended(uint64_t pos)
{
    ReleaseWhile([pos](const Kept &row) { return row.offset < pos; });
    kept_.clear();
    texts_.clear();
    head_ = 0;
}

} // namespace lex
