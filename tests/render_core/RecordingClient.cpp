#include "RecordingClient.h"

#include <process.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>

#include <gtest/gtest.h>

#include "render/RenderBand.h"
#include "render/RenderDriver.h"
#include "render/RenderJob.h"

namespace {
constexpr DWORD kTickGateLimitMs = 60000;
// A render left behind by a failed test ends within a tick gate's wait once stopped.
constexpr DWORD kLeftRenderLimitMs = 2 * kTickGateLimitMs;
}

View DefaultView(int width, int height) {
    View view;
    view.SetDefault();
    view.UpdateSteps(width, height);
    return view;
}

RecordingClient::RecordingClient(const ClientSetup& setup)
    : RecordingClient(setup, DefaultView(setup.width, setup.height)) {}

RecordingClient::RecordingClient(const ClientSetup& setup, const View& view)
    : setup_(setup), view_(view),
      pixelCounts_(new std::atomic<int>[static_cast<size_t>(setup.width) * setup.height]) {
    for (int i = 0; i < setup.width * setup.height; ++i) {
        pixelCounts_[i] = 0;
    }
}

void RecordingClient::Record(const char* call) {
    if (GetCurrentThreadId() != driverThread_.load() || inPrepare_) {
        return;
    }
    std::lock_guard<std::mutex> guard(lock_);
    calls_.emplace_back(call);
}

void RecordingClient::SetPixel(uint32_t x, uint32_t y, uint8_t, float) {
    if (x >= static_cast<uint32_t>(setup_.width) || y < 1 || y > static_cast<uint32_t>(setup_.height)) {
        ++outOfRange_;
        return;
    }
    ++pixelCounts_[(y - 1) * setup_.width + x];
}

void RecordingClient::StepProgress() {
    ++stepProgress_;
}

const View* RecordingClient::GetView() {
    Record("GetView");
    return &view_;
}

int RecordingClient::PrepareRender(RenderThreadPool* pool) {
    Record("PrepareRender");
    inPrepare_ = true;
    if (setup_.callPrepare) {
        RenderBand request(setup_.width, setup_.height, 0, setup_.width, 0, setup_.rowsPerBand,
                           view_.stepX, view_.stepY);
        RenderThreadPool::Prepare(pool, &request, this);
    }
    inPrepare_ = false;
    if (setup_.threads > 0) {
        pool->stats.threadCount = setup_.threads;
    }
    if (setup_.starter) {
        pool->threadStarter = setup_.starter;
    }
    if (setup_.bandRunner) {
        pool->bandRunner = setup_.bandRunner;
    }
    Sleep(setup_.prepareSleepMs);
    return setup_.rowsPerBand;
}

int RecordingClient::GetBandsPerPass() {
    Record("GetBandsPerPass");
    return setup_.bandsPerPass;
}

int RecordingClient::GetWidth() {
    DWORD none = 0;
    driverThread_.compare_exchange_strong(none, GetCurrentThreadId());
    Record("GetWidth");
    return setup_.width;
}

int RecordingClient::GetHeight() {
    Record("GetHeight");
    return setup_.height;
}

int RecordingClient::GetFormula() {
    Record("GetFormula");
    return setup_.formula;
}

void RecordingClient::OnPassComplete(int64_t) {
    Record("OnPassComplete");
    if (++passCompletes_ == 1 && setup_.throwAtFirstPassEnd) {
        throw std::runtime_error("client failure");
    }
}

void RecordingClient::OnRenderStart() {
    Record("OnRenderStart");
}

void RecordingClient::OnRenderComplete(double seconds, const RenderStats* stats) {
    Record("OnRenderComplete");
    seconds_ = seconds;
    stats_ = *stats;
    ++renderCompletes_;
}

void RecordingClient::OnProgressTick(int64_t elapsedSeconds) {
    Record("OnProgressTick");
    {
        std::lock_guard<std::mutex> guard(lock_);
        tickSeconds_.push_back(elapsedSeconds);
        tickTimes_.push_back(GetTickCount64());
    }
    ticked_.notify_all();
    if (setup_.tickGate) {
        // Bounded, so that a test that fails before it opens the gate still lets the render end.
        WaitForSingleObject(setup_.tickGate, kTickGateLimitMs);
    }
}

std::vector<std::string> RecordingClient::DriverCalls() const {
    std::lock_guard<std::mutex> guard(lock_);
    return calls_;
}

std::vector<int64_t> RecordingClient::TickSeconds() const {
    std::lock_guard<std::mutex> guard(lock_);
    return tickSeconds_;
}

std::vector<uint64_t> RecordingClient::TickTimes() const {
    std::lock_guard<std::mutex> guard(lock_);
    return tickTimes_;
}

bool RecordingClient::WaitForTicks(size_t count, DWORD timeoutMs) const {
    std::unique_lock<std::mutex> guard(lock_);
    return ticked_.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                            [&] { return tickTimes_.size() >= count; });
}

int RecordingClient::PixelsSet() const {
    int total = 0;
    for (int i = 0; i < setup_.width * setup_.height; ++i) {
        total += pixelCounts_[i];
    }
    return total;
}

int RecordingClient::MaxTimesOnePixelSet() const {
    int most = 0;
    for (int i = 0; i < setup_.width * setup_.height; ++i) {
        most = std::max(most, pixelCounts_[i].load());
    }
    return most;
}

