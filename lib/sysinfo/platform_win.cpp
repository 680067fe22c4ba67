// Platform exports: the browser component's version, the name of the
// running Windows, the administrator test, the platform requirement test
// and the running-instance search.  The decisions live in platform.cpp.
#include <windows.h>

#include <string>
#include <vector>

#include "sysinfo/loomsys.h"
#include "sysinfo/messages.h"
#include "sysinfo/platform.h"
#include "sysinfo/platform_win.h"
#include "util/boundary.h"
#include "util/handles_win.h"
#include "util/libtext.h"
#include "util/loomutil.h"
#include "util/mbcs.h"

namespace {

constexpr const char *kBrowserKey = "Software\\Microsoft\\Internet Explorer";
// The longest version text read for the requirement test.
constexpr int kBrowserVersionBytes = 255;
// The longest caption compared by the running-instance search.
constexpr int kCaptionBytes = 128;

// Whether the token's enabled groups hold the built-in Administrators
// group.
bool TokenHasAdministrators(HANDLE token)
{
    // S-1-5-32-544, built in place: nothing to allocate or free.
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    BYTE sidBytes[SECURITY_MAX_SID_SIZE];
    PSID administrators = sidBytes;
    if (!InitializeSid(administrators, &nt, 2))
        return false;
    *GetSidSubAuthority(administrators, 0) = SECURITY_BUILTIN_DOMAIN_RID;
    *GetSidSubAuthority(administrators, 1) = DOMAIN_ALIAS_RID_ADMINS;

    DWORD size = 0;
    GetTokenInformation(token, TokenGroups, nullptr, 0, &size);
    if (size == 0)
        return false;
    std::vector<BYTE> bytes(size);
    if (!GetTokenInformation(token, TokenGroups, bytes.data(), size, &size))
        return false;
    const TOKEN_GROUPS *groups = reinterpret_cast<const TOKEN_GROUPS *>(bytes.data());
    for (DWORD i = 0; i < groups->GroupCount; ++i) {
        const SID_AND_ATTRIBUTES &group = groups->Groups[i];
        if (EqualSid(group.Sid, administrators) &&
            (group.Attributes & (SE_GROUP_ENABLED | SE_GROUP_ENABLED_BY_DEFAULT)))
            return true;
    }
    return false;
}

// One search for a running instance: what it looks for and what it found.
struct InstanceSearch {
    const char *title;
    std::string helpCaption;
    bool found = false;
};

BOOL CALLBACK FindInstance(HWND window, LPARAM context)
{
    InstanceSearch &search = *reinterpret_cast<InstanceSearch *>(context);
    return loom::CallGuarded(FALSE, [&]() -> BOOL {
        if (!IsWindowVisible(window))
            return TRUE;
        char caption[kCaptionBytes] = "";
        GetWindowTextA(window, caption, sizeof caption);
        if (!loom::CaptionBeginsWith(caption, search.title, loom::SystemLeadByte))
            return TRUE;
        // The program's own help window carries the title too.
        if (search.helpCaption == caption)
            return TRUE;
        search.found = true;
        if (IsIconic(window))
            ShowWindow(window, SW_RESTORE);
        SetForegroundWindow(window);
        return FALSE;
    });
}

} // namespace

namespace loom {

OsVersion ReadOsVersion(OSVERSIONINFOA *record)
{
    OSVERSIONINFOA local;
    OSVERSIONINFOA &v = record ? *record : local;
    ZeroMemory(&v, sizeof v);
    v.dwOSVersionInfoSize = sizeof v;
    GetVersionExA(&v);
    OsVersion version;
    version.platform = v.dwPlatformId;
    version.major = v.dwMajorVersion;
    version.minor = v.dwMinorVersion;
    version.build = v.dwBuildNumber;
    return version;
}

} // namespace loom

extern "C" {

char *__cdecl GetIEVersion(char *buffer, int size)
{
    return loom::CallGuarded(buffer, [&] {
        if (buffer && size > 0)
            RegReadString(HKEY_LOCAL_MACHINE, kBrowserKey, "Version", buffer,
                          static_cast<DWORD>(size));
        return buffer;
    });
}

const char *__cdecl OSName(const OSVERSIONINFOA *version)
{
    return loom::CallGuarded(static_cast<const char *>(""), [&] {
        if (version) {
            loom::OsVersion v;
            v.platform = version->dwPlatformId;
            v.major = version->dwMajorVersion;
            v.minor = version->dwMinorVersion;
            v.build = version->dwBuildNumber;
            if (const char *name = loom::OsDisplayName(v))
                return name;
        }
        return ConstantLibText(11);
    });
}

int __cdecl IsAdminRunning(void)
{
    return loom::CallGuarded(0, [] {
        // Platforms without security: everybody may do everything.
        if (loom::ReadOsVersion(nullptr).platform != loom::kPlatformNt)
            return 1;
        const DWORD access = STANDARD_RIGHTS_READ | TOKEN_QUERY | TOKEN_DUPLICATE;
        loom::KernelObject token;
        if (!OpenThreadToken(GetCurrentThread(), access, TRUE, token.out()) &&
            !OpenProcessToken(GetCurrentProcess(), access, token.out()))
            return 0;
        return TokenHasAdministrators(token.get()) ? 1 : 0;
    });
}

int __cdecl IsValidOSEx(int level, int show)
{
    return loom::CallGuarded(0, [&] {
        char browser[kBrowserVersionBytes];
        GetIEVersion(browser, sizeof browser);
        const unsigned message =
            loom::CheckRequirement(level, loom::ReadOsVersion(nullptr), browser);
        if (message == loom::kRequirementMet)
            return 1;
        if (show) {
            // Both texts pass through the one message buffer: the caption
            // is copied before the text is loaded.
            const std::string caption = LoadLibText(33);
            MessageBoxA(nullptr, LoadLibText(message), caption.c_str(), MB_OK | MB_ICONERROR);
        }
        return 0;
    });
}

int __cdecl IsValidOS(int level)
{
    return IsValidOSEx(level, 1);
}

int __cdecl IsInvoked(const char *title)
{
    return loom::CallGuarded(0, [&] {
        // An empty title would match every window: no instance to look for.
        if (!title || !*title)
            return 0;
        InstanceSearch search;
        search.title = title;
        search.helpCaption = loom::FormatText(LoadLibText(38), title);
        EnumWindows(FindInstance, reinterpret_cast<LPARAM>(&search));
        return search.found ? 1 : 0;
    });
}

} // extern "C"
