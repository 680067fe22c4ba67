// StrList_ exports: the portable list with the lead bytes of the process's
// ANSI code page for the sorts.  The list allocates with malloc and reports
// a failure by its result; it is guarded like every export all the same.
// A null list (or text to add) gives the failure result: 0, or for
// StrList_Item the empty text.
#include "util/boundary.h"
#include "util/loomutil.h"
#include "util/mbcs.h"
#include "util/strlist.h"

extern "C" {

int __cdecl StrList_New(StrList *list)
{
    if (loom::NullArgument(list))
        return 0;
    return loom::CallGuarded(0, [&] {
        loom::StrListInit(list);
        return 1;
    });
}

int __cdecl StrList_Count(StrList *list)
{
    if (loom::NullArgument(list))
        return 0;
    return loom::CallGuarded(0, [&] { return loom::StrListCount(list); });
}

int __cdecl StrList_Add(StrList *list, const char *text)
{
    if (loom::NullArgument(list, text))
        return 0;
    return loom::CallGuarded(0, [&] { return loom::StrListAdd(list, text); });
}

const char *__cdecl StrList_Item(StrList *list, int index)
{
    if (loom::NullArgument(list))
        return "";
    return loom::CallGuarded<const char *>("", [&] { return loom::StrListItem(list, index); });
}

int __cdecl StrList_Delete(StrList *list, int index)
{
    if (loom::NullArgument(list))
        return 0;
    return loom::CallGuarded(0, [&] { return loom::StrListDelete(list, index); });
}

int __cdecl StrList_Destroy(StrList *list)
{
    if (loom::NullArgument(list))
        return 0;
    return loom::CallGuarded(0, [&] { return loom::StrListDestroy(list); });
}

int __cdecl StrList_Sort(StrList *list)
{
    if (loom::NullArgument(list))
        return 0;
    return loom::CallGuarded(0, [&] { return loom::StrListSort(list, loom::SystemLeadByte); });
}

int __cdecl StrList_SortAndDelDup(StrList *list)
{
    if (loom::NullArgument(list))
        return 0;
    return loom::CallGuarded(0, [&] { return loom::StrListSortAndDelDup(list, loom::SystemLeadByte); });
}

} // extern "C"
