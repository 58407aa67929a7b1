// The main window's message handler: a thin dispatcher, and the handlers of the window's own
// events (creation and destruction, size, paint, tooltips, context menu, keys, timers).
// The mouse handlers live in ZorbGUIMouse.cpp, the commands in Commands.cpp.
#include "app/window/ZorbGUI.h"

#include <windowsx.h>

#include "app/resources/resource.h"
#include "render/RenderDriver.h"
#include "render/RenderRunningFlag.h"

HMENU PopupMenuHandle = nullptr;

namespace {

constexpr uint32_t kDestroyStepMs = 100;
constexpr uint32_t kDestroyTotalMs = 2000;
constexpr uint32_t kClickStepMs = 10;
constexpr uint32_t kClickTotalMs = 100;
constexpr DWORD kDestroyJoinMs = 2000;

const char* const kToolTips[ToolbarButtonId::Count] = {
    "Reset to Mandelbrot",
    "Open co-ordinates file",
    "Save to co-ordinates file",
    "Undo",
    "Save fractal as picture",
    "Save colour cycle range for animation",
    "Redraw the current fractal",
    "Start colour cycling",
    "Stop colour cycling",
    "Speed up colour cycling",
    "Slow down colour cycling",
    "Reverse colour cycling",
    "Stop Rendering",
    "About Zorbscape",
};

void SendCommand(HWND window, int id)
{
    SendMessageA(window, WM_COMMAND, static_cast<WPARAM>(id), 0);
}

} // namespace

