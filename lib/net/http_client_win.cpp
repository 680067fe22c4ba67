// The own HTTP client: one request line on a plain TCP connection, and every
// byte the server sends stored unchanged until it closes the connection.
// Windows Sockets 1.1 only; every wait is bounded with select.
#include "net/http_client_win.h"
#include "net/http_core.h"
#include "util/pending_file_win.h"

#include <memory>

#include <string>

namespace loom {

namespace {

NetResult Fail(int code)
{
    return {code, DWORD(code)};
}

// The host entry of a dotted address by reverse lookup, of any other text by
// name.  The empty text names no server here (the socket layer would give
// the local machine).
hostent *LookUpHost(const char *host)
{
    if (!*host) {
        WSASetLastError(WSAHOST_NOT_FOUND);
        return nullptr;
    }
    if (auto address = ParseDottedAddress(host))
        return gethostbyaddr(reinterpret_cast<const char *>(address->data()),
                             int(address->size()), AF_INET);
    return gethostbyname(host);
}

// The port of the service "http" over "tcp", in network order.
u_short HttpPort()
{
    const servent *service = getservbyname("http", "tcp");
    return service ? u_short(service->s_port) : htons(80);
}

// Waits until the socket is readable (read), or writable or its connection
// attempt ended (!read); 0 when it is, else the socket error code
// (WSAETIMEDOUT after kHttpWaitSeconds).
int WaitFor(SOCKET socket, bool read)
{
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(socket, &ready);
    FD_SET(socket, &failed);
    timeval limit = {long(kHttpWaitSeconds), 0};
    int n = read ? select(0, &ready, nullptr, nullptr, &limit)
                 : select(0, nullptr, &ready, &failed, &limit);
    if (n == SOCKET_ERROR)
        return WSAGetLastError();
    return n == 0 ? WSAETIMEDOUT : 0;
}

// The socket stays non-blocking from the connection on: a call that would
// block waits in select, bounded, and only then (select is costly, so a
// steady stream of data never goes through it).  0 or the socket error code.
int Connect(SOCKET socket, const sockaddr_in &address)
{
    u_long nonBlocking = 1;
    if (ioctlsocket(socket, FIONBIO, &nonBlocking) == SOCKET_ERROR)
        return WSAGetLastError();
    if (connect(socket, reinterpret_cast<const sockaddr *>(&address), sizeof address) !=
        SOCKET_ERROR)
        return 0;
    int error = WSAGetLastError();
    if (error != WSAEWOULDBLOCK)
        return error;
    if ((error = WaitFor(socket, false)) != 0)
        return error;
    // A refused or unreachable peer ends the attempt too: its code is the
    // socket's pending error.
    int length = sizeof error;
    if (getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char *>(&error), &length) ==
        SOCKET_ERROR)
        return WSAGetLastError();
    return error;
}

int SendAll(SOCKET socket, const std::string &bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        int n = send(socket, bytes.data() + sent, int(bytes.size() - sent), 0);
        if (n != SOCKET_ERROR) {
            sent += std::size_t(n);
            continue;
        }
        int error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK || (error = WaitFor(socket, false)) != 0)
            return error;
    }
    return 0;
}

// One block of the answer: its length (0 at the orderly end), or -1 with
// the socket error code in error.
int Receive(SOCKET socket, char *block, int size, int &error)
{
    for (;;) {
        int n = recv(socket, block, size, 0);
        if (n != SOCKET_ERROR)
            return n;
        error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK || (error = WaitFor(socket, true)) != 0)
            return -1;
    }
}

// Everything that holds a handle runs here, so that every handle is closed
// when the result reaches FetchHttp.  The answer goes to a pending file
// beside the output file, which takes its place only when the answer
// arrived whole; on any failure the output file stays as it was.
NetResult Fetch(const char *host, const char *path, const char *outPath)
{
    WinsockSession session(MAKEWORD(1, 1));
    NetResult started = StartWinsock11(session);
    if (started.code != 0)
        return started;

    const hostent *entry = LookUpHost(host);
    if (!entry)
        return LastSocketError();
    if (entry->h_addrtype != AF_INET || entry->h_length != 4 || !entry->h_addr_list[0])
        return Fail(WSANO_DATA);

    SocketHandle socket(::socket(AF_INET, SOCK_STREAM, 0));
    if (!socket.valid())
        return LastSocketError();

    std::unique_ptr<PendingFile> pending;
    FileHandle file;
    if (outPath) {
        pending = std::make_unique<PendingFile>(std::string(outPath));
        if (!pending->valid())
            return {kHttpFileError, pending->error()};
        file.reset(CreateFileW(pending->temporary().c_str(), GENERIC_WRITE, FILE_SHARE_WRITE,
                               nullptr, CREATE_ALWAYS, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!file.valid())
            return {kHttpFileError, GetLastError()};
    }

    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = HttpPort();
    CopyMemory(&address.sin_addr, entry->h_addr_list[0], 4);
    if (int error = Connect(socket.get(), address))
        return Fail(error);
    if (int error = SendAll(socket.get(), HttpRequestLine(path)))
        return Fail(error);

    char block[kReceiveBlockBytes];
    AnswerCheck answer;
    for (;;) {
        int error = 0;
        int n = Receive(socket.get(), block, int(sizeof block), error);
        if (n < 0)
            return Fail(error);
        if (n == 0)
            break;
        answer.Add(std::string_view(block, std::size_t(n)));
        if (file.valid()) {
            DWORD written = 0;
            if (!WriteFile(file.get(), block, DWORD(n), &written, nullptr))
                return {kHttpFileError, GetLastError()};
            if (written != DWORD(n))
                return {kHttpFileError, ERROR_DISK_FULL};
        }
    }
    if (answer.CutShort())
        return Fail(ERROR_HANDLE_EOF);
    if (!pending)
        return {0, 0};
    file.reset(); // closed before it is renamed
    if (!pending->Commit())
        return {kHttpFileError, GetLastError()};
    return {0, 0};
}

} // namespace

NetResult LastSocketError()
{
    DWORD error = DWORD(WSAGetLastError());
    return {int(error), error};
}

NetResult StartWinsock11(const WinsockSession &session)
{
    if (session.result() != 0)
        return {kWinsockNotStarted, DWORD(session.result())};
    if (session.version() != MAKEWORD(1, 1))
        return {kWinsockNotVersion11, WSAVERNOTSUPPORTED};
    return {0, 0};
}

int FetchHttp(const char *host, const char *path, const char *outPath)
{
    NetResult result = Fetch(host ? host : "", path ? path : "", outPath);
    SetLastError(result.lastError);
    return result.code;
}

} // namespace loom
