// Mouse input of the main window: the rubber band and its zoom animation, the wheel zoom with
// its stretched preview, the middle-button Julia switch and the cursor position readout.
#include "app/window/ZorbGUI.h"

#include <cmath>
#include <cstdio>

#include "app/resources/resource.h"
#include "app/view/ViewBounds.h"
#include "render/RenderDriver.h"
#include "render/RenderRunningFlag.h"

bool BandFirstMove = false;

namespace {

constexpr uint32_t kReleaseStepMs = 10;
constexpr uint32_t kReleaseTotalMs = 100;
constexpr double kWheelNotchZoom = 110.0; // one notch of 120 zooms by 110/120
constexpr double kWheelOutScale = 0.00909090909090909; // 1 / 110
constexpr float kAnimationSpeed = 2.0f; // the zoom animation lasts half a second

bool FreeBox(WPARAM keys)
{
    return (keys & (MK_SHIFT | MK_CONTROL)) != 0;
}

} // namespace

void ZorbGUI::InvertRubberBand(HDC dc, POINT start, POINT end)
{
    const int oldMode = SetROP2(dc, R2_NOT);
    MoveToEx(dc, start.x, start.y + imageTop, nullptr);
    LineTo(dc, start.x, end.y + imageTop);
    LineTo(dc, end.x, end.y + imageTop);
    LineTo(dc, end.x, start.y + imageTop);
    LineTo(dc, start.x, start.y + imageTop);
    SetROP2(dc, oldMode);
}

POINT ZorbGUI::BandCorner(int x, int y, bool freeBox)
{
    POINT corner{x, y};
    const int width = GetWidth();
    if (!freeBox && width >= 1) {
        // The same image width as the zoom's proportions, so that the box zoomed is the one drawn.
        corner.y = static_cast<int>(static_cast<double>(x - dragStart.x) * GetHeight() / width + dragStart.y);
    }
    return corner;
}

LRESULT ZorbGUI::OnMouseMove(WPARAM keys, int x, int y)
{
    if ((keys & MK_LBUTTON) == 0 || !dragging) {
        ShowCursorPosition(x, y);
        return 0;
    }
    const WindowDc windowDc(hwnd);
    const HDC dc = windowDc.get();
    {
        CriticalSectionLock lock(bandLock);
        if (bandShown) {
            InvertRubberBand(dc, dragStart, dragEnd);
        }
        BandFirstMove = false;
        bandFree = FreeBox(keys);
        dragEnd = BandCorner(x, y - imageTop, bandFree);
        InvertRubberBand(dc, dragStart, dragEnd);
        bandShown = true;
    }
    return 0;
}

void ZorbGUI::ShowCursorPosition(int x, int y)
{
    const int height = GetHeight();
    if (clientWidth < 1 || height < 1) {
        return;
    }
    const double re = static_cast<double>(x) / clientWidth * view.spanX + view.xMin;
    const double im = view.yMax - (static_cast<double>(y - imageTop) + 1) / height * view.spanY;
    char text[128];
    std::snprintf(text, sizeof(text), "(%.4f,%.4f)", re, im);
    SendMessageA(statusBar, SB_SETTEXTA, StatusPart::CursorPosition, reinterpret_cast<LPARAM>(text));
}

LRESULT ZorbGUI::OnLButtonDown(int x, int y)
{
    SetRenderRunning(false);
    BandFirstMove = true;
    SetCapture(hwnd);
    dragStart.x = x;
    dragStart.y = y - imageTop;
    dragging = 1;
    return 0;
}

LRESULT ZorbGUI::ZoomToSelection(WPARAM keys, int x, int y)
{
    if (!BandFirstMove && !dragging) {
        return 0;
    }
    if (RenderRunningFlag.load()) {
        StopRenderAndWait(kReleaseStepMs, kReleaseTotalMs);
    }
    BandFirstMove = false;
    if (GetCapture() != hwnd) {
        return 0;
    }
    ReleaseCapture();
    dragging = 0;

    // The zoom takes the box the user saw drawn: its corner and its kind (a Shift or Control
    // let go before the button does not change it). Without a band, the release point decides.
    bool freeBox;
    POINT corner;
    {
        CriticalSectionLock lock(bandLock);
        freeBox = bandShown ? bandFree : FreeBox(keys);
        corner = bandShown ? dragEnd : BandCorner(x, y - imageTop, freeBox);
    }
    const POINT bandStart = dragStart;
    SelectionBox box{};
    const bool zooms = ZoomViewToSelection(corner, freeBox, &box);
    const WindowDc windowDc(hwnd);
    const HDC dc = windowDc.get();
    {
        CriticalSectionLock lock(bandLock);
        // Nothing paints over a band that zooms nothing; one that zooms, the animation covers.
        if (bandShown && !zooms) {
            InvertRubberBand(dc, bandStart, dragEnd);
        }
        bandShown = false;
    }
    if (!zooms) {
        return 0;
    }
    const int width = GetWidth();
    const int height = GetHeight();
    // The box grows from its own place to the whole picture, slowly at first.
    const double t0 = QpcSeconds();
    float t = kAnimationSpeed * static_cast<float>(QpcSeconds() - t0);
    while (t <= 1.0f) {
        const float s = t * t;
        StretchBlt(dc, static_cast<int>(box.left - box.left * s),
                   static_cast<int>(imageTop + box.top - box.top * s),
                   static_cast<int>((width - box.width) * s + box.width),
                   static_cast<int>((height - box.height) * s + box.height), memoryDC.get(), box.left, box.top,
                   box.width, box.height, SRCCOPY);
        Sleep(0);
        t = kAnimationSpeed * static_cast<float>(QpcSeconds() - t0);
    }
    StretchBlt(dc, 0, imageTop, width, height, memoryDC.get(), box.left, box.top, box.width, box.height, SRCCOPY);
    AdaptIterations(SelectionMagnification(box, width, height));
    // The stretched box is the starting picture of the render.
    WindowToBackBuffer(dc);
    BackBufferToDib();
    dibView = view;
    pictureBounds = view;
    wheelPending = 0;
    InvalidateRect(hwnd, nullptr, FALSE);
    renderDue = 1;
    return 0;
}

