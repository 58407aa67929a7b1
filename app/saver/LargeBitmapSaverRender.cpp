// The saver as the render engine's client: its answers, and the writing of each finished
// pass to the file. Runs on the render's driver and worker threads and never touches the
// main window object: what it needs from the window was copied when the save started.
#include "app/saver/LargeBitmapSaver.h"

#include <cstring>

#include "render/RenderBand.h"
#include "render/RenderRunningFlag.h"
#include "render/RenderThreadPool.h"
#include "app/files/BitmapFile.h"
#include "app/files/JpegFile.h"
#include "app/saver/FormatDuration.h"
#include "app/saver/LargeImagePassWriter.h"
#include "app/saver/LargeImagePasses.h"

void LargeBitmapSaver::SetPixel(uint32_t x, uint32_t y, uint8_t colourIndex, float smoothValue)
{
    // Each band is one row, so each worker writes its own buffer row; no lock. The pass
    // holds rows firstRow .. firstRow + T - 1, which is (y - 1) mod T of the buffer.
    const PassAnswers& pass = answers;
    const uint32_t row = y - pass.firstRow;
    if (row >= pass.rows || x >= pass.width) {
        return;
    }
    const size_t i = x + static_cast<size_t>(row) * pass.pitch;
    pass.indexRows[i] = colourIndex;
    pass.smoothRows[i] = smoothValue;
}

void LargeBitmapSaver::StepProgress()
{
}

bool LargeBitmapSaver::IsLinearColouring()
{
    return answers.linearColouring;
}

const View* LargeBitmapSaver::GetView()
{
    return &view;
}

bool LargeBitmapSaver::IsJulia()
{
    return answers.julia;
}

double LargeBitmapSaver::GetJuliaRe()
{
    return answers.juliaRe;
}

double LargeBitmapSaver::GetJuliaIm()
{
    return answers.juliaIm;
}

int LargeBitmapSaver::PrepareRender(RenderThreadPool* pool)
{
    const RenderBand request(width, height, 0, width, 0, 1, view.stepX, view.stepY);
    RenderThreadPool::Prepare(pool, &request, this);
    return 1;
}

int LargeBitmapSaver::GetBandsPerPass()
{
    return bandsPerPass;
}

int LargeBitmapSaver::GetWidth()
{
    return width;
}

int LargeBitmapSaver::GetHeight()
{
    return height;
}

int LargeBitmapSaver::GetFormula()
{
    return look.formula;
}

uint64_t LargeBitmapSaver::GetMaxIterations()
{
    return static_cast<uint64_t>(answers.maxIterations);
}

void LargeBitmapSaver::OnRenderStart()
{
    // The pass buffers were allocated and the progress range set when the save started, on
    // the UI thread, so that a failure could still be refused there.
    buffers.MarkUnrendered();
    answers.indexRows = buffers.indexRows;
    answers.smoothRows = buffers.smoothRows;
    answers.pitch = static_cast<size_t>(buffers.pitch);
    answers.firstRow = passFirstRow;
    answers.rows = static_cast<uint32_t>(bandsPerPass);
    answers.width = static_cast<uint32_t>(width);
    answers.maxIterations = maxIterations;
    answers.juliaRe = look.juliaRe;
    answers.juliaIm = look.juliaIm;
    answers.julia = look.julia;
    answers.linearColouring = look.linearColouring;
    if (saveFileType == LargeImageFileType::Bitmap) {
        WriteBitmapHeader();
    } else {
        StartJpeg();
    }
}

void LargeBitmapSaver::WriteBitmapHeader()
{
    BITMAPINFOHEADER header{};
    InitBitmapInfoHeader(header, width, height);
    if (WriteBitmapHeaders(output.Out(), header, look.palette) != kBitmapPixelOffset) {
        FailWrite();
    }
}

void LargeBitmapSaver::StartJpeg()
{
    if (!jpeg.Start(output.Out(), width, height)) {
        FailWrite();
    }
}

void LargeBitmapSaver::OnPassComplete(int64_t elapsedSeconds)
{
    ReportProgress(elapsedSeconds);

    const int32_t pass = passesWritten.load();
    const PassRows rows = RowsOfPass(pass, bandsPerPass, height);
    if (!fileClosed) {
        WritePass(rows);
        if (!RenderRunningFlag.load()) {
            FinishStoppedFile(pass + 1);
        }
    }
    ++passesWritten;
    // The next pass's workers start after this returns and see the new first row.
    passFirstRow = static_cast<uint32_t>(rows.first + rows.count);
    answers.firstRow = passFirstRow;
    buffers.MarkUnrendered();
    PostProgress();
}

