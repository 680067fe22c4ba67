// The library's message table and both version resources, read back through
// the system as a caller sees them (code page 932).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Message(HMODULE module, unsigned id)
{
    char buffer[1024] = {};
    int n = LoadStringA(module, id, buffer, sizeof buffer);
    return std::string(buffer, n > 0 ? n : 0);
}

TEST(Resources, LibraryMessagesAreShiftJis)
{
    HMODULE lib = LoadLibraryA("loomlib.dll");
    ASSERT_NE(nullptr, lib);
    EXPECT_EQ("エラー", Message(lib, 33));
    EXPECT_EQ(" バイト", Message(lib, 46));
    EXPECT_EQ(" TB", Message(lib, 50));
    EXPECT_EQ("システム情報:\r\n", Message(lib, 4));
    EXPECT_EQ("物理メモリ (空き/総容量):\t%s/%s (%d%%)\r\n", Message(lib, 5));
    EXPECT_EQ("カタログをダウンロードできません。", Message(lib, 102));
    // Every message the library quotes exists; 40 is the one unused number.
    for (unsigned id = 1; id <= 52; ++id) {
        if (id != 40) {
            EXPECT_FALSE(Message(lib, id).empty()) << "message " << id;
        }
    }
    for (unsigned id = 100; id <= 102; ++id)
        EXPECT_FALSE(Message(lib, id).empty()) << "message " << id;
    FreeLibrary(lib);
}

} // namespace
