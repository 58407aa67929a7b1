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

    // Runs Schedule on a new scheduler thread: the one StartNextScheduler made ready, else one
    // started now. False if no thread could be started; the caller then runs Schedule itself.
    bool StartScheduler();
    // While a pass runs, starts the next pass's scheduler thread, which waits until
    // StartScheduler hands it that pass. A thread takes milliseconds to start here, longer than
    // a pass of one-row bands may take to render; so it is started while there is time.
    void StartNextScheduler();
    // The ready scheduler's half: waits for its pass, then schedules it.
    void ScheduleWhenQueued();
    // Runs the queued pass to its end, then signals doneSemaphore.
    void Schedule();

    int TakeFreeSlot();
    void ReleaseSlot(int slot);
    bool HasFreeThread();
    bool IsBusy();
    bool HasPendingJobs();
    void LaunchJob(RenderJob* job, int slot);
    // Waits until one launched worker has left the pool for good (its band freed, its slot
    // free, nothing of the pool touched any more); true if the pool is then no longer busy.
    bool WaitForAnyThread();
    bool WaitDone(DWORD milliseconds);
    // What a worker does last: tells the scheduler that it has left the pool. Takes the
    // signal's handle, not the pool, which may be gone as soon as the signal is given.
    static void SignalWorkerLeft(HANDLE workerLeft);

    RenderStats* GetStats() { return &stats; }
    IRenderCallbackInterface* GetCallback() const { return callback; }
    HANDLE GetDoneSemaphore() const { return doneSemaphore; }
    HANDLE GetWorkerLeftSignal() const { return workerLeft; }
    int GetThreadCount() const { return threadCount; }
    int GetJobCount() const { return jobCount; }

    RenderStats stats;
    ThreadStarter threadStarter = &StartThread;

private:
    friend struct RenderJob;

    int32_t capacity = 0;
    int32_t jobCount = 0;
    RenderJob** jobs = nullptr;
    int32_t threadCount = 0;
    bool* slotFree = nullptr;
    CriticalSection queueLock;
    CriticalSection slotLock;
    HANDLE doneSemaphore = nullptr;
    // Auto-reset: hands the queued pass to the scheduler thread that is waiting for it.
    HANDLE passQueued = nullptr;
    bool schedulerReady = false; // the driver's only
    bool passRunning = false;    // the driver's only: a scheduler thread has a pass not yet seen to end
    // Released once by each launched worker as the last thing it does with the pool; the
    // scheduler takes one for every worker it launched before it ends the pass.
    HANDLE workerLeft = nullptr;
    int32_t launchedWorkers = 0; // this pass; the scheduler's only
    int32_t leftWorkers = 0;     // this pass; the scheduler's only
    int32_t runningCount = 0;
    int32_t pendingCount = 0;
    uint32_t schedulerThreadId = 0;
    IRenderCallbackInterface* callback = nullptr;
};
