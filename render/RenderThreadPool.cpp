#include "render/RenderThreadPool.h"

#include <process.h>

#include <algorithm>
#include <new>

#include "render/RenderDriver.h"
#include "render/RenderJob.h"

namespace {

// The hand-off lock of the header's list. The hand-offs are few (one per band and thread
// start), so one lock for every pool costs nothing measurable.
SRWLOCK HandOffLock = SRWLOCK_INIT;
// The pool whose pass is being scheduled, and a count of the passes published, which tells one
// pass of a pool from the next. Under the hand-off lock: a pool is published only while its
// scheduler runs and withdrawn before the pass's end is signalled, so whoever reads it under
// the lock reads a live pool.
RenderThreadPool* CurrentRenderPool = nullptr;
unsigned long long CurrentPassSerial = 0;

// Called with the hand-off lock held through a guard, which holds it again on return.
void WaitForHandOff(CONDITION_VARIABLE* condition) {
    SleepConditionVariableSRW(condition, &HandOffLock, INFINITE, 0);
}

} // namespace

HANDLE RenderThreadPool::StartThread(ThreadEntry entry, void* argument, unsigned* threadId) {
    return reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, entry, argument, 0, threadId));
}

RenderThreadPool::RenderThreadPool() = default;

RenderThreadPool::~RenderThreadPool() {
    // Only when the render was left early (a throwing client): the pass still running ends
    // first, then the ready scheduler is handed an empty pass, which it ends at once.
    if (passRunning) {
        WaitForSingleObject(doneSemaphore.get(), INFINITE);
    }
    // Jobs that were queued but never taken are still ours; taken ones belong to their workers,
    // which have all left the pool once a pass is over.
    {
        CriticalSectionLock lock(queueLock);
        for (int i = 0; i < pendingCount && jobs; ++i) {
            delete jobs[i];
        }
        pendingCount = 0;
    }
    if (schedulerReady) {
        {
            ExclusiveSrwLock guard(HandOffLock);
            passQueued = true;
            WakeAllConditionVariable(&handOffChanged);
        }
        WaitForSingleObject(doneSemaphore.get(), INFINITE);
    }
    DismissParkedWorkers();
    {
        ExclusiveSrwLock guard(HandOffLock);
        while (workersOut > 0) {
            WaitForHandOff(&handOffChanged);
        }
    }
}

bool RenderThreadPool::Init(int capacity, IRenderCallbackInterface* client) {
    callback = client;
    threadCount = std::clamp<int32_t>(stats.threadCount, 1, kMaxThreads);
    stats.threadCount = threadCount;
    if (!bandRunner) {
        bandRunner = &RenderWorkerThread;
    }

    doneSemaphore.reset(CreateSemaphoreA(nullptr, 0, 1, nullptr));
    this->capacity = std::max(0, capacity);
    jobs.reset(new (std::nothrow) RenderJob*[std::max(1, this->capacity)]);
    slotFree.reset(new (std::nothrow) bool[threadCount]);
    const bool built = doneSemaphore && jobs && slotFree;
    if (!jobs || !slotFree) {
        // No slots to run workers in: take no jobs, so every pass is empty and still ends.
        this->capacity = 0;
        threadCount = 0;
    }
    {
        ExclusiveSrwLock guard(HandOffLock);
        bandsNotQueued = this->capacity;
    }
    ResetSlots();
    return built;
}

void RenderThreadPool::ResetSlots() {
    for (int slot = 0; slot < threadCount; ++slot) {
        ReleaseSlot(slot);
    }
    CriticalSectionLock lock(queueLock);
    runningCount = 0;
    pendingCount = 0;
    jobCount = 0;
}

bool RenderThreadPool::AddJob(RenderJob* job) {
    if (jobCount >= capacity) {
        return false;
    }
    job->stats = &stats;
    job->queueLock = &queueLock;
    job->runningCount = &runningCount;
    jobs[jobCount++] = job;
    // A ready scheduler counts queued and unqueued bands together to know how many workers to
    // start; the band moves from one to the other in one step.
    ExclusiveSrwLock guard(HandOffLock);
    --bandsNotQueued;
    CriticalSectionLock lock(queueLock);
    ++pendingCount;
    return true;
}

