// The string list's operations, independent of the platform.  The exported
// StrList_ functions forward here with the lead-byte test of the process's
// ANSI code page; tests pass a fixed one.
#pragma once

#include "util/mbcs.h"
#include "util/strlist.h"

#include <cstddef>

namespace loom {

// Where nodes and string copies come from; they are released with free().
using AllocFn = void *(*)(std::size_t);

// Multibyte comparison: a lead byte followed by a non-NUL byte forms one
// 16-bit code with the lead byte high, any other byte is its own code; the
// first differing code decides and a text that ends first is smaller.
// Negative, zero or positive like strcmp.
int MbCompare(const char *a, const char *b, LeadByteFn isLead);

void StrListInit(StrList *list);
int StrListCount(const StrList *list);
// Appends a copy of text.  Returns 1, or 0 with the list unchanged when
// memory runs out.
int StrListAdd(StrList *list, const char *text, AllocFn alloc = nullptr);
// Appends copies of texts[0] to texts[count - 1] in order, walking the chain
// once.  Returns 1, or 0 when memory runs out: the texts before the one that
// did not fit are kept.
int StrListAddAll(StrList *list, const char *const *texts, std::size_t count,
                  AllocFn alloc = nullptr);
// Item index (1 to count); the head's text for 0 and below; an empty text
// for an index above the count.
const char *StrListItem(const StrList *list, int index);
// Deletes item index; 1 when there was one, else 0.
int StrListDelete(StrList *list, int index);
// Deletes every item, last first; the head stays usable.
int StrListDestroy(StrList *list);
// Sorts ascending by exchanging the nodes' string pointers; 0 for an empty
// list, else 1.
int StrListSort(StrList *list, LeadByteFn isLead);
// Sorts, then deletes each item equal to the one kept before it; 0 for an
// empty list, else 1.
int StrListSortAndDelDup(StrList *list, LeadByteFn isLead);

} // namespace loom
