// The library's own HTTP client and the Windows Sockets start shared with
// the lookups.
#pragma once

#include "util/handles_win.h"

namespace loom {

// Codes of the Windows Sockets start: the session is usable only with 0.
constexpr int kWinsockNotStarted = 1;
constexpr int kWinsockNotVersion11 = 2;
// The own client's code for an output file that cannot be created or
// written.
constexpr int kHttpFileError = 10;

// The outcome of one lookup or request: the code the caller gets, and what
// the thread's last error becomes once every handle is closed (the socket
// error, or the file system's error for kHttpFileError).
struct NetResult {
    int code;
    DWORD lastError;
};

// The socket layer's last error as a result.
NetResult LastSocketError();

// Starts Windows Sockets 1.1 into session; {0, 0} when it is usable.
NetResult StartWinsock11(const WinsockSession &session);

// Fetches path from host into outPath (null: the answer is discarded):
// 0 on success, the Windows Sockets start codes, kHttpFileError or the
// socket error code.  The socket and the file are closed, and Windows
// Sockets cleaned up, before it returns; the thread's last error is set as
// NetResult says.
int FetchHttp(const char *host, const char *path, const char *outPath);

} // namespace loom
