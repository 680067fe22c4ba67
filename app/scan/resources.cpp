// The resource texts of a PE image: the headers, the section table, the
// resource directory and its data entries, then each entry read by the
// layout of its kind (resource_formats.cpp).
//
// Format notes.  DOS header: "MZ" at 0, the PE header's offset at 60.  PE
// header: "PE\0\0", the file header (section count at 6, optional header
// size at 20), the optional header at 24, whose magic tells PE32 (0x10B)
// from PE32+ (0x20B): their data directories (address and size, 8 bytes
// each; the resource directory is the third) start at 96 and 112, their
// count is at 92 and 108.  The section table follows the optional header:
// 40 bytes per section, virtual size at 8, address at 12, raw size at 16,
// raw data's file offset at 20.  Resource directory: tables of a 16-byte
// header whose last two words count named and numbered entries, then the
// 8-byte entries: a name (high bit set: offset of a counted UTF-16
// string) or a number, and an offset (high bit set: of a subdirectory;
// else of a 16-byte data entry: the data's address and size).  All offsets
// in the directory count from its start; the levels are type, name and
// language.
#include "scan/resources.h"

#include <algorithm>
#include <iterator>
#include <unordered_set>

#include "scan/resource_formats.h"

namespace lex {
namespace {

constexpr uint16_t kMz = 0x5A4D;
constexpr uint32_t kPeSignature = 0x00004550;
constexpr uint32_t kDosNewHeader = 60;
enum PeOffset : uint32_t { kPeSectionCount = 6, kPeOptionalSize = 20, kPeOptional = 24 };
constexpr uint16_t kPe32Magic = 0x10B, kPe32PlusMagic = 0x20B;
constexpr uint32_t kDirCount32 = 92, kDirs32 = 96, kDirCount64 = 108, kDirs64 = 112;
constexpr uint32_t kResourceDirectory = 2, kDataDirectorySize = 8;
constexpr uint32_t kSectionSize = 40;
enum SectionOffset : uint32_t {
    kSecVirtualSize = 8,
    kSecAddress = 12,
    kSecRawSize = 16,
    kSecRawPointer = 20,
};
constexpr uint32_t kDirHeader = 16, kDirEntry = 8, kDataEntry = 16;
enum DirOffset : uint32_t { kDirNamedCount = 12, kDirIdCount = 14 };
constexpr uint32_t kHighBit = 0x80000000u;
// Type, name, language: the levels 0, 1, 2.
constexpr unsigned kLanguageLevel = 2;
// Offsets are written as 32-bit numbers, so a file is read below 4 GiB.
constexpr uint64_t kMaxFileSize = 0xFFFFFFFFu;

// The resource type numbers of the kinds, in the order of ResourceKind.
constexpr uint32_t kKindTypes[kResourceKinds] = {4, 5, 6, 11, 16};

bool KindOfType(uint32_t type, ResourceKind *kind)
{
    for (size_t k = 0; k < kResourceKinds; ++k) {
        if (kKindTypes[k] == type) {
            *kind = static_cast<ResourceKind>(k);
            return true;
        }
    }
    return false;
}

size_t KindIndex(ResourceKind kind)
{
    return static_cast<size_t>(kind);
}

// A section as far as the file holds it: the bytes from `address` on that
// lie in the file, at `rawPointer`.
struct Section {
    uint32_t address = 0;
    uint32_t extent = 0;
    uint32_t rawPointer = 0;
};

// A data entry found in the directory, and where its data lies in the file.
struct Leaf {
    ResourceKind kind;
    uint32_t rva;
    uint32_t size;
    uint32_t offset;
};

} // namespace

namespace res {

// The headers, the directory and the data entries' places are read at
// once; each entry's texts when asked for.
class ImageReader {
public:
    explicit ImageReader(loom::ByteSource &source)
        : file_(source), size_(std::min<uint64_t>(source.Size(), kMaxFileSize))
    {
    }

    const ResourceTexts &Found() const { return out_; }
    size_t LeafCount() const { return inside_.size(); }
    ResourceBlock Block(size_t index) const
    {
        const Leaf &leaf = inside_[index];
        return {leaf.offset, leaf.size, leaf.kind};
    }

    void Read()
    {
        uint32_t rva = 0;
        if (!ReadHeaders(&rva))
            return;
        out_.image = true;
        if (rva == 0 || !MapDirectory(rva))
            return;
        if (!WalkDirectory(0, 0, ResourceKind::StringTable))
            return;
        out_.directory = true;
        PlaceLeaves();
    }

private:
    // The PE headers and the section table; *resources is the resource
    // directory's address (0: none).
    bool ReadHeaders(uint32_t *resources)
    {
        if (size_ < kDosNewHeader + 4 || file_.U16(0) != kMz)
            return false;
        const uint64_t pe = file_.U32(kDosNewHeader);
        if (pe > size_ || size_ - pe < kPeOptional + 2 || file_.U32(pe) != kPeSignature)
            return false;
        const uint64_t optional = pe + kPeOptional;
        const uint16_t magic = file_.U16(optional);
        if (magic != kPe32Magic && magic != kPe32PlusMagic)
            return false;
        const bool wide = magic == kPe32PlusMagic;
        const uint32_t optionalSize = file_.U16(pe + kPeOptionalSize);
        const uint32_t dirs = wide ? kDirs64 : kDirs32;
        const uint32_t dirCount = wide ? kDirCount64 : kDirCount32;

        const uint64_t table = optional + optionalSize;
        const uint64_t sections = file_.U16(pe + kPeSectionCount);
        if (table > size_ || (size_ - table) / kSectionSize < sections)
            return false;
        ReadSections(table, static_cast<uint32_t>(sections));

        *resources = 0;
        const uint32_t entry = dirs + kDataDirectorySize * kResourceDirectory;
        if (optionalSize >= entry + kDataDirectorySize &&
            file_.U32(optional + dirCount) > kResourceDirectory &&
            file_.U32(optional + entry + 4) != 0)
            *resources = file_.U32(optional + entry);
        return true;
    }

