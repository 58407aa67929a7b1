// The saver's life on the UI thread: claiming it for a save, starting the render, and showing
// what the render reports. The render callbacks are in LargeBitmapSaverRender.cpp.
#include "app/saver/LargeBitmapSaver.h"

#include <commctrl.h>
#include <process.h>

#include <cstring>
#include <utility>

#include "render/RenderDriver.h"
#include "render/RenderRunningFlag.h"
#include "app/dialogs/ErrorBox.h"
#include "app/saver/LargeImagePasses.h"

LargeBitmapSaver LargeBitmapSaverInstance;

namespace {
// How long the program's end waits for a save that is still closing its file. The program's
// end stops the render; at the next pass end the remaining rows (black) are written in one
// go, seconds even for the largest picture, so the limit only guards against a disk that
// hangs.
constexpr DWORD kExitWaitMs = 120000;

constexpr char kSavedCaption[] = "File Saved";
}

LargeBitmapSaver::LargeBitmapSaver()
    : idleEvent(CreateEventA(nullptr, TRUE, TRUE, nullptr)),
      fileEvent(CreateEventA(nullptr, TRUE, TRUE, nullptr))
{
}

LargeBitmapSaver::~LargeBitmapSaver()
{
    // The program is ending: a save still rendering stops here, whatever stopped the window.
    if (IsBusy()) {
        RenderRunningFlag.exchange(false);
    }
    WaitForFileClosed(kExitWaitMs);
    // A render thread still winding down (a disk that hung past the wait) keeps using the
    // events and the buffers, so they are left to the end of the process. The members that
    // release themselves, the lock, the file and the JPEG writer among them, are destroyed
    // with the object all the same: the process is ending, and that thread ends with it.
    if (!WaitUntilIdle(0)) {
        idleEvent.release();
        fileEvent.release();
        return;
    }
    buffers.Release();
}

void LargeBitmapSaver::Init(HWND dialogWindow, HWND progress, HWND status)
{
    const CriticalSectionLock hold(lock);
    dialog = dialogWindow;
    progressBar = progress;
    statusBar = status;
    if (state == State::Idle) {
        passesWritten = 0;
    }
}

LargeImageReserve LargeBitmapSaver::Reserve(const LargeImageSettings& request, LargeImageFileType type)
{
    {
        const CriticalSectionLock hold(lock);
        if (state != State::Idle) {
            return LargeImageReserve::Busy;
        }
        state = State::Reserved;
        ResetEvent(idleEvent.get());
    }

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
    const CriticalSectionLock hold(lock);
    if (state == State::Reserved) {
        buffers.Release();
        state = State::Idle;
        SetEvent(idleEvent.get());
    }
}

bool LargeBitmapSaver::Start(const WindowRenderSettings& settings, const View& from, ReplacingFile&& file)
{
    HWND bar = nullptr;
    {
        const CriticalSectionLock hold(lock);
        if (state != State::Reserved || !file.IsOpen()) {
            file.Discard();
            return false;
        }
        look = settings;
        view = from;
        view.UpdateSteps(width, height);
        output = std::move(file);
        fileClosed = false;
        ResetEvent(fileEvent.get());
        passesWritten = 0;
        passFirstRow = 1;
        passCount = PassCount(height, bandsPerPass);
        writeFailed = false;
        progressPending = false;
        progressText[0] = '\0';
        attached = dialog != nullptr && IsWindow(dialog);
        state = State::Rendering;
        bar = attached ? progressBar : nullptr;
    }

    if (bar != nullptr) {
        // 32-bit range: a tall picture in few threads has more than 65535 passes.
        SendMessageA(bar, PBM_SETRANGE32, 0, passCount);
        SendMessageA(bar, PBM_SETSTEP, 1, 0);
        SendMessageA(bar, PBM_SETPOS, 0, 0);
    }

    void* client = static_cast<IRenderCallbackInterface*>(this);
    if (_beginthread(RenderDriverThread, 0, client) == static_cast<uintptr_t>(-1)) {
        {
            const CriticalSectionLock hold(lock);
            output.Discard();
            fileClosed = true;
            SetEvent(fileEvent.get());
            attached = false;
            state = State::Reserved;
        }
        CancelReservation();
        return false;
    }
    return true;
}

void LargeBitmapSaver::DetachDialog()
{
    const CriticalSectionLock hold(lock);
    attached = false;
}

bool LargeBitmapSaver::IsRenderingFor(HWND window)
{
    const CriticalSectionLock hold(lock);
    return state == State::Rendering && attached && dialog == window;
}

bool LargeBitmapSaver::IsBusy()
{
    const CriticalSectionLock hold(lock);
    return state != State::Idle;
}

bool LargeBitmapSaver::WaitUntilIdle(DWORD milliseconds)
{
    return WaitForSingleObject(idleEvent.get(), milliseconds) == WAIT_OBJECT_0;
}

bool LargeBitmapSaver::WaitForFileClosed(DWORD milliseconds)
{
    return WaitForSingleObject(fileEvent.get(), milliseconds) == WAIT_OBJECT_0;
}

bool LargeBitmapSaver::LastSaveFailed()
{
    const CriticalSectionLock hold(lock);
    return lastSaveFailed;
}

HWND LargeBitmapSaver::ReportTarget()
{
    const CriticalSectionLock hold(lock);
    return attached ? dialog : nullptr;
}

LargeBitmapSaver::DialogReport LargeBitmapSaver::CopyReport(const char* source, char* text)
{
    const CriticalSectionLock hold(lock);
    memcpy(text, source, kReportTextSize);
    return DialogReport{dialog, progressBar, statusBar, finishFailed};
}

void LargeBitmapSaver::ShowProgress()
{
    // Cleared before reading, so a report made meanwhile posts again.
    progressPending = false;
    char text[kReportTextSize];
    const DialogReport report = CopyReport(progressText, text);
    SendMessageA(report.progressBar, PBM_SETPOS, static_cast<WPARAM>(passesWritten.load()), 0);
    if (text[0] != '\0') {
        SendMessageA(report.statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    }
}

void LargeBitmapSaver::ShowFinished(const char* failureCaption)
{
    char text[kReportTextSize];
    const DialogReport report = CopyReport(finishText, text);
    SendMessageA(report.progressBar, PBM_SETPOS, 0, 0);
    SendMessageA(report.statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    if (report.finishFailed) {
        ShowErrorBox(report.dialog, failureCaption, kWriteErrorText);
    } else {
        MessageBoxA(report.dialog, text, kSavedCaption, MB_ICONINFORMATION);
    }
    EndDialog(report.dialog, 0);
}
