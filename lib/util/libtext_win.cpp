// LoadLibText: messages come from the string table of loomlib.dll itself,
// found by its file name so that it works whichever program loaded it.
#include <windows.h>

#include "util/libtext.h"

namespace {

void LoadInto(unsigned id, char *buffer, int size)
{
    buffer[0] = '\0';
    HMODULE self = GetModuleHandleA("loomlib.dll");
    if (self && LoadStringA(self, id, buffer, size) <= 0)
        buffer[0] = '\0';
}

} // namespace

const char *LoadLibText(unsigned id)
{
    static char buffer[1024];
    LoadInto(id, buffer, sizeof buffer);
    return buffer;
}

const char *ConstantLibText(unsigned id)
{
    struct Slot {
        unsigned id;
        char text[256];
    };
    static Slot slots[8];
    static unsigned used;
    for (unsigned i = 0; i < used; ++i) {
        if (slots[i].id == id)
            return slots[i].text;
    }
    if (used == sizeof slots / sizeof slots[0])
        return "";
    Slot &slot = slots[used];
    LoadInto(id, slot.text, sizeof slot.text);
    slot.id = id;
    ++used;
    return slot.text;
}
