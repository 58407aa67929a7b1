#include "render/RenderDriver.h"

#include <float.h>
#include <windows.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <new>

#include "render/IRenderCallbackInterface.h"
#include "render/RenderBand.h"
#include "render/RenderJob.h"
#include "render/RenderThreadPool.h"
#include "render/ScopedHandle.h"
#include "render/View.h"

namespace {

constexpr DWORD kProgressWaitMs = 1000;
constexpr DWORD kStoppedWaitMs = 10000;

// x87 code rounds doubles as SSE2 does only at 53-bit precision. New threads start that way;
// the driver and every worker say so themselves, whatever the host process has done to the
// control word.
void UseDoublePrecision() {
#if __FLT_EVAL_METHOD__ != 0
    _controlfp(_PC_53, _MCW_PC);
#endif
}

int64_t SecondsSince(__time64_t start) {
    return static_cast<int64_t>(_time64(nullptr) - start);
}

// Cuts up to bandsPerPass bands from rowsDone down, in rising row order, and queues them.
void QueuePass(RenderThreadPool& pool, IRenderCallbackInterface* client, int bandsPerPass,
               int rowsPerBand, int height, int64_t& rowsDone) {
    for (int band = 0; band < bandsPerPass && rowsDone < height; ++band) {
        const double stepX = client->GetView()->stepX;
        const double stepY = client->GetView()->stepY;
        const int width = client->GetWidth();
        const int imageHeight = client->GetHeight();
        const int colEnd = client->GetWidth();
        const int formula = client->GetFormula();
        const int rowStart = static_cast<int>(rowsDone);
        const int rowEnd = static_cast<int>(std::min<int64_t>(rowsDone + rowsPerBand, height));
        rowsDone += rowsPerBand;

        RenderBand* cut = new (std::nothrow)
            RenderBand(width, imageHeight, 0, colEnd, rowStart, rowEnd, stepX, stepY);
        if (!cut) {
            continue; // the band stays undrawn; the render goes on
        }
        RenderJob* job = new (std::nothrow) RenderJob(cut, formula);
        if (!job) {
            delete cut;
            continue;
        }
        if (!pool.AddJob(job)) {
            delete job;
        }
    }
}

void WaitForPass(RenderThreadPool& pool, IRenderCallbackInterface* client, __time64_t start) {
    for (;;) {
        if (pool.WaitDone(kProgressWaitMs)) {
            return;
        }
        if (RenderRunningFlag.load()) {
            client->OnProgressTick(SecondsSince(start));
            continue;
        }
        // Stopped: the kernels return within a pixel, the pass ends soon.
        while (!pool.WaitDone(kStoppedWaitMs)) {
        }
        return;
    }
}

double PassSeconds(const LARGE_INTEGER& qpcStart) {
    LARGE_INTEGER qpcEnd, frequency, qpcA, qpcB;
    QueryPerformanceCounter(&qpcEnd);
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&qpcA);
    QueryPerformanceCounter(&qpcB);
    // One counter reading's cost is taken off.
    const LONGLONG ticks = (qpcEnd.QuadPart - qpcStart.QuadPart) - (qpcB.QuadPart - qpcA.QuadPart);
    return static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

void RunRender(IRenderCallbackInterface* client) {
    const __time64_t start = _time64(nullptr);
    client->GetWidth();
    const int height = std::max(0, client->GetHeight());

    RenderThreadPool pool;
    // Bands must hold at least one row and passes at least one band.
    const int rowsPerBand = std::max(1, client->PrepareRender(&pool));
    const int bandsPerPass = std::max(1, client->GetBandsPerPass());
    const int bands = static_cast<int>(std::ceil(static_cast<double>(height) / rowsPerBand));
    pool.Init(bands, client);
    const int passes = static_cast<int>(std::ceil(static_cast<double>(bands) / bandsPerPass));

    LARGE_INTEGER qpcStart;
    QueryPerformanceCounter(&qpcStart);
    client->OnRenderStart();

    int64_t rowsDone = 0;
    bool stopped = false;
    for (int pass = 0; pass < passes; ++pass) {
        // Once stopped, the passes still to come would only start threads whose kernels return
        // at once: a large picture has one pass per few rows, thousands of thread starts.
        // Every pass still ends with OnPassComplete. A later render setting the flag again
        // does not bring this one back.
        if (!stopped && !RenderRunningFlag.load()) {
            stopped = true;
            // Workers started ahead for the passes that are not run now end at once.
            pool.DismissParkedWorkers();
        }
        if (!stopped) {
            QueuePass(pool, client, bandsPerPass, rowsPerBand, height, rowsDone);
            if (!pool.StartScheduler()) {
                pool.Schedule();
            } else if (pass + 1 < passes) {
                pool.StartNextScheduler();
            }
            WaitForPass(pool, client, start);
        }
        client->OnPassComplete(SecondsSince(start));
        pool.ResetSlots();
    }

    client->OnRenderComplete(PassSeconds(qpcStart), pool.GetStats());
}

} // namespace

