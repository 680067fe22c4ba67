// Owners of the Win32 handles and COM objects the library's exports open:
// each closes or releases its own when it goes out of scope.
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

// A COM interface pointer: released when it goes out of scope.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr &) = delete;
    ComPtr &operator=(const ComPtr &) = delete;
    ~ComPtr() { reset(); }
    T *get() const { return p_; }
    T *operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // The place for a function that hands out a new reference; any held one
    // is released first.
    T **out()
    {
        reset();
        return &p_;
    }
    void reset()
    {
        if (p_)
            p_->Release();
        p_ = nullptr;
    }
    // Gives the reference away.
    T *release()
    {
        T *p = p_;
        p_ = nullptr;
        return p;
    }

private:
    T *p_ = nullptr;
};

// A block from a COM allocator (the shell's IMalloc), freed with it.
template <class T>
class MallocPtr {
public:
    explicit MallocPtr(IMalloc *allocator, T *block = nullptr) : allocator_(allocator), p_(block) {}
    MallocPtr(const MallocPtr &) = delete;
    MallocPtr &operator=(const MallocPtr &) = delete;
    ~MallocPtr() { reset(); }
    T *get() const { return p_; }
    T **out()
    {
        reset();
        return &p_;
    }
    void reset()
    {
        if (p_)
            allocator_->Free(p_);
        p_ = nullptr;
    }
    // Gives the block away.
    T *release()
    {
        T *p = p_;
        p_ = nullptr;
        return p;
    }

private:
    IMalloc *allocator_;
    T *p_;
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

} // namespace loom
