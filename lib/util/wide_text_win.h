// Text between a code page and UTF-16, for the file functions' wide forms.
#pragma once

#include <windows.h>

#include <string>

namespace loom {

// Text of a code page (CP_ACP, CP_UTF8) as UTF-16.  With
// MB_ERR_INVALID_CHARS in flags, text that is not valid in the code page
// gives an empty result; without it, the conversion the ANSI file functions
// make.
inline std::wstring Widen(const std::string &text, UINT codePage, DWORD flags = 0)
{
    if (text.empty())
        return std::wstring();
    const int length =
        MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), &wide[0],
                        length);
    return wide;
}

// UTF-16 text in the process's ANSI code page.
inline std::string NarrowAnsi(const std::wstring &wide)
{
    if (wide.empty())
        return std::string();
    const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return std::string();
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &text[0], length,
                        nullptr, nullptr);
    return text;
}

} // namespace loom
