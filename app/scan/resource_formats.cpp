// The layouts of the resources whose texts are read, field by field
// through a cursor that cannot leave its data entry.
//
// Format notes (all values little-endian; "string" is zero-terminated
// UTF-16; "string or number" is a string, or 0xFFFF and a word).
// - String table block: 16 strings, each a word of its length in code
//   units and the units, no terminator.
// - Menu: a word of version (0) and a word of header size, the header,
//   then items: a word of flags (MF_POPUP 0x10, MF_END 0x80), a word of
//   identifier unless MF_POPUP, a string.  A popup's items follow it; the
//   item with MF_END is the last of its level.
// - Extended menu: version 1, a word of offset to the first item counted
//   from the end of that word.  Items are aligned to 4: three double
//   words (type, state, identifier), a word of flags (0x01 popup, 0x80
//   last), a string aligned to 2, then aligned to 4 a popup's help
//   identifier and its items.
// - Dialog: DLGTEMPLATE is style, extended style (double words), item
//   count, x, y, cx, cy (words); DLGTEMPLATEEX begins with the words 1 and
//   0xFFFF, then help identifier, extended style, style, item count, x, y,
//   cx, cy.  Both go on with the menu and the class (strings or numbers),
//   the caption (a string) and, with DS_SETFONT (0x40; DS_SHELLFONT holds
//   it), a word of point size and, unless that is 0x7FFF (the system's
//   message font), for the extended form weight, italic and character set
//   (4 bytes), and the face name.  Each item is aligned to 4: DLGITEMTEMPLATE
//   is style, extended style, x, y, cx, cy, a word of identifier;
//   DLGITEMTEMPLATEEX is help identifier, extended style, style, x, y, cx,
//   cy, a double word of identifier.  Then the class and the text (strings
//   or numbers) and a word counting the creation data bytes after it.
// - Version: nested blocks of a word of length (the block with its
//   children), a word of value length, a word of type (1: text), a key
//   string, padding to 4, the value, padding to 4, the children.  The
//   root's children are StringFileInfo and VarFileInfo; StringFileInfo's
//   are string tables keyed by language and code page, whose children are
//   the strings: key and text value.
// - Message table: a double word of block count, blocks of lowest and
//   highest message number and the offset of their entries; the entries of
//   a block follow each other: a word of length (the whole entry), a word
//   of flags (0 ANSI, 1 UTF-16), the text with its terminator and padding.
#include "scan/resource_formats.h"

#include <algorithm>
#include <cstring>

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "EntryCursor reads UTF-16LE code units as the host's 16-bit integers"
#endif

