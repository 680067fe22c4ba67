// Owners of Win32 handles, for the library and the program alike: each
// closes its handle when it goes out of scope.  They cannot be copied; a
// handle moves to another owner, or leaves ownership with release().
// <windows.h> brings Windows Sockets 1.1 (<winsock.h>) for the socket owners.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <io.h>

namespace loom {

// One owner for every kind of handle; Traits names the handle type, the
// value that means "no handle", and how a handle is closed.
template <class Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    UniqueHandle(UniqueHandle &&other) noexcept : handle_(other.release()) {}
    UniqueHandle &operator=(UniqueHandle &&other) noexcept
    {
        reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle &) = delete;
    UniqueHandle &operator=(const UniqueHandle &) = delete;
    ~UniqueHandle() { reset(); }

    bool valid() const { return handle_ != Traits::None(); }
    Handle get() const { return handle_; }
    // For functions that hand a new handle back through a pointer: any
    // handle held so far is closed first.
    Handle *out()
    {
        reset();
        return &handle_;
    }
    // Gives the handle up without closing it.
    Handle release()
    {
        Handle handle = handle_;
        handle_ = Traits::None();
        return handle;
    }
    // Closes the handle held, if any, and takes `handle`.
    void reset(Handle handle = Traits::None())
    {
        if (valid())
            Traits::Close(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = Traits::None();
};

struct RegKeyTraits {
    using Handle = HKEY;
    static Handle None() { return nullptr; }
    static void Close(Handle key) { RegCloseKey(key); }
};

// A file opened with CreateFile: INVALID_HANDLE_VALUE means none.
struct FileTraits {
    using Handle = HANDLE;
    static Handle None() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle file) { CloseHandle(file); }
};

// A thread, process or other kernel object: null means none.
struct KernelObjectTraits {
    using Handle = HANDLE;
    static Handle None() { return nullptr; }
    static void Close(Handle object) { CloseHandle(object); }
};

struct FindTraits {
    using Handle = HANDLE;
    static Handle None() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle find) { FindClose(find); }
};

template <class Object>
struct GdiObjectTraits {
    using Handle = Object;
    static Handle None() { return nullptr; }
    static void Close(Handle object) { DeleteObject(object); }
};

struct MenuTraits {
    using Handle = HMENU;
    static Handle None() { return nullptr; }
    static void Close(Handle menu) { DestroyMenu(menu); }
};

// A window: destroyed with its children.
struct WindowTraits {
    using Handle = HWND;
    static Handle None() { return nullptr; }
    static void Close(Handle window) { DestroyWindow(window); }
};

// The files of a drop on a window (WM_DROPFILES): given back with DragFinish.
struct DropTraits {
    using Handle = HDROP;
    static Handle None() { return nullptr; }
    static void Close(Handle drop) { DragFinish(drop); }
};

// A library loaded with LoadLibrary.
struct ModuleTraits {
    using Handle = HMODULE;
    static Handle None() { return nullptr; }
    static void Close(Handle module) { FreeLibrary(module); }
};

// A C runtime file descriptor (_open): -1 means none.
struct CrtFileTraits {
    using Handle = int;
    static Handle None() { return -1; }
    static void Close(Handle fd) { _close(fd); }
};

struct SocketTraits {
    using Handle = SOCKET;
    static Handle None() { return INVALID_SOCKET; }
    static void Close(Handle socket) { closesocket(socket); }
};

// A memory device context (CreateCompatibleDC).
struct MemoryDcTraits {
    using Handle = HDC;
    static Handle None() { return nullptr; }
    static void Close(Handle dc) { DeleteDC(dc); }
};

// A COM interface pointer: one reference, released.
template <class Interface>
struct ComTraits {
    using Handle = Interface *;
    static Handle None() { return nullptr; }
    static void Close(Handle object) { object->Release(); }
};

// A block of COM task memory, which is also what the shell allocates (item
// identifier lists, names): freed with CoTaskMemFree.
template <class Block>
struct TaskMemTraits {
    using Handle = Block *;
    static Handle None() { return nullptr; }
    static void Close(Handle block) { CoTaskMemFree(block); }
};

using RegKey = UniqueHandle<RegKeyTraits>;
using FileHandle = UniqueHandle<FileTraits>;
using KernelObject = UniqueHandle<KernelObjectTraits>;
using FindHandle = UniqueHandle<FindTraits>;
template <class Object>
using GdiObject = UniqueHandle<GdiObjectTraits<Object>>;
using FontHandle = GdiObject<HFONT>;
using MenuHandle = UniqueHandle<MenuTraits>;
using WindowHandle = UniqueHandle<WindowTraits>;
using DropHandle = UniqueHandle<DropTraits>;
using SocketHandle = UniqueHandle<SocketTraits>;
using ModuleHandle = UniqueHandle<ModuleTraits>;
using CrtFile = UniqueHandle<CrtFileTraits>;
using MemoryDc = UniqueHandle<MemoryDcTraits>;
template <class Interface>
using ComPtr = UniqueHandle<ComTraits<Interface>>;
template <class Block>
using TaskMem = UniqueHandle<TaskMemTraits<Block>>;

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

// A handle whose release function is known only at run time: an entry
// point of a library loaded on demand (FDIDestroy, FCIDestroy), which a
// Traits type cannot name.
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