int RecordingClient::PixelsNeverSet() const {
    int never = 0;
    for (int i = 0; i < setup_.width * setup_.height; ++i) {
        never += pixelCounts_[i] == 0;
    }
    return never;
}

namespace {

unsigned __stdcall DriverEntry(void* client) {
    RenderDriverThread(static_cast<IRenderCallbackInterface*>(static_cast<RecordingClient*>(client)));
    return 0;
}

std::mutex startedLock;
std::vector<StartedBand> started;

HANDLE heldRelease = CreateEventA(nullptr, TRUE, FALSE, nullptr);
std::mutex heldLock;
std::condition_variable heldChanged;
int heldStarted = 0;

unsigned __stdcall HeldWorker(void* job) {
    {
        std::lock_guard<std::mutex> guard(heldLock);
        ++heldStarted;
    }
    heldChanged.notify_all();
    while (RenderRunningFlag.load() && WaitForSingleObject(heldRelease, 2) == WAIT_TIMEOUT) {
    }
    return RenderWorkerThread(job);
}

// Lingering workers: the band is done and the pool told, but the thread does not end.
HANDLE lingerRelease = CreateEventA(nullptr, TRUE, FALSE, nullptr);
std::atomic<int> lingering{0};

unsigned __stdcall LingeringWorker(void* job) {
    ++lingering;
    const unsigned result = RenderWorkerThread(job);
    WaitForSingleObject(lingerRelease, INFINITE);
    --lingering;
    return result;
}

} // namespace

HANDLE StartRender(RecordingClient& client) {
    RenderRunningFlag.exchange(true);
    return reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &DriverEntry, &client, 0, nullptr));
}

RenderInFlight::RenderInFlight(RecordingClient& client) : thread_(StartRender(client)) {}

RenderInFlight::~RenderInFlight() {
    if (thread_ && !ended_) {
        RenderRunningFlag.exchange(false);
        ReleaseHeldWorkers();
        EXPECT_TRUE(Wait(kLeftRenderLimitMs)) << "a render the test left did not end once stopped";
    }
}

bool RenderInFlight::Wait(DWORD timeoutMs) {
    ended_ = ended_ || WaitForSingleObject(thread_.get(), timeoutMs) == WAIT_OBJECT_0;
    return ended_;
}

bool WaitAndClose(HANDLE thread, DWORD timeoutMs) {
    const bool ended = WaitForSingleObject(thread, timeoutMs) == WAIT_OBJECT_0;
    if (ended) {
        CloseHandle(thread);
    }
    return ended;
}

bool RenderAndWait(RecordingClient& client, DWORD timeoutMs) {
    HANDLE thread = StartRender(client);
    return thread && WaitAndClose(thread, timeoutMs);
}

int ProcessThreadCount() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return -1;
    }
    int count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    }
    CloseHandle(snapshot);
    return count;
}

bool WaitForThreadCountAtMost(int count, DWORD timeoutMs) {
    return WaitUntil([count] { return ProcessThreadCount() <= count; }, timeoutMs);
}

void ClearStartedBands() {
    std::lock_guard<std::mutex> guard(startedLock);
    started.clear();
}

std::vector<StartedBand> StartedBands() {
    std::lock_guard<std::mutex> guard(startedLock);
    return started;
}

unsigned __stdcall LoggingBandRunner(void* argument) {
    const RenderJob* job = static_cast<const RenderJob*>(argument);
    const RenderBand* band = job->band;
    {
        std::lock_guard<std::mutex> guard(startedLock);
        started.push_back({band->rowStart, band->rowEnd, band->width, band->height, band->colStart,
                           band->colEnd, job->formula, job->slot, band->stepX, band->stepY});
    }
    return RenderWorkerThread(argument);
}

void ResetHeldWorkers() {
    ResetEvent(heldRelease);
    std::lock_guard<std::mutex> guard(heldLock);
    heldStarted = 0;
}

bool WaitForHeldWorkers(int count, DWORD timeoutMs) {
    std::unique_lock<std::mutex> guard(heldLock);
    return heldChanged.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] { return heldStarted >= count; });
}

int HeldWorkersStarted() {
    std::lock_guard<std::mutex> guard(heldLock);
    return heldStarted;
}

void ReleaseHeldWorkers() {
    SetEvent(heldRelease);
}

unsigned __stdcall HoldingBandRunner(void* job) {
    return HeldWorker(job);
}

HANDLE FailingStarter(RenderThreadPool::ThreadEntry, void*, unsigned*) {
    return nullptr;
}

HANDLE FailingWorkerStarter(RenderThreadPool::ThreadEntry entry, void* argument, unsigned* threadId) {
    return entry == &RenderParkedWorkerThread ? nullptr : RenderThreadPool::StartThread(entry, argument, threadId);
}

void ResetLingeringWorkers() {
    ResetEvent(lingerRelease);
}

bool ReleaseLingeringWorkers(DWORD timeoutMs) {
    SetEvent(lingerRelease);
    const ULONGLONG start = GetTickCount64();
    while (lingering.load() > 0) {
        if (GetTickCount64() - start > timeoutMs) {
            return false;
        }
        Sleep(1);
    }
    return true;
}

unsigned __stdcall LingeringBandRunner(void* job) {
    return LingeringWorker(job);
}