void LargeBitmapSaver::WritePass(PassRows rows)
{
    if (writeFailed) {
        return;  // the file is to be discarded; writing on would only fill the disk further
    }
    bool written;
    if (saveFileType == LargeImageFileType::Bitmap) {
        written = WriteBitmapPass(output.Out(), width, height, rows, buffers.indexRows, buffers.bitmapBlock,
                                  buffers.pitch);
    } else {
        written = WriteJpegPass(jpeg, width, rows, buffers.indexRows, buffers.smoothRows, look.palette,
                                buffers.rgbRow, buffers.pitch);
    }
    if (!written) {
        FailWrite();
    }
}

void LargeBitmapSaver::FailWrite()
{
    writeFailed = true;
    // The file is to be discarded, so nothing rendered from here on can reach it: the render
    // stops now, as Stop stops it, rather than render the rest of a large picture into nothing
    // and tell the user only at its end. The stopped render closes (discards) the file at this
    // pass's end and runs through its remaining passes without rendering them.
    RenderRunningFlag.exchange(false);
}

void LargeBitmapSaver::FinishStoppedFile(int32_t nextPass)
{
    // The passes still to come render nothing: their rows are written now as never rendered,
    // so that the file is whole and closed however soon the program ends.
    buffers.MarkUnrendered();
    for (int32_t pass = nextPass; pass < passCount && !writeFailed; ++pass) {
        WritePass(RowsOfPass(pass, bandsPerPass, height));
    }
    CloseFile();
}

void LargeBitmapSaver::CloseFile()
{
    if (fileClosed) {
        return;
    }
    if (jpeg.Started() && !jpeg.Finish()) {
        writeFailed = true;
    }
    jpeg.Abandon();
    // A failed save leaves the file it was to replace as it was.
    if (writeFailed) {
        output.Discard();
    } else if (!output.Commit()) {
        writeFailed = true;
    }
    fileClosed = true;
    SetEvent(fileEvent.get());
}

void LargeBitmapSaver::OnProgressTick(int64_t elapsedSeconds)
{
    ReportProgress(elapsedSeconds);
    PostProgress();
}

void LargeBitmapSaver::ReportProgress(int64_t elapsedSeconds)
{
    // Rows done so far, at least one pass (no estimate from nothing), at most the picture (the
    // last pass of a height that is not a multiple of T is short).
    int64_t done = static_cast<int64_t>(passesWritten.load() > 1 ? passesWritten.load() : 1) * bandsPerPass;
    if (done > height) {
        done = height;
    }
    const double estimate =
        static_cast<double>(height - done) * static_cast<double>(elapsedSeconds) / static_cast<double>(done);
    char taken[32];
    char remaining[32];
    FormatDuration(static_cast<double>(elapsedSeconds), taken);
    FormatDuration(estimate, remaining);
    const CriticalSectionLock hold(lock);
    snprintf(progressText, sizeof(progressText), "Time Taken: %s Est Remaining: %s", taken, remaining);
}

void LargeBitmapSaver::PostProgress()
{
    // One message at a time in the dialog's queue: passes of one row can end thousands of
    // times a second, and the dialog shows only the latest state anyway.
    const HWND target = ReportTarget();
    if (target != nullptr && !progressPending.exchange(true)) {
        if (!PostMessageA(target, LargeImageMessage::Progress, 0, 0)) {
            progressPending = false;
        }
    }
}

void LargeBitmapSaver::OnRenderComplete(double seconds, const RenderStats* stats)
{
    CloseFile();
    buffers.Release();

    char duration[32];
    FormatDuration(seconds, duration);
    HWND target = nullptr;
    {
        const CriticalSectionLock hold(lock);
        snprintf(finishText, sizeof(finishText), "%s Time taken: %s",
                 writeFailed ? "Failed." : "Completed.", duration);
        finishFailed = writeFailed;
        lastSaveFailed = writeFailed;
        target = attached ? dialog : nullptr;
        attached = false;
        state = State::Idle;
        SetEvent(idleEvent.get());
    }

    // After a cancel the dialog is gone and nobody is told: the box would pop up out of
    // nowhere, over whatever the user is doing by then.
    if (target != nullptr) {
        PostMessageA(target, LargeImageMessage::Finished, 0, 0);
    }
}
