// Downloads that fail never touch the file they were to replace: each case
// starts with an output file already there and checks the result, the last
// error (own client) and the file afterwards, in both modes.  (A reset in
// the middle of an answer is left out for the URL download service: under
// Wine it may then wait for ever.)
#include "net_fixture.h"

#include <urlmon.h>

#include <string>

namespace {

using namespace nettest;

const char kOld[] = "the document of the last download";
// The service's own verdict: the export reports what URLDownloadToFileA
// says when called directly, and the file holds what it delivered.
constexpr int kAsTheService = 99;

int __stdcall CancelAtOnce(DWORD, DWORD, DWORD, const wchar_t *, int *cancel)
{
    *cancel = 1;
    return 0;
}

class DownloadFailures : public NetTest {};

TEST_F(DownloadFailures, TheOldFileStaysUnlessTheDownloadSucceeded)
{
    const std::string echoed = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nGET /doc\n";
    const std::string hello = "hello from the web server\r\n";
    struct Case {
        const char *what;
        const char *server;
        int mode;
        int result;
        std::string after;        // the output file afterwards
        DWORD lastError = 0;      // mode 1 only
        DWORD orLastError = 0;    // another code the socket layer may give
        bool cancel = false;      // the progress function cancels
        bool deep = false;        // the output lies in a folder too long for a
                                  // temporary name (no old file there: after
                                  // is "<missing>")
    } cases[] = {
        {"own client, whole answer", "echo", 1, 0, echoed},
        {"own client, refused", "refused", 1, -1, kOld, WSAECONNREFUSED},
        // A socket layer may report the reset as the end of the answer:
        // the length the answer promised tells it was cut off.
        {"own client, reset after 1,000 of 5,000 bytes", "reset", 1, -1, kOld, WSAECONNRESET,
         ERROR_HANDLE_EOF},
        {"own client, closed after 1,000 of 5,000 bytes", "short", 1, -1, kOld, ERROR_HANDLE_EOF},
        {"own client, 10 of 1,000 bytes after a header line of 17,000", "longheader", 1, -1, kOld,
         ERROR_HANDLE_EOF},
        {"own client, output in a folder of 260 characters", "echo", 1, -1, "<missing>",
         ERROR_FILENAME_EXCED_RANGE, 0, false, true},
        {"service, output in a folder of 260 characters", "web", 0, -1, "<missing>", 0, 0, false,
         true},
        {"service, whole document", "web", 0, 0, hello},
        {"service, refused", "refused", 0, -1, kOld},
        {"service, cancelled by the progress function", "web", 0, -1, kOld, 0, 0, true},
        {"service, closed after 1,000 of 5,000 bytes", "short", 0, kAsTheService, ""},
    };
    // A folder of 260 characters, made through the form that reaches past
    // MAX_PATH.
    std::string deep = WorkDir();
    std::wstring deepLong = L"\\\\?\\" + std::wstring(deep.begin(), deep.end());
    while (deep.size() < 260) {
        const std::string part(std::min<std::size_t>(60, 260 - deep.size()), 'd');
        deep += "\\" + part;
        deepLong += L"\\" + std::wstring(part.begin(), part.end());
        CreateDirectoryW(deepLong.c_str(), nullptr);
    }
    for (const auto &c : cases) {
        const std::string out = c.deep ? deep + "\\doc.bin" : out_;
        if (!c.deep)
            WriteAll(out_, kOld);
        int result;
        DWORD lastError = 0;
        int expected = c.result;
        std::string after = c.after;
        if (c.mode == 1) {
            HttpServicePort redirect(Port(c.server));
            SetLastError(0);
            result = GetHttp("127.0.0.1", "/doc", out.c_str(), nullptr, 1);
            lastError = GetLastError();
        } else {
            const std::string url = "http://127.0.0.1:" + std::to_string(Port(c.server)) +
                                    (c.cancel ? "/1mb.bin"
                                     : std::string(c.server) == "web" ? "/hello.txt" : "/doc");
            if (expected == kAsTheService) {
                const std::string direct = out_ + ".direct";
                // Under another host name: the service would hold on to
                // its connection to the one it used.
                const std::string other =
                    "http://localhost:" + std::to_string(Port(c.server)) + "/direct";
                expected = URLDownloadToFileA(nullptr, other.c_str(), direct.c_str(), 0, nullptr) ==
                                   S_OK
                               ? 0
                               : -1;
                after = expected == 0 ? ReadAll(direct) : kOld;
                DeleteFileA(direct.c_str());
            }
            result = Download(url.c_str(), out.c_str(), c.cancel ? CancelAtOnce : nullptr, 0);
        }
        EXPECT_EQ(expected, result) << c.what;
        if (c.mode == 1 && lastError != c.orLastError) {
            EXPECT_EQ(c.lastError, lastError) << c.what;
        }
        EXPECT_EQ(after, ReadAll(out)) << c.what;
    }
    // Nothing was made in the deep folder.
    WIN32_FIND_DATAW inDeep;
    HANDLE deepFind = FindFirstFileW((deepLong + L"\\*.*").c_str(), &inDeep);
    int entries = 0;
    if (deepFind != INVALID_HANDLE_VALUE) {
        do
            entries += inDeep.cFileName[0] != L'.';
        while (FindNextFileW(deepFind, &inDeep));
        FindClose(deepFind);
    }
    EXPECT_EQ(0, entries);
    // The deep folder goes again, from its deepest part up.
    while (deepLong.size() > WorkDir().size() + 4) {
        RemoveDirectoryW(deepLong.c_str());
        deepLong.resize(deepLong.rfind(L'\\'));
    }
    // No temporary file is left beside the output.
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((WorkDir() + "\\~lm*.tmp").c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, find) << found.cFileName;
    if (find != INVALID_HANDLE_VALUE)
        FindClose(find);
}

} // namespace
