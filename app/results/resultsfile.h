// The results file's portable rules: the layout of its lines and the
// ".txt" extension forced on its name.  The command-line front end prints the same
// lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "scan/resultrow.h"
#include "util/mbcs.h"

namespace lex {

// One line per row: the offset text, TAB, the kind, TAB and the text, or
// with `textOnly` the text alone; CR LF after every line.  The length in
// bytes of a row's line.
inline size_t ResultsLineLength(RowKind kind, size_t textLength, bool textOnly)
{
    const size_t columns = textOnly ? 0 : kOffsetTextLength + 1 + KindTextLength(kind) + 1;
    return columns + textLength + 2;
}

// Copies a row's text.  Rows are mostly short: they go four bytes at a time
// here, as a library call costs more than the copy itself (the 32-bit C
// library under Wine ends every copy with string instructions); long ones
// go to memcpy.
inline char *PutRowText(char *out, const char *text, size_t length)
{
    constexpr size_t kShort = 64;
    if (length > kShort) {
        std::memcpy(out, text, length);
        return out + length;
    }
    const char *const end = text + length;
    for (; end - text >= 4; text += 4, out += 4)
        std::memcpy(out, text, 4);
    // The last one to three bytes.
    switch (end - text) {
    case 3: out[2] = text[2]; [[fallthrough]];
    case 2: out[1] = text[1]; [[fallthrough]];
    case 1: out[0] = text[0]; break;
    default: break;
    }
    return out + (end - text);
}

// Writes a row's line (ResultsLineLength bytes) at `out` and returns the
// position after it.  Inline, with no library call for a short row: the
// front end and the results file write one per row.
inline char *PutResultsLine(char *out, uint32_t offset, RowKind kind, const char *text,
                            size_t length, bool textOnly)
{
    if (!textOnly) {
        PutOffsetText(out, offset);
        out += kOffsetTextLength;
        *out++ = '\t';
        // The longest kind's length, known to the compiler: a shorter
        // kind's further bytes lie inside the line (its TAB, at least two
        // more bytes) and are written over below.
        std::memcpy(out, KindText(kind), kMaxKindTextLength);
        out += KindTextLength(kind);
        *out++ = '\t';
    }
    out = PutRowText(out, text, length);
    *out++ = '\r';
    *out++ = '\n';
    return out;
}

// Forces the extension of a results file name to ".txt": the last "." after
// the last "\" or ":" and what follows are replaced, otherwise ".txt" is
// appended.  The second byte of a double-byte character (under `isLead`) is
// never taken for any of the three.
std::string ForceTxtExtension(const std::string &path, loom::LeadByteFn isLead);

} // namespace lex
