// Copies between the three pictures: the 8-bit DIB a render writes, the back buffer that holds
// the last finished picture, and the window. The image is GetWidth x GetHeight; it starts at
// row imageTop on the window and in the back buffer, at the top-left corner of the DIB.
#include "app/window/ZorbGUI.h"

namespace {

// While alive, the rubber band (if one is drawn) is off the window, so that a copy neither
// reads it into a picture nor paints over part of it; drawn again afterwards. The band's lock
// keeps the UI thread's band moves and the driver thread's copies apart.
class BandLifted {
public:
    BandLifted(ZorbGUI* gui, HDC dc) : gui_(gui), dc_(dc), lock_(gui->bandLock)
    {
        if (gui_->bandShown) {
            gui_->InvertRubberBand(dc_, gui_->dragStart, gui_->dragEnd);
        }
    }
    ~BandLifted()
    {
        if (gui_->bandShown) {
            gui_->InvertRubberBand(dc_, gui_->dragStart, gui_->dragEnd);
        }
    }
    BandLifted(const BandLifted&) = delete;
    BandLifted& operator=(const BandLifted&) = delete;

private:
    ZorbGUI* gui_;
    HDC dc_;
    CriticalSectionLock lock_;
};

} // namespace

// The driver thread draws with the DC it took at the render start; the UI thread never shares
// it and takes a DC of its own for each copy.
HDC ZorbGUI::RenderWindowDc() const
{
    return OnRenderThread() && windowDC ? windowDC->get() : nullptr;
}

void ZorbGUI::BackBufferToDib()
{
    if (memoryDC.get() == nullptr || backBufferDC.get() == nullptr) {
        return;
    }
    BitBlt(memoryDC.get(), 0, 0, GetWidth(), GetHeight(), backBufferDC.get(), 0, imageTop, SRCCOPY);
}

void ZorbGUI::DibToWindow(HDC windowDc)
{
    if (memoryDC.get() == nullptr) {
        return;
    }
    WindowDc dc(hwnd, windowDc != nullptr ? windowDc : RenderWindowDc());
    BandLifted lifted(this, dc.get());
    BitBlt(dc.get(), 0, imageTop, GetWidth(), GetHeight(), memoryDC.get(), 0, 0, SRCCOPY);
}

void ZorbGUI::DibToBackBuffer()
{
    if (memoryDC.get() == nullptr || backBufferDC.get() == nullptr) {
        return;
    }
    BitBlt(backBufferDC.get(), 0, imageTop, GetWidth(), GetHeight(), memoryDC.get(), 0, 0, SRCCOPY);
}

void ZorbGUI::BackBufferToWindow(HDC windowDc)
{
    if (backBufferDC.get() == nullptr) {
        return;
    }
    WindowDc dc(hwnd, windowDc != nullptr ? windowDc : RenderWindowDc());
    BandLifted lifted(this, dc.get());
    BitBlt(dc.get(), 0, imageTop, GetWidth(), GetHeight(), backBufferDC.get(), 0, imageTop, SRCCOPY);
}

void ZorbGUI::WindowToBackBuffer(HDC windowDc)
{
    if (backBufferDC.get() == nullptr) {
        return;
    }
    WindowDc dc(hwnd, windowDc != nullptr ? windowDc : RenderWindowDc());
    BandLifted lifted(this, dc.get());
    BitBlt(backBufferDC.get(), 0, imageTop, GetWidth(), GetHeight(), dc.get(), 0, imageTop, SRCCOPY);
}

void ZorbGUI::PaintImage(HDC dc)
{
    BackBufferToWindow(dc);
}
