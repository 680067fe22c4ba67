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

// Whatever a handler throws ends in one stop box of the program and the
// failure result: an error the program raises itself with its own message,
// anything else (running out of memory, a text too long to hold, a box that
// itself runs out of memory) with the out-of-memory message.
TEST(GuardedMessage, EveryExceptionBecomesTheProgramsErrorBox)
{
    std::vector<std::string> boxes;
    int boxFailures = 0; // boxes that run out of memory before they show
    lex::SetMessageBoxHook([&](const std::string &text, const std::string &caption, UINT type) {
        if (boxFailures > 0) {
            --boxFailures;
            throw std::bad_alloc();
        }
        boxes.push_back(caption + "|" + text + "|" + std::to_string(type & MB_ICONMASK));
        return IDOK;
    });
    const auto box = [](const std::string &text) {
        return "Lexprobe|" + text + "|" + std::to_string(MB_ICONSTOP);
    };
    EXPECT_EQ(-7, lex::GuardedMessage<LRESULT>(-7, []() -> LRESULT { throw std::bad_alloc(); }));
    ASSERT_EQ(1u, boxes.size());
    const std::string outOfMemory = boxes[0];
    EXPECT_EQ(0u, outOfMemory.find("Lexprobe|")) << outOfMemory;
    EXPECT_GT(outOfMemory.size(), box("").size()) << "the box says what happened";
    struct Case {
        const char *what;
        int boxFailures;
        std::function<LRESULT()> body;
        std::string box;
    } const cases[] = {
        {"a text too long to hold", 0, []() -> LRESULT {
             std::string text;
             text.reserve(text.max_size() + 1);
             return 1;
         }, outOfMemory},
        {"anything else", 0, []() -> LRESULT { throw 42; }, outOfMemory},
        {"the program's own error", 0, []() -> LRESULT { throw std::runtime_error("an error"); },
         box("an error.")},
        {"a box out of memory", 1, []() -> LRESULT { throw std::runtime_error("first"); },
         outOfMemory},
    };
    for (const Case &c : cases) {
        boxes.clear();
        boxFailures = c.boxFailures;
        EXPECT_EQ(-7, lex::GuardedMessage<LRESULT>(-7, c.body)) << c.what;
        EXPECT_EQ(std::vector<std::string>{c.box}, boxes) << c.what;
    }
    boxes.clear();
    EXPECT_EQ(5, lex::GuardedMessage<LRESULT>(-7, [] { return LRESULT(5); }));
    EXPECT_TRUE(boxes.empty());
    lex::SetMessageBoxHook(nullptr);
}

} // namespace
