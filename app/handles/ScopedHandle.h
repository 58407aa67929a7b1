#pragma once

#include <windows.h>

#include <cstdio>
#include <utility>

// One owner for a handle: released once, when the owner goes out of scope or is given another
// handle, never twice. A Kind says what its empty value is and how it is released.
template <class Kind>
class ScopedHandle {
public:
    using Handle = typename Kind::Handle;

    ScopedHandle() = default;
    explicit ScopedHandle(Handle handle) : handle_(handle) {}
    ~ScopedHandle() { reset(); }
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept
    {
        reset(other.release());
        return *this;
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Kind::Empty(); }

    void reset(Handle handle = Kind::Empty())
    {
        const Handle old = std::exchange(handle_, handle);
        if (old != Kind::Empty()) {
            Kind::Release(old);
        }
    }

    // Gives the handle up without releasing it: for one that must outlive its owner, such as
    // a handle another thread still uses when the process ends.
    Handle release() { return std::exchange(handle_, Kind::Empty()); }

private:
    Handle handle_ = Kind::Empty();
};

// Events, threads, semaphores: anything CloseHandle ends.
struct KernelHandleKind {
    using Handle = HANDLE;
    static Handle Empty() { return nullptr; }
    static void Release(Handle handle) { CloseHandle(handle); }
};
using KernelHandle = ScopedHandle<KernelHandleKind>;

// A FindFirstFile search.
struct FileSearchKind {
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static void Release(Handle handle) { FindClose(handle); }
};
using FileSearch = ScopedHandle<FileSearchKind>;

// A C file that is read, or written where nothing needs to know whether its close succeeded.
struct CFileKind {
    using Handle = FILE*;
    static Handle Empty() { return nullptr; }
    static void Release(Handle file) { fclose(file); }
};
using CFile = ScopedHandle<CFileKind>;

// A menu of the program's own, not one a window holds (which goes with the window).
struct MenuKind {
    using Handle = HMENU;
    static Handle Empty() { return nullptr; }
    static void Release(Handle menu) { DestroyMenu(menu); }
};
using Menu = ScopedHandle<MenuKind>;
