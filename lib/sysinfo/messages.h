// The library's messages as the system information code uses them: looked
// up by number through a function (LoadLibText in the library, a table in
// tests), and filled in like printf formats.
#pragma once

#include <string>

namespace loom {

// Message `id` of the library's string table.  The text may live in a
// shared buffer: copy it before the next call.
using TextFn = const char *(*)(unsigned id);

// printf into an owned text.  The library's messages carry their own
// conversions, so the format need not be a literal.
#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string FormatText(const char *format, ...);

} // namespace loom
