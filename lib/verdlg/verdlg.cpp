// The version dialog's texts.
#include "verdlg/verdlg.h"

#include "sysinfo/report.h"
#include "util/text.h"

#include <cstring>
#include <vector>

namespace loom {

int BuildComponentList(char *buffer, int capacity, const std::string &displayName, TextFn text,
                       VersionFn version, void *context)
{
    ReportWriter list(buffer, capacity);
    list.Append(displayName);
    list.Append("\r\n");
    list.Append(text(kMsgComponents));
    const std::string missing = text(kMsgComponentMissing);
    bool first = true;
    for (const Component &c : kComponents) {
        std::string found = version(c.file, context);
        if (c.optional && found == missing)
            continue;
        list.Append((first ? "" : "\r\n") + std::string(c.label) + "\t" + found);
        first = false;
    }
    list.Append("\r\n\r\n");
    return list.stopped() ? 0 : 1;
}

std::string FieldText(const char *field, std::size_t width)
{
    std::size_t length = 0;
    while (length + 1 < width && field[length] != '\0')
        ++length;
    return std::string(field, length);
}

std::string ProductLine(const std::string &product, const std::string &version)
{
    return "Loomkit\n" + product + "  Version " + version;
}

std::string MailLink(const char *linkFormat, const std::string &product, const std::string &text)
{
    // Room for every byte escaped as three.
    std::vector<char> encoded(3 * text.size() + 1);
    std::memcpy(encoded.data(), text.c_str(), text.size() + 1);
    UrlEncode(encoded.data());
    return FormatText(linkFormat, product.c_str()) + encoded.data();
}

} // namespace loom
