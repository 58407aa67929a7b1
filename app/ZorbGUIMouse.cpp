// Mouse input of the main window: the rubber band and its zoom animation, the wheel zoom with
// its stretched preview, the middle-button Julia switch and the cursor position readout.
#include "app/ZorbGUI.h"

#include <cstdio>

#include "app/resources/resource.h"
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

void DrawBand(HDC dc, POINT start, POINT end, int top)
{
    MoveToEx(dc, start.x, start.y + top, nullptr);
    LineTo(dc, start.x, end.y + top);
    LineTo(dc, end.x, end.y + top);
    LineTo(dc, end.x, start.y + top);
    LineTo(dc, start.x, start.y + top);
}

} // namespace

LRESULT ZorbGUI::OnMouseMove(WPARAM keys, int x, int y)
{
    if ((keys & MK_LBUTTON) == 0 || !dragging) {
        ShowCursorPosition(x, y);
        return 0;
    }
    const HDC dc = GetDC(hwnd);
    SetROP2(dc, R2_NOT);
    if (BandFirstMove) {
        BandFirstMove = false;
    } else {
        DrawBand(dc, dragStart, dragEnd, imageTop);
    }
    dragEnd.x = x;
    dragEnd.y = y - imageTop;
    if (!FreeBox(keys)) {
        dragEnd.y = static_cast<int>(static_cast<double>(dragEnd.x - dragStart.x) * GetHeight() / clientWidth +
                                     dragStart.y);
    }
    DrawBand(dc, dragStart, dragEnd, imageTop);
    ReleaseDC(hwnd, dc);
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

    SelectionBox box{};
    const POINT release{x, y - imageTop};
    if (!ZoomViewToSelection(release, FreeBox(keys), &box)) {
        return 0;
    }
    const int width = GetWidth();
    const int height = GetHeight();
    const HDC dc = GetDC(hwnd);
    // The box grows from its own place to the whole picture, slowly at first.
    const double t0 = QpcSeconds();
    float t = kAnimationSpeed * static_cast<float>(QpcSeconds() - t0);
    while (t <= 1.0f) {
        const float s = t * t;
        StretchBlt(dc, static_cast<int>(box.left - box.left * s),
                   static_cast<int>(imageTop + box.top - box.top * s),
                   static_cast<int>((width - box.width) * s + box.width),
                   static_cast<int>((height - box.height) * s + box.height), memoryDC, box.left, box.top,
                   box.width, box.height, SRCCOPY);
        Sleep(0);
        t = kAnimationSpeed * static_cast<float>(QpcSeconds() - t0);
    }
    StretchBlt(dc, 0, imageTop, width, height, memoryDC, box.left, box.top, box.width, box.height, SRCCOPY);
    AdaptIterations((static_cast<double>(width) / box.width + static_cast<double>(height) / box.height) * 0.5);
    // The stretched box is the starting picture of the render.
    WindowToBackBuffer(dc);
    BackBufferToDib();
    dibView = view;
    wheelPending = 0;
    InvalidateRect(hwnd, nullptr, FALSE);
    renderDue = 1;
    ReleaseDC(hwnd, dc);
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
    // The view is about to change: a render still running would only paint over the preview.
    SetRenderRunning(false);
    POINT point{screenX, screenY};
    ScreenToClient(hwnd, &point);
    point.y -= imageTop;
    wheelPending = 1;
    double factor;
    if (delta > 0) {
        factor = kWheelNotchZoom / delta;
    } else {
        point.x = (point.x + width / 2) / 2;
        point.y = (point.y + height / 2) / 2;
        factor = -delta * kWheelOutScale;
    }
    wheelView = ZoomAboutPoint(factor, wheelView, point);
    AdaptIterations(1.0 / factor);

    char text[256];
    std::snprintf(text, sizeof(text), "(%G,%G)->(%G,%G)", wheelView.xMin, wheelView.yMin, wheelView.xMax,
                  wheelView.yMax);
    SendMessageA(statusBar, SB_SETTEXTA, StatusPart::RenderInfo, reinterpret_cast<LPARAM>(text));
    SendMessageA(statusBar, SB_SETTIPTEXTA, StatusPart::RenderInfo, reinterpret_cast<LPARAM>(text));
    KillTimer(hwnd, TimerId::WheelZoomCommit);
    SetTimer(hwnd, TimerId::WheelZoomCommit, TimerId::WheelZoomCommitMs, nullptr);

    // The preview stretches the part of the picture in the DIB that the new view shows. After
    // the first notch the DIB holds the previous preview, so the part is taken relative to it.
    const View& shown = dibView;
    const HDC dc = GetDC(hwnd);
    StretchBlt(dc, 0, imageTop, width, height, memoryDC,
               static_cast<int>((wheelView.xMin - shown.xMin) / shown.spanX * width),
               static_cast<int>((shown.yMax - wheelView.yMax) / shown.spanY * height),
               static_cast<int>(width * wheelView.spanX / shown.spanX),
               static_cast<int>(height * wheelView.spanY / shown.spanY), SRCCOPY);
    WindowToBackBuffer(dc);
    ReleaseDC(hwnd, dc);
    BackBufferToDib();
    dibView = wheelView;
    return 0;
}
