// Text handling of the version resource reader that does not need Windows:
// the skipped-file test, line-break flattening and the bounded copy into a
// record field.  Double-byte text is walked by characters; which bytes lead
// a double-byte character is the caller's rule (the ANSI code page on
// Windows), passed in as a predicate.  The name part of a path and the
// comparison that ignores case are the library's path and text rules.
#pragma once

#include "util/mbcs.h"

#include <cstddef>
#include <string>

namespace vertext {

using LeadBytePred = loom::LeadByteFn;

// The longest value copied into a 255-byte field.
constexpr std::size_t kMaxValueBytes = 250;

// True when `text` begins with `prefix`, ignoring the case of single-byte
// letters; an empty prefix begins every text.
bool StartsWithIgnoreCase(const char *text, const char *prefix, LeadBytePred isLead);

// Lower-cases the single-byte letters A-Z in place; the second byte of a
// double-byte character is never changed.
void LowerAscii(std::string &text, LeadBytePred isLead);

// True when the name part of `path` is one of the files of the suite's
// update package that cannot be examined on the Windows 95 family:
// "update.sys" and "loomupd.sys".
bool IsSkippedUpdateFile(const char *path, LeadBytePred isLead);

// Rewrites the NUL-terminated text in place: every line feed becomes a space
// and every carriage return a "/", so a CR LF pair reads "/ ".  The second
// byte of a double-byte character is never taken for either.
void FlattenLineBreaks(char *text, LeadBytePred isLead);

// Copies at most `limit` bytes of `src` to `dst` and terminates it, so `dst`
// needs limit + 1 bytes.  A double-byte character that the limit would cut
// in two is dropped whole.  Returns the number of bytes copied.
std::size_t CopyBounded(char *dst, const char *src, std::size_t limit,
                        LeadBytePred isLead);

} // namespace vertext
