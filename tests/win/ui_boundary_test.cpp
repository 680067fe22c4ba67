// The edge of the program's window procedures: whatever a handler throws is
// turned into the program's error box and the procedure's failure result.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/boundary_win.h"
#include "ui/msgbox_win.h"

namespace {

TEST(GuardedMessage, ExceptionsOtherThanProgramErrorsBecomeTheOutOfMemoryBox)
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

// An error the program raises itself is reported with its own message.
TEST(GuardedMessage, ProgramErrorsKeepTheirMessage)
{
    std::vector<std::string> boxes;
    lex::SetMessageBoxHook([&](const std::string &text, const std::string &caption, UINT type) {
        boxes.push_back(caption + "|" + text + "|" + std::to_string(type & MB_ICONMASK));
        return IDOK;
    });
    EXPECT_EQ(-7, lex::GuardedMessage<LRESULT>(-7, []() -> LRESULT {
                  throw std::runtime_error("AnimateWindowはフォームに一つしか置けません");
              }));
    EXPECT_EQ(std::vector<std::string>{"Lexprobe|AnimateWindowはフォームに一つしか置けません.|" +
                                       std::to_string(MB_ICONSTOP)},
              boxes);

    // The box itself running out of memory still ends in the out-of-memory box.
    boxes.clear();
    int calls = 0;
    lex::SetMessageBoxHook([&](const std::string &text, const std::string &caption, UINT) -> int {
        if (calls++ == 0)
            throw std::bad_alloc();
        boxes.push_back(caption + "|" + text);
        return IDOK;
    });
    EXPECT_EQ(-7, lex::GuardedMessage<LRESULT>(-7, []() -> LRESULT {
                  throw std::runtime_error("first");
              }));
    EXPECT_EQ(std::vector<std::string>{"Lexprobe|メモリが不足しています."}, boxes);
    lex::SetMessageBoxHook(nullptr);
}

} // namespace