    void ReadSections(uint64_t table, uint32_t count)
    {
        sections_.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            const uint64_t at = table + uint64_t(kSectionSize) * i;
            Section s;
            s.address = file_.U32(at + kSecAddress);
            s.rawPointer = file_.U32(at + kSecRawPointer);
            const uint32_t virtualSize = file_.U32(at + kSecVirtualSize);
            uint64_t extent = file_.U32(at + kSecRawSize);
            // Bytes past the section's virtual size are not loaded, and
            // bytes past the end of the file are not there.
            if (virtualSize != 0)
                extent = std::min<uint64_t>(extent, virtualSize);
            extent = s.rawPointer < size_ ? std::min(extent, size_ - s.rawPointer) : 0;
            s.extent = static_cast<uint32_t>(extent);
            sections_.push_back(s);
        }
        std::stable_sort(sections_.begin(), sections_.end(),
                         [](const Section &a, const Section &b) { return a.address < b.address; });
    }

    // The section that holds the address, or null.
    const Section *SectionOf(uint32_t rva) const
    {
        auto it = std::upper_bound(sections_.begin(), sections_.end(), rva,
                                   [](uint32_t v, const Section &s) { return v < s.address; });
        if (it == sections_.begin())
            return nullptr;
        const Section &s = *(it - 1);
        return rva - s.address < s.extent ? &s : nullptr;
    }

    // The file offset of `size` bytes at `rva`, when the file holds them
    // all inside one section.
    bool Map(uint32_t rva, uint32_t size, uint32_t *offset) const
    {
        const Section *s = SectionOf(rva);
        if (s == nullptr || size > s->extent - (rva - s->address))
            return false;
        *offset = s->rawPointer + (rva - s->address);
        return true;
    }

    // The directory's tables must lie in the section that holds its start.
    bool MapDirectory(uint32_t rva)
    {
        const Section *s = SectionOf(rva);
        if (s == nullptr)
            return false;
        base_ = s->rawPointer + (rva - s->address);
        extent_ = s->extent - (rva - s->address);
        budget_ = extent_ / kDirEntry;
        return true;
    }

    // Whether a name entry's counted string lies inside the directory.
    bool NameInside(uint32_t name)
    {
        const uint32_t at = name & ~kHighBit;
        if (extent_ < 2 || at > extent_ - 2)
            return false;
        const uint32_t units = file_.U16(uint64_t(base_) + at);
        return 2 * units <= extent_ - 2 - at;
    }

    // The table at `dir` (an offset in the directory) on `level`, with the
    // kind its type gave (levels 1 and 2).  False when the table itself
    // cannot be read; entries that lead nowhere are counted as refused.
    bool WalkDirectory(uint32_t dir, unsigned level, ResourceKind kind)
    {
        if (extent_ < kDirHeader || dir > extent_ - kDirHeader)
            return false;
        const uint64_t at = uint64_t(base_) + dir;
        const uint32_t count = uint32_t(file_.U16(at + kDirNamedCount)) + file_.U16(at + kDirIdCount);
        // Honest tables lie apart, so the directory holds at most
        // extent / 8 entries in all: beyond, tables overlap to multiply
        // the work.
        if (count > (extent_ - dir - kDirHeader) / kDirEntry || count > budget_)
            return false;
        budget_ -= count;
        for (uint32_t i = 0; i < count; ++i) {
            const uint64_t entry = at + kDirHeader + uint64_t(kDirEntry) * i;
            const uint32_t name = file_.U32(entry);
            const uint32_t target = file_.U32(entry + 4);
            ResourceKind entryKind = kind;
            if (level == 0) {
                // Only the five kinds are walked; named types are others.
                if ((name & kHighBit) != 0 || !KindOfType(name, &entryKind))
                    continue;
            } else if ((name & kHighBit) != 0 && !NameInside(name)) {
                ++out_.refused;
                continue;
            }
            if (target & kHighBit)
                WalkSubdirectory(target & ~kHighBit, level, entryKind);
            else if (level == 0 || !seenData_.insert(target).second ||
                     extent_ < kDataEntry || target > extent_ - kDataEntry)
                ++out_.refused;
            else
                leaves_.push_back({entryKind, file_.U32(uint64_t(base_) + target),
                                   file_.U32(uint64_t(base_) + target + 4), 0});
        }
        return true;
    }

