// LoadLibText: messages come from the string table of loomlib.dll itself,
// found by its file name so that it works whichever program loaded it.
#include <windows.h>

#include "version/libtext.h"

const char *LoadLibText(unsigned id)
{
    static char buffer[1024];
    buffer[0] = '\0';
    HMODULE self = GetModuleHandleA("loomlib.dll");
    if (self && LoadStringA(self, id, buffer, sizeof buffer) <= 0)
        buffer[0] = '\0';
    return buffer;
}
