#include "BenchClient.h"

#include <process.h>

#include <algorithm>

#include "BenchSupport.h"
#include "render/RenderBand.h"
#include "render/RenderDriver.h"
#include "render/RenderRunningFlag.h"
#include "render/RenderThreadPool.h"

BenchClient::BenchClient(const BenchRender& render)
    : render_(render), rowSums_(static_cast<size_t>(render.height) + 1), done_(CreateEventA(nullptr, FALSE, FALSE, nullptr))
{
    render_.view = WithSteps(render_.view, render_.width, render_.height);
}

BenchClient::~BenchClient()
{
    if (done_) {
        CloseHandle(done_);
    }
}

double ProcessCpuSeconds()
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        return 0.0;
    }
    const auto ticks = [](const FILETIME& time) {
        return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
}

bool BenchClient::Run()
{
    std::fill(rowSums_.begin(), rowSums_.end(), 0);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    const double cpuStart = ProcessCpuSeconds();
    QueryPerformanceCounter(&start);
    RenderRunningFlag.exchange(true);
    if (_beginthread(&RenderDriverThread, 0, static_cast<IRenderCallbackInterface*>(this)) == uintptr_t(-1)) {
        return false;
    }
    WaitForSingleObject(done_, INFINITE);
    QueryPerformanceCounter(&end);
    cpuSeconds_ = ProcessCpuSeconds() - cpuStart;
    RenderRunningFlag.exchange(false);
    wallSeconds_ = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    return familyAvailable_;
}

bool BenchClient::RunAndStop(DWORD runMs, double* stopToEndMs)
{
    std::fill(rowSums_.begin(), rowSums_.end(), 0);
    RenderRunningFlag.exchange(true);
    if (_beginthread(&RenderDriverThread, 0, static_cast<IRenderCallbackInterface*>(this)) == uintptr_t(-1)) {
        return false;
    }
    Sleep(runMs);
    LARGE_INTEGER frequency, stopped;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&stopped);
    RenderRunningFlag.exchange(false);
    WaitForSingleObject(done_, INFINITE);
    *stopToEndMs = double(completed_.QuadPart - stopped.QuadPart) * 1000.0 / double(frequency.QuadPart);
    return familyAvailable_;
}

uint64_t BenchClient::Checksum() const
{
    uint64_t sum = 0;
    for (size_t row = 0; row < rowSums_.size(); ++row) {
        sum = sum * 1000003u + rowSums_[row];
    }
    return sum;
}

void BenchClient::SetPixel(uint32_t x, uint32_t y, uint8_t colourIndex, float)
{
    rowSums_[y] += (uint64_t(x) + 1) * (uint64_t(colourIndex) + 1);
}

int BenchClient::PrepareRender(RenderThreadPool* pool)
{
    const int threads = render_.threads > 0 ? render_.threads : 0;
    const int rowsGuess = std::max(1, render_.height / 4);
    RenderBand request(render_.width, render_.height, 0, render_.width, 0, rowsGuess, render_.view.stepX,
                       render_.view.stepY);
    RenderThreadPool::Prepare(pool, &request, this);
    RenderStats& stats = pool->stats;
    const bool vectorAllowed = stats.sse128 || stats.avx256;
    familyAvailable_ = true;
    switch (render_.family) {
    case LaneFamily::kScalarFloat:
    case LaneFamily::kScalarDouble:
        stats.simd = false;
        break;
    case LaneFamily::kVectorFloat:
    case LaneFamily::kVectorDouble:
        familyAvailable_ = stats.simd && vectorAllowed;
        break;
    case LaneFamily::kAsPrepared:
        break;
    }
    if (render_.family == LaneFamily::kScalarFloat || render_.family == LaneFamily::kVectorFloat) {
        stats.useFloat = true;
        stats.useDouble = false;
    } else if (render_.family != LaneFamily::kAsPrepared) {
        stats.useFloat = false;
        stats.useDouble = true;
    }
    if (!familyAvailable_) {
        stats.useFloat = stats.useDouble = false; // renders nothing, quickly
    }
    if (threads > 0) {
        stats.threadCount = threads;
    }
    if (render_.rowsPerBand > 0) {
        return render_.rowsPerBand;
    }
    const int rows = std::max(1, render_.height / (4 * std::max(1, stats.threadCount)));
    return stats.threadCount > 1 ? rows : render_.height;
}

void BenchClient::OnRenderComplete(double seconds, const RenderStats* stats)
{
    QueryPerformanceCounter(&completed_);
    renderSeconds_ = seconds;
    stats_ = *stats;
    SetEvent(done_);
}
