#include "net/http_core.h"

#include <cstring>

namespace loom {

namespace {

constexpr std::string_view kScheme = "http://";

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

} // namespace

std::string HttpRequestLine(std::string_view path)
{
    std::string line = "GET ";
    line.append(path.substr(0, kMaxRequestChars - line.size()));
    if (line.size() < kMaxRequestChars)
        line += '\n';
    return line;
}

std::optional<Ipv4Address> ParseDottedAddress(std::string_view text)
{
    Ipv4Address address{};
    std::size_t pos = 0;
    for (std::size_t part = 0; part < address.size(); ++part) {
        if (part > 0) {
            if (pos >= text.size() || text[pos] != '.')
                return std::nullopt;
            ++pos;
        }
        std::size_t start = pos;
        unsigned value = 0;
        // At most three digits, so the value cannot overflow.
        while (pos < text.size() && IsDigit(text[pos]) && pos - start < 3)
            value = value * 10 + unsigned(text[pos++] - '0');
        std::size_t digits = pos - start;
        if (digits == 0 || value > 255 || (digits > 1 && text[start] == '0'))
            return std::nullopt;
        address[part] = std::uint8_t(value);
    }
    if (pos != text.size())
        return std::nullopt;
    return address;
}

std::string DottedText(const Ipv4Address &address)
{
    std::string text;
    for (std::size_t i = 0; i < address.size(); ++i) {
        if (i > 0)
            text += '.';
        text += std::to_string(address[i]);
    }
    return text;
}

std::string HostNamesText(std::string_view official, const std::vector<std::string> &aliases,
                          bool withAliases)
{
    std::string text(official);
    if (withAliases) {
        for (const std::string &alias : aliases) {
            text += ' ';
            text += alias;
        }
    }
    return text;
}

std::string AddressesText(const std::vector<Ipv4Address> &addresses, bool all)
{
    if (addresses.empty())
        return {};
    if (!all)
        return DottedText(addresses.front());
    std::string text;
    for (const Ipv4Address &address : addresses) {
        text += DottedText(address);
        text += ' ';
    }
    return text;
}

std::optional<std::string> HttpUrl(const char *host, const char *path)
{
    if (!host || !path)
        return std::nullopt;
    // Compared piece by piece, so that no sum of lengths can wrap around.
    std::size_t hostLength = std::strlen(host);
    std::size_t room = kMaxHttpUrlChars - kScheme.size();
    if (hostLength > room || std::strlen(path) > room - hostLength)
        return std::nullopt;
    std::string url(kScheme);
    url += host;
    url += path;
    return url;
}

std::optional<HttpTarget> SplitHttpUrl(const char *url)
{
    if (!url)
        return std::nullopt;
    // The scheme is compared byte by byte up to the text's end, so a short
    // URL is never read past its NUL.
    for (std::size_t i = 0; i < kScheme.size(); ++i) {
        if (Lower(url[i]) != kScheme[i])
            return std::nullopt;
    }
    std::string_view rest(url + kScheme.size());
    if (rest.size() >= kMaxUrlRestBytes)
        return std::nullopt;
    std::size_t slash = rest.find('/');
    if (slash == std::string_view::npos)
        return HttpTarget{std::string(rest), std::string()};
    return HttpTarget{std::string(rest.substr(0, slash)), std::string(rest.substr(slash))};
}

} // namespace loom
