// Downloads through the system's URL download service (every mode but 1),
// against python3 -m http.server, with the library's progress object.
#include "net_fixture.h"

#include <urlmon.h>

#include <string>
#include <vector>

namespace {

using namespace nettest;

// What the progress functions saw; one download at a time.
struct ProgressCall {
    DWORD progress, progressMax, status;
    int cancelOnEntry;
};
std::vector<ProgressCall> g_calls;
std::vector<ProgressCall> g_otherCalls;
std::size_t g_cancelAt = 0;   // cancel at this call (1-based); 0 never

int __stdcall Record(DWORD progress, DWORD progressMax, DWORD status, const wchar_t *,
                     int *cancel)
{
    g_calls.push_back({progress, progressMax, status, *cancel});
    if (g_calls.size() == g_cancelAt)
        *cancel = 1;
    return 12345;   // the library ignores the result
}

int __stdcall RecordOther(DWORD progress, DWORD progressMax, DWORD status, const wchar_t *,
                          int *cancel)
{
    g_otherCalls.push_back({progress, progressMax, status, *cancel});
    return 0;
}

class UrlService : public NetTest {
protected:
    void SetUp() override
    {
        NetTest::SetUp();
        g_calls.clear();
        g_otherCalls.clear();
        g_cancelAt = 0;
        host_ = "127.0.0.1:" + std::to_string(Port("web"));
        base_ = "http://" + host_;
    }
    std::string host_, base_;
};

std::string OneMegabyte()
{
    std::string bytes(1024 * 1024, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i % 251);
    return bytes;
}

TEST_F(UrlService, GetHttpAndDownloadFetchTheDocument)
{
    const std::string hello = "hello from the web server\r\n";
    struct Case {
        const char *what;
        int mode;
        bool viaDownload;
    } cases[] = {{"GetHttp mode 0", 0, false},
                 {"GetHttp mode 2", 2, false},
                 {"Download mode 0", 0, true},
                 {"Download mode -1", -1, true}};
    for (const auto &c : cases) {
        DeleteFileA(out_.c_str());
        int result = c.viaDownload
                         ? Download((base_ + "/hello.txt").c_str(), out_.c_str(), nullptr, c.mode)
                         : GetHttp(host_.c_str(), "/hello.txt", out_.c_str(), nullptr, c.mode);
        EXPECT_EQ(0, result) << c.what;
        EXPECT_EQ(hello, ReadAll(out_)) << c.what;
    }
}

TEST_F(UrlService, ProgressIsReportedThroughTheStdcallFunction)
{
    // A 32-bit caller-cleans slip in the call would wreck the stack here.
    EXPECT_EQ(0, Download((base_ + "/1mb.bin").c_str(), out_.c_str(), Record, 0));
    EXPECT_EQ(OneMegabyte(), ReadAll(out_));
    ASSERT_FALSE(g_calls.empty());
    for (const auto &call : g_calls)
        EXPECT_EQ(0, call.cancelOnEntry);
    // Some call reports the whole document.
    bool whole = false;
    for (const auto &call : g_calls)
        whole = whole || call.progress == 1024 * 1024;
    EXPECT_TRUE(whole);
}

TEST_F(UrlService, CancelFromTheProgressFunctionFailsTheDownload)
{
    // The service may still report after the cancel; each call starts with
    // a clear flag.
    g_cancelAt = 1;
    EXPECT_EQ(-1, GetHttp(host_.c_str(), "/1mb.bin", out_.c_str(), Record, 0));
    ASSERT_FALSE(g_calls.empty());
    for (const auto &call : g_calls)
        EXPECT_EQ(0, call.cancelOnEntry);
}

TEST_F(UrlService, OnlyTheLatestProgressFunctionIsCalled)
{
    EXPECT_EQ(0, Download((base_ + "/hello.txt").c_str(), out_.c_str(), RecordOther, 0));
    ASSERT_FALSE(g_otherCalls.empty());
    std::size_t before = g_otherCalls.size();
    EXPECT_EQ(0, Download((base_ + "/hello.txt").c_str(), out_.c_str(), Record, 0));
    EXPECT_FALSE(g_calls.empty());
    EXPECT_EQ(before, g_otherCalls.size());
    // Without a progress function none is called.
    std::size_t calls = g_calls.size();
    EXPECT_EQ(0, Download((base_ + "/hello.txt").c_str(), out_.c_str(), nullptr, 0));
    EXPECT_EQ(calls, g_calls.size());
}

// What the service itself makes of a URL, as the export should report it.
int ServiceResult(const std::string &url, const std::string &out)
{
    return URLDownloadToFileA(nullptr, url.c_str(), out.c_str(), 0, nullptr) == S_OK ? 0 : -1;
}

TEST_F(UrlService, TheServiceDecidesAboutMissingDocumentsAndOtherSchemes)
{
    // A 404 and a URL without "http://" go to the service unchanged; the
    // export reports exactly what the service says.
    const std::string urls[] = {base_ + "/missing.txt", host_ + "/hello.txt"};
    for (const std::string &url : urls) {
        std::string direct = out_ + ".direct";
        int expected = ServiceResult(url, direct);
        EXPECT_EQ(expected, Download(url.c_str(), out_.c_str(), nullptr, 0)) << url;
        EXPECT_EQ(expected, Download(url.c_str(), out_.c_str(), Record, 0)) << url;
        if (expected == 0) {
            EXPECT_EQ(ReadAll(direct), ReadAll(out_)) << url;
        }
    }
}

TEST_F(UrlService, FailuresOfTheServiceGiveMinusOne)
{
    std::string refused = "http://127.0.0.1:" + std::to_string(Port("refused")) + "/x";
    EXPECT_EQ(-1, Download(refused.c_str(), out_.c_str(), nullptr, 0));
    EXPECT_EQ(-1, Download(refused.c_str(), out_.c_str(), Record, 0));
    EXPECT_EQ(-1, Download(nullptr, out_.c_str(), nullptr, 0));
    std::string longHost(300, 'a');
    EXPECT_EQ(-1, GetHttp(longHost.c_str(), "/", out_.c_str(), nullptr, 0));
    EXPECT_EQ(-1, GetHttp("", "/x", out_.c_str(), nullptr, 0));
    // A URL over the limit never reaches the service.
    g_calls.clear();
    std::string hugePath = "/" + std::string(32760, 'p');
    EXPECT_EQ(-1, GetHttp(host_.c_str(), hugePath.c_str(), out_.c_str(), Record, 0));
    EXPECT_TRUE(g_calls.empty());
}

} // namespace
