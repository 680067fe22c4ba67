// The value rule of the program's number boxes, kept apart from the window
// so that it can be tested without one.
#pragma once

namespace lex {

constexpr int kNumberBoxMin = 1;
constexpr int kNumberBoxMax = 1000;

// The value of a number box: the integer in its text, the minimum when the
// text is not an integer, brought into [kNumberBoxMin, kNumberBoxMax].
int NumberBoxValue(const char *text);

} // namespace lex