void __cdecl RenderDriverThread(void* client) {
    UseDoublePrecision();
    try {
        RunRender(static_cast<IRenderCallbackInterface*>(client));
    } catch (...) {
        // Nothing of the engine throws; a throwing client must not take the process down here.
    }
}

unsigned __stdcall RenderSchedulerThread(void* pool) {
    try {
        static_cast<RenderThreadPool*>(pool)->Schedule();
    } catch (...) {
    }
    return 0;
}

unsigned __stdcall RenderNextSchedulerThread(void* pool) {
    try {
        static_cast<RenderThreadPool*>(pool)->ScheduleWhenQueued();
    } catch (...) {
    }
    return 0;
}

unsigned __stdcall RenderParkedWorkerThread(void* argument) {
    UseDoublePrecision();
    RenderThreadPool* pool = static_cast<RenderThreadPool*>(argument);
    RenderJob* job = pool->WaitForBand();
    if (!job) {
        return 0; // dismissed: the pool may be gone already
    }
    // The pool stays while its band is out.
    pool->bandRunner(job);
    return 0;
}

unsigned __stdcall RenderWorkerThread(void* argument) {
    UseDoublePrecision();
    RenderJob* job = static_cast<RenderJob*>(argument);
    job->threadId = GetCurrentThreadId();
    try {
        job->Run();
    } catch (...) {
        // The band stays partly drawn; the clean-up below must still happen.
    }
    job->FinishBand();
    job->ReleaseSlot();
    RenderThreadPool* pool = job->pool;
    delete job;
    // The last touch of the pool: once it is counted out, the pass may end and the driver reset
    // or destroy the pool while this thread is still on its way out.
    if (pool) {
        pool->WorkerLeft();
    }
    return 0;
}

bool WaitForRenderToFinish(uint32_t stepMs, uint32_t totalMs) {
    KernelHandle done;
    unsigned long long serial = 0;
    if (!RenderThreadPool::CurrentPass(&done, &serial)) {
        return totalMs != 0;
    }

    const DWORD step = std::max<uint32_t>(stepMs, 1);
    uint32_t remaining = totalMs;
    bool ended = false;
    for (;;) {
        const DWORD wait = std::min<uint32_t>(step, remaining);
        if (done) {
            if (WaitForSingleObject(done.get(), wait) == WAIT_OBJECT_0) {
                // Give the signal back: the driver is waiting for the same pass end.
                ReleaseSemaphore(done.get(), 1, nullptr);
                ended = true;
                break;
            }
        } else {
            Sleep(wait);
        }
        // The driver may have taken the signal first.
        if (!RenderThreadPool::IsPassScheduled(serial)) {
            ended = true;
            break;
        }
        remaining -= wait;
        if (remaining == 0) {
            break;
        }
    }
    return ended;
}
