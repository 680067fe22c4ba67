// The edge of the program's window procedures: whatever a handler throws is
// turned into the out-of-memory box and the procedure's failure result.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "Win/boundary_win.h"
#include "Win/msgbox_win.h"

namespace {

TEST(GuardedMessage, EveryExceptionBecomesTheOutOfMemoryBox)
{
    std::vector<std::string> boxes;
    lex::SetMessageBoxHook([&](const std::string &text, const std::string &caption, UINT type) {
        boxes.push_back(caption + "|" + text + "|" + std::to_string(type & MB_ICONMASK));
        return IDOK;
    });
    const std::string expected = "Lexprobe|メモリが不足しています.|" + std::to_string(MB_ICONSTOP);
    struct Case {
        const char *what;
        std::function<LRESULT()> body;
    } const cases[] = {
        {"out of memory", []() -> LRESULT { throw std::bad_alloc(); }},
        {"a text too long to hold", []() -> LRESULT {
             std::string text;
             text.reserve(text.max_size() + 1);
             return 1;
         }},
        {"anything else", []() -> LRESULT { throw 42; }},
    };
    for (const Case &c : cases) {
        boxes.clear();
        EXPECT_EQ(-7, lex::GuardedMessage<LRESULT>(-7, c.body)) << c.what;
        EXPECT_EQ(std::vector<std::string>{expected}, boxes) << c.what;
    }
    boxes.clear();
    EXPECT_EQ(5, lex::GuardedMessage<LRESULT>(-7, [] { return LRESULT(5); }));
    EXPECT_TRUE(boxes.empty());
    lex::SetMessageBoxHook(nullptr);
}

} // namespace
