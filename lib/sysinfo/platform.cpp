// Platform decisions from version numbers and texts.
#include "sysinfo/platform.h"

#include <cstdlib>
#include <cstring>

namespace loom {

const char *OsDisplayName(const OsVersion &v)
{
    switch (v.platform) {
    case kPlatformWin32s:
        return "Microsoft Windows 3.1 (Win32s)";
    case kPlatformWindows95: {
        const std::uint32_t build = v.build & 0xFFFF;
        if (v.major == 4 && v.minor == 0) {
            switch (build) {
            case 1111:
                return "Microsoft Windows 95 (OEM Service Release 2)";
            case 1212:
                return "Microsoft Windows 95 (OEM Service Release 2.1)";
            case 1214:
                return "Microsoft Windows 95 (OEM Service Release 2.5)";
            default:
                return "Microsoft Windows 95";
            }
        }
        if (v.major == 4 && v.minor == 10)
            return build == 2222 ? "Microsoft Windows 98 Second Edition" : "Microsoft Windows 98";
        return "Microsoft Windows Millennium Edition";
    }
    case kPlatformNt:
        if (v.major == 3 && v.minor == 51)
            return "Microsoft Windows NT 3.51";
        if (v.major == 4 && v.minor == 0)
            return "Microsoft Windows NT 4";
        if (v.major == 5 && v.minor == 0)
            return "Microsoft Windows 2000";
        if (v.major == 5 && v.minor == 1)
            return "Microsoft Windows XP";
        if (v.major == 5 && v.minor == 2)
            return "Microsoft Windows Server 2003";
        if (v.major == 6 && v.minor == 0)
            return v.build == 6000 ? "Microsoft Windows Vista" : "Microsoft Windows Server 2008";
        return "Microsoft Windows NT";
    default:
        return nullptr;
    }
}

unsigned CheckRequirement(int level, const OsVersion &v, const std::string &browserVersion)
{
    const bool win32s = v.platform == kPlatformWin32s;
    const bool nt = v.platform == kPlatformNt;
    bool basicCheck = true;
    if (level == 2) {
        if (win32s || v.major < 4 || (v.major == 4 && v.minor == 0))
            return kMsgNeedsWin98;
    } else if (level == 1) {
        if (win32s)
            return kMsgNeedsNt4;
        if (nt) {
            if (v.major <= 4)
                return kMsgNeedsNt4;
            // NT 5 and later meet every platform rule of the basic level.
            basicCheck = false;
        }
    }
    if (basicCheck && (win32s || (nt && v.major < 4)))
        return kMsgNeedsWin32sNt351;
    // The version text reads as a decimal number up to its second dot:
    // "5.50.4134.100" is 5.5.  A text that is no number reads as 0.
    if (std::strtod(browserVersion.c_str(), nullptr) < 4.71)
        return kMsgNeedsBrowser;
    return kRequirementMet;
}

bool CaptionBeginsWith(const char *caption, const char *title, LeadByteFn isLead)
{
    const std::size_t length = std::strlen(title);
    if (std::strncmp(caption, title, length) != 0)
        return false;
    // Equal bytes: the match still fails when its last byte is the lead byte
    // of one of the caption's characters.
    std::size_t at = 0;
    while (at < length)
        at += isLead(static_cast<unsigned char>(caption[at])) && caption[at + 1] ? 2 : 1;
    return at == length;
}

} // namespace loom
