// Whether the machine has a network, and host lookups as text.
#include "net/http_client_win.h"
#include "net/http_core.h"
#include "net/loomnet.h"
#include "util/boundary.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

// Runs one lookup with Windows Sockets 1.1 started around it and writes its
// text into the caller's buffer, only on success.  lookup returns the host
// entry, or null with the socket layer's code as the last error; text turns
// the entry into the output.
template <class Lookup, class Text>
int LookUpInto(char *out, Lookup lookup, Text text)
{
    loom::NetResult result{0, 0};
    std::string output;
    {
        loom::WinsockSession session(MAKEWORD(1, 1));
        result = loom::StartWinsock11(session);
        if (result.code == 0) {
            if (const hostent *entry = lookup())
                output = text(*entry);
            else
                result = loom::LastSocketError();
        }
    }
    if (result.code == 0 && out)
        std::memcpy(out, output.c_str(), output.size() + 1);
    SetLastError(result.lastError);
    return result.code;
}

std::vector<loom::Ipv4Address> Addresses(const hostent &entry)
{
    std::vector<loom::Ipv4Address> addresses;
    if (entry.h_addrtype == AF_INET && entry.h_length == 4) {
        for (char **item = entry.h_addr_list; *item; ++item) {
            loom::Ipv4Address address;
            std::memcpy(address.data(), *item, address.size());
            addresses.push_back(address);
        }
    }
    return addresses;
}

} // namespace

extern "C" {

int __cdecl IsNetworkExists(void)
{
    return GetSystemMetrics(SM_NETWORK) & 1;
}

int __cdecl IPtoServerNameS(const char *address, char *out, int withAliases)
{
    return loom::CallGuarded(int(WSAENOBUFS), [&] {
        auto parsed = address ? loom::ParseDottedAddress(address) : std::nullopt;
        if (!parsed)
            return -1;
        return LookUpInto(
            out,
            [&] {
                return gethostbyaddr(reinterpret_cast<const char *>(parsed->data()),
                                     int(parsed->size()), AF_INET);
            },
            [&](const hostent &entry) {
                std::vector<std::string> aliases;
                for (char **alias = entry.h_aliases; alias && *alias; ++alias)
                    aliases.emplace_back(*alias);
                return loom::HostNamesText(entry.h_name, aliases, withAliases != 0);
            });
    });
}

int __cdecl ServerNametoIPS(const char *host, char *out, int all)
{
    return loom::CallGuarded(int(WSAENOBUFS), [&] {
        return LookUpInto(
            out, [&] { return gethostbyname(host ? host : ""); },
            [&](const hostent &entry) { return loom::AddressesText(Addresses(entry), all != 0); });
    });
}

} // extern "C"
