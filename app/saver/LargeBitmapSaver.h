#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>

#include "render/CriticalSection.h"
#include "render/IRenderCallbackInterface.h"
#include "render/View.h"
#include "app/files/JpegFile.h"
#include "app/files/OutputFile.h"
#include "app/handles/ScopedHandle.h"
#include "app/saver/LargeImageFileType.h"
#include "app/saver/LargeImagePassBuffers.h"
#include "app/saver/LargeImagePasses.h"
#include "app/saver/LargeImageSettings.h"
#include "app/saver/WindowRenderSettings.h"

// Messages the saver posts to its dialog from the render's driver thread. The dialog
// procedure hands them back to the saver on the UI thread, which owns the dialog's controls.
namespace LargeImageMessage {
constexpr UINT Progress = WM_APP + 1; // LargeBitmapSaver::ShowProgress
constexpr UINT Finished = WM_APP + 2; // LargeBitmapSaver::ShowFinished
}

enum class LargeImageReserve {
    Ok,
    Busy,     // the last save is still being written
    NoMemory, // the pass buffers for this width and thread count cannot be had
};

// Renders a picture larger than the screen straight to a BMP or JPEG file: one-row bands, T
// of them per pass, each finished pass written to the file before the next one starts, so
// memory does not grow with the height.
//
// One save at a time: Reserve claims the saver on the UI thread, the end of OnRenderComplete
// frees it. File, buffers and settings belong to the save that holds the claim.
//
// The file is written beside its target and replaces it only when closed whole. Once the
// render is stopped (Cancel, the program's end), the next pass end writes every remaining row
// as index 255 (black) and closes the file at once, rather than pass by pass as the stopped
// render winds down. The first write that fails (a full disk) stops the render itself, clears
// RenderRunningFlag as Stop does, and the save ends as failed with the target untouched.
class LargeBitmapSaver : public IRenderCallbackInterface {
public:
    LargeBitmapSaver();
    // Waits (bounded) for the file of a save still being written when the program ends, so
    // that it is closed whole; not for the stopped render's threads.
    ~LargeBitmapSaver();
    LargeBitmapSaver(const LargeBitmapSaver&) = delete;
    LargeBitmapSaver& operator=(const LargeBitmapSaver&) = delete;

    // ---- UI thread ----
    // When the dialog opens. A save of an earlier dialog still winding down keeps its state.
    void Init(HWND dialog, HWND progressBar, HWND statusBar);
    // Claims the saver for a save of request's size, thread count and iteration limit, and
    // allocates its pass buffers.
    LargeImageReserve Reserve(const LargeImageSettings& request, LargeImageFileType type);
    void CancelReservation();
    // After Reserve, with RenderRunningFlag set: takes the window's render settings, the view
    // (steps made for the size) and the opened file, which the save closes, and starts the
    // render's driver thread. False when no thread could be started: the claim is given up
    // and the file discarded, its target untouched.
    bool Start(const WindowRenderSettings& settings, const View& view, ReplacingFile&& file);
    // The dialog is going: the save reports nothing more and shows no box; it still runs to
    // its end and closes its file.
    void DetachDialog();
    bool IsRenderingFor(HWND dialog);
    // On the dialog's LargeImageMessage::Progress: progress bar and status text.
    void ShowProgress();
    // On LargeImageMessage::Finished: the closing text, the "File Saved" box (or, for a save
    // that failed, an error box with `failureCaption`), the dialog's end.
    void ShowFinished(const char* failureCaption);

    // ---- Any thread ----
    bool IsBusy();
    bool WaitUntilIdle(DWORD milliseconds);
    // True once no save holds an open file: the last one was closed (or discarded).
    bool WaitForFileClosed(DWORD milliseconds);
    void SetFileType(LargeImageFileType type) { fileType = type; }
    LargeImageFileType GetFileType() const { return fileType; }
    int32_t GetPassesWritten() const { return passesWritten.load(); }
    // The colour indices of the pass being rendered, buffer row i at i x pitch, as its workers
    // write them: kUnrenderedIndex until a pixel is done. For watching a save while it runs.
    const uint8_t* GetPassIndexRows() const { return buffers.indexRows; }
    // Whether the last save that ended could not write all of its file.
    bool LastSaveFailed();