bool RenderThreadPool::StartScheduler() {
    if (!doneSemaphore) {
        return false; // the driver could not wait for the pass, so it must run it itself
    }
    if (schedulerReady) {
        schedulerReady = false;
        passRunning = true;
        ExclusiveSrwLock guard(HandOffLock);
        passQueued = true;
        WakeAllConditionVariable(&handOffChanged);
        return true;
    }
    unsigned id = 0;
    // Nobody waits on the scheduler: the pass's end is told by doneSemaphore.
    const KernelHandle scheduler(threadStarter(&RenderSchedulerThread, this, &id));
    if (!scheduler) {
        return false;
    }
    schedulerThreadId = id;
    passRunning = true;
    return true;
}

void RenderThreadPool::StartNextScheduler() {
    if (!doneSemaphore || schedulerReady) {
        return;
    }
    unsigned id = 0;
    const KernelHandle scheduler(threadStarter(&RenderNextSchedulerThread, this, &id));
    if (!scheduler) {
        return; // the next pass starts its scheduler itself
    }
    schedulerThreadId = id;
    schedulerReady = true;
}

void RenderThreadPool::ScheduleWhenQueued() {
    // Each ready thread is handed exactly one pass: the driver makes a scheduler ready only
    // when another pass follows (or, leaving early, hands it an empty one).
    bool mayStartWorkers = true;
    while (!WaitForQueuedPass(mayStartWorkers)) {
        mayStartWorkers = StartParkedWorker();
    }
    Schedule();
}

bool RenderThreadPool::WaitForQueuedPass(bool mayStartWorkers) {
    ExclusiveSrwLock guard(HandOffLock);
    for (;;) {
        if (passQueued) {
            passQueued = false;
            return true;
        }
        if (mayStartWorkers && ParkedWanted() > 0) {
            CountParkedWorkerIn();
            return false;
        }
        WaitForHandOff(&handOffChanged);
    }
}

void RenderThreadPool::Schedule() {
    {
        ExclusiveSrwLock guard(HandOffLock);
        CurrentRenderPool = this;
        ++CurrentPassSerial;
        passOpen = true;
        WakeAllConditionVariable(&bandMayStart);
    }
    bool mayStartWorkers = true;
    for (;;) {
        RenderJob* job = nullptr;
        const SchedulerStep step = NextSchedulerStep(mayStartWorkers, &job);
        if (step == SchedulerStep::EndPass) {
            break;
        }
        if (step == SchedulerStep::StartWorker) {
            mayStartWorkers = StartParkedWorker();
        } else {
            RunBand(job);
        }
    }
    if (doneSemaphore) {
        ReleaseSemaphore(doneSemaphore.get(), 1, nullptr);
    }
}

RenderThreadPool::SchedulerStep RenderThreadPool::NextSchedulerStep(bool mayStartWorkers, RenderJob** job) {
    ExclusiveSrwLock guard(HandOffLock);
    for (;;) {
        const bool pending = HasPendingJobs();
        if (!pending && bandsOut == 0) {
            // The driver may reset or destroy the pool once the pass's end is signalled; every
            // band's worker has left it. Parked workers may stay for the next pass, which opens
            // only after the driver has queued it.
            passOpen = false;
            // Another render may have published its own pool since; that one stays.
            if (CurrentRenderPool == this) {
                CurrentRenderPool = nullptr;
            }
            return SchedulerStep::EndPass;
        }
        if (mayStartWorkers && ParkedWanted() > 0) {
            CountParkedWorkerIn();
            return SchedulerStep::StartWorker;
        }
        if (pending && parkedWorkers == 0 && bandsOut < threadCount) {
            // No thread could be started to take the band: it is rendered on this thread, so
            // that it is still drawn and freed and the pass still ends.
            *job = ClaimJob();
            ++workersOut;
            return SchedulerStep::RunBand;
        }
        WaitForHandOff(&handOffChanged);
    }
}

void RenderThreadPool::DismissParkedWorkers() {
    ExclusiveSrwLock guard(HandOffLock);
    dismissed = true;
    WakeAllConditionVariable(&bandMayStart);
    while (parkedWorkers > 0) {
        WaitForHandOff(&handOffChanged);
    }
}

int RenderThreadPool::ParkedWanted() {
    if (dismissed || threadCount <= 0) {
        return 0;
    }
    int32_t pending;
    {
        CriticalSectionLock lock(queueLock);
        pending = pendingCount;
    }
    // Once stopped, the passes still to come are not run: no worker for them.
    const int32_t ahead = pending + (RenderRunningFlag.load() ? bandsNotQueued : 0);
    return std::max(0, std::min(threadCount, ahead) - parkedWorkers);
}

