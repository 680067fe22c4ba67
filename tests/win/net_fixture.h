// What the network tests share: the servers that net_servers.py started
// (their ports and working folder come in the environment), the services
// database entry that points the library's own client at one of them.
#pragma once

#include "net/loomnet.h"
#include "win_test_util.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <sstream>
#include <string>

namespace nettest {

// The port of one server, from LOOM_NET_PORT_<NAME>; 0 when missing.
inline int Port(const std::string &name)
{
    std::string variable = "LOOM_NET_PORT_";
    for (char c : name)
        variable += char(std::toupper(static_cast<unsigned char>(c)));
    char text[16] = {};
    GetEnvironmentVariableA(variable.c_str(), text, sizeof text);
    return std::atoi(text);
}

// The servers' working folder; the tests write their output files there too.
inline std::string WorkDir()
{
    char text[MAX_PATH] = {};
    GetEnvironmentVariableA("LOOM_NET_DIR", text, sizeof text);
    return text;
}

using testsupport::Exists;
using testsupport::ReadAll;
using testsupport::WriteAll;

// Points the service "http" of the system's services database at a port of
// the loopback address for as long as it lives, then puts the file back.
// The library's own client takes its port from there, exactly as on a
// machine whose administrator moved the service.
class HttpServicePort {
public:
    explicit HttpServicePort(int port)
    {
        char system[MAX_PATH] = {};
        GetSystemDirectoryA(system, sizeof system);
        path_ = std::string(system) + "\\drivers\\etc\\services";
        original_ = ReadAll(path_);
        std::string redirected = "http\t" + std::to_string(port) + "/tcp\twww\n";
        std::istringstream lines(original_);
        std::string line;
        while (std::getline(lines, line)) {
            std::istringstream words(line);
            std::string name, portText;
            words >> name >> portText;
            bool httpTcp = name == "http" && portText.size() > 4 &&
                           portText.compare(portText.size() - 4, 4, "/tcp") == 0;
            if (!httpTcp)
                redirected += line + "\n";
        }
        EXPECT_TRUE(WriteAll(path_, redirected)) << path_;
    }
    HttpServicePort(const HttpServicePort &) = delete;
    HttpServicePort &operator=(const HttpServicePort &) = delete;
    ~HttpServicePort()
    {
        if (original_ != "<missing>") {
            EXPECT_TRUE(WriteAll(path_, original_)) << path_;
        }
    }

private:
    std::string path_;
    std::string original_;
};

// The number of requests one server has recorded so far.
inline int Recorded(const char *server)
{
    int n = 0;
    while (Exists(WorkDir() + "\\requests\\" + server + "-" + std::to_string(n + 1) + ".bin"))
        ++n;
    return n;
}

// The exact bytes of request number n of a server.
inline std::string Request(const char *server, int n)
{
    return ReadAll(WorkDir() + "\\requests\\" + server + "-" + std::to_string(n) + ".bin");
}

// Base of the network tests: fails at once when the servers are missing
// (the program was started without net_servers.py).
class NetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(WorkDir().empty()) << "run through tests/win/net_servers.py";
        ASSERT_NE(0, Port("echo")) << "run through tests/win/net_servers.py";
        out_ = WorkDir() + "\\" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".out";
        DeleteFileA(out_.c_str());
    }
    std::string out_;
};

} // namespace nettest
