// Fuzz target: the three in-place text filters get random bytes in buffers of
// exactly their stated size (ASan catches any write past it), and the size
// formatting gets a random 64-bit count.  Saved inputs replay by naming them
// on the command line.
#include "util/text.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The library's unit names in Shift-JIS: " バイト" is the longest.
const loom::SizeUnits kUnits{{" \x83\x6F\x83\x43\x83\x67", " KB", " MB", " GB", " TB"}};

// Runs one filter on the text in a buffer of text length + extra + 1 bytes
// and checks that the result stays within max(length) bytes.
void Check(char *(*filter)(char *), const std::vector<char> &text, std::size_t room,
           std::size_t maxLength)
{
    std::vector<char> buffer(room);
    std::copy(text.begin(), text.end(), buffer.begin());
    buffer[text.size()] = '\0';
    if (filter(buffer.data()) != buffer.data())
        std::abort();
    if (std::strlen(buffer.data()) > maxLength)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The texts stop at their first zero byte, as a caller's would.
    auto end = size ? static_cast<const std::uint8_t *>(std::memchr(data, 0, size)) : nullptr;
    std::vector<char> text(data, end ? end : data + size);
    std::size_t n = text.size();
    Check(loom::UrlEncode, text, 3 * n + 1, 3 * n);
    Check(loom::DeleteRetTab, text, n + 1, n);
    Check(loom::DeleteRetTabCtrl, text, n + 1, n);

    std::uint64_t bytes = 0;
    for (std::size_t i = 0; i < size && i < 8; ++i)
        bytes = bytes << 8 | data[i];
    std::string formatted = loom::FormatFileSize(bytes, kUnits);
    if (formatted.size() + 1 > 13)
        std::abort();
    return 0;
}
