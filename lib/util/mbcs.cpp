// The fixed Shift-JIS lead-byte rule, independent of the platform.
#include "util/mbcs.h"

namespace loom {

bool IsShiftJisLeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

} // namespace loom
