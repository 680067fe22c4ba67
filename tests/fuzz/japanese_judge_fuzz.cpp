// The Japanese-text judge on rows made from the input: its first byte
// picks the encoding and the edges, then every two bytes are a character:
// the bytes as a BMP code point, with a left-out byte before it when the
// second byte is odd, and above the BMP when besides the first byte's high
// bit is set.  The verdict must keep a span inside the row that
// holds a Japanese character, the kept bytes must follow the characters,
// and the verdict must be the one worked out without the bound on the
// row's score.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "japanese/judge.h"
#include "japanese/model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace lex::japanese;
    if (size < 1)
        return 0;
    const JudgeForm form = static_cast<JudgeForm>(data[0] % kForms);
    const RowEdges edges{(data[0] & 4) != 0, (data[0] & 8) != 0};
    std::vector<RowChar> chars;
    uint32_t at = 0;
    for (size_t k = 1; k + 1 < size; k += 2) {
        uint32_t code = static_cast<uint32_t>(data[k]) << 8 | data[k + 1];
        if (data[k] & 0x80 && data[k + 1] & 1)
            code += 0x10000;
        at += data[k + 1] & 1;  // a byte left out
        const uint32_t bytes = code < 0x80 ? 1 : code < 0x10000 ? 2 : 4;
        // (A double-byte character's Shift-JIS bytes, when the input asks
        // for them: its code's own two bytes, any lead and trail.)
        const uint16_t pair = bytes == 2 && (data[0] & 16) ? static_cast<uint16_t>(code) : 0;
        chars.push_back({code, at, bytes, kClassUnknown, pair});
        at += bytes;
    }
    const Verdict v = JudgeRow(chars.data(), chars.size(), form, edges);
    const Verdict whole = JudgeRowWhole(chars.data(), chars.size(), form, edges);
    if (v.japanese != whole.japanese || v.first != whole.first || v.end != whole.end ||
        (v.japanese && v.margin != whole.margin))
        std::abort();
    if (!v.japanese)
        return 0;
    if (v.first >= v.end || v.end > chars.size())
        std::abort();
    bool japanese = false;
    for (uint32_t k = v.first; k < v.end; ++k)
        japanese = japanese || IsJapaneseClass(ClassOf(chars[k].code, static_cast<int>(form)));
    uint32_t from = 0, to = 0;
    KeptBytes(chars.data(), v, &from, &to);
    if (!japanese || from != chars[v.first].at || to <= from)
        std::abort();
    return 0;
}
