#pragma once

#include <windows.h>

// A DC of a window, or of the screen for a null window, released once when it goes out of
// scope. Given a DC someone else holds, it only borrows it: the copies that a caller hands a DC
// draw with that one and release nothing.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)), owned_(true) {}
    WindowDc(HWND window, HDC given)
        : window_(window), dc_(given != nullptr ? given : GetDC(window)), owned_(given == nullptr)
    {
    }
    ~WindowDc()
    {
        if (owned_ && dc_ != nullptr) {
            ReleaseDC(window_, dc_);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
    bool owned_;
};
