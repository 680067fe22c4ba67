// Mail links handed to the shell.  Wine's shell copies a "mailto:" link,
// with the mail program's command around it, into a buffer of 1,024
// characters without checking its length and kills the calling process;
// Windows passes long links to the mail program whole.  So under Wine, and
// only there, a mail link is cut to what that buffer takes.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "util/ascii.h"
#include "util/text.h"

namespace loom {

// The longest mail link Wine's shell takes with room to spare.
constexpr std::size_t kWineMailLinkLimit = 900;

// Whether this process runs under Wine: its ntdll carries wine_get_version.
inline bool RunningOnWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// `link` as the shell can take it: any link whole on Windows; under Wine a
// "mailto:" link longer than kWineMailLinkLimit bytes ends after the last
// whole line of its query that fits, or else before its last space, so
// that the mail's body is not cut inside a word; a query without either
// ends at the last whole escape or character that fits.
inline std::string ShellSafeLink(const std::string &link, bool onWine = RunningOnWine())
{
    if (!onWine || link.size() <= kWineMailLinkLimit)
        return link;
    constexpr char kMailScheme[] = "MAILTO:";
    for (std::size_t i = 0; i + 1 < sizeof kMailScheme; ++i)
        if (UpperAscii(link[i]) != kMailScheme[i])
            return link;
    const std::string fits = link.substr(0, WholeEncodedLength(link, kWineMailLinkLimit));
    const std::size_t query = fits.find('?');
    if (query == std::string::npos)
        return fits;
    const std::size_t lineEnd = fits.rfind("%0A");
    if (lineEnd != std::string::npos && lineEnd > query)
        return fits.substr(0, lineEnd + 3);
    const std::size_t space = fits.rfind("%20");
    if (space != std::string::npos && space > query)
        return fits.substr(0, space);
    return fits;
}

} // namespace loom
