// Platform decisions that depend only on the version numbers and texts the
// platform reports: the display name of a Windows version, whether a
// version meets a program's requirement, and the caption test of the
// running-instance search.
#pragma once

#include <cstdint>
#include <string>

#include "util/mbcs.h"

namespace loom {

// Platform identifiers of the version record.
enum : std::uint32_t {
    kPlatformWin32s = 0,
    kPlatformWindows95 = 1, // only the low 16 bits of the build are the build
    kPlatformNt = 2,
};

struct OsVersion {
    std::uint32_t platform = kPlatformNt;
    std::uint32_t major = 0, minor = 0, build = 0;
};

// The display name of a version, or null for a platform the table does not
// know (the caller then shows its "unknown" message).
const char *OsDisplayName(const OsVersion &version);

// Why a platform fails a program's requirement: the message to show, or
// kRequirementMet.  `level` 2 excludes Windows 95 and NT 4.0 and older, 1
// excludes NT 4.0 and older, any other value only Win32s and NT 3.x; every
// level needs a browser component of version 4.71 or later, read as the
// leading decimal number of `browserVersion` (a missing version reads 0).
enum : unsigned {
    kRequirementMet = 0,
    kMsgNeedsWin32sNt351 = 34,   // Win32s and NT 3.51 excluded
    kMsgNeedsNt4 = 35,           // Win32s and NT 3.51/4.0 excluded
    kMsgNeedsBrowser = 39,       // browser component older than 4.71
    kMsgNeedsWin98 = 45,         // Win32s, Windows 95 and NT 3.51/4.0 excluded
};
unsigned CheckRequirement(int level, const OsVersion &version, const std::string &browserVersion);

// Whether a window caption begins with `title`, byte for byte, without the
// end of `title` falling between the two bytes of one of the caption's
// double-byte characters.
bool CaptionBeginsWith(const char *caption, const char *title, LeadByteFn isLead);

} // namespace loom