namespace lex {
namespace res {

const uint8_t *EntryCursor::Bytes(uint32_t pos, uint32_t count)
{
    // Most entries fit the window whole: one read of the file each.
    if (pos < windowStart_ || pos - windowStart_ > windowLength_ ||
        count > windowLength_ - (pos - windowStart_)) {
        windowStart_ = pos;
        windowLength_ = std::min<uint32_t>(size_ - pos, kWindow);
        file_.Bytes(start_ + pos, window_, windowLength_);
    }
    return window_ + (pos - windowStart_);
}

uint16_t EntryCursor::Peek16(uint32_t pos)
{
    const uint8_t *b = Bytes(pos, 2);
    return static_cast<uint16_t>(b[0] | b[1] << 8);
}

uint16_t EntryCursor::U16()
{
    if (Left() < 2) {
        failed_ = true;
        return 0;
    }
    const uint16_t value = Peek16(pos_);
    pos_ += 2;
    return value;
}

uint32_t EntryCursor::U32()
{
    if (Left() < 4) {
        failed_ = true;
        return 0;
    }
    const uint8_t *b = Bytes(pos_, 4);
    pos_ += 4;
    return b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
}

void EntryCursor::Skip(uint32_t count)
{
    if (count > Left())
        failed_ = true;
    else
        pos_ += count;
}

void EntryCursor::Seek(uint32_t pos)
{
    if (failed_ || pos > size_)
        failed_ = true;
    else
        pos_ = pos;
}

void EntryCursor::AlignTo(uint32_t alignment)
{
    // Unsigned arithmetic wraps modulo 2^32, a multiple of the alignment.
    const uint32_t pad = (alignment - (rva_ + pos_) % alignment) % alignment;
    pos_ = pad > Left() ? size_ : pos_ + pad;
}

uint32_t EntryCursor::UnitsBefore(uint32_t end, bool *terminated)
{
    // A window at a time: the string's length is known only at its end,
    // and the entry may be larger than the window.
    const uint32_t available = (end - pos_) / 2;
    for (uint32_t n = 0; n < available;) {
        const uint32_t count = std::min(available - n, kWindow / 2);
        const uint8_t *b = Bytes(pos_ + 2 * n, 2 * count);
        for (uint32_t k = 0; k < count; ++k) {
            if ((b[2 * k] | b[2 * k + 1]) == 0) {
                *terminated = true;
                return n + k;
            }
        }
        n += count;
    }
    *terminated = false;
    return available;
}

ResourceText &EntryCursor::NewText(uint32_t pos, uint32_t size)
{
    texts_.emplace_back();
    ResourceText &text = texts_.back();
    text.offset = static_cast<uint32_t>(start_ + pos);
    text.size = size;
    text.kind = kind_;
    return text;
}

void EntryCursor::KeepUnits(uint32_t pos, uint32_t units)
{
    ResourceText &text = NewText(pos, 2 * units);
    text.units.resize(units);
    if (2 * units <= kWindow)
        std::memcpy(&text.units[0], Bytes(pos, 2 * units), 2 * units);
    else
        file_.Bytes(start_ + pos, &text.units[0], 2 * units);
}

void EntryCursor::ZeroString(bool keep, uint32_t end)
{
    if (failed_ || end > size_ || end < pos_) {
        failed_ = true;
        return;
    }
    bool terminated = false;
    const uint32_t units = UnitsBefore(end, &terminated);
    if (!terminated) {
        failed_ = true;
        return;
    }
    if (keep && units > 0)
        KeepUnits(pos_, units);
    pos_ += 2 * units + 2;
}

void EntryCursor::StringOrOrdinal(bool keep)
{
    if (Left() < 2) {
        failed_ = true;
        return;
    }
    if (Peek16(pos_) == 0xFFFF)
        Skip(4);
    else
        ZeroString(keep);
}

bool EntryCursor::ZeroStringIs(const char *ascii, uint32_t end)
{
    const uint32_t start = pos_;
    ZeroString(false, end);
    if (failed_)
        return false;
    const uint32_t units = (pos_ - start) / 2 - 1;
    if (units != std::strlen(ascii))
        return false;
    // Keys are short; longer strings never come this far.
    const auto upper = [](uint32_t c) { return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c; };
    for (uint32_t i = 0; i < units; ++i) {
        if (upper(Peek16(start + 2 * i)) != upper(static_cast<unsigned char>(ascii[i])))
            return false;
    }
    return true;
}

void EntryCursor::CountedString(uint32_t units)
{
    if (units > Left() / 2) {
        failed_ = true;
        return;
    }
    // A terminator that a resource compiler counted with the string is
    // not part of its text.
    uint32_t kept = units;
    while (kept > 0 && Peek16(pos_ + 2 * (kept - 1)) == 0)
        --kept;
    if (kept > 0)
        KeepUnits(pos_, kept);
    pos_ += 2 * units;
}

void EntryCursor::BoundedString(uint32_t end)
{
    if (failed_ || end > size_ || end < pos_) {
        failed_ = true;
        return;
    }
    bool terminated = false;
    const uint32_t units = UnitsBefore(end, &terminated);
    if (units > 0)
        KeepUnits(pos_, units);
    pos_ = end;
}

void EntryCursor::BoundedAnsi(uint32_t end)
{
    if (failed_ || end > size_ || end < pos_) {
        failed_ = true;
        return;
    }
    uint32_t length = 0;
    for (uint32_t at = pos_; at < end;) {
        const uint32_t count = std::min(end - at, kWindow);
        const uint8_t *b = Bytes(at, count);
        const void *zero = std::memchr(b, 0, count);
        if (zero) {
            length = at - pos_ + static_cast<uint32_t>(static_cast<const uint8_t *>(zero) - b);
            break;
        }
        at += count;
        length = at - pos_;
    }
    if (length > 0) {
        ResourceText &text = NewText(pos_, length);
        text.ansi = true;
        text.bytes.resize(length);
        file_.Bytes(start_ + pos_, &text.bytes[0], length);
    }
    pos_ = end;
}

namespace {

constexpr uint16_t kMfPopup = 0x10, kMfEnd = 0x80;
constexpr uint16_t kExPopup = 0x01, kExLast = 0x80;
constexpr uint32_t kDsSetFont = 0x40;
constexpr uint16_t kMessageFont = 0x7FFF;
constexpr uint16_t kDialogExVersion = 1, kDialogExSignature = 0xFFFF;
constexpr uint16_t kMessageAnsi = 0, kMessageUnicode = 1;
constexpr uint32_t kStringsPerBlock = 16;
// Header of a message table block: lowest and highest number, offset.
constexpr uint32_t kMessageBlock = 12;
// Header of a message table entry (length, flags) and of a version block
// (length, value length, type).
constexpr uint32_t kMessageEntryHeader = 4, kVersionHeader = 6;

// The items of a menu, standard or extended, to the last item of its top
// level.  No recursion: `open` holds, for each popup whose items are being
// read, whether that popup was the last item of its own level.  Each item
// takes at least 4 bytes, so the loop ends with the entry.
bool ReadMenuItems(EntryCursor &entry, bool extended)
{
    std::vector<bool> open;
    while (!entry.Failed()) {
        bool popup = false, last = false;
        if (extended) {
            entry.Skip(12); // type, state, identifier
            const uint16_t flags = entry.U16();
            entry.Align2();
            entry.ZeroString(true);
            entry.Align4();
            popup = flags & kExPopup;
            last = flags & kExLast;
            if (popup)
                entry.Skip(4); // help identifier
        } else {
            const uint16_t flags = entry.U16();
            popup = flags & kMfPopup;
            last = flags & kMfEnd;
            if (!popup)
                entry.Skip(2); // identifier
            entry.ZeroString(true);
        }
        if (entry.Failed())
            return false;
        if (popup) {
            open.push_back(last);
            continue;
        }
        if (!last)
            continue;
        // This item ends its level, and so each popup around it that was
        // the last of its own level ends that level too.
        for (;;) {
            if (open.empty())
                return true;
            const bool popupWasLast = open.back();
            open.pop_back();
            if (!popupWasLast)
                break;
        }
    }
    return false;
}

// Where a version block stands: the root (VS_VERSIONINFO), a child of the
// root (StringFileInfo or VarFileInfo), a string table, a string.
enum class VersionLevel { Root, FileInfo, Table, String };

// One version block that must end by `end`, and its children; the cursor
// moves to the next block after it.  The depth is that of the levels.
bool ReadVersionBlock(EntryCursor &entry, uint32_t end, VersionLevel level)
{
    const uint32_t start = entry.Pos();
    if (entry.Failed() || end - start < kVersionHeader)
        return false;
    const uint16_t length = entry.U16();
    const uint16_t valueLength = entry.U16();
    const uint16_t type = entry.U16();
    if (length < kVersionHeader || length > end - start)
        return false;
    const uint32_t blockEnd = start + length;

    // The key tells StringFileInfo from VarFileInfo; it is no text.
    const bool stringInfo = entry.ZeroStringIs("StringFileInfo", blockEnd);
    if (entry.Failed())
        return false;
    entry.Align4();

    if (level == VersionLevel::String) {
        // The value is the text up to its terminator; its length word is
        // not trusted (tools count bytes, units, or the terminator or not).
        if (entry.Pos() < blockEnd)
            entry.BoundedString(blockEnd);
    } else if (level != VersionLevel::FileInfo || stringInfo) {
        const uint32_t valueBytes = type == 1 ? 2u * valueLength : valueLength;
        if (entry.Pos() > blockEnd || valueBytes > blockEnd - entry.Pos())
            return false;
        entry.Skip(valueBytes);
        entry.Align4();
        const VersionLevel next = level == VersionLevel::Root       ? VersionLevel::FileInfo
                                  : level == VersionLevel::FileInfo ? VersionLevel::Table
                                                                    : VersionLevel::String;
        // Fewer bytes than a block header before the end are padding.
        while (!entry.Failed() && entry.Pos() < blockEnd &&
               blockEnd - entry.Pos() >= kVersionHeader) {
            if (!ReadVersionBlock(entry, blockEnd, next))
                return false;
        }
    }
    if (entry.Failed())
        return false;
    entry.Seek(blockEnd);
    entry.Align4();
    return !entry.Failed();
}

} // namespace

bool ReadStringBlock(EntryCursor &entry)
{
    for (uint32_t i = 0; i < kStringsPerBlock && !entry.Failed(); ++i) {
        // A block that ends after a whole string holds empty ones after it.
        if (entry.Left() == 0)
            break;
        entry.CountedString(entry.U16());
    }
    return !entry.Failed();
}

bool ReadMenu(EntryCursor &entry)
{
    const uint16_t version = entry.U16();
    const uint16_t header = entry.U16();
    if (entry.Failed() || version > 1)
        return false;
    // The standard form's header size and the extended form's offset both
    // count from the end of the second word.
    entry.Skip(header);
    return ReadMenuItems(entry, version == 1);
}

bool ReadDialog(EntryCursor &entry)
{
    const uint16_t first = entry.U16();
    const uint16_t second = entry.U16();
    const bool extended = first == kDialogExVersion && second == kDialogExSignature;
    uint32_t style = 0;
    if (extended) {
        entry.Skip(8); // help identifier, extended style
        style = entry.U32();
    } else {
        style = first | static_cast<uint32_t>(second) << 16;
        entry.Skip(4); // extended style
    }
    const uint16_t items = entry.U16();
    entry.Skip(8); // x, y, cx, cy
    entry.StringOrOrdinal(false); // menu
    entry.StringOrOrdinal(false); // class
    entry.ZeroString(true);       // caption
    if (style & kDsSetFont) {
        if (entry.U16() != kMessageFont) {
            if (extended)
                entry.Skip(4); // weight, italic, character set
            entry.ZeroString(false); // face name
        }
    }
    for (uint32_t i = 0; i < items && !entry.Failed(); ++i) {
        entry.Align4();
        entry.Skip(extended ? 12 : 8); // (help identifier,) styles
        entry.Skip(8);                 // x, y, cx, cy
        entry.Skip(extended ? 4 : 2);  // identifier
        entry.StringOrOrdinal(false);  // class
        entry.StringOrOrdinal(true);   // text
        entry.Skip(entry.U16());       // creation data
    }
    return !entry.Failed();
}

bool ReadMessageTable(EntryCursor &entry)
{
    const uint32_t blocks = entry.U32();
    if (entry.Failed() || blocks > entry.Left() / kMessageBlock)
        return false;
    // Honest entries lie apart and take 4 bytes at least: more entries than
    // that are blocks that share entries, which would multiply the work.
    uint32_t budget = entry.Size() / kMessageEntryHeader;
    for (uint32_t b = 0; b < blocks; ++b) {
        entry.Seek(4 + kMessageBlock * b);
        const uint32_t low = entry.U32();
        const uint32_t high = entry.U32();
        const uint32_t at = entry.U32();
        if (entry.Failed() || high < low || high - low >= budget)
            return false;
        const uint32_t count = high - low + 1;
        budget -= count;
        entry.Seek(at);
        for (uint32_t k = 0; k < count; ++k) {
            const uint32_t start = entry.Pos();
            const uint16_t length = entry.U16();
            const uint16_t flags = entry.U16();
            if (entry.Failed() || length < kMessageEntryHeader ||
                length - kMessageEntryHeader > entry.Left())
                return false;
            const uint32_t end = start + length;
            if (flags == kMessageAnsi)
                entry.BoundedAnsi(end);
            else if (flags == kMessageUnicode)
                entry.BoundedString(end);
            else
                return false;
        }
    }
    return !entry.Failed();
}

bool ReadVersion(EntryCursor &entry)
{
    return ReadVersionBlock(entry, entry.Size(), VersionLevel::Root);
}

} // namespace res
} // namespace lex
