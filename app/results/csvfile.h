// The CSV file of the results list, for spreadsheets and translation
// tools: UTF-8 with a byte-order mark, the header row
// "offset,kind,text,checked", then one record per row shown, in display
// order; CR LF after every record.  A field is quoted, its quotes doubled,
// when it holds a comma, a quote, CR or LF.  Portable: no <windows.h>.
#pragma once

#include <cstddef>
#include <string>

#include "results/rowstore.h"

namespace lex {

// The header row, CR LF included.
extern const char kCsvHeader[];

// `length` bytes of UTF-8 text as one field, appended to `out`.
void AppendCsvField(std::string &out, const char *text, size_t length);

// The whole file: the byte-order mark, the header and the records.  The
// texts go from code page 932 to UTF-8, a UTF-8 row's stand-ins as the
// characters they stand for; checked is 1 or 0.  Throws std::bad_alloc.
std::string RowsCsv(const RowStore &rows);

} // namespace lex
