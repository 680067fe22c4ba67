// The string list: a chain of private string copies hanging off a caller's
// head.  No count or tail is stored, so every positional operation walks from
// the head.  Walks hold the address of the link to follow (the head's `first`
// or a node's `next`), which makes the head node 0 without a cast.
#include "util/strlist.h"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace loom {

namespace {

// The text handed out for an index above the count; never written.
const char kEmpty[] = "";

// The link that holds item index (1 or more), or null when the chain ends
// before the predecessor of that item.
StrListNode **LinkTo(StrList *list, int index)
{
    StrListNode **link = &list->first;
    for (int step = 1; step < index; ++step) {
        if (!*link)
            return nullptr;
        link = &(*link)->next;
    }
    return link;
}

void Unlink(StrListNode **link)
{
    StrListNode *node = *link;
    *link = node->next;
    std::free(node->text);
    std::free(node);
}

} // namespace

void StrListInit(StrList *list)
{
    list->text = nullptr;
    list->first = nullptr;
}

int StrListCount(const StrList *list)
{
    int count = 0;
    for (const StrListNode *node = list->first; node; node = node->next)
        ++count;
    return count;
}

namespace {

// A node holding a copy of text, not yet linked; null when memory runs out.
// Both blocks are obtained before the node is linked, so a failure leaves
// the list as it was.
StrListNode *NewNode(const char *text, AllocFn alloc)
{
    std::size_t size = std::strlen(text) + 1;
    auto node = static_cast<StrListNode *>(alloc(sizeof(StrListNode)));
    if (!node)
        return nullptr;
    auto copy = static_cast<char *>(alloc(size));
    if (!copy) {
        std::free(node);
        return nullptr;
    }
    std::memcpy(copy, text, size);
    node->text = copy;
    node->next = nullptr;
    return node;
}

StrListNode **LastLink(StrList *list)
{
    StrListNode **link = &list->first;
    while (*link)
        link = &(*link)->next;
    return link;
}

} // namespace

int StrListAdd(StrList *list, const char *text, AllocFn alloc)
{
    return StrListAddAll(list, &text, 1, alloc);
}

int StrListAddAll(StrList *list, const char *const *texts, std::size_t count, AllocFn alloc)
{
    if (!alloc)
        alloc = std::malloc;
    StrListNode **link = LastLink(list);
    for (std::size_t i = 0; i < count; ++i) {
        StrListNode *node = NewNode(texts[i], alloc);
        if (!node)
            return 0;
        *link = node;
        link = &node->next;
    }
    return 1;
}

const char *StrListItem(const StrList *list, int index)
{
    if (index <= 0)
        return list->text;
    const StrListNode *node = list->first;
    for (int step = 1; node && step < index; ++step)
        node = node->next;
    return node ? node->text : kEmpty;
}

int StrListDelete(StrList *list, int index)
{
    // A negative index deletes nothing, like 0.
    if (index <= 0)
        return 0;
    StrListNode **link = LinkTo(list, index);
    if (!link || !*link)
        return 0;
    Unlink(link);
    return 1;
}

int StrListDestroy(StrList *list)
{
    // Last item first, so that no node ever points at a freed one.
    for (int index = StrListCount(list); index >= 1; --index)
        StrListDelete(list, index);
    return 1;
}

int StrListSort(StrList *list, LeadByteFn isLead)
{
    if (!list->first)
        return 0;
    // Exchange sort over the chain: each place in turn receives the smallest
    // text of the rest.  Only the string pointers move, so texts handed out
    // earlier stay valid; equal texts are never exchanged.
    for (StrListNode *i = list->first; i->next; i = i->next) {
        for (StrListNode *j = i->next; j; j = j->next) {
            if (MbCompare(i->text, j->text, isLead) > 0)
                std::swap(i->text, j->text);
        }
    }
    return 1;
}

int StrListSortAndDelDup(StrList *list, LeadByteFn isLead)
{
    if (!StrListSort(list, isLead))
        return 0;
    // The item kept last is still in the list, so it is compared in place:
    // any length works and nothing is copied.  The first item is always
    // kept, an empty one included; only its repetitions go.
    StrListNode *kept = list->first;
    StrListNode **link = &kept->next;
    while (*link) {
        if (MbCompare(kept->text, (*link)->text, isLead) == 0) {
            Unlink(link);
        } else {
            kept = *link;
            link = &kept->next;
        }
    }
    return 1;
}

} // namespace loom
