// The CSV file of the results list.
#include "results/csvfile.h"

#include <cstring>
#include <vector>

#include "scan/cp932.h"

namespace lex {

const char kCsvHeader[] = "offset,kind,text,checked\r\n";

void AppendCsvField(std::string &out, const char *text, size_t length)
{
    bool quoted = false;
    for (size_t i = 0; i < length && !quoted; ++i)
        quoted = text[i] == ',' || text[i] == '"' || text[i] == '\r' || text[i] == '\n';
    if (!quoted) {
        out.append(text, length);
        return;
    }
    out += '"';
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == '"')
            out += '"';
        out += text[i];
    }
    out += '"';
}

std::string RowsCsv(const RowStore &rows)
{
    std::string out = "\xEF\xBB\xBF";
    out += kCsvHeader;
    std::vector<char> utf8;
    char offset[kOffsetTextLength];
    for (size_t row = 0, n = rows.Count(); row < n; ++row) {
        PutOffsetText(offset, rows.Offset(row));
        out.append(offset, kOffsetTextLength);
        out += ',';
        out.append(KindText(rows.Kind(row)), KindTextLength(rows.Kind(row)));
        out += ',';
        const size_t length = rows.TextLength(row);
        if (utf8.size() < kMaxUtf8PerByte * length)
            utf8.resize(kMaxUtf8PerByte * length);
        const size_t written =
            length ? Cp932TextToUtf8(rows.Text(row), length, HoldsStandIns(rows.Kind(row)), utf8.data()) : 0;
        AppendCsvField(out, utf8.data(), written);
        out += rows.Checked(row) ? ",1\r\n" : ",0\r\n";
    }
    return out;
}

} // namespace lex
