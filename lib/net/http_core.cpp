#include "net/http_core.h"

#include <algorithm>
#include <cstring>

namespace loom {

namespace {

constexpr std::string_view kScheme = "http://";
// An answer whose first bytes are these has a status line and a header.
constexpr std::string_view kStatusStart = "HTTP/";
// The start of a header line that is kept: enough for every field the
// check reads ("Content-Length:", blanks, 18 digits).
constexpr std::size_t kMaxLineBytes = 1024;

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
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (part_ == Part::Body) {
            body_ += bytes.size() - i;
            return;
        }
        if (part_ == Part::Unchecked)
            return;
        const char c = bytes[i];
        if (matched_ < kStatusStart.size()) {
            if (c != kStatusStart[matched_]) {
                part_ = Part::Unchecked; // no status line: nothing promised
                return;
            }
            ++matched_;
        }
        if (c == '\n') {
            EndLine();
            line_.clear();
        } else if (line_.size() < kMaxLineBytes) {
            line_ += c;
        }
    }
}

// A line of the header ends (at a line feed, a carriage return before it
// dropped): the status line, a field, or the empty line that ends the
// header.
void AnswerCheck::EndLine()
{
    std::string_view line(line_);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    if (part_ == Part::StatusLine) {
        // "HTTP/1.1 200 OK": the code after the first space.
        const std::size_t space = line.find(' ');
        for (std::size_t i = space + 1; space != std::string_view::npos && i < line.size() &&
                                        i < space + 4 && IsDigit(line[i]);
             ++i)
            status_ = status_ * 10 + unsigned(line[i] - '0');
        part_ = Part::Header;
        return;
    }
    if (line.empty()) {
        part_ = Part::Body;
        const bool hasBody = status_ >= 200 && status_ != 204 && status_ != 304;
        if (hasBody && !coded_)
            promised_ = length_;
        return;
    }
    const std::size_t colon = line.find(':');
    std::string name;
    for (char c : line.substr(0, colon == std::string_view::npos ? 0 : colon))
        name += Lower(c);
    if (name == "transfer-encoding")
        coded_ = true;
    if (name != "content-length")
        return;
    std::size_t i = colon + 1;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    std::uint64_t value = 0;
    std::size_t digits = 0;
    for (; i < line.size() && IsDigit(line[i]) && digits < 18; ++i, ++digits)
        value = value * 10 + std::uint64_t(line[i] - '0');
    if (digits > 0)
        length_ = value;
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