    // ---- IRenderCallbackInterface: driver and worker threads ----
    void SetPixel(uint32_t x, uint32_t y, uint8_t colourIndex, float smoothValue) override;
    void StepProgress() override;
    bool IsLinearColouring() override;
    const View* GetView() override;
    bool IsJulia() override;
    double GetJuliaRe() override;
    double GetJuliaIm() override;
    int PrepareRender(RenderThreadPool* pool) override;
    int GetBandsPerPass() override;
    int GetWidth() override;
    int GetHeight() override;
    int GetFormula() override;
    uint64_t GetMaxIterations() override;
    void OnPassComplete(int64_t elapsedSeconds) override;
    void OnRenderStart() override;
    void OnRenderComplete(double seconds, const RenderStats* stats) override;
    void OnProgressTick(int64_t elapsedSeconds) override;

    // ---- Driver thread ----
    void ReportProgress(int64_t elapsedSeconds);
    void WriteBitmapHeader();
    void StartJpeg();

private:
    enum class State { Idle, Reserved, Rendering };

    // The dialog's handles, whether the last save failed, and `source` (progressText or
    // finishText) copied into `text`, all read under the lock; the controls are then sent to
    // without it.
    struct DialogReport {
        HWND dialog;
        HWND progressBar;
        HWND statusBar;
        bool finishFailed;
    };
    static constexpr size_t kReportTextSize = 1024;
    DialogReport CopyReport(const char* source, char* text);
    HWND ReportTarget();
    void PostProgress();
    // Driver thread: one pass's rows to the file; the passes from `nextPass` on as never
    // rendered, then CloseFile; the file finished (or discarded after a failure).
    void WritePass(PassRows rows);
    // A write failed: the save is lost, and the render is stopped at once.
    void FailWrite();
    void FinishStoppedFile(int32_t nextPass);
    void CloseFile();

    HWND dialog = nullptr;
    HWND progressBar = nullptr;
    HWND statusBar = nullptr;
    View view{};
    int32_t width = 0;
    int32_t height = 0;
    ReplacingFile output;
    bool fileClosed = true;
    std::atomic<int32_t> passesWritten{0};
    int32_t bandsPerPass = 1;
    uint32_t maxIterations = 0;
    LargeImageFileType fileType = LargeImageFileType::Jpeg;
    LargeImagePassBuffers buffers;
    JpegWriter jpeg;

    // What the workers read for every pixel or group of pixels, set by the driver when the
    // render starts and between passes, while no worker runs. On cache lines of its own: the
    // UI and driver threads' writes to the rest of the object (lock, texts, flags) during a
    // pass never take these lines from the workers' caches.
    struct alignas(64) PassAnswers {
        uint8_t* indexRows = nullptr;
        float* smoothRows = nullptr;
        size_t pitch = 0;
        uint32_t firstRow = 1; // picture row of buffer row 0
        uint32_t rows = 0;     // T
        uint32_t width = 0;
        uint32_t maxIterations = 0;
        double juliaRe = 0.0;
        double juliaIm = 0.0;
        bool julia = false;
        bool linearColouring = true;
    };
    PassAnswers answers{};

    WindowRenderSettings look{};
    // First picture row of the pass being rendered; written by the driver between passes,
    // read by the pass's workers, which start after it is written.
    uint32_t passFirstRow = 1;
    int32_t passCount = 0;
    // The format of the save in progress; fileType is the dialog's choice for the next one.
    LargeImageFileType saveFileType = LargeImageFileType::Jpeg;
    bool writeFailed = false;

    // Guards state, attached, the dialog handles and the texts.
    CriticalSection lock;
    KernelHandle idleEvent; // manual reset, set while no save holds the claim
    KernelHandle fileEvent; // manual reset, set while no save holds an open file
    State state = State::Idle;
    bool attached = false;      // the running save reports to `dialog`
    bool lastSaveFailed = false;
    std::atomic<bool> progressPending{false};
    char progressText[kReportTextSize] = {};
    char finishText[kReportTextSize] = {};
    bool finishFailed = false;
};

extern LargeBitmapSaver LargeBitmapSaverInstance;