LRESULT ZorbGUI::OnMiddleButtonUp(int x, int y)
{
    ToggleJulia(MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y - imageTop)));
    return 0;
}

LRESULT ZorbGUI::OnMouseWheel(int delta, int screenX, int screenY)
{
    // A delta of 0 would collapse the view (a zoom factor of 0).
    if (delta == 0) {
        return 0;
    }
    const int width = GetWidth();
    const int height = GetHeight();
    if (width < 1 || height < 1) {
        return 0;
    }
    POINT point{screenX, screenY};
    ScreenToClient(hwnd, &point);
    point.y -= imageTop;
    double factor;
    if (delta > 0) {
        factor = kWheelNotchZoom / delta;
    } else {
        point.x = (point.x + width / 2) / 2;
        point.y = (point.y + height / 2) / 2;
        factor = -delta * kWheelOutScale;
    }
    // A notch past the range or the precision of a double is not taken: the preview, the
    // limit and a pending commit stay as they were.
    const View next = ZoomAboutPoint(factor, wheelView, point);
    if (!IsDrawableView(next)) {
        return 0;
    }
    // The view is about to change: a render still running would only paint over the preview.
    SetRenderRunning(false);
    wheelPending = 1;
    wheelView = next;
    AdaptIterations(1.0 / factor);

    char text[256];
    std::snprintf(text, sizeof(text), "(%G,%G)->(%G,%G)", wheelView.xMin, wheelView.yMin, wheelView.xMax,
                  wheelView.yMax);
    SendMessageA(statusBar, SB_SETTEXTA, StatusPart::RenderInfo, reinterpret_cast<LPARAM>(text));
    SendMessageA(statusBar, SB_SETTIPTEXTA, StatusPart::RenderInfo, reinterpret_cast<LPARAM>(text));
    KillTimer(hwnd, TimerId::WheelZoomCommit);
    SetTimer(hwnd, TimerId::WheelZoomCommit, TimerId::WheelZoomCommitMs, nullptr);

    PreviewWheelView(width, height);
    return 0;
}

void ZorbGUI::PreviewWheelView(int width, int height)
{
    // The preview stretches the part of the picture in the DIB that the new view shows. After
    // the first notch the DIB holds the previous preview, so the part is taken relative to it.
    // Zoomed out, the new view reaches past the picture: there the window's background shows,
    // not the DIB's unused bytes (colour 0) nor a stretched copy of an earlier border.
    const View& shown = dibView;
    const View& next = wheelView;
    const double left = next.xMin > pictureBounds.xMin ? next.xMin : pictureBounds.xMin;
    const double right = next.xMax < pictureBounds.xMax ? next.xMax : pictureBounds.xMax;
    const double top = next.yMax < pictureBounds.yMax ? next.yMax : pictureBounds.yMax;
    const double bottom = next.yMin > pictureBounds.yMin ? next.yMin : pictureBounds.yMin;

    RECT area{0, imageTop, width, imageTop + height};
    FillRect(backBufferDC.get(), &area, GetSysColorBrush(COLOR_BTNFACE));
    if (left < right && bottom < top) {
        // Where that part lands in the new view, and where it lies in the DIB.
        const int destLeft = static_cast<int>((left - next.xMin) / next.spanX * width);
        const int destTop = static_cast<int>((next.yMax - top) / next.spanY * height);
        const int destRight = static_cast<int>(std::ceil((right - next.xMin) / next.spanX * width));
        const int destBottom = static_cast<int>(std::ceil((next.yMax - bottom) / next.spanY * height));
        const int sourceLeft = static_cast<int>((left - shown.xMin) / shown.spanX * width);
        const int sourceTop = static_cast<int>((shown.yMax - top) / shown.spanY * height);
        StretchBlt(backBufferDC.get(), destLeft, imageTop + destTop, destRight - destLeft, destBottom - destTop,
                   memoryDC.get(), sourceLeft, sourceTop,
                   static_cast<int>(width * (right - left) / shown.spanX),
                   static_cast<int>(height * (top - bottom) / shown.spanY), SRCCOPY);
        pictureBounds.xMin = left;
        pictureBounds.xMax = right;
        pictureBounds.yMax = top;
        pictureBounds.yMin = bottom;
    } else {
        pictureBounds.xMin = pictureBounds.xMax = next.xMin;
        pictureBounds.yMin = pictureBounds.yMax = next.yMin;
    }
    BackBufferToWindow();
    BackBufferToDib();
    dibView = wheelView;
}
