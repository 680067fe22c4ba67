// Member names: what part of a stored name becomes a file, and how the
// extraction filter matches names against the caller's list.
#pragma once

#include "archive/archive_entry.h"
#include "util/mbcs.h"
#include "util/strlist.h"

#include <cstddef>
#include <string>

namespace loom::archive {

// The name after the last "/", ":" or "\" that is followed by a character
// other than NUL and "\"; the whole name when there is none.  Double-byte
// characters are kept whole, so their second byte never counts as a
// separator.  Returns a pointer into name.
const char *BaseName(const char *name, LeadByteFn isLead);

// True when the stored name names a folder: its base name still ends with
// a separator ("dir/", "a\\dir\\").
bool NamesFolder(const char *name, LeadByteFn isLead);

// The file name under which a member is written into the destination
// folder, or an empty text when the member must be skipped.  Whatever the
// stored name holds (folders, "..", a drive, an absolute path), the result is
// a single plain name component: BaseName of the stored name, taken as the
// file system will store it (lead bytes without a second byte, anywhere,
// are dropped first, then dots and spaces at the end, so the result is the
// name the file really gets), and refused when that is empty (".", "..",
// " . "), when the name is a folder's, or when it names a device ("CON",
// "NUL", "COM1", ... with any extension), which would not be a file in the
// destination at all.
std::string SafeMemberName(const char *name, LeadByteFn isLead);

// The extraction filter: true when list is null, or when one of its items
// equals the whole name, ignoring the case of the letters A to Z
// (MbEqualsIgnoreCase).
bool NameListAccepts(const StrList *list, const char *name, LeadByteFn isLead);

// Copies up to ARCHIVE_TEXT_SIZE - 1 bytes of text into a name field and
// terminates it.
void SetEntryName(char (&field)[ARCHIVE_TEXT_SIZE], const char *text, std::size_t length);

} // namespace loom::archive
