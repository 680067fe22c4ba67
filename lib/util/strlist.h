/* The string list's records.  The caller owns the head (any storage); the
 * library owns the nodes and their string copies.  Both records cross the
 * library boundary by address, so their layout is fixed: two pointer fields
 * each, in this order.  The head has the node layout so that a walk can treat
 * it as node 0, the predecessor of item 1.
 *
 * For C++ the header also declares the list's operations, independent of
 * the platform: the exported StrList_ functions forward to them with the
 * lead-byte rule of the process's ANSI code page; tests pass a fixed one. */
#ifndef LOOM_UTIL_STRLIST_H
#define LOOM_UTIL_STRLIST_H

#ifdef __cplusplus
extern "C" {
#endif

typedef struct StrListNode {
    char *text;               /* the item's own NUL-terminated copy */
    struct StrListNode *next; /* following node, null at the end */
} StrListNode;

typedef struct StrList {
    char *text;         /* never an item; null after StrList_New */
    StrListNode *first; /* first node, null when the list is empty */
} StrList;

#ifdef __cplusplus
}

#include <cstddef>

static_assert(sizeof(StrList) == sizeof(StrListNode), "the head has the node layout");
static_assert(offsetof(StrList, text) == offsetof(StrListNode, text), "text comes first");
static_assert(offsetof(StrList, first) == offsetof(StrListNode, next), "link comes second");
static_assert(sizeof(void *) != 4 || sizeof(StrList) == 8, "two 32-bit fields in the 32-bit build");
static_assert(sizeof(void *) != 4 || offsetof(StrList, first) == 4, "link at offset 4");
static_assert(sizeof(void *) != 4 || sizeof(StrListNode) == 8, "two 32-bit fields in the 32-bit build");
static_assert(sizeof(void *) != 4 || offsetof(StrListNode, next) == 4, "link at offset 4");

#include "util/mbcs.h"

namespace loom {

// Where nodes and string copies come from; they are released with free().
using AllocFn = void *(*)(std::size_t);

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
#endif

#endif
