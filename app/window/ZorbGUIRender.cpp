// The window as the render engine's client: starting a render of the current view, and the
// answers and reports of IRenderCallbackInterface.
//
// One render at a time writes the window's buffers. Its threads see what it was started with
// (ZorbGUI::rendered), so commands that change the view or a resize in the middle of it never
// hand the engine a half-written record. The driver is started joinable, and the object keeps
// its buffers until that thread has returned.
#include "app/window/ZorbGUI.h"

#include <process.h>
#include <cstdio>
#include <cstring>

#include "app/resources/resource.h"
#include "app/view/ViewZoom.h"
#include "render/Formula.h"
#include "render/Processors.h"
#include "render/RenderBand.h"
#include "render/RenderDriver.h"
#include "render/RenderRunningFlag.h"
#include "render/RenderStats.h"
#include "render/RenderThreadPool.h"

namespace {

constexpr int kBandsPerThread = 4;
constexpr DWORD kDriverEndMs = 5000;

unsigned __stdcall RenderThreadEntry(void* gui)
{
    RenderDriverThread(static_cast<IRenderCallbackInterface*>(static_cast<ZorbGUI*>(gui)));
    return 0;
}

void SetStatusText(HWND statusBar, int part, const char* text)
{
    SendMessageA(statusBar, SB_SETTEXTA, part, reinterpret_cast<LPARAM>(text));
}

void SetStatusTip(HWND statusBar, int part, const char* text)
{
    SendMessageA(statusBar, SB_SETTIPTEXTA, part, reinterpret_cast<LPARAM>(text));
}

} // namespace

// ---- Starting and ending renders (UI thread) ----

void ZorbGUI::StartRender()
{
    if (IsRenderActive()) {
        if (WaitForSingleObject(renderThread.get(), 0) != WAIT_OBJECT_0) {
            // The running render is stopped; its end (OnRenderFinished) starts this one.
            SetRenderRunning(false);
            renderDue = 1;
            return;
        }
        JoinRenderThread(0);
    }

    RECT client;
    GetClientRect(hwnd, &client);
    clientWidth = client.right;
    clientHeight = client.bottom;
    lambda = formula == Formula::Lambda;
    if (KillTimer(hwnd, TimerId::ColourCycle)) {
        SetTimer(hwnd, TimerId::ColourCycle, 0, nullptr);
    }
    WindowToBackBuffer();
    renderDue = 0;
    SetRenderRunning(true);

    view = WithOrderedBounds(view);
    if (wheelPending) {
        return; // the wheel commit asks for the redraw
    }
    const int width = GetWidth();
    const int height = GetHeight();
    if (width < 1 || height < 1) {
        return; // the window is smaller than its bars: nothing to draw into
    }

    sizeChanged = 0;
    view.UpdateSpans();
    view.UpdateSteps(width, height);
    wheelView = view;
    SendMessageA(progressBar, PBM_SETPOS, 0, 0);

    rendered.view = view;
    rendered.width = width;
    rendered.height = height;
    rendered.formula = formula;
    rendered.maxIterations = maxIterations;
    rendered.juliaRe = juliaRe;
    rendered.juliaIm = juliaIm;
    rendered.julia = julia;
    rendered.linearColouring = linearColouring;
    rendered.dibBits = dibBits;
    rendered.smoothBuffer = smoothBuffer.get();
    rendered.bottomRow = static_cast<uint32_t>(screenHeight);
    rendered.stride = static_cast<uint32_t>(screenStride);
    ++renderSerial;
    tipsOpen = true;
    tipShown = false;
    endPending = false;
    dibView = view;
    pictureBounds = view;
    unsigned threadId = 0;
    const uintptr_t thread = _beginthreadex(nullptr, 0, &RenderThreadEntry, this, 0, &threadId);
    renderThread.reset(reinterpret_cast<HANDLE>(thread));
    renderThreadId = threadId;

    LastRenderWidth = clientWidth;
    LastRenderHeight = clientHeight;
    inSizeMove = 0;
}

