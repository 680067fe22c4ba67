// Member names of the three archive formats.
#include "archive/member_name.h"

#include "util/strlist.h"

#include <cstring>

namespace loom::archive {

namespace {

bool IsSeparator(char c)
{
    return c == '/' || c == '\\' || c == ':';
}

// Device names that Windows resolves in any folder, with or without an
// extension: writing to them would reach the device, not a file.
bool IsDeviceName(const std::string &name)
{
    static const char *const kDevices[] = {"con",  "prn",  "aux",  "nul",  "com1", "com2",
                                           "com3", "com4", "com5", "com6", "com7", "com8",
                                           "com9", "lpt1", "lpt2", "lpt3", "lpt4", "lpt5",
                                           "lpt6", "lpt7", "lpt8", "lpt9", "conin$", "conout$"};
    std::string stem = name.substr(0, name.find('.'));
    // Trailing spaces are dropped by the file system too: "nul .txt".
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    for (const char *device : kDevices)
        if (MbEqualsIgnoreCase(stem.c_str(), device, NoLeadBytes))
            return true;
    return false;
}

// The name without its incomplete double-byte characters: a lead byte
// followed by NUL or by a byte below 0x40 (a dot, a space, a separator),
// which no double-byte code page takes as a second byte.  How a file system
// reads such a byte differs (it may drop it, or take it with the byte after
// it), so it is dropped here and every later test sees the bytes that reach
// the file system.
std::string WithoutIncompleteCharacters(const char *name, LeadByteFn isLead)
{
    std::string kept;
    for (const char *p = name; *p; ++p) {
        const auto next = static_cast<unsigned char>(p[1]);
        if (isLead(static_cast<unsigned char>(*p))) {
            if (next < 0x40)
                continue;
            kept += *p++;
        }
        kept += *p;
    }
    return kept;
}

} // namespace

const char *BaseName(const char *name, LeadByteFn isLead)
{
    const char *base = name;
    for (const char *p = name; *p;) {
        const auto byte = static_cast<unsigned char>(*p);
        if (isLead(byte) && p[1] != '\0') {
            p += 2;
            continue;
        }
        if (IsSeparator(*p) && p[1] != '\0' && p[1] != '\\')
            base = p + 1;
        ++p;
    }
    return base;
}

bool NamesFolder(const char *name, LeadByteFn isLead)
{
    // A separator that BaseName left in place ends the name.
    for (const char *p = BaseName(name, isLead); *p;) {
        const std::size_t length = CharLength(p, isLead);
        if (length == 1 && IsSeparator(*p))
            return true;
        p += length;
    }
    return false;
}

std::string SafeMemberName(const char *name, LeadByteFn isLead)
{
    const std::string whole = WithoutIncompleteCharacters(name, isLead);
    if (NamesFolder(whole.c_str(), isLead))
        return std::string();
    std::string base = BaseName(whole.c_str(), isLead);
    // What the file system drops at the end: dots and spaces.  Whole
    // characters are walked from the start, so the second byte of a
    // double-byte character is never taken for one.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < base.size();) {
        const std::size_t length = CharLength(base.c_str() + i, isLead);
        const auto byte = static_cast<unsigned char>(base[i]);
        const bool dropped = length == 1 && (byte == '.' || byte == ' ');
        i += length;
        if (!dropped)
            kept = i;
    }
    base.resize(kept);
    if (base.empty() || IsDeviceName(base))
        return std::string();
    return base;
}

bool NameListAccepts(const StrList *list, const char *name, LeadByteFn isLead)
{
    if (!list)
        return true;
    const int count = StrListCount(list);
    for (int i = 1; i <= count; ++i)
        if (MbEqualsIgnoreCase(StrListItem(list, i), name, isLead))
            return true;
    return false;
}

void SetEntryName(char (&field)[ARCHIVE_TEXT_SIZE], const char *text, std::size_t length)
{
    if (length > ARCHIVE_TEXT_SIZE - 1)
        length = ARCHIVE_TEXT_SIZE - 1;
    std::memcpy(field, text, length);
    field[length] = '\0';
}

} // namespace loom::archive
