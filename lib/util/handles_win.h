// Owners of the Win32 handles the library's exports open: each closes its
// handle when it goes out of scope.  <windows.h> brings Windows Sockets 1.1
// (<winsock.h>) with it, which the socket owners use.
#pragma once

#include <windows.h>

namespace loom {

class RegKey {
public:
    RegKey() = default;
    RegKey(const RegKey &) = delete;
    RegKey &operator=(const RegKey &) = delete;
    ~RegKey()
    {
        if (key_)
            RegCloseKey(key_);
    }
    HKEY get() const { return key_; }
    HKEY *out() { return &key_; }

private:
    HKEY key_ = nullptr;
};

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    FileHandle(const FileHandle &) = delete;
    FileHandle &operator=(const FileHandle &) = delete;
    ~FileHandle()
    {
        if (valid())
            CloseHandle(handle_);
    }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    FindHandle(const FindHandle &) = delete;
    FindHandle &operator=(const FindHandle &) = delete;
    ~FindHandle()
    {
        if (valid())
            FindClose(handle_);
    }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// One use of Windows Sockets, started with the version asked for and cleaned
// up when it goes out of scope, if it started.
class WinsockSession {
public:
    explicit WinsockSession(WORD version) : result_(WSAStartup(version, &data_)) {}
    WinsockSession(const WinsockSession &) = delete;
    WinsockSession &operator=(const WinsockSession &) = delete;
    ~WinsockSession()
    {
        if (result_ == 0)
            WSACleanup();
    }
    // WSAStartup's result: 0 when started.
    int result() const { return result_; }
    WORD version() const { return data_.wVersion; }

private:
    WSADATA data_ = {};
    int result_;
};

class SocketHandle {
public:
    explicit SocketHandle(SOCKET socket) : socket_(socket) {}
    SocketHandle(const SocketHandle &) = delete;
    SocketHandle &operator=(const SocketHandle &) = delete;
    ~SocketHandle()
    {
        if (valid())
            closesocket(socket_);
    }
    bool valid() const { return socket_ != INVALID_SOCKET; }
    SOCKET get() const { return socket_; }

private:
    SOCKET socket_;
};

} // namespace loom
