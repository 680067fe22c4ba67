// Text handling of the version resource reader that does not need Windows:
// the skipped-file test and line-break flattening (the bounded copy into a
// record field is loom::CopyBounded).  Double-byte text is walked by
// characters; which bytes lead a double-byte character is the caller's rule
// (the ANSI code page on Windows), passed in as a predicate.  The name part
// of a path and the comparison that ignores case are the library's path and
// text rules.
#pragma once

#include "util/mbcs.h"

#include <cstddef>

namespace vertext {

using LeadBytePred = loom::LeadByteFn;

// The longest value copied into a 255-byte field.
constexpr std::size_t kMaxValueBytes = 250;

// True when the name part of `path` is one of the files of the suite's
// update package that cannot be examined on the Windows 95 family:
// "update.sys" and "loomupd.sys".
bool IsSkippedUpdateFile(const char *path, LeadBytePred isLead);

// Rewrites the NUL-terminated text in place: every line feed becomes a space
// and every carriage return a "/", so a CR LF pair reads "/ ".  The second
// byte of a double-byte character is never taken for either.
void FlattenLineBreaks(char *text, LeadBytePred isLead);

} // namespace vertext
