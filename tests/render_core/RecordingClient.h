#pragma once

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "render/IRenderCallbackInterface.h"
#include "render/RenderStats.h"
#include "render/RenderThreadPool.h"
#include "render/ScopedHandle.h"
#include "render/View.h"

// The default view (x -2 to 1, y -1.3 to 1.3 at single precision) with steps for the size.
View DefaultView(int width, int height);

struct ClientSetup {
    int width = 64;
    int height = 40;
    int rowsPerBand = 10;
    int bandsPerPass = 100;
    int formula = 0;          // 0 runs no kernel
    int threads = 0;          // > 0 overrides the thread count Prepare chose
    bool callPrepare = true;  // a client that skips RenderThreadPool::Prepare
    uint64_t maxIterations = 64;
    DWORD prepareSleepMs = 0; // work done before OnRenderStart
    HANDLE tickGate = nullptr; // when set, each OnProgressTick waits until it is signalled
    RenderThreadPool::ThreadStarter starter = nullptr;
    RenderThreadPool::ThreadEntry bandRunner = nullptr; // what a worker runs on its band
    bool julia = false;
    bool throwAtFirstPassEnd = false; // a client whose OnPassComplete throws
};

// A width x height picture cut into bands of rowsPerBand rows, bandsPerPass bands to a pass,
// rendered by `threads` workers (0: as many as Prepare chose).
inline ClientSetup Banded(int width, int height, int rowsPerBand, int bandsPerPass, int threads = 0)
{
    ClientSetup setup;
    setup.width = width;
    setup.height = height;
    setup.rowsPerBand = rowsPerBand;
    setup.bandsPerPass = bandsPerPass;
    setup.threads = threads;
    return setup;
}

// A client that records what the engine asks and hands back. Driver-side calls are recorded by
// name in order; kernel-side calls are counted.
class RecordingClient final : public IRenderCallbackInterface {
public:
    explicit RecordingClient(const ClientSetup& setup);
    explicit RecordingClient(const ClientSetup& setup, const View& view);

    void SetPixel(uint32_t x, uint32_t y, uint8_t colourIndex, float smoothValue) override;
    void StepProgress() override;
    bool IsLinearColouring() override { return true; }
    const View* GetView() override;
    bool IsJulia() override { return setup_.julia; }
    double GetJuliaRe() override { return -0.8; }
    double GetJuliaIm() override { return 0.156; }
    int PrepareRender(RenderThreadPool* pool) override;
    int GetBandsPerPass() override;
    int GetWidth() override;
    int GetHeight() override;
    int GetFormula() override;
    uint64_t GetMaxIterations() override { return setup_.maxIterations; }
    void OnPassComplete(int64_t elapsedSeconds) override;
    void OnRenderStart() override;
    void OnRenderComplete(double seconds, const RenderStats* stats) override;
    void OnProgressTick(int64_t elapsedSeconds) override;

    std::vector<std::string> DriverCalls() const;
    std::vector<int64_t> TickSeconds() const;
    // Milliseconds (GetTickCount64) of each OnProgressTick.
    std::vector<uint64_t> TickTimes() const;
    // Waits up to timeoutMs for `count` OnProgressTick calls in all; false if they did not come.
    bool WaitForTicks(size_t count, DWORD timeoutMs) const;
    int PixelsSet() const;             // SetPixel calls in all
    int MaxTimesOnePixelSet() const;   // 1 when no pixel was set twice
    int PixelsNeverSet() const;
    int StepProgressCalls() const { return stepProgress_.load(); }
    int PassCompletes() const { return passCompletes_.load(); }
    int RenderCompletes() const { return renderCompletes_.load(); }
    int OutOfRangePixels() const { return outOfRange_.load(); }
    double Seconds() const { return seconds_; }
    RenderStats Stats() const { return stats_; }
    const ClientSetup& Setup() const { return setup_; }

private:
    void Record(const char* call);

