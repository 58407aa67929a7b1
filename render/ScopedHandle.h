#pragma once

#include <windows.h>

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

// A kind of handle that is null while it holds nothing and is released by one call.
template <class H, auto Close>
struct ReleasedBy {
    using Handle = H;
    static Handle Empty() { return nullptr; }
    static void Release(Handle handle) { Close(handle); }
};

// Events, threads, semaphores: anything CloseHandle ends.
using KernelHandle = ScopedHandle<ReleasedBy<HANDLE, &CloseHandle>>;

