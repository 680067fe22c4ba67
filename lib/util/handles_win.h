// Owners of the Win32 handles the utility exports open: each closes its
// handle when it goes out of scope.
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

// A kernel object whose "no handle" value is null (tokens, processes,
// threads, events), closed with CloseHandle.
class KernelHandle {
public:
    KernelHandle() = default;
    KernelHandle(const KernelHandle &) = delete;
    KernelHandle &operator=(const KernelHandle &) = delete;
    ~KernelHandle()
    {
        if (handle_)
            CloseHandle(handle_);
    }
    HANDLE get() const { return handle_; }
    HANDLE *out() { return &handle_; }

private:
    HANDLE handle_ = nullptr;
};

} // namespace loom
