// Fuzz target: the URL and address texts a caller hands to the network
// exports.  Each text sits at the very end of its own allocation, so ASan
// reports any read past its NUL; the results must rebuild the input.  The
// whole input is also an answer of a server: the check of whether it
// arrived whole must not depend on how it was split into pieces.
#include "net/http_core.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    auto end = size ? static_cast<const std::uint8_t *>(std::memchr(data, 0, size)) : nullptr;
    std::vector<char> text(data, end ? end : data + size);
    text.push_back('\0');
    std::string input(text.data());

    if (auto target = loom::SplitHttpUrl(text.data())) {
        Require(input.size() >= 7 && input.size() - 7 < loom::kMaxUrlRestBytes);
        Require(target->host.find('/') == std::string::npos);
        Require(target->path.empty() || target->path[0] == '/');
        Require(input.substr(7) == target->host + target->path);
        std::string line = loom::HttpRequestLine(target->path);
        Require(line.size() <= loom::kMaxRequestChars && line.compare(0, 4, "GET ") == 0);
    }

    if (auto address = loom::ParseDottedAddress(input))
        Require(loom::DottedText(*address) == input);

    // The input split in two at its first byte's value: host and path.
    std::size_t cut = input.empty() ? 0 : std::uint8_t(input[0]) % (input.size() + 1);
    std::vector<char> host(input.begin(), input.begin() + cut), path(input.begin() + cut,
                                                                     input.end());
    host.push_back('\0');
    path.push_back('\0');
    if (auto url = loom::HttpUrl(host.data(), path.data())) {
        Require(url->size() <= loom::kMaxHttpUrlChars);
        Require(*url == "http://" + input);
    }

    const std::string_view answer(reinterpret_cast<const char *>(data), size);
    loom::AnswerCheck whole, pieces;
    whole.Add(answer);
    std::size_t at = 0;
    for (std::size_t piece = 1; at < size; piece = piece * 3 % 1024 + 1) {
        pieces.Add(answer.substr(at, piece));
        at += piece;
    }
    Require(whole.CutShort() == pieces.CutShort());
    return 0;
}
