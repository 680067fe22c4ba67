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
#include "util/shortcopy.h"

namespace lex {

// One line per row: the offset text, TAB, the kind, TAB and the text, or
// with `textOnly` the text alone; CR LF after every line.  The length in
// bytes of a row's line.
inline size_t ResultsLineLength(RowKind kind, size_t textLength, bool textOnly)
{
    const size_t columns = textOnly ? 0 : kOffsetTextLength + 1 + KindTextLength(kind) + 1;
    return columns + textLength + 2;
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
        out = PutKindText(out, kind);
        *out++ = '\t';
    }
    loom::CopyShort(out, text, length);
    out += length;
    *out++ = '\r';
    *out++ = '\n';
    return out;
}

// Forces the extension of a results file name to ".txt": the last "." after
// the last "\" or ":" and what follows are replaced, otherwise ".txt" is
// appended.  The second byte of a double-byte character (under `isLead`) is
// never taken for any of the three.
std::string ForceTxtExtension(const std::string &path, loom::LeadByteFn isLead);
// The same rule for any extension `ext` (with its dot): the CSV file's
// name ends in ".csv".
std::string ForceExtension(const std::string &path, const char *ext, loom::LeadByteFn isLead);

} // namespace lex
