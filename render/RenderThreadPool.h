#pragma once

#include <windows.h>
#include <cstdint>

#include "render/CriticalSection.h"
#include "render/RenderStats.h"

struct RenderBand;
struct RenderJob;
class IRenderCallbackInterface;

// One render's job queue, worker slots and pass-completion signal. It lives on the driver
// thread's stack for one render. The driver queues a pass of jobs; the pass's scheduler thread
// starts one new worker thread for each band, and keeps at most threadCount bands computing.
//
// A thread takes far longer to start here than a band may take to compute, so the scheduler
// starts workers before a slot is free: a parked worker waits, on a condition variable rather
// than a kernel object, until a band may start, takes it and computes it. At most threadCount
// parked workers wait beyond the bands computing, and only as many as the bands still to come
// (of this pass and, while the render runs, of the passes after it) can use. A parked worker
// that is dismissed without a band ends at once.
class RenderThreadPool {
public:
    // Starts a thread like _beginthreadex; returns its handle or null. A client may replace the
    // pool's starter in PrepareRender (tests use it to watch or refuse thread starts).
    using ThreadEntry = unsigned(__stdcall*)(void*);
    using ThreadStarter = HANDLE (*)(ThreadEntry entry, void* argument, unsigned* threadId);
    static HANDLE StartThread(ThreadEntry entry, void* argument, unsigned* threadId);

    // The most threads one render may run at once.
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
    // While a pass runs, starts the next pass's scheduler thread. Until StartScheduler hands it
    // that pass, it starts parked workers for it, side by side with the running pass's
    // scheduler: two threads start threads faster than one.
    void StartNextScheduler();
    // The ready scheduler's half: gets workers ready while it waits for its pass, then
    // schedules it.
    void ScheduleWhenQueued();
    // Runs the queued pass to its end, then signals doneSemaphore.
    void Schedule();
    // Ends every parked worker that has no band, and keeps new ones from being started: the
    // render was stopped or is over. Returns once none of them touches the pool any more.
    void DismissParkedWorkers();

    int TakeFreeSlot();
    void ReleaseSlot(int slot);
    bool HasFreeThread();
    bool IsBusy();
    bool HasPendingJobs();
    // A parked worker's half of a band hand-off: waits until a band of a scheduled pass may
    // start, and takes it (the last queued first). Null when the worker was dismissed.
    RenderJob* WaitForBand();
    // What a worker does last with the pool, the band's clean-up done: counts itself out.
    void WorkerLeft();
    bool WaitDone(DWORD milliseconds);

    RenderStats* GetStats() { return &stats; }
    IRenderCallbackInterface* GetCallback() const { return callback; }
    HANDLE GetDoneSemaphore() const { return doneSemaphore; }
    int GetThreadCount() const { return threadCount; }
    int GetJobCount() const { return jobCount; }

    RenderStats stats;
    ThreadStarter threadStarter = &StartThread;
    // What a worker runs on the band it was handed (RenderWorkerThread); tests replace it to hold
    // or watch bands.
    ThreadEntry bandRunner = nullptr;

private:
    friend struct RenderJob;

    // Takes jobs[pendingCount - 1] into a free slot and counts it running and out. The caller
    // holds the hand-off lock and has made sure a band may start.
    RenderJob* ClaimJob();
    // Parked workers wanted beyond those already started: as many as the bands still to come
    // can use, threadCount at most. Under the hand-off lock.
    int ParkedWanted();
    // Starts one parked worker, counted as such before the start; the hand-off lock is held on
    // entry and on return, and released meanwhile. False when no thread could be started.
    bool StartParkedWorker();
    void RunBand(RenderJob* job);

    int32_t capacity = 0;
    int32_t jobCount = 0;
    RenderJob** jobs = nullptr;
    int32_t threadCount = 0;
    bool* slotFree = nullptr;
    CriticalSection queueLock;
    CriticalSection slotLock;
    HANDLE doneSemaphore = nullptr;
    bool schedulerReady = false; // the driver's only
    bool passRunning = false;    // the driver's only: a scheduler thread has a pass not yet seen to end

    // Guarded by the process-wide hand-off lock (see RenderThreadPool.cpp).
    CONDITION_VARIABLE bandMayStart = CONDITION_VARIABLE_INIT; // parked workers wait on it
    CONDITION_VARIABLE handOffChanged = CONDITION_VARIABLE_INIT; // schedulers and the driver wait on it
    bool passQueued = false;      // a pass waits for the ready scheduler
    bool passOpen = false;        // parked workers may take the scheduled pass's bands
    bool dismissed = false;       // no band for parked workers any more, and no new ones
    bool startFailed = false;     // this pass: a worker thread could not be started
    int32_t bandsOut = 0;         // bands taken whose worker has not counted itself out
    int32_t parkedWorkers = 0;    // workers started (or being started) without a band yet
    int32_t workersOut = 0;       // worker threads started that have not counted themselves out
    int32_t bandsNotQueued = 0;   // bands of the render not yet queued

    int32_t runningCount = 0;
    int32_t pendingCount = 0;
    uint32_t schedulerThreadId = 0;
    IRenderCallbackInterface* callback = nullptr;
};