bool ZorbGUI::JoinRenderThread(DWORD timeoutMs)
{
    if (!renderThread) {
        return true;
    }
    const HANDLE thread = renderThread.get();
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        const DWORD remaining = elapsed >= timeoutMs ? 0 : timeoutMs - elapsed;
        // Also for a message sent before the wait began, which a look at the queue since (a
        // PeekMessage of the close, say) has made old news: its sender waits all the same.
        const DWORD result =
            MsgWaitForMultipleObjectsEx(1, &thread, remaining, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
        if (result == WAIT_OBJECT_0) {
            renderThread.reset();
            ShowRenderEnd();
            return true;
        }
        if (result != WAIT_OBJECT_0 + 1) {
            return false;
        }
        // The render's threads wait for answers to the messages they sent to the bars.
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

LRESULT ZorbGUI::OnRenderFinished(DWORD driverThreadId)
{
    // A render started after this one ended has its own driver.
    if (!IsRenderActive() || driverThreadId != renderThreadId) {
        return 0;
    }
    // Posted as the driver's last act; it has only its pool to tear down.
    if (!JoinRenderThread(kDriverEndMs)) {
        return 0; // StartRender looks again
    }
    if (renderDue) {
        InvalidateRect(hwnd, nullptr, FALSE);
    }
    return 0;
}

void ZorbGUI::ShowRenderEnd()
{
    tipsOpen = false;
    if (!endPending) {
        return;
    }
    endPending = false;
    SetStatusText(statusBar, StatusPart::RenderInfo, endReport);
    SetStatusTip(statusBar, StatusPart::RenderInfo, endReport);
    if (rendered.julia) {
        char initial[320];
        std::snprintf(initial, sizeof(initial), "Initial %.64G , %.64G i", rendered.juliaRe, rendered.juliaIm);
        SetStatusText(statusBar, StatusPart::Progress, initial);
        SetStatusTip(statusBar, StatusPart::Progress, initial);
        return;
    }
    // Only a Julia constant is ever written there; it must not outlive Julia mode.
    SetStatusText(statusBar, StatusPart::Progress, "");
    if (!tipShown) {
        SetStatusTip(statusBar, StatusPart::Progress, "");
    }
}

LRESULT ZorbGUI::OnProgressTip(WPARAM percentBits, LPARAM serial)
{
    if (!tipsOpen || static_cast<uint32_t>(serial) != renderSerial) {
        return 0;
    }
    tipShown = true;
    float percent;
    const uint32_t bits = static_cast<uint32_t>(percentBits);
    std::memcpy(&percent, &bits, sizeof(percent));
    char tip[32];
    std::snprintf(tip, sizeof(tip), "%.1f%%", percent);
    SetStatusTip(statusBar, StatusPart::Progress, tip);
    return 0;
}

// ---- Answers to the engine ----

void ZorbGUI::SetPixel(uint32_t x, uint32_t y, uint8_t colourIndex, float smoothValue)
{
    // PixelIndex on the render's copy: only workers call this.
    const RenderSnapshot& render = rendered;
    const uint32_t i = PixelIndexIn(x, y, render.bottomRow, render.stride);
    render.dibBits[i] = colourIndex;
    render.smoothBuffer[i] = smoothValue;
}

void ZorbGUI::StepProgress()
{
    SendMessageA(progressBar, PBM_STEPIT, 0, 0);
    const LRESULT pos = SendMessageA(progressBar, PBM_GETPOS, 0, 0);
    const LRESULT high = SendMessageA(progressBar, PBM_GETRANGE, FALSE, 0);
    if (high == 0) {
        return;
    }
    const float percent = 100.0f * static_cast<float>(pos) / static_cast<float>(high);
    uint32_t bits;
    std::memcpy(&bits, &percent, sizeof(bits));
    PostMessageA(hwnd, ZorbMessage::ProgressTip, bits, static_cast<LPARAM>(renderSerial));
}

bool ZorbGUI::IsLinearColouring()
{
    return OnRenderThread() ? rendered.linearColouring : linearColouring;
}

const View* ZorbGUI::GetView()
{
    return OnRenderThread() ? &rendered.view : &view;
}

bool ZorbGUI::IsJulia()
{
    return OnRenderThread() ? rendered.julia : julia;
}

double ZorbGUI::GetJuliaRe()
{
    return OnRenderThread() ? rendered.juliaRe : juliaRe;
}

double ZorbGUI::GetJuliaIm()
{
    return OnRenderThread() ? rendered.juliaIm : juliaIm;
}

int ZorbGUI::PrepareRender(RenderThreadPool* pool)
{
    const int threads = CountLogicalProcessors();
    const int height = GetHeight();
    int rows = height / (kBandsPerThread * threads);
    if (rows < 1) {
        rows = 1;
    }
    const View* v = GetView();
    const RenderBand request(GetWidth(), height, 0, GetWidth(), 0, rows, v->stepX, v->stepY);
    RenderThreadPool::Prepare(pool, &request, this);
    return pool->stats.threadCount > 1 ? rows : height;
}

int ZorbGUI::GetBandsPerPass()
{
    return GetHeight();
}

int ZorbGUI::GetWidth()
{
    return OnRenderThread() ? rendered.width : LiveImageWidth();
}

int ZorbGUI::GetHeight()
{
    return OnRenderThread() ? rendered.height : LiveImageHeight();
}

int ZorbGUI::GetFormula()
{
    return OnRenderThread() ? rendered.formula : formula;
}

uint64_t ZorbGUI::GetMaxIterations()
{
    return OnRenderThread() ? rendered.maxIterations : maxIterations;
}

int ZorbGUI::LiveImageWidth() const
{
    // Before the buffers exist there is nothing to clip to.
    return screenWidth > 0 ? ClippedImageWidth(clientWidth, screenWidth) : clientWidth;
}

int ZorbGUI::LiveImageHeight() const
{
    return screenHeight > 0 ? ClippedImageHeight(clientHeight, statusHeight, imageTop, screenHeight)
                            : clientHeight - statusHeight - imageTop;
}

void ZorbGUI::OnPassComplete(int64_t)
{
}

void ZorbGUI::OnRenderStart()
{
    SendMessageA(toolbar, TB_ENABLEBUTTON, ToolbarButtonId::StopRender, MAKELPARAM(TRUE, 0));
    windowDC.emplace(hwnd);
    BackBufferToDib();
    GetDIBColorTable(memoryDC.get(), 0, 255, paletteWindow);
}

void ZorbGUI::OnProgressTick(int64_t elapsedSeconds)
{
    const View& v = *GetView();
    char text[256];
    std::snprintf(text, sizeof(text), "(%G,%G)->(%G,%G) Time: %ds", v.xMin, v.yMin, v.xMax, v.yMax,
                  static_cast<int>(elapsedSeconds));
    SetStatusText(statusBar, StatusPart::RenderInfo, text);
    SetStatusTip(statusBar, StatusPart::RenderInfo, text);
    DibToWindow();
}

void ZorbGUI::OnRenderComplete(double seconds, const RenderStats* stats)
{
    DibToWindow();
    const int numBits = stats->sse128 ? 128 : stats->avx256 ? 256 : 64;
    const View& v = *GetView();
    // Shown by the UI thread once this thread has returned (ShowRenderEnd): texts sent from
    // here would overtake the progress tips still waiting in the window's queue.
    std::snprintf(endReport, sizeof(endReport),
                  "(%G,%G)->(%G,%G) Time: %.4fs   Precision:%s NumBits:%d NumThreads:%d MaxIters:%llu",
                  v.xMin, v.yMin, v.xMax, v.yMax, seconds, stats->useFloat ? "flt" : "dbl", numBits,
                  static_cast<int>(stats->threadCount), static_cast<unsigned long long>(GetMaxIterations()));
    endPending = true;
    SendMessageA(progressBar, PBM_SETPOS, 0, 0);
    DibToBackBuffer();
    ShowCursor(FALSE);
    SetCursor(LoadCursorA(nullptr, IDC_CROSS));
    SendMessageA(toolbar, TB_ENABLEBUTTON, ToolbarButtonId::StopRender, MAKELPARAM(FALSE, 0));
    windowDC.reset();
    PostMessageA(hwnd, ZorbMessage::RenderFinished, GetCurrentThreadId(), 0);
}