    ClientSetup setup_;
    View view_;
    std::atomic<DWORD> driverThread_{0};
    bool inPrepare_ = false;
    mutable std::mutex lock_;
    mutable std::condition_variable ticked_;
    std::vector<std::string> calls_;
    std::vector<int64_t> tickSeconds_;
    std::vector<uint64_t> tickTimes_;
    std::unique_ptr<std::atomic<int>[]> pixelCounts_;
    std::atomic<int> stepProgress_{0};
    std::atomic<int> passCompletes_{0};
    std::atomic<int> renderCompletes_{0};
    std::atomic<int> outOfRange_{0};
    double seconds_ = -1.0;
    RenderStats stats_;
};

// Starts RenderDriverThread on the client (flag set first) and returns the thread's handle.
HANDLE StartRender(RecordingClient& client);

// A render started on a client and waited for before the client goes. Should a test leave before
// the render has ended, the render is stopped and its held workers are let go first, so that no
// thread of it outlives the client.
class RenderInFlight {
public:
    explicit RenderInFlight(RecordingClient& client);
    ~RenderInFlight();
    RenderInFlight(const RenderInFlight&) = delete;
    RenderInFlight& operator=(const RenderInFlight&) = delete;

    explicit operator bool() const { return static_cast<bool>(thread_); }
    // Waits up to timeoutMs for the driver thread to end; false if it did not.
    bool Wait(DWORD timeoutMs);

private:
    KernelHandle thread_;
    bool ended_ = false;
};

// Starts and waits up to timeoutMs; false if the render did not end in time.
bool RenderAndWait(RecordingClient& client, DWORD timeoutMs = 30000);
bool WaitAndClose(HANDLE thread, DWORD timeoutMs);

// Threads of this process, from a snapshot of the system's; -1 if no snapshot could be taken.
int ProcessThreadCount();
// Ended threads take a moment to leave the snapshot: waits up to timeoutMs for the count to
// come down to `count`.
bool WaitForThreadCountAtMost(int count, DWORD timeoutMs);
// Polls `done` until it answers true or timeoutMs have passed; answers whether it did.
template <class Done>
bool WaitUntil(Done done, DWORD timeoutMs) {
    const ULONGLONG start = GetTickCount64();
    while (!done()) {
        if (GetTickCount64() - start > timeoutMs) {
            return false;
        }
        Sleep(1);
    }
    return true;
}

// Band runners and thread starters for the pool. Starters pass scheduler starts through
// unchanged.
// Logs every band as its worker starts it.
struct StartedBand {
    int rowStart;
    int rowEnd;
    int width;
    int height;
    int colStart;
    int colEnd;
    int formula;
    int slot;
    double stepX;
    double stepY;
};
void ClearStartedBands();
std::vector<StartedBand> StartedBands();
unsigned __stdcall LoggingBandRunner(void* job);

// Workers that hold their band until ReleaseHeldWorkers or until the flag is cleared, like a
// kernel on a slow band that watches the flag.
void ResetHeldWorkers();
void ReleaseHeldWorkers();
// Waits up to timeoutMs for at least `count` held workers to have started; false if they did not.
bool WaitForHeldWorkers(int count, DWORD timeoutMs);
int HeldWorkersStarted();
unsigned __stdcall HoldingBandRunner(void* job);

// Workers whose threads stay alive after they have rendered their band and left the pool,
// until ReleaseLingeringWorkers; that waits (up to timeoutMs) until they have all ended.
void ResetLingeringWorkers();
bool ReleaseLingeringWorkers(DWORD timeoutMs);
unsigned __stdcall LingeringBandRunner(void* job);

// Refuse to start any thread, or only workers.
HANDLE FailingStarter(RenderThreadPool::ThreadEntry entry, void* argument, unsigned* threadId);
HANDLE FailingWorkerStarter(RenderThreadPool::ThreadEntry entry, void* argument, unsigned* threadId);
