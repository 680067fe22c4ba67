// Owners of the Win32 handles the utility exports open: each closes its
// handle when it goes out of scope.
#pragma once

#include <windows.h>

#include <io.h>

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

// A library loaded with LoadLibrary.
class ModuleHandle {
public:
    explicit ModuleHandle(HMODULE module) : module_(module) {}
    ModuleHandle(const ModuleHandle &) = delete;
    ModuleHandle &operator=(const ModuleHandle &) = delete;
    ~ModuleHandle()
    {
        if (module_)
            FreeLibrary(module_);
    }
    HMODULE get() const { return module_; }

private:
    HMODULE module_;
};

// A C runtime file descriptor (_open).
class CrtFile {
public:
    explicit CrtFile(int fd) : fd_(fd) {}
    CrtFile(const CrtFile &) = delete;
    CrtFile &operator=(const CrtFile &) = delete;
    ~CrtFile()
    {
        if (fd_ != -1)
            _close(fd_);
    }
    int get() const { return fd_; }

private:
    int fd_;
};

// A handle whose release function is known only at run time: an entry
// point of a library loaded on demand (FDIDestroy, FCIDestroy).
template <class Handle, class ReleaseFn>
class LoadedHandle {
public:
    LoadedHandle(Handle handle, ReleaseFn release) : handle_(handle), release_(release) {}
    LoadedHandle(const LoadedHandle &) = delete;
    LoadedHandle &operator=(const LoadedHandle &) = delete;
    ~LoadedHandle()
    {
        if (handle_)
            release_(handle_);
    }
    Handle get() const { return handle_; }

private:
    Handle handle_;
    ReleaseFn release_;
};

} // namespace loom
