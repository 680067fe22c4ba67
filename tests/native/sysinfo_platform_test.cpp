// Windows version names, the platform requirement levels and the caption
// test of the running-instance search.
#include "sysinfo/platform.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace loom;

OsVersion Os(std::uint32_t platform, std::uint32_t major, std::uint32_t minor,
             std::uint32_t build)
{
    OsVersion v;
    v.platform = platform;
    v.major = major;
    v.minor = minor;
    v.build = build;
    return v;
}

TEST(OsDisplayName, EveryRow)
{
    struct Case {
        OsVersion v;
        const char *name; // null: the unknown message
    } cases[] = {
        {Os(0, 3, 10, 0), "Microsoft Windows 3.1 (Win32s)"},
        {Os(0, 5, 1, 2600), "Microsoft Windows 3.1 (Win32s)"},
        // Windows 95 family: only the low 16 bits of the build count.
        {Os(1, 4, 0, 0x04000457), "Microsoft Windows 95 (OEM Service Release 2)"}, // 1111
        {Os(1, 4, 0, 1111), "Microsoft Windows 95 (OEM Service Release 2)"},
        {Os(1, 4, 0, 1212), "Microsoft Windows 95 (OEM Service Release 2.1)"},
        {Os(1, 4, 0, 0x040004BE), "Microsoft Windows 95 (OEM Service Release 2.5)"}, // 1214
        {Os(1, 4, 0, 0x040003B6), "Microsoft Windows 95"},                          // 950
        {Os(1, 4, 0, 0x00010457), "Microsoft Windows 95 (OEM Service Release 2)"},
        {Os(1, 4, 10, 0x040A08AE), "Microsoft Windows 98 Second Edition"}, // 2222
        {Os(1, 4, 10, 0x040A07CE), "Microsoft Windows 98"},                // 1998
        {Os(1, 4, 90, 3000), "Microsoft Windows Millennium Edition"},
        {Os(1, 5, 0, 1111), "Microsoft Windows Millennium Edition"},
        {Os(2, 3, 51, 1057), "Microsoft Windows NT 3.51"},
        {Os(2, 3, 10, 528), "Microsoft Windows NT"},
        {Os(2, 4, 0, 1381), "Microsoft Windows NT 4"},
        {Os(2, 5, 0, 2195), "Microsoft Windows 2000"},
        {Os(2, 5, 1, 2600), "Microsoft Windows XP"},
        {Os(2, 5, 2, 3790), "Microsoft Windows Server 2003"},
        {Os(2, 6, 0, 6000), "Microsoft Windows Vista"},
        {Os(2, 6, 0, 6001), "Microsoft Windows Server 2008"},
        {Os(2, 6, 0, 6002), "Microsoft Windows Server 2008"},
        {Os(2, 6, 1, 7601), "Microsoft Windows NT"},
        {Os(2, 10, 0, 19045), "Microsoft Windows NT"},
        {Os(3, 5, 1, 2600), nullptr},
        {Os(0xFFFFFFFF, 4, 0, 950), nullptr},
    };
    for (const auto &c : cases) {
        const char *name = OsDisplayName(c.v);
        EXPECT_EQ(c.name ? std::string(c.name) : "<null>", name ? std::string(name) : "<null>")
            << c.v.platform << " " << c.v.major << "." << c.v.minor << " " << c.v.build;
    }
}

TEST(CheckRequirement, LevelsPlatformsAndBrowser)
{
    const OsVersion win32s = Os(0, 3, 10, 0), win95 = Os(1, 4, 0, 950),
                    win98 = Os(1, 4, 10, 1998), nt351 = Os(2, 3, 51, 1057),
                    nt4 = Os(2, 4, 0, 1381), win2000 = Os(2, 5, 0, 2195),
                    win7 = Os(2, 6, 1, 7601);
    struct Case {
        int level;
        OsVersion v;
        std::string browser;
        unsigned message;
    } cases[] = {
        // Level 2.
        {2, win98, "5.0", kRequirementMet},
        {2, nt4, "6.0", kMsgNeedsWin98},
        {2, win95, "6.0", kMsgNeedsWin98},
        {2, win32s, "6.0", kMsgNeedsWin98},
        {2, nt351, "6.0", kMsgNeedsWin98},
        {2, win2000, "5.50.4134.100", kRequirementMet},
        {2, win2000, "4.70", kMsgNeedsBrowser},
        // Level 1: NT from 5 on skips the basic platform check.
        {1, nt4, "6.0", kMsgNeedsNt4},
        {1, nt351, "6.0", kMsgNeedsNt4},
        {1, win32s, "6.0", kMsgNeedsNt4},
        {1, win95, "4.72", kRequirementMet},
        {1, win95, "4.70", kMsgNeedsBrowser},
        {1, win7, "8.0.7601.17514", kRequirementMet},
        {1, win7, "", kMsgNeedsBrowser},
        // Basic level: any other value.
        {0, nt351, "6.0", kMsgNeedsWin32sNt351},
        {0, win32s, "6.0", kMsgNeedsWin32sNt351},
        {-7, nt351, "6.0", kMsgNeedsWin32sNt351},
        {3, nt4, "4.71", kRequirementMet},
        {0, win2000, "4.70", kMsgNeedsBrowser},
        {0, win95, "4.71", kRequirementMet},
        // The version is the leading decimal number; no number reads 0.
        {0, win7, "5.50.4134.100", kRequirementMet},
        {0, win7, "4.7", kMsgNeedsBrowser},
        {0, win7, "  11.0", kRequirementMet},
        {0, win7, "unknown", kMsgNeedsBrowser},
        {0, win7, "", kMsgNeedsBrowser},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.message, CheckRequirement(c.level, c.v, c.browser))
            << "level " << c.level << " platform " << c.v.platform << " " << c.v.major << "."
            << c.v.minor << " browser '" << c.browser << "'";
}

TEST(CaptionBeginsWith, BytesWithoutSplittingACharacter)
{
    // ソフト in Shift-JIS: the second byte of ソ is a backslash.
    const std::string soft = "\x83\x5C\x83\x74\x83\x67";
    struct Case {
        std::string caption, title;
        bool match;
    } cases[] = {
        {"Lexprobe", "Lexprobe", true},
        {"Lexprobe - sample.bin", "Lexprobe", true},
        {"Lexprob", "Lexprobe", false},
        {"lexprobe", "Lexprobe", false},
        {soft + " 1.0", soft, true},
        {soft, "\x83\x5C", true},
        {soft, "\x83", false},              // would end inside ソ
        {"a" + soft, "a\x83\x5C\x83", false},
        {"\x83\x5C", "\x83\x5C\x83", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.match, CaptionBeginsWith(c.caption.c_str(), c.title.c_str(), IsShiftJisLeadByte))
            << c.caption << " / " << c.title;
    // Under a single-byte code page the same bytes are separate characters.
    EXPECT_TRUE(CaptionBeginsWith(soft.c_str(), "\x83", NoLeadBytes));
}

} // namespace
