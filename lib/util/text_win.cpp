// Text filter and size formatting exports.
#include "util/boundary.h"
#include "util/libtext.h"
#include "util/loomutil.h"
#include "util/text.h"

#include <cstring>

namespace {

// What FormatFileSize may write, its terminating NUL included.
constexpr std::size_t kSizeTextBytes = 13;
// The slot of one unit name: longer names are cut.
constexpr std::size_t kUnitNameBytes = 20;

} // namespace

extern "C" {

char *__cdecl szURLEncode(char *text)
{
    if (loom::NullArgument(text))
        return text;
    return loom::CallGuarded(text, [&] { return loom::UrlEncode(text); });
}

char *__cdecl szDeleteRetTab(char *text)
{
    if (loom::NullArgument(text))
        return text;
    return loom::CallGuarded(text, [&] { return loom::DeleteRetTab(text); });
}

char *__cdecl szDeleteRetTabCtrl(char *text)
{
    if (loom::NullArgument(text))
        return text;
    return loom::CallGuarded(text, [&] { return loom::DeleteRetTabCtrl(text); });
}

char *__cdecl FormatFileSize(DWORD low, DWORD high, char *out)
{
    if (loom::NullArgument(out))
        return out;
    out[0] = '\0';
    // Without memory for the texts the result is the empty text.
    return loom::CallGuarded(out, [&] {
        // The unit names are messages 46 to 50 of the library's string
        // table, loaded on every call.
        loom::SizeUnits units;
        for (unsigned unit = 0; unit < 5; ++unit) {
            units.names[unit] = LoadLibText(46 + unit);
            if (units.names[unit].size() >= kUnitNameBytes)
                units.names[unit].resize(kUnitNameBytes - 1);
        }
        std::string text = loom::FormatFileSize(std::uint64_t(high) << 32 | low, units);
        // With the library's own names the text is at most 12 bytes; the
        // bound holds whatever the string table says.
        std::size_t length = text.size() < kSizeTextBytes ? text.size() : kSizeTextBytes - 1;
        std::memcpy(out, text.data(), length);
        out[length] = '\0';
        return out;
    });
}

} // extern "C"
