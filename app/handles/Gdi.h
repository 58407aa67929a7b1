#pragma once

#include <windows.h>
#include <commctrl.h>

#include "app/handles/ScopedHandle.h"

// Owners of the GDI's objects and DCs, each released once when it goes out of scope.

// A bitmap, brush, pen or font.
template <class T>
using GdiObject = ScopedHandle<ReleasedBy<T, &DeleteObject>>;

// A DC made with CreateCompatibleDC.
using MemoryDc = ScopedHandle<ReleasedBy<HDC, &DeleteDC>>;

// An image list, such as a toolbar's; it must outlive the control that shows it.
using ImageList = ScopedHandle<ReleasedBy<HIMAGELIST, &ImageList_Destroy>>;

// A memory DC with a bitmap of its own selected into it for the DC's whole life: the window's
// DIB section, its back buffer. The bitmap is selected out again, then the DC and the bitmap
// are deleted, once and in that order, when the owner goes out of scope or is reset: a bitmap
// still selected into a DC cannot be deleted.
class BitmapDc {
public:
    BitmapDc() = default;
    ~BitmapDc() { reset(); }
    BitmapDc(const BitmapDc&) = delete;
    BitmapDc& operator=(const BitmapDc&) = delete;

    // A new DC compatible with `like` (the screen's for null), without a bitmap of its own yet.
    void Create(HDC like)
    {
        reset();
        dc_.reset(CreateCompatibleDC(like));
    }

    // Takes the bitmap, made for this DC, and selects it. Without a DC it is only deleted.
    void Hold(HBITMAP bitmap)
    {
        GdiObject<HBITMAP> held(bitmap);
        if (!dc_ || !held) {
            return;
        }
        const HGDIOBJ previous = SelectObject(dc_.get(), bitmap);
        if (original_ == nullptr) {
            original_ = previous; // the DC's own bitmap, selected again before the DC goes
        }
        bitmap_ = std::move(held); // any bitmap held before is out of the DC now, and goes
    }

    void reset()
    {
        if (dc_ && original_ != nullptr) {
            SelectObject(dc_.get(), original_);
        }
        original_ = nullptr;
        dc_.reset();
        bitmap_.reset();
    }

    HDC get() const { return dc_.get(); }

private:
    MemoryDc dc_;
    GdiObject<HBITMAP> bitmap_;
    HGDIOBJ original_ = nullptr;
};

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

// The DC of a WM_PAINT: BeginPaint when made, EndPaint once when it goes out of scope, which
// also validates the area it was asked to paint.
class PaintDc {
public:
    explicit PaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintDc() { EndPaint(window_, &paint_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;

    HDC get() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};
