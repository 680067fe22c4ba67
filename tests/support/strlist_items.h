// The items of a string list in order: in the Windows tests through the
// library's numbered access (items count from 1), as a program of the suite
// reads them; in the native tests along the portable list's chain.
#pragma once

#include <string>
#include <vector>

#ifdef _WIN32
#include "util/loomutil.h"

inline std::vector<std::string> Items(StrList *list)
{
    std::vector<std::string> items;
    for (int i = 1, n = StrList_Count(list); i <= n; ++i)
        items.push_back(StrList_Item(list, i));
    return items;
}
#else
#include "util/strlist.h"

inline std::vector<std::string> Items(const StrList &list)
{
    std::vector<std::string> items;
    for (const StrListNode *node = list.first; node; node = node->next)
        items.push_back(node->text);
    return items;
}
#endif
