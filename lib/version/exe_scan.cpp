// The content scan: DLL names that appear anywhere in a file's bytes, the
// modules it may load by name.  Every ".dll" in any letter case is looked
// at, as single-byte text and as UTF-16 little-endian text, with up to eight
// name characters before it.
//
// The file is read in blocks, each with enough of its neighbours around it
// (the name before a ".dll", the rest of a UTF-16 ".dll" after its dot) that
// every position is judged as in the whole file, without holding the whole
// file in memory.
#include "version/exe.h"

#include "util/ascii.h"
#include "util/mbcs.h"
#include "util/path.h"
#include "util/strlist.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <set>
#include <string>
#include <vector>

namespace loom {
namespace {

constexpr std::size_t kBlock = 1 << 20;
constexpr int kMaxNameChars = 8;
// Bytes before a dot that a UTF-16 name may take, and the bytes of ".dll"
// in UTF-16 from the dot on.
constexpr std::size_t kBefore = 2 * kMaxNameChars;
constexpr std::size_t kAfter = 8;
// A kept name is longer than this: a one-character name is too short.
constexpr std::size_t kMinLength = 5;
// A UTF-16 name in the ANSI code page is at most this long.
constexpr std::size_t kMaxConverted = 24;

// ".dll" in any letter case, byte by byte.
bool IsChar(unsigned char c, char lower)
{
    return UpperAscii(c) == UpperAscii(static_cast<unsigned char>(lower));
}

std::string PlainConversion(const std::u16string &name)
{
    std::string text;
    for (char16_t unit : name)
        text += unit < 0x80 ? static_cast<char>(unit) : '?';
    return text;
}

class Scanner {
public:
    Scanner(const ExeInfo *info, const ExeHooks &hooks)
        : hooks_(hooks), path_(ExePath(info)),
          module_(info->ModuleName, strnlen(info->ModuleName, EXEINFO_TEXT_SIZE - 1)),
          found_(hooks.isLead)
    {
        own_ = ExtractFileName(path_.c_str(), hooks_.isLead);
    }

    // Looks at every position of [from, to) in `bytes`, which holds the
    // file's bytes from `base` on.
    void ScanBlock(const std::uint8_t *bytes, std::size_t length, std::uint64_t base,
                   std::uint64_t from, std::uint64_t to)
    {
        const std::uint8_t *end = bytes + length;
        for (const std::uint8_t *p = bytes + (from - base); p < bytes + (to - base); ++p) {
            p = static_cast<const std::uint8_t *>(std::memchr(p, '.', bytes + (to - base) - p));
            if (!p)
                break;
            if (end - p >= 4 && IsChar(p[1], 'd') && IsChar(p[2], 'l') && IsChar(p[3], 'l'))
                NarrowName(bytes, p);
            if (end - p >= 8 && p[1] == 0 && IsChar(p[2], 'd') && p[3] == 0 &&
                IsChar(p[4], 'l') && p[5] == 0 && IsChar(p[6], 'l') && p[7] == 0)
                WideName(bytes, p);
        }
    }

    // Every kept name, sorted: a name the file repeats a million times
    // takes the memory of one.
    const NameTally &Found() const { return found_; }

private:
    void NarrowName(const std::uint8_t *begin, const std::uint8_t *dot)
    {
        std::string name;
        bool letter = false;
        for (int k = 1; k <= kMaxNameChars && dot - k >= begin; ++k) {
            unsigned char c = dot[-k];
            if (!DllNameChar(c, letter))
                break;
            letter = letter || IsAsciiLetter(c);
            name.insert(name.begin(), static_cast<char>(c));
        }
        Consider(name + ".dll");
    }

    void WideName(const std::uint8_t *begin, const std::uint8_t *dot)
    {
        std::u16string name;
        bool letter = false;
        for (int k = 1; k <= kMaxNameChars && dot - 2 * k >= begin; ++k) {
            const std::uint8_t *unit = dot - 2 * k;
            if (unit[1] != 0 || !DllNameChar(unit[0], letter))
                break;
            letter = letter || IsAsciiLetter(unit[0]);
            name.insert(name.begin(), static_cast<char16_t>(unit[0]));
        }
        name += u".dll";
        std::string text = hooks_.utf16ToAnsi ? hooks_.utf16ToAnsi(name) : PlainConversion(name);
        std::string bounded(kMaxConverted + 1, '\0');
        bounded.resize(CopyBounded(&bounded[0], text.c_str(), kMaxConverted, hooks_.isLead));
        Consider(bounded);
    }

    void Consider(std::string name)
    {
        if (hooks_.pump && ++seen_ % 10 == 0)
            hooks_.pump();
        if (name.size() <= kMinLength)
            return;
        if (!module_.empty() && StartsWithIgnoreCase(name.c_str(), module_.c_str(), hooks_.isLead))
            return;
        if (MbEqualsIgnoreCase(name.c_str(), own_, hooks_.isLead))
            return;
        LowerAscii(name, hooks_.isLead);
        found_.Add(std::move(name));
    }

    const ExeHooks &hooks_;
    std::string path_;
    const char *own_;
    std::string module_;
    unsigned seen_ = 0;
    NameTally found_;
};

} // namespace

bool DllNameChar(unsigned char c, bool letterAccepted)
{
    if (IsAsciiLetter(c) || (c >= '0' && c <= '9') || c == '_')
        return true;
    return !letterAccepted && c >= 0xA6 && c <= 0xDF;
}

void ScanForDlls(ExeInfo *info, ByteSource &file, const ExeHooks &hooks)
{
    Scanner scanner(info, hooks);
    const std::uint64_t size = file.Size();
    std::vector<std::uint8_t> buffer;
    for (std::uint64_t from = 0; from < size; from += kBlock) {
        const std::uint64_t to = std::min<std::uint64_t>(size, from + kBlock);
        const std::uint64_t base = from >= kBefore ? from - kBefore : 0;
        const std::uint64_t limit = std::min<std::uint64_t>(size, to + kAfter);
        buffer.assign(static_cast<std::size_t>(limit - base), 0);
        // What a failed read does not deliver stays zero and matches nothing.
        file.ReadAt(base, buffer.data(), buffer.size());
        scanner.ScanBlock(buffer.data(), buffer.size(), base, from, to);
        if (hooks.pump)
            hooks.pump();
    }

    std::set<std::string> imported;
    for (const StrListNode *node = info->ImportedDlls.first; node; node = node->next)
        imported.insert(node->text);
    std::vector<const char *> kept;
    scanner.Found().ForEach([&](const std::string &name, std::size_t) {
        if (!imported.count(name))
            kept.push_back(name.c_str());
    });
    if (!StrListAddAll(&info->FoundDlls, kept.data(), kept.size()))
        throw std::bad_alloc();
}

} // namespace loom
