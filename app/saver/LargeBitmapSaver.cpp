// The saver's life on the UI thread: claiming it for a save, starting the render, and showing
// what the render reports. The render callbacks are in LargeBitmapSaverRender.cpp.
#include "app/saver/LargeBitmapSaver.h"

#include <commctrl.h>
#include <process.h>

#include <cstring>
#include <utility>

#include "render/RenderDriver.h"
#include "render/RenderRunningFlag.h"
#include "app/saver/LargeImagePasses.h"

LargeBitmapSaver LargeBitmapSaverInstance;

namespace {
// How long the program's end waits for a save that is still closing its file. The program's
// end stops the render; at the next pass end the remaining rows (black) are written in one
// go, seconds even for the largest picture, so the limit only guards against a disk that
// hangs.
constexpr DWORD kExitWaitMs = 120000;

constexpr char kSavedCaption[] = "File Saved";
constexpr char kFailedCaption[] = "Large Image Not Saved";
constexpr char kFailedText[] =
    "The image could not be written completely to its file; the disk may be full.";
}

LargeBitmapSaver::LargeBitmapSaver()
{
    InitializeCriticalSection(&lock);
    idleEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    fileEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr);
}

LargeBitmapSaver::~LargeBitmapSaver()
{
    // The program is ending: a save still rendering stops here, whatever stopped the window.
    if (IsBusy()) {
        RenderRunningFlag.exchange(false);
    }
    WaitForFileClosed(kExitWaitMs);
    // A render thread that is still winding down keeps using the lock, the events and the
    // buffers: leave them to the end of the process rather than pull them from under it.
    if (!WaitUntilIdle(0)) {
        return;
    }
    buffers.Release();
    CloseHandle(fileEvent);
    CloseHandle(idleEvent);
    DeleteCriticalSection(&lock);
}

void LargeBitmapSaver::Init(HWND dialogWindow, HWND progress, HWND status)
{
    EnterCriticalSection(&lock);
    dialog = dialogWindow;
    progressBar = progress;
    statusBar = status;
    if (state == State::Idle) {
        passesWritten = 0;
    }
    LeaveCriticalSection(&lock);
}

LargeImageReserve LargeBitmapSaver::Reserve(const LargeImageSettings& request, LargeImageFileType type)
{
    EnterCriticalSection(&lock);
    if (state != State::Idle) {
        LeaveCriticalSection(&lock);
        return LargeImageReserve::Busy;
    }
    state = State::Reserved;
    ResetEvent(idleEvent);
    LeaveCriticalSection(&lock);

    const int32_t threads = request.threads < 1 ? 1 : request.threads;
    if (!buffers.Allocate(request.width, threads, type)) {
        CancelReservation();
        return LargeImageReserve::NoMemory;
    }
    width = request.width;
    height = request.height;
    bandsPerPass = threads;
    maxIterations = request.iterations;
    saveFileType = type;
    return LargeImageReserve::Ok;
}

void LargeBitmapSaver::CancelReservation()
{
    EnterCriticalSection(&lock);
    if (state == State::Reserved) {
        buffers.Release();
        state = State::Idle;
        SetEvent(idleEvent);
    }
    LeaveCriticalSection(&lock);
}

bool LargeBitmapSaver::Start(const WindowRenderSettings& settings, const View& from, ReplacingFile&& file)
{
    EnterCriticalSection(&lock);
    if (state != State::Reserved || !file.IsOpen()) {
        LeaveCriticalSection(&lock);
        file.Discard();
        return false;
    }
    look = settings;
    view = from;
    view.stepX = view.spanX / static_cast<double>(width);
    view.stepY = view.spanY / static_cast<double>(height);
    output = std::move(file);
    fileClosed = false;
    ResetEvent(fileEvent);
    passesWritten = 0;
    passFirstRow = 1;
    passCount = PassCount(height, bandsPerPass);
    writeFailed = false;
    progressPending = false;
    progressText[0] = '\0';
    attached = dialog != nullptr && IsWindow(dialog);
    state = State::Rendering;
    const HWND bar = attached ? progressBar : nullptr;
    LeaveCriticalSection(&lock);

    if (bar != nullptr) {
        // 32-bit range: a tall picture in few threads has more than 65535 passes.
        SendMessageA(bar, PBM_SETRANGE32, 0, passCount);
        SendMessageA(bar, PBM_SETSTEP, 1, 0);
        SendMessageA(bar, PBM_SETPOS, 0, 0);
    }

    void* client = static_cast<IRenderCallbackInterface*>(this);
    if (_beginthread(RenderDriverThread, 0, client) == static_cast<uintptr_t>(-1)) {
        EnterCriticalSection(&lock);
        output.Discard();
        fileClosed = true;
        SetEvent(fileEvent);
        attached = false;
        state = State::Reserved;
        LeaveCriticalSection(&lock);
        CancelReservation();
        return false;
    }
    return true;
}

void LargeBitmapSaver::DetachDialog()
{
    EnterCriticalSection(&lock);
    attached = false;
    LeaveCriticalSection(&lock);
}

bool LargeBitmapSaver::IsRenderingFor(HWND window)
{
    EnterCriticalSection(&lock);
    const bool rendering = state == State::Rendering && attached && dialog == window;
    LeaveCriticalSection(&lock);
    return rendering;
}

bool LargeBitmapSaver::IsBusy()
{
    EnterCriticalSection(&lock);
    const bool busy = state != State::Idle;
    LeaveCriticalSection(&lock);
    return busy;
}

bool LargeBitmapSaver::WaitUntilIdle(DWORD milliseconds)
{
    return WaitForSingleObject(idleEvent, milliseconds) == WAIT_OBJECT_0;
}

bool LargeBitmapSaver::WaitForFileClosed(DWORD milliseconds)
{
    return WaitForSingleObject(fileEvent, milliseconds) == WAIT_OBJECT_0;
}

bool LargeBitmapSaver::LastSaveFailed()
{
    EnterCriticalSection(&lock);
    const bool failed = lastSaveFailed;
    LeaveCriticalSection(&lock);
    return failed;
}

HWND LargeBitmapSaver::ReportTarget()
{
    EnterCriticalSection(&lock);
    const HWND target = attached ? dialog : nullptr;
    LeaveCriticalSection(&lock);
    return target;
}

void LargeBitmapSaver::ShowProgress()
{
    // Cleared before reading, so a report made meanwhile posts again.
    progressPending = false;
    char text[sizeof(progressText)];
    EnterCriticalSection(&lock);
    memcpy(text, progressText, sizeof(text));
    const HWND bar = progressBar;
    const HWND status = statusBar;
    LeaveCriticalSection(&lock);
    SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(passesWritten.load()), 0);
    if (text[0] != '\0') {
        SendMessageA(status, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    }
}

void LargeBitmapSaver::ShowFinished()
{
    char text[sizeof(finishText)];
    EnterCriticalSection(&lock);
    memcpy(text, finishText, sizeof(text));
    const bool failed = finishFailed;
    const HWND window = dialog;
    const HWND bar = progressBar;
    const HWND status = statusBar;
    LeaveCriticalSection(&lock);
    SendMessageA(bar, PBM_SETPOS, 0, 0);
    SendMessageA(status, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    if (failed) {
        MessageBoxA(window, kFailedText, kFailedCaption, MB_ICONERROR);
    } else {
        MessageBoxA(window, text, kSavedCaption, MB_ICONINFORMATION);
    }
    EndDialog(window, 0);
}
