// The library's string table read back through the system as a caller sees
// it: every message says in code page 932 what the table's source says.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "lib_messages.h"

namespace {

std::wstring Wide(UINT codePage, const std::string &bytes, DWORD flags = 0)
{
    std::wstring wide(bytes.size(), L'\0');
    const int n = MultiByteToWideChar(codePage, flags, bytes.data(), int(bytes.size()), &wide[0],
                                      int(wide.size()));
    wide.resize(n > 0 ? n : 0);
    return wide;
}

TEST(Resources, LibraryMessagesAreShiftJis)
{
    HMODULE lib = LoadLibraryA("loomlib.dll");
    ASSERT_NE(nullptr, lib);
    ASSERT_EQ(932u, GetACP());
    for (const auto &[id, text] : testsupport::LibMessages()) {
        char ansi[1024] = "", back[1024] = "";
        const std::string bytes(ansi, std::max(0, LoadStringA(lib, id, ansi, sizeof ansi)));
        // Strict code page 932 that means the source's text and converts
        // back to the same bytes.
        const std::wstring wide = Wide(932, bytes, MB_ERR_INVALID_CHARS);
        EXPECT_FALSE(wide.empty()) << "message " << id;
        EXPECT_EQ(Wide(CP_UTF8, text), wide) << "message " << id;
        BOOL lossy = FALSE;
        const int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), int(wide.size()),
                                          back, sizeof back, nullptr, &lossy);
        EXPECT_EQ(bytes, std::string(back, std::max(0, n))) << "message " << id;
        EXPECT_FALSE(lossy) << "message " << id;
    }
    // Every message the library quotes exists; 40 is the one unused number.
    for (unsigned id = 1; id <= 102; id = id == 52 ? 100 : id + 1) {
        if (id != 40) {
            EXPECT_EQ(1u, testsupport::LibMessages().count(id)) << "message " << id;
        }
    }
    FreeLibrary(lib);
}

} // namespace
