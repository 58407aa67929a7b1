#pragma once

#include <windows.h>

// A kernel handle with one owner: closed once, when the owner lets it go. Creation functions
// fail with null or with INVALID_HANDLE_VALUE, depending on the function; both mean none here.
class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
    ~ScopedHandle() { Reset(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    HANDLE Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }

    // Closes the handle held, if any, and holds `handle` instead.
    void Reset(HANDLE handle = nullptr)
    {
        if (*this) {
            CloseHandle(handle_);
        }
        handle_ = handle;
    }

private:
    HANDLE handle_ = nullptr;
};
