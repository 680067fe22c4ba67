// The suite's update entry.  The update itself is not part of the library:
// the entry reports success at once.  The update window's template (dialog
// 500) and its messages 100-102 are resources of the library for the suite's
// programs to use.
#include "net/loomnet.h"

extern "C" int __cdecl LoomUpdate(void)
{
    return 1;
}