    void WalkSubdirectory(uint32_t dir, unsigned level, ResourceKind kind)
    {
        // A table reached twice is a loop or a table that two entries
        // share; the root is reached first of all.
        if (level >= kLanguageLevel || dir == 0 || !seenTables_.insert(dir).second ||
            !WalkDirectory(dir, level + 1, kind))
            ++out_.refused;
    }

    // Each data entry inside the file, in file order; an entry that
    // overlaps one before it is left out, so the work stays that of the
    // file's size and no byte belongs to two entries.
    void PlaceLeaves()
    {
        std::vector<Leaf> inside;
        inside.reserve(leaves_.size());
        for (Leaf &leaf : leaves_) {
            if (leaf.size == 0)
                continue;
            if (Map(leaf.rva, leaf.size, &leaf.offset))
                inside.push_back(leaf);
            else
                ++out_.damaged[KindIndex(leaf.kind)];
        }
        leaves_.clear();
        leaves_.shrink_to_fit();
        std::stable_sort(inside.begin(), inside.end(),
                         [](const Leaf &a, const Leaf &b) { return a.offset < b.offset; });
        uint64_t taken = 0; // end of the last entry kept
        for (const Leaf &leaf : inside) {
            if (leaf.offset < taken) {
                ++out_.damaged[KindIndex(leaf.kind)];
                continue;
            }
            taken = uint64_t(leaf.offset) + leaf.size;
            inside_.push_back(leaf);
        }
    }

public:
    // The entry's texts, read by its kind.
    bool ReadLeaf(size_t index, std::vector<ResourceText> &texts)
    {
        const bool read = ReadTexts(inside_[index], texts);
        if (!read)
            ++out_.damaged[KindIndex(inside_[index].kind)];
        return read;
    }

private:
    bool ReadTexts(const Leaf &leaf, std::vector<ResourceText> &texts)
    {
        const size_t first = texts.size();
        res::EntryCursor entry(file_, leaf.offset, leaf.size, leaf.rva, leaf.kind, window_.data(),
                               texts);
        bool read = false;
        switch (leaf.kind) {
        case ResourceKind::Menu:
            read = res::ReadMenu(entry);
            break;
        case ResourceKind::Dialog:
            read = res::ReadDialog(entry);
            break;
        case ResourceKind::StringTable:
            read = res::ReadStringBlock(entry);
            break;
        case ResourceKind::MessageTable:
            read = res::ReadMessageTable(entry);
            break;
        case ResourceKind::Version:
            read = res::ReadVersion(entry);
            break;
        }
        // Message tables may list their blocks in any order; no two texts
        // may share a byte.
        const auto byOffset = [](const ResourceText &a, const ResourceText &b) {
            return a.offset < b.offset;
        };
        const auto begin = texts.begin() + static_cast<std::ptrdiff_t>(first);
        if (read && !std::is_sorted(begin, texts.end(), byOffset))
            std::stable_sort(begin, texts.end(), byOffset);
        for (size_t i = first + 1; read && i < texts.size(); ++i)
            read = texts[i].offset - texts[i - 1].offset >= texts[i - 1].size;
        if (!read)
            texts.erase(begin, texts.end());
        return read;
    }

    loom::PosReader file_;
    uint64_t size_;
    ResourceTexts out_;
    std::vector<Section> sections_;
    // The directory: its file offset and the bytes of its section from there.
    uint32_t base_ = 0;
    uint32_t extent_ = 0;
    uint32_t budget_ = 0;
    std::unordered_set<uint32_t> seenTables_;
    std::unordered_set<uint32_t> seenData_;
    std::vector<Leaf> leaves_;
    std::vector<Leaf> inside_;  // the entries to read, in file order
    std::vector<uint8_t> window_ = std::vector<uint8_t>(res::EntryCursor::kWindow);
};

} // namespace res

ResourceReader::ResourceReader(loom::ByteSource &file) : image_(new res::ImageReader(file))
{
    image_->Read();
}

ResourceReader::~ResourceReader() = default;

const ResourceTexts &ResourceReader::Found() const { return image_->Found(); }

size_t ResourceReader::EntryCount() const { return image_->LeafCount(); }

ResourceBlock ResourceReader::Entry(size_t index) const { return image_->Block(index); }

bool ResourceReader::ReadEntry(size_t index, std::vector<ResourceText> &texts)
{
    return index < image_->LeafCount() && image_->ReadLeaf(index, texts);
}

ResourceTexts ReadResourceTexts(loom::ByteSource &file)
{
    ResourceReader reader(file);
    ResourceTexts out = reader.Found();
    std::vector<ResourceText> texts;
    for (size_t i = 0; i < reader.EntryCount(); ++i) {
        if (reader.ReadEntry(i, texts))
            out.blocks.push_back(reader.Entry(i));
    }
    out.texts = std::move(texts);
    // The damaged entries counted while they were read.
    std::copy(std::begin(reader.Found().damaged), std::end(reader.Found().damaged),
              std::begin(out.damaged));
    return out;
}

} // namespace lex
