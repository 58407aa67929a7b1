#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "render/CriticalSection.h"
#include "render/RenderStats.h"
#include "render/ScopedHandle.h"

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
//
// Locks, what each guards, and the order they are taken in:
//
// 1. The hand-off lock: one slim reader/writer lock for the whole process (RenderThreadPool.cpp),
//    statically initialised and never destroyed. It guards every pool's hand-off state (the
//    fields from bandMayStart to bandsNotQueued) and which pool's pass is being scheduled (for
//    WaitForRenderToFinish). bandMayStart and handOffChanged are slept on with it and woken only
//    while it is held. It is the process's, not the pool's, so that a worker may still let go of
//    it after counting itself out, when its pool may be gone already.
// 2. queueLock guards runningCount and pendingCount; slotLock guards slotFree. Either may be
//    taken alone or inside the hand-off lock; the two are never held together, and nothing is
//    taken inside either.
//
// No lock is held while a thread is started, a band is rendered or doneSemaphore is waited on
// or released. doneSemaphore (count 0 or 1, created at 0) is the pass's end: the scheduler
// releases it once every band of the pass has left the pool, the driver takes it (WaitDone), and
// WaitForRenderToFinish, which may take it first, gives it back. jobs[] and jobCount are the
// driver's: it writes them only while no pass is open, and workers read them only while one is.
class RenderThreadPool {
public:
    // Starts a thread like _beginthreadex; returns its handle or null. A client may replace the
    // pool's starter in PrepareRender (tests use it to watch or refuse thread starts).
    using ThreadEntry = unsigned(__stdcall*)(void*);
    using ThreadStarter = HANDLE (*)(ThreadEntry entry, void* argument, unsigned* threadId);
    static HANDLE StartThread(ThreadEntry entry, void* argument, unsigned* threadId);

    // The most threads one render may run at once: CountLogicalProcessors sees the processors of
    // the calling thread's group, never more than this, and more threads than processors would
    // only take turns.
    static constexpr int kMaxThreads = MAXIMUM_PROC_PER_GROUP;

    RenderThreadPool();
    ~RenderThreadPool();
    RenderThreadPool(const RenderThreadPool&) = delete;
    RenderThreadPool& operator=(const RenderThreadPool&) = delete;

    // Chooses thread count, precision and vector width for a render into pool->stats.
    // Returns the processor probe's bit count (0 in the scalar build, which does not probe).
    static int Prepare(RenderThreadPool* pool, const RenderBand* request,
                       IRenderCallbackInterface* client);

    // The pass being scheduled, of any render, for WaitForRenderToFinish: false when there is
    // none. Else its serial, which tells it from the pool's next pass, and in *done a handle of
    // the caller's own to its doneSemaphore (none if it could not be made), which stays valid
    // when the driver destroys the pool meanwhile.
    static bool CurrentPass(KernelHandle* done, unsigned long long* serial);
    // Whether the pass of that serial is still being scheduled.
    static bool IsPassScheduled(unsigned long long serial);

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
    bool HasPendingJobs();
    // A parked worker's half of a band hand-off: waits until a band of a scheduled pass may
    // start, and takes it (the last queued first). Null when the worker was dismissed.
    RenderJob* WaitForBand();
    // What a worker does last with the pool, the band's clean-up done: counts itself out.
    void WorkerLeft();
    bool WaitDone(DWORD milliseconds);

    // Kept for the pool's interface; the scheduling does not ask them, as it counts the bands out
    // under the hand-off lock. Under queueLock: runningCount < threadCount (HasFreeThread), and
    // runningCount > 0 or pendingCount > 0 (IsBusy).
    bool HasFreeThread();
    bool IsBusy();

    RenderStats* GetStats() { return &stats; }
    IRenderCallbackInterface* GetCallback() const { return callback; }

    RenderStats stats;
    ThreadStarter threadStarter = &StartThread;
    // What a worker runs on the band it was handed (RenderWorkerThread); tests replace it to hold
    // or watch bands.
    ThreadEntry bandRunner = nullptr;

private:
    // What the scheduler does next, decided under the hand-off lock and done once it is let go.
    enum class SchedulerStep {
        StartWorker, // a parked worker, already counted
        RunBand,     // the band claimed for the scheduler's own thread
        EndPass,     // the pass is closed and withdrawn
    };
    // Waits until one of the steps is due. mayStartWorkers: no worker start of this pass failed.
    SchedulerStep NextSchedulerStep(bool mayStartWorkers, RenderJob** job);
    // The ready scheduler's wait: true once its pass is queued, false when a parked worker is
    // wanted first (already counted).
    bool WaitForQueuedPass(bool mayStartWorkers);
    // Takes jobs[pendingCount - 1] into a free slot and counts it running and out. The caller
    // holds the hand-off lock and has made sure a band may start.
    RenderJob* ClaimJob();
    // Parked workers wanted beyond those already started: as many as the bands still to come
    // can use, threadCount at most. Under the hand-off lock.
    int ParkedWanted();
    // Counts a parked worker in before its start, so that two schedulers starting workers at once
    // stay within the bound. Under the hand-off lock.
    void CountParkedWorkerIn();
    // Starts the parked worker counted in, without the hand-off lock; counts it out again when no
    // thread could be started, and then answers false.
    bool StartParkedWorker();
    void RunBand(RenderJob* job);

    int32_t capacity = 0;
    int32_t jobCount = 0;
    std::unique_ptr<RenderJob*[]> jobs;
    int32_t threadCount = 0;
    std::unique_ptr<bool[]> slotFree;
    CriticalSection queueLock;
    CriticalSection slotLock;
    KernelHandle doneSemaphore;
    bool schedulerReady = false; // the driver's only
    bool passRunning = false;    // the driver's only: a scheduler thread has a pass not yet seen to end

    // Guarded by the hand-off lock.
    CONDITION_VARIABLE bandMayStart = CONDITION_VARIABLE_INIT; // parked workers wait on it
    CONDITION_VARIABLE handOffChanged = CONDITION_VARIABLE_INIT; // schedulers and the driver wait on it
    bool passQueued = false;      // a pass waits for the ready scheduler
    bool passOpen = false;        // parked workers may take the scheduled pass's bands
    bool dismissed = false;       // no band for parked workers any more, and no new ones
    int32_t bandsOut = 0;         // bands taken whose worker has not counted itself out
    int32_t parkedWorkers = 0;    // workers started (or being started) without a band yet
    int32_t workersOut = 0;       // worker threads started that have not counted themselves out
    int32_t bandsNotQueued = 0;   // bands of the render not yet queued

    int32_t runningCount = 0;
    int32_t pendingCount = 0;
    // Kept for the pool's interface: the id of the scheduler thread started last. Nothing reads it.
    uint32_t schedulerThreadId = 0;
    IRenderCallbackInterface* callback = nullptr;
};
