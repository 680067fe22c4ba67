// The library's own HTTP client (mode 1 of GetHttp and Download) against the
// servers of net_servers.py, with the service "http" pointed at each in turn.
#include "net_fixture.h"

#include <string>
#include <thread>

namespace {

using namespace nettest;

const char kEchoHeader[] = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n";

// The port the services database gives for "http" right now.
int HttpPortNow()
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0)
        return -1;
    const servent *service = getservbyname("http", "tcp");
    int port = service ? ntohs(service->s_port) : 0;
    WSACleanup();
    return port;
}

using OwnClient = NetTest;

TEST_F(OwnClient, TheServicesDatabaseChoosesThePort)
{
    // Without this redirection every test below would go to port 80.
    HttpServicePort redirect(Port("echo"));
    EXPECT_EQ(Port("echo"), HttpPortNow());
}

TEST_F(OwnClient, SendsExactlyTheRequestLineAndStoresTheWholeAnswer)
{
    HttpServicePort redirect(Port("echo"));
    std::string longPath = "/" + std::string(1500, 'x');
    struct Case {
        const char *what;
        bool viaDownload;
        std::string hostOrUrl, path, request;
    } cases[] = {
        {"dotted host", false, "127.0.0.1", "/path", "GET /path\n"},
        {"named host", false, "localhost", "/dir/file.txt", "GET /dir/file.txt\n"},
        {"empty path", false, "127.0.0.1", "", "GET \n"},
        {"double-byte path", false, "127.0.0.1", "/\x83\x65\x83\x58\x83\x67",
         "GET /\x83\x65\x83\x58\x83\x67\n"},
        {"long path cut", false, "127.0.0.1", longPath, "GET " + longPath.substr(0, 1019)},
        {"URL with path", true, "http://127.0.0.1/a/b.htm", "", "GET /a/b.htm\n"},
        {"URL without path", true, "http://localhost", "", "GET \n"},
        {"upper-case scheme", true, "HTTP://localhost/Q", "", "GET /Q\n"},
    };
    for (const auto &c : cases) {
        int before = Recorded("echo");
        int result = c.viaDownload
                         ? Download(c.hostOrUrl.c_str(), out_.c_str(), nullptr, 1)
                         : GetHttp(c.hostOrUrl.c_str(), c.path.c_str(), out_.c_str(), nullptr, 1);
        EXPECT_EQ(0, result) << c.what;
        ASSERT_EQ(before + 1, Recorded("echo")) << c.what;
        EXPECT_EQ(c.request, Request("echo", before + 1)) << c.what;
        // Status line and header are stored like the rest.
        EXPECT_EQ(kEchoHeader + c.request, ReadAll(out_)) << c.what;
    }
}

TEST_F(OwnClient, WithoutAnOutputFileTheAnswerIsReadAndDropped)
{
    HttpServicePort redirect(Port("echo"));
    int before = Recorded("echo");
    EXPECT_EQ(0, GetHttp("127.0.0.1", "/nowhere", nullptr, nullptr, 1));
    ASSERT_EQ(before + 1, Recorded("echo"));
    EXPECT_EQ("GET /nowhere\n", Request("echo", before + 1));

    HttpServicePort big(Port("big"));
    EXPECT_EQ(0, Download("http://127.0.0.1/big", nullptr, nullptr, 1));
}

TEST_F(OwnClient, AServerThatClosesAtOnceGivesAnEmptyFile)
{
    HttpServicePort redirect(Port("close"));
    EXPECT_EQ(0, GetHttp("127.0.0.1", "/", out_.c_str(), nullptr, 1));
    EXPECT_EQ("", ReadAll(out_));
}

TEST_F(OwnClient, TenMegabytesArriveWhole)
{
    HttpServicePort redirect(Port("big"));
    EXPECT_EQ(0, Download("http://localhost/big.bin", out_.c_str(), nullptr, 1));
    std::string bytes = ReadAll(out_);
    ASSERT_EQ(10u * 1024 * 1024, bytes.size());
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        wrong += std::uint8_t(bytes[i]) != i % 251;
    EXPECT_EQ(0u, wrong);
}

