// The value rule of the program's number boxes, kept apart from the window
// so that it can be tested without one.  Each box takes its range from the
// setting it shows.
#pragma once

#include "base/intrange.h"

namespace lex {

// The value of a number box: the integer in its text brought into `range`;
// `fallback` (the value it held before) when the text is not an integer.
int NumberBoxValue(const char *text, const IntRange &range, int fallback);

} // namespace lex