LRESULT ZorbGUI::WndProc(ZorbGUI* gui, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return gui->OnCreate(window, reinterpret_cast<const CREATESTRUCTA*>(lParam));
    case WM_DESTROY:
        return gui->OnDestroy();
    case WM_SIZE:
        return gui->OnSize();
    case WM_PAINT:
        return gui->OnPaint();
    case WM_NOTIFY:
        return gui->OnToolTipText(reinterpret_cast<NMHDR*>(lParam));
    case WM_CONTEXTMENU:
        return gui->OnContextMenu(lParam);
    case WM_KEYDOWN:
        return gui->OnKeyDown(wParam);
    case WM_COMMAND:
        return gui->OnCommand(window, message, wParam, lParam);
    case WM_TIMER:
        return gui->OnTimer(static_cast<UINT_PTR>(wParam));
    case WM_MOUSEMOVE:
        return gui->OnMouseMove(wParam, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    case WM_LBUTTONDOWN:
        return gui->OnLButtonDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    case WM_LBUTTONUP:
        return gui->ZoomToSelection(wParam, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    case WM_MBUTTONUP:
        return gui->OnMiddleButtonUp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    case WM_MOUSEWHEEL:
        return gui->OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    case WM_GETMINMAXINFO:
        return OnGetMinMaxInfo(window, reinterpret_cast<MINMAXINFO*>(lParam));
    case WM_ENTERSIZEMOVE:
        return gui->OnEnterSizeMove();
    case WM_EXITSIZEMOVE:
        return gui->OnExitSizeMove();
    case ZorbMessage::ProgressTip:
        return gui->OnProgressTip(wParam, lParam);
    case ZorbMessage::RenderFinished:
        return gui->OnRenderFinished(static_cast<DWORD>(wParam));
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void ZorbGUI::StopRenderAndWait(uint32_t stepMs, uint32_t totalMs)
{
    SetRenderRunning(false);
    WaitForRenderToFinish(stepMs, totalMs);
}

LRESULT ZorbGUI::OnDestroy()
{
    StopRenderAndWait(kDestroyStepMs, kDestroyTotalMs);
    KillTimer(hwnd, TimerId::ColourCycle);
    KillTimer(hwnd, TimerId::WheelZoomCommit);
    // The DIB and its DC go now only if no render thread can still write or draw with them;
    // otherwise the object's destructor frees them after the last render thread has ended.
    if (JoinRenderThread(kDestroyJoinMs)) {
        ReleaseImageBuffers();
    }
    PostQuitMessage(0);
    return 0;
}

LRESULT ZorbGUI::OnSize()
{
    RECT client;
    GetClientRect(hwnd, &client);
    sized = 1;
    KillTimer(hwnd, TimerId::ColourCycle);
    if (client.bottom == 0) {
        minimised = 1;
        return 0;
    }
    if (minimised) {
        minimised = 0;
        // Back at the size it had: the last picture is still right, and so are the bars.
        if (client.right == clientWidth && client.bottom == clientHeight) {
            PlaceStatusBar();
            const PaintDc paint(hwnd);
            BackBufferToWindow(paint.get());
            return 0;
        }
        // Restored to another size (it changed while minimised): an ordinary resize.
    }

    SetRenderRunning(false);
    if (client.right != clientWidth || client.bottom != clientHeight) {
        sizeChanged = 1;
    }
    clientWidth = client.right;
    clientHeight = client.bottom;
    if (GetWidth() >= 1 && GetHeight() >= 1) {
        view = FixAspect();
    }
    PlaceStatusBar();
    LayoutStatusBar();
    PlaceProgressBar();
    // The toolbar fits itself to its parent's width whatever the message says.
    SendMessageA(toolbar, WM_SIZE, 0, 0);
    SetRenderRunning(true);
    if (!inSizeMove) {
        SendCommand(hwnd, CommandId::Redraw);
    }
    if (clientWidth == GetSystemMetrics(SM_CXSCREEN)) {
        renderDue = 1;
    }
    return 0;
}

LRESULT ZorbGUI::OnGetMinMaxInfo(HWND window, MINMAXINFO* info)
{
    // Maximised, a window keeps its frame and menu bar above and beside the screen so that its
    // client area fills it. The fullscreen window has no frame to hide, and its menu bar is
    // the only way to its commands: the whole window, menu bar included, goes on the screen.
    if ((GetWindowLongA(window, GWL_STYLE) & WS_POPUP) != 0) {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        if (GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
            const RECT& work = monitor.rcWork;
            info->ptMaxPosition.x = 0;
            info->ptMaxPosition.y = 0;
            info->ptMaxSize.x = work.right - work.left;
            info->ptMaxSize.y = work.bottom - work.top;
        }
    }
    return 0;
}

void ZorbGUI::PlaceStatusBar()
{
    // The status bar fits itself to the bottom of its parent, but only for these two kinds of
    // size message; any other wParam (a width, SIZE_MINIMIZED) leaves it where it was.
    SendMessageA(statusBar, WM_SIZE, SIZE_RESTORED, MAKELPARAM(clientWidth, clientHeight));
}

LRESULT ZorbGUI::OnPaint()
{
    if (firstPaint) {
        CreateProgressBar();
    } else if (inSizeMove && sizeChanged) {
        // Live resizing: the last picture, stretched; no render while the frame moves.
        const WindowDc dc(hwnd);
        StretchBlt(dc.get(), 0, imageTop, clientWidth, clientHeight - imageTop - statusHeight, memoryDC.get(), 0, 0,
                   LastRenderWidth, LastRenderHeight - imageTop - statusHeight, SRCCOPY);
        ValidateRect(hwnd, nullptr);
        return 0;
    }
    const PaintDc paint(hwnd);
    if (renderDue && !minimised) {
        StartRender();
    } else {
        PaintImage(paint.get());
    }
    return 0;
}

LRESULT ZorbGUI::OnToolTipText(NMHDR* header)
{
    if (header == nullptr || header->code != TTN_GETDISPINFOA) {
        return 0;
    }
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(header);
    info->hinst = instance;
    const UINT_PTR id = header->idFrom;
    if (id >= static_cast<UINT_PTR>(ToolbarButtonId::First) &&
        id < static_cast<UINT_PTR>(ToolbarButtonId::First + ToolbarButtonId::Count)) {
        info->lpszText = const_cast<char*>(kToolTips[id - ToolbarButtonId::First]);
    }
    return 0;
}

LRESULT ZorbGUI::OnContextMenu(LPARAM lParam)
{
    POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (screen.x == -1 && screen.y == -1) {
        // From the keyboard: open at the centre of the picture.
        screen.x = GetWidth() / 2;
        screen.y = imageTop + GetHeight() / 2;
        ClientToScreen(hwnd, &screen);
    }
    POINT point = screen;
    ScreenToClient(hwnd, &point);
    dragStart.x = point.x;
    dragStart.y = point.y - imageTop;
    if (RenderRunningFlag.load()) {
        StopRenderAndWait(kClickStepMs, kClickTotalMs);
    }

    const int chosen = TrackPopupMenuAt(screen);
    // The right-click point belongs to the item chosen here and to nothing later: a dismissed
    // menu, or an item that takes no point (Zoom out, Undo, Reset), must not hand it on to
    // the next middle click or Linear (lambda).
    if (chosen != 0) {
        popupPointValid = 1;
        SendCommand(hwnd, chosen);
    }
    popupPointValid = 0;
    return 0;
}

int ZorbGUI::TrackPopupMenuAt(POINT screen)
{
    const Menu popup(CreatePopupMenu());
    const bool setMode = !julia && !lambda;
    const HMENU menu = popup.get();
    AppendMenuA(menu, MF_STRING, PopupCommandId::ZoomOut, "Zoom out");
    AppendMenuA(menu, MF_STRING | (julia ? MF_GRAYED : 0), PopupCommandId::Julia, "Julia");
    AppendMenuA(menu, MF_STRING | (lambda ? MF_GRAYED : 0), PopupCommandId::Lambda, "Lambda");
    AppendMenuA(menu, MF_STRING | (setMode ? MF_GRAYED : 0), PopupCommandId::Mandelbrot, "Mandelbrot");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING | (viewHistory.IsEmpty() ? MF_GRAYED : 0), PopupCommandId::Undo, "Undo");
    AppendMenuA(menu, MF_STRING, PopupCommandId::Reset, "Reset");
    PopupMenuHandle = menu;
    const int chosen =
        static_cast<int>(TrackPopupMenu(menu, TPM_LEFTBUTTON | TPM_RETURNCMD, screen.x, screen.y, 0, hwnd, nullptr));
    PopupMenuHandle = nullptr;
    return chosen;
}

LRESULT ZorbGUI::OnKeyDown(WPARAM key)
{
    switch (key) {
    case VK_END:
        KillTimer(hwnd, TimerId::ColourCycle);
        break;
    case VK_HOME:
        SetTimer(hwnd, TimerId::ColourCycle, 0, nullptr);
        break;
    case 'R':
        cycleReverse ^= 1;
        break;
    case VK_ADD:
        CycleFaster();
        break;
    case VK_SUBTRACT:
        CycleSlower();
        break;
    case VK_F1:
        SendCommand(hwnd, CommandId::About);
        break;
    case VK_F2:
        SendCommand(hwnd, PopupCommandId::Reset);
        break;
    case VK_F4:
        SendCommand(hwnd, CommandId::FixAspect);
        break;
    case VK_F5:
        SendCommand(hwnd, CommandId::Redraw);
        break;
    default:
        break;
    }
    return 0;
}

LRESULT ZorbGUI::OnTimer(UINT_PTR timerId)
{
    if (timerId == TimerId::ColourCycle) {
        if (dragging) {
            return 0;
        }
        CycleStep();
        ApplyPalette();
        Sleep(static_cast<DWORD>(cycleDelay));
    } else if (timerId == TimerId::WheelZoomCommit) {
        CommitWheelZoom();
    }
    return 0;
}

void ZorbGUI::CommitWheelZoom()
{
    KillTimer(hwnd, TimerId::WheelZoomCommit);
    WindowToBackBuffer(WindowDc(hwnd).get());
    BackBufferToDib();
    wheelPending = 0;
    view = wheelView;
    SendCommand(hwnd, CommandId::Redraw);
}

LRESULT ZorbGUI::OnEnterSizeMove()
{
    inSizeMove = 1;
    sized = 0;
    return 0;
}

LRESULT ZorbGUI::OnExitSizeMove()
{
    inSizeMove = 0;
    if (sized) {
        renderDue = 1;
        sized = 0;
        SendCommand(hwnd, CommandId::Redraw);
    }
    return 0;
}
