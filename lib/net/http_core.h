// The network services' rules on texts, independent of the platform: the
// request line of the library's own HTTP client, the URL that GetHttp builds
// and the one that Download takes apart, the dotted-address test and the
// texts that the two lookups write.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace loom {

// How long the own client waits, in seconds, for a connection to be
// accepted and, once connected, for the next bytes of the answer.  A server
// that stays silent longer fails the request with the socket layer's
// time-out code; a slow server that keeps sending is never cut off.
constexpr unsigned kHttpWaitSeconds = 30;

// The own client receives and stores the answer in blocks of this size.
constexpr std::size_t kReceiveBlockBytes = 1024;

// The request line "GET ", the path and one line feed, cut to this many
// characters: a longer path loses its end and the line feed.
constexpr std::size_t kMaxRequestChars = 1023;
std::string HttpRequestLine(std::string_view path);

// A four-byte internet address in network order.
using Ipv4Address = std::array<std::uint8_t, 4>;

// Four decimal numbers 0-255 separated by dots, nothing before or after.
// A number with a leading zero is refused: the socket layer would read it as
// octal, so the text would name another host than it seems to.
std::optional<Ipv4Address> ParseDottedAddress(std::string_view text);
std::string DottedText(const Ipv4Address &address);

// The reverse lookup's text: the official name, then, when asked for, each
// alias after one space.
std::string HostNamesText(std::string_view official, const std::vector<std::string> &aliases,
                          bool withAliases);
// The forward lookup's text: the first address alone, or every address each
// followed by one space.
std::string AddressesText(const std::vector<Ipv4Address> &addresses, bool all);

// GetHttp's URL, "http://" + host + path, at most this many characters;
// nullopt when it would be longer or a text is missing.
constexpr std::size_t kMaxHttpUrlChars = 32760;
std::optional<std::string> HttpUrl(const char *host, const char *path);

// Host and path of a URL for the own client: the URL starts with "http://"
// (any case); the host runs up to the first "/", the path is the rest from
// that "/" on, or empty.  What follows "http://" must fit in
// kMaxUrlRestBytes with its terminating NUL.  nullopt otherwise, and for a
// null URL.
constexpr std::size_t kMaxUrlRestBytes = 1024;
struct HttpTarget {
    std::string host;
    std::string path;
};
std::optional<HttpTarget> SplitHttpUrl(const char *url);

// Whether the answer the own client stored arrived whole, as far as the
// answer itself tells.  One that starts with an HTTP status line and states
// a Content-Length in its header promises that many bytes after the header;
// when the server closes the connection before they all arrived, the answer
// was cut off.  An answer without a status line (a server may answer the
// bare request line with the document alone), without a length, with a
// transfer coding, or one that has no body (status 1xx, 204, 304) is taken
// as whole.  Fed with the bytes as they arrive; the header is read line by
// line however long it is, keeping only the start of the line being read,
// so a long header line can hide no length from the check.
class AnswerCheck {
public:
    void Add(std::string_view bytes);
    bool CutShort() const { return promised_ && body_ < *promised_; }

private:
    enum class Part { StatusLine, Header, Body, Unchecked };
    void EndLine();

    Part part_ = Part::StatusLine;
    std::size_t matched_ = 0; // bytes of "HTTP/" seen at the start
    std::string line_;        // the start of the line being read
    unsigned status_ = 0;
    bool coded_ = false;      // a Transfer-Encoding line was seen
    std::optional<std::uint64_t> length_; // the last Content-Length seen
    std::optional<std::uint64_t> promised_;
    std::uint64_t body_ = 0;
};

} // namespace loom