void RenderThreadPool::CountParkedWorkerIn() {
    ++parkedWorkers;
    ++workersOut;
}

bool RenderThreadPool::StartParkedWorker() {
    unsigned id = 0;
    // Nobody waits on the thread: it tells its end through the hand-off state.
    const KernelHandle worker(threadStarter(&RenderParkedWorkerThread, this, &id));
    if (worker) {
        return true;
    }
    ExclusiveSrwLock guard(HandOffLock);
    --parkedWorkers;
    --workersOut;
    WakeAllConditionVariable(&handOffChanged);
    return false;
}

RenderJob* RenderThreadPool::WaitForBand() {
    ExclusiveSrwLock guard(HandOffLock);
    for (;;) {
        if (passOpen && bandsOut < threadCount && HasPendingJobs()) {
            RenderJob* job = ClaimJob();
            --parkedWorkers;
            // The scheduler may start the next parked worker now.
            WakeAllConditionVariable(&handOffChanged);
            return job;
        }
        if (dismissed) {
            --parkedWorkers;
            --workersOut;
            WakeAllConditionVariable(&handOffChanged);
            // Nothing of the pool is touched after this: the guard's release is of the
            // process-wide lock.
            return nullptr;
        }
        WaitForHandOff(&bandMayStart);
    }
}

RenderJob* RenderThreadPool::ClaimJob() {
    // A band out holds its slot until just before its worker counts itself out, so with fewer
    // than threadCount bands out a slot is free.
    const int slot = TakeFreeSlot();
    RenderJob* job;
    {
        CriticalSectionLock lock(queueLock);
        job = jobs[pendingCount - 1]; // the pass's bands start from its bottom band
        --pendingCount;
    }
    job->slot = slot;
    job->pool = this;
    job->Start();
    ++bandsOut;
    return job;
}

void RenderThreadPool::RunBand(RenderJob* job) {
    bandRunner(job);
}

void RenderThreadPool::WorkerLeft() {
    ExclusiveSrwLock guard(HandOffLock);
    --bandsOut;
    --workersOut;
    if (passOpen) {
        WakeConditionVariable(&bandMayStart); // one parked worker may take the next band
    }
    WakeAllConditionVariable(&handOffChanged);
}

int RenderThreadPool::TakeFreeSlot() {
    CriticalSectionLock lock(slotLock);
    for (int slot = 0; slot < threadCount; ++slot) {
        if (slotFree[slot]) {
            slotFree[slot] = false;
            return slot;
        }
    }
    return -1;
}

void RenderThreadPool::ReleaseSlot(int slot) {
    CriticalSectionLock lock(slotLock);
    if (slot >= 0 && slot < threadCount) {
        slotFree[slot] = true;
    }
}

bool RenderThreadPool::HasFreeThread() {
    CriticalSectionLock lock(queueLock);
    return runningCount < threadCount;
}

bool RenderThreadPool::IsBusy() {
    CriticalSectionLock lock(queueLock);
    return runningCount > 0 || pendingCount > 0;
}

bool RenderThreadPool::HasPendingJobs() {
    CriticalSectionLock lock(queueLock);
    return pendingCount > 0;
}

bool RenderThreadPool::WaitDone(DWORD milliseconds) {
    if (!doneSemaphore) {
        return true; // no signal to wait for: the pass was run on the driver thread
    }
    if (WaitForSingleObject(doneSemaphore.get(), milliseconds) != WAIT_OBJECT_0) {
        return false;
    }
    passRunning = false;
    return true;
}

bool RenderThreadPool::CurrentPass(KernelHandle* done, unsigned long long* serial) {
    done->reset();
    ExclusiveSrwLock guard(HandOffLock);
    if (!CurrentRenderPool) {
        return false;
    }
    *serial = CurrentPassSerial;
    const KernelHandle& poolDone = CurrentRenderPool->doneSemaphore;
    HANDLE copy = nullptr;
    if (poolDone && DuplicateHandle(GetCurrentProcess(), poolDone.get(), GetCurrentProcess(), &copy, 0, FALSE,
                                    DUPLICATE_SAME_ACCESS)) {
        done->reset(copy);
    }
    return true;
}

bool RenderThreadPool::IsPassScheduled(unsigned long long serial) {
    ExclusiveSrwLock guard(HandOffLock);
    return CurrentRenderPool && CurrentPassSerial == serial;
}
