#pragma once

#include <windows.h>
#include <cstdint>

#include "render/CriticalSection.h"
#include "render/RenderStats.h"

struct RenderBand;
struct RenderJob;
class IRenderCallbackInterface;

// One render's job queue, worker slots and pass-completion signal. It lives on the driver
// thread's stack for one render. The driver queues a pass of jobs, a scheduler thread runs them
// with at most threadCount workers at once and signals doneSemaphore when the last one has ended.
class RenderThreadPool {
public:
    // Starts a thread like _beginthreadex; returns its handle or null. A client may replace the
    // pool's starter in PrepareRender (tests use it to watch or refuse thread starts).
    using ThreadEntry = unsigned(__stdcall*)(void*);
    using ThreadStarter = HANDLE (*)(ThreadEntry entry, void* argument, unsigned* threadId);
    static HANDLE StartThread(ThreadEntry entry, void* argument, unsigned* threadId);

    // WaitForMultipleObjects takes at most this many handles.
    static constexpr int kMaxThreads = MAXIMUM_WAIT_OBJECTS;

    RenderThreadPool();
    ~RenderThreadPool();
    RenderThreadPool(const RenderThreadPool&) = delete;
    RenderThreadPool& operator=(const RenderThreadPool&) = delete;

    // Chooses thread count, precision and vector width for a render into pool->stats.
    // Returns the processor probe's bit count (0 in the scalar build, which does not probe).
    static int Prepare(RenderThreadPool* pool, const RenderBand* request,
                       IRenderCallbackInterface* client);

    // Builds the queue for `capacity` jobs and the slots for stats.threadCount workers (clamped to
    // 1..kMaxThreads, and the clamped count written back). False if the semaphore or the arrays
    // could not be made; the pool then takes no jobs.
    bool Init(int capacity, IRenderCallbackInterface* client);
    void ResetSlots();
    // False (and the caller keeps the job) when the queue is full.
    bool AddJob(RenderJob* job);

    // Runs Schedule on a new scheduler thread. False if no thread could be started; the caller
    // then runs Schedule itself.
    bool StartScheduler();
    // Runs the queued pass to its end, then signals doneSemaphore.
    void Schedule();

    int TakeFreeSlot();
    void ReleaseSlot(int slot);
    bool HasFreeThread();
    bool IsBusy();
    bool HasPendingJobs();
    void LaunchJob(RenderJob* job, int slot);
    bool WaitForAnyThread();
    bool WaitDone(DWORD milliseconds);

    RenderStats* GetStats() { return &stats; }
    IRenderCallbackInterface* GetCallback() const { return callback; }
    HANDLE GetDoneSemaphore() const { return doneSemaphore; }
    int GetThreadCount() const { return threadCount; }
    int GetJobCount() const { return jobCount; }

    RenderStats stats;
    ThreadStarter threadStarter = &StartThread;

private:
    friend struct RenderJob;

    void CloseWorkerHandle(int slot);
    void JoinWorkers();

    int32_t capacity = 0;
    int32_t jobCount = 0;
    RenderJob** jobs = nullptr;
    int32_t threadCount = 0;
    HANDLE* threadHandles = nullptr; // scheduler's only; null where no worker needs closing
    bool* slotFree = nullptr;
    CriticalSection queueLock;
    CriticalSection slotLock;
    HANDLE doneSemaphore = nullptr;
    int32_t runningCount = 0;
    int32_t pendingCount = 0;
    uint32_t schedulerThreadId = 0;
    IRenderCallbackInterface* callback = nullptr;
};
