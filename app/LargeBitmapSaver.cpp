// The saver's life on the UI thread: claiming it for a save, starting the render, and showing
// what the render reports. The render callbacks are in LargeBitmapSaverRender.cpp.
#include "app/LargeBitmapSaver.h"

#include <commctrl.h>
#include <process.h>

#include <cstring>

#include "render/RenderDriver.h"
#include "app/LargeImagePasses.h"
#include "app/ZorbGUI.h"

LargeBitmapSaver LargeBitmapSaverInstance;

namespace {
// How long the program's end waits for a save that is still closing its file. A stopped
// render only has its remaining rows (black) to write, so this is ample for any picture the
// saver can make.
constexpr DWORD kExitWaitMs = 10000;

constexpr char kSavedCaption[] = "File Saved";
constexpr char kFailedCaption[] = "Large Image Not Saved";
constexpr char kFailedText[] =
    "The image could not be written completely to its file; the disk may be full.";
}

LargeBitmapSaver::LargeBitmapSaver()
{
    InitializeCriticalSection(&lock);
    idleEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr);
}

LargeBitmapSaver::~LargeBitmapSaver()
{
    // A render thread that is still running keeps using the lock and the event: leave both
    // to the end of the process rather than pull them from under it.
    if (!WaitUntilIdle(kExitWaitMs)) {
        return;
    }
    buffers.Release();
    CloseHandle(idleEvent);
    DeleteCriticalSection(&lock);
}

void LargeBitmapSaver::Init(ZorbGUI* window, HWND dialogWindow, HWND progress, HWND status)
{
    EnterCriticalSection(&lock);
    gui = window;
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

bool LargeBitmapSaver::Start(const View& from, FILE* output)
{
    if (gui == nullptr) {
        CancelReservation();
        return false;
    }
    return StartWith(CopyWindowRenderSettings(*gui), from, output);
}

bool LargeBitmapSaver::StartWith(const WindowRenderSettings& settings, const View& from, FILE* output)
{
    EnterCriticalSection(&lock);
    if (state != State::Reserved) {
        LeaveCriticalSection(&lock);
        return false;
    }
    look = settings;
    view = from;
    view.stepX = view.spanX / static_cast<double>(width);
    view.stepY = view.spanY / static_cast<double>(height);
    file = output;
    passesWritten = 0;
    passFirstRow = 1;
    passCount = PassCount(height, bandsPerPass);
    jpegStarted = false;
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
        file = nullptr;
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
