/* The string list's records.  The caller owns the head (any storage); the
 * library owns the nodes and their string copies.  Both records cross the
 * library boundary by address, so their layout is fixed: two pointer fields
 * each, in this order.  The head has the node layout so that a walk can treat
 * it as node 0, the predecessor of item 1. */
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
#endif

#endif
