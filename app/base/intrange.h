// An integer's range with its default, and the one integer parser of the
// program: the settings, the number boxes, the registry layer and the
// command-line front end all read integers this way.
#pragma once

namespace lex {

// What an integer may hold, and what it holds until set.
struct IntRange {
    int min;
    int max;
    int def;

    // Brings `value` into [min, max].
    constexpr int Clamp(int value) const { return value < min ? min : value > max ? max : value; }
    constexpr bool Contains(int value) const { return value >= min && value <= max; }
};

// Parses `text` as an integer the one way the program does everywhere:
// leading spaces, an optional sign, decimal digits, or a leading $, x or X
// followed by hexadecimal digits.  Nothing may follow the digits.  Returns
// false (and leaves *out alone) for anything else, an empty text and a value
// outside the range of int included.
bool ParseInt(const char *text, int *out);

} // namespace lex
