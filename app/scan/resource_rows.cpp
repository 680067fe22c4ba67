// The resource texts' rows among the walk's: entries read as the pieces
// reach them, their bytes hidden from the walk, their rows handed on in
// offset order.
#include "scan/resource_rows.h"

#include <algorithm>
#include <cstring>

#include "util/shiftjis.h"
#include "words/dictionary.h"

namespace lex {

ResourceRows::ResourceRows(ResourceReader &reader, int minLength,
                           const ExtractionSettings &settings, const EnglishWordMarker *marker,
                           ScanHost &host)
    : reader_(reader), minLength_(static_cast<size_t>(std::max(minLength, 1))),
      english_(settings.CheckEnglish), marker_(marker), host_(host)
{
}

namespace {

uint64_t EndOf(const ResourceBlock &entry)
{
    return uint64_t(entry.offset) + entry.size;
}

// The bytes of the first character of a UTF-16 row's text (code page 932:
// two for a double-byte character); each takes one code unit of the file.
size_t CharacterSize(const char *text, size_t length)
{
    return length > 1 && loom::sjis::IsLead(static_cast<uint8_t>(text[0])) ? 2 : 1;
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
    while (blankFrom_ < understood_.size() && EndOf(understood_[blankFrom_]) <= from)
        ++blankFrom_;
    for (size_t i = blankFrom_; i < understood_.size(); ++i) {
        const ResourceBlock &entry = understood_[i];
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
    while (rowEntry_ < understood_.size() && EndOf(understood_[rowEntry_]) <= offset)
        ++rowEntry_;
    if (rowEntry_ < understood_.size() && understood_[rowEntry_].offset <= offset) {
        // Only UTF-16 text begins inside an entry: at its last byte, a zero
        // to the walk, taken as the low byte of a Japanese character whose
        // high byte follows the entry.  Its characters inside go.
        if (kind != RowKind::Unicode)
            return;
        const uint64_t end = EndOf(understood_[rowEntry_]);
        while (offset < end && length > 0) {
            const size_t size = CharacterSize(text, length);
            text += size;
            length -= size;
            offset += 2;
        }
        size_t chars = 0;
        for (size_t i = 0; i < length; ++chars)
            i += CharacterSize(text + i, length - i);
        if (chars < minLength_)
            return;
        checked = english_ && marker_ && marker_->ContainsWord(text, length);
    }
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