TEST_F(OwnClient, FailuresGiveMinusOneAndTheCauseAsLastError)
{
    HttpServicePort redirect(Port("refused"));
    std::string longHost(300, 'a');
    std::string missingDir = WorkDir() + "\\no-such-dir\\out.bin";
    struct Case {
        const char *what;
        const char *url;        // Download when set, else GetHttp(host, "/")
        std::string host;
        std::string out;
        DWORD lastError;
        bool fileCreated;
    } cases[] = {
        {"refused port", nullptr, "127.0.0.1", out_, WSAECONNREFUSED, false},
        {"unknown host", nullptr, "no-such-host.invalid", out_, WSAHOST_NOT_FOUND, false},
        {"300-character host", nullptr, longHost, out_, WSAHOST_NOT_FOUND, false},
        {"empty host", nullptr, "", out_, WSAHOST_NOT_FOUND, false},
        {"empty host in a URL", "http:///x", "", out_, WSAHOST_NOT_FOUND, false},
        {"IPv6 text", nullptr, "::1", out_, WSAHOST_NOT_FOUND, false},
        {"IPv6 URL", "http://[::1]/", "", out_, WSAHOST_NOT_FOUND, false},
        {"output folder missing", nullptr, "127.0.0.1", missingDir, ERROR_PATH_NOT_FOUND, false},
    };
    for (const auto &c : cases) {
        DeleteFileA(out_.c_str());
        SetLastError(0);
        int result = c.url ? Download(c.url, c.out.c_str(), nullptr, 1)
                           : GetHttp(c.host.c_str(), "/", c.out.c_str(), nullptr, 1);
        EXPECT_EQ(-1, result) << c.what;
        EXPECT_EQ(c.lastError, GetLastError()) << c.what;
        EXPECT_EQ(c.fileCreated, Exists(c.out)) << c.what;
    }
}

TEST_F(OwnClient, UrlsItCannotTakeAreRefusedBeforeAnyRequest)
{
    HttpServicePort redirect(Port("echo"));
    std::string over = "http://127.0.0.1/" + std::string(1024, 'p');
    std::string hugePath = "/" + std::string(32760, 'p');
    int before = Recorded("echo");
    const char *urls[] = {"", "h", "http:/", "127.0.0.1/path", "https://127.0.0.1/",
                          "ftp://127.0.0.1/a", over.c_str()};
    for (const char *url : urls) {
        EXPECT_EQ(-1, Download(url, out_.c_str(), nullptr, 1)) << url;
        EXPECT_FALSE(Exists(out_)) << url;
    }
    EXPECT_EQ(-1, Download(nullptr, out_.c_str(), nullptr, 1));
    EXPECT_EQ(-1, GetHttp("127.0.0.1", hugePath.c_str(), out_.c_str(), nullptr, 1));
    EXPECT_EQ(-1, GetHttp(nullptr, "/", out_.c_str(), nullptr, 1));
    EXPECT_EQ(-1, GetHttp("127.0.0.1", nullptr, out_.c_str(), nullptr, 1));
    EXPECT_FALSE(Exists(out_));
    EXPECT_EQ(before, Recorded("echo"));
}

// One request of the own client on a thread of its own.
struct Waiting {
    std::string out;
    int result = 0;
    DWORD lastError = 0;
    std::thread thread;
};

// Starts a request to a server that records requests and waits until the
// server holds it: by then the client has read its port, so the services
// database may be pointed elsewhere for the next one.
void StartAgainst(Waiting &client, const char *server, const char *path)
{
    int before = Recorded(server);
    HttpServicePort redirect(Port(server));
    client.thread = std::thread([&client, path] {
        client.result = GetHttp("127.0.0.1", path, client.out.c_str(), nullptr, 1);
        client.lastError = GetLastError();
    });
    for (int i = 0; i < 600 && Recorded(server) == before; ++i)
        Sleep(50);
    EXPECT_EQ(before + 1, Recorded(server)) << server << " never got the request";
}

// A server that never answers, one that falls silent part-way and one whose
// queue is full so that connecting never completes: each request ends with
// the time-out code instead of hanging, and the output file that was there
// stays as it was, closed.  The three waits run side by side.
TEST_F(OwnClient, SilentServersTimeOut)
{
    Waiting silent, stall;
    silent.out = out_ + ".silent";
    stall.out = out_ + ".stall";
    WriteAll(silent.out, "old silent");
    WriteAll(stall.out, "old stall");
    StartAgainst(silent, "silent", "/wait");
    StartAgainst(stall, "stall", "/half");
    {
        HttpServicePort redirect(Port("full"));
        SetLastError(0);
        EXPECT_EQ(-1, GetHttp("127.0.0.1", "/never", out_.c_str(), nullptr, 1));
        EXPECT_EQ(DWORD(WSAETIMEDOUT), GetLastError());
    }
    for (Waiting *client : {&silent, &stall}) {
        if (client->thread.joinable())
            client->thread.join();
        EXPECT_EQ(-1, client->result) << client->out;
        EXPECT_EQ(DWORD(WSAETIMEDOUT), client->lastError) << client->out;
        // Closed: the file opens for writing without sharing.
        HANDLE file = CreateFileA(client->out.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  0, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, file) << client->out;
        CloseHandle(file);
    }
    EXPECT_EQ("GET /wait\n", Request("silent", Recorded("silent")));
    EXPECT_EQ("old silent", ReadAll(silent.out));
    EXPECT_EQ("GET /half\n", Request("stall", Recorded("stall")));
    EXPECT_EQ("old stall", ReadAll(stall.out));
}

} // namespace
