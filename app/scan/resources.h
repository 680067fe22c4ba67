// The texts of a PE image's resources, as the resources hold them: the
// strings of string tables, the item texts of menus, the captions and
// control texts of dialogs, the string values of version resources and the
// entries of message tables.  The reader asks the file for the few bytes
// it needs at a time (a bounded cache, never the whole file), trusts
// nothing it reads, and leaves out whatever it cannot read whole: a file
// that is no PE image, or whose resource directory is damaged, yields
// nothing; a damaged subdirectory or data entry yields nothing of its own.
// Portable: no <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "version/exe_reader.h"

namespace lex {

// The kinds of resource whose texts are read, by their type numbers.
enum class ResourceKind : uint8_t {
    Menu,          // RT_MENU (4): the standard and the extended template
    Dialog,        // RT_DIALOG (5): DLGTEMPLATE and DLGTEMPLATEEX
    StringTable,   // RT_STRING (6): 16 counted strings per block
    MessageTable,  // RT_MESSAGETABLE (11)
    Version,       // RT_VERSION (16): StringFileInfo's values
};
constexpr size_t kResourceKinds = 5;

// One text.  Its characters are those the resource holds: everything
// between its length word or its start and its terminator, line breaks
// included, the terminator and any padding not.  A text is never empty.
struct ResourceText {
    uint32_t offset = 0;  // file offset of its first byte
    uint32_t size = 0;    // bytes its characters occupy from there
    ResourceKind kind = ResourceKind::StringTable;
    // True for a message table entry stored in the ANSI code page (932):
    // `bytes` holds it.  Otherwise `units` holds its UTF-16 code units.
    bool ansi = false;
    std::u16string units;
    std::string bytes;
};

// One resource data entry that was read whole: the texts inside
// [offset, offset + size) are all that the entry holds.
struct ResourceBlock {
    uint32_t offset = 0;
    uint32_t size = 0;
    ResourceKind kind = ResourceKind::StringTable;
};

struct ResourceTexts {
    // A PE image (32- or 64-bit): its headers and section table lie in
    // the file.
    bool image = false;
    // It has a resource directory, and the directory's root was read.
    bool directory = false;
    // Data entries of the five kinds read whole, in file-offset order; no
    // two overlap.
    std::vector<ResourceBlock> blocks;
    // Their texts, in file-offset order; each lies inside its block.
    std::vector<ResourceText> texts;
    // Data entries of each kind (indexed by ResourceKind) left out as
    // damaged: outside the file or its sections, overlapping an entry
    // before them, or not readable as their kind.
    uint32_t damaged[kResourceKinds] = {};
    // Directory entries refused on the way to the data: loops, a
    // subdirectory or data entry reached twice, tables or names past the
    // end of the resource section, nesting deeper than type, name and
    // language.  A root that cannot be read leaves `directory` false.
    uint32_t refused = 0;
};

namespace res {
class ImageReader;
}

// A PE image's resource directory, read when the reader is made, and its
// data entries, read one at a time when asked for: a scan reads each entry
// as its walk comes to it, so that memory holds one entry's texts rather
// than the whole file's.  `file` must outlive the reader.
class ResourceReader {
public:
    explicit ResourceReader(loom::ByteSource &file);
    ~ResourceReader();
    ResourceReader(const ResourceReader &) = delete;
    ResourceReader &operator=(const ResourceReader &) = delete;

    // What ResourceTexts tells by the same names, the blocks and texts
    // left out: what reading the directory found.  The entries that
    // ReadEntry finds damaged are counted there too.
    const ResourceTexts &Found() const;
    // The data entries of the five kinds that lie inside the file's
    // sections, in file-offset order, no two overlapping; whether each
    // is readable as its kind is known only once it is read.
    size_t EntryCount() const;
    ResourceBlock Entry(size_t index) const;
    // Reads an entry and appends its texts to `texts` in file-offset
    // order; false, with nothing appended, when it is not readable as its
    // kind (it is then counted as damaged).
    bool ReadEntry(size_t index, std::vector<ResourceText> &texts);

private:
    std::unique_ptr<res::ImageReader> image_;
};

// Reads the resource texts of the file behind `file`.  Files of 4 GiB and
// more are read as their first 4 GiB - 1 bytes (a PE image's offsets are
// 32-bit).  Memory: the texts, the section table and the directory's
// entries of the five kinds, plus the reader's cache of a few blocks.
ResourceTexts ReadResourceTexts(loom::ByteSource &file);

// A text as a row holds it: code page 932 bytes, a character that code
// page 932 lacks (or a control character) as its stand-in "\u{HEX}", a
// line feed, carriage return or tab as the two characters "\n", "\r",
// "\t".  ANSI texts keep their double-byte characters as they are; a byte
// that begins no character of code page 932 becomes the stand-in of
// U+FFFD.  Never holds a zero byte.
std::string ResourceRowText(const ResourceText &text);

} // namespace lex
