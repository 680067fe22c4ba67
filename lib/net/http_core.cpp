#include "net/http_core.h"

#include <algorithm>
#include <cstring>

namespace loom {

namespace {

constexpr std::string_view kScheme = "http://";
// A header longer than this is not taken for one.
constexpr std::size_t kMaxHeaderBytes = 16 * 1024;

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

void AnswerCheck::Add(std::string_view bytes)
{
    if (headDone_) {
        body_ += bytes.size();
        return;
    }
    const std::size_t before = head_.size();
    head_.append(bytes.substr(0, kMaxHeaderBytes - std::min(before, kMaxHeaderBytes)));
    const std::size_t kept = head_.size() - before;
    if (head_.compare(0, std::min<std::size_t>(head_.size(), 5), "HTTP/", 0,
                      std::min<std::size_t>(head_.size(), 5)) != 0) {
        headDone_ = true; // no status line: nothing promised
        head_.clear();
        return;
    }
    // The header ends with an empty line (CR LF CR LF, or bare line feeds).
    std::size_t end = head_.find("\r\n\r\n");
    std::size_t endLength = 4;
    const std::size_t bare = head_.find("\n\n");
    if (bare < end) {
        end = bare;
        endLength = 2;
    }
    if (end == std::string::npos) {
        if (head_.size() >= kMaxHeaderBytes) {
            headDone_ = true;
            head_.clear();
        }
        return;
    }
    headDone_ = true;
    body_ = head_.size() - (end + endLength) + (bytes.size() - kept);
    ReadHeader(end);
    head_.clear();
}

void AnswerCheck::ReadHeader(std::size_t headerEnd)
{
    const std::string_view head(head_.data(), headerEnd);
    // "HTTP/1.1 200 OK": the code after the first space.
    const std::size_t space = head.find(' ');
    unsigned status = 0;
    for (std::size_t i = space + 1; space != std::string_view::npos && i < head.size() &&
                                    i < space + 4 && IsDigit(head[i]);
         ++i)
        status = status * 10 + unsigned(head[i] - '0');
    if (status < 200 || status == 204 || status == 304)
        return;
    std::optional<std::uint64_t> length;
    for (std::size_t at = head.find('\n'); at != std::string_view::npos;) {
        const std::size_t next = head.find('\n', at + 1);
        std::string_view line = head.substr(at + 1, next == std::string_view::npos
                                                        ? std::string_view::npos
                                                        : next - at - 1);
        at = next;
        const std::size_t colon = line.find(':');
        std::string name;
        for (char c : line.substr(0, colon == std::string_view::npos ? 0 : colon))
            name += Lower(c);
        if (name == "transfer-encoding")
            return;
        if (name != "content-length")
            continue;
        std::size_t i = colon + 1;
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        std::uint64_t value = 0;
        std::size_t digits = 0;
        for (; i < line.size() && IsDigit(line[i]) && digits < 18; ++i, ++digits)
            value = value * 10 + std::uint64_t(line[i] - '0');
        if (digits > 0)
            length = value;
    }
    promised_ = length;
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
