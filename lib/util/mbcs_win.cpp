// The lead-byte rule of the process's ANSI code page.
#include <windows.h>

#include "util/mbcs.h"

namespace loom {

bool SystemLeadByte(unsigned char byte)
{
    return IsDBCSLeadByte(byte) != FALSE;
}

} // namespace loom
