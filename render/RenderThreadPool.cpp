#include "render/RenderThreadPool.h"

#include <process.h>

#include <algorithm>
#include <new>

#include "render/RenderDriver.h"
#include "render/RenderJob.h"

HANDLE RenderThreadPool::StartThread(ThreadEntry entry, void* argument, unsigned* threadId) {
    return reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, entry, argument, 0, threadId));
}

RenderThreadPool::RenderThreadPool() = default;

RenderThreadPool::~RenderThreadPool() {
    // Jobs that were queued but never launched are still ours; launched ones belong to their
    // workers, which have all left the pool once a pass is over.
    for (int i = 0; i < pendingCount && jobs; ++i) {
        delete jobs[i];
    }
    pendingCount = 0;
    // Only when the render was left early (a throwing client): the pass still running ends
    // first, then the ready scheduler is handed an empty pass, which it ends at once; after
    // that no thread of this render touches the pool.
    if (passRunning) {
        WaitForSingleObject(doneSemaphore, INFINITE);
    }
    if (schedulerReady) {
        SetEvent(passQueued);
        WaitForSingleObject(doneSemaphore, INFINITE);
    }
    if (doneSemaphore) {
        CloseHandle(doneSemaphore);
    }
    if (workerLeft) {
        CloseHandle(workerLeft);
    }
    if (passQueued) {
        CloseHandle(passQueued);
    }
    delete[] jobs;
    delete[] slotFree;
}

bool RenderThreadPool::Init(int capacity, IRenderCallbackInterface* client) {
    callback = client;
    threadCount = std::clamp<int32_t>(stats.threadCount, 1, kMaxThreads);
    stats.threadCount = threadCount;

    doneSemaphore = CreateSemaphoreA(nullptr, 1, 1, nullptr);
    if (doneSemaphore) {
        WaitForSingleObject(doneSemaphore, 0);
    }
    // At most threadCount workers are out at once, so at most that many signals are pending.
    workerLeft = CreateSemaphoreA(nullptr, 0, kMaxThreads, nullptr);
    passQueued = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    this->capacity = std::max(0, capacity);
    jobs = new (std::nothrow) RenderJob*[std::max(1, this->capacity)];
    slotFree = new (std::nothrow) bool[threadCount];
    const bool built = doneSemaphore && workerLeft && jobs && slotFree;
    if (!jobs || !slotFree || !workerLeft) {
        // No slots to run workers in, or no way to hear them leave: take no jobs, so every
        // pass is empty and still ends.
        this->capacity = 0;
        threadCount = 0;
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
        SetEvent(passQueued);
        return true;
    }
    unsigned id = 0;
    HANDLE scheduler = threadStarter(&RenderSchedulerThread, this, &id);
    if (!scheduler) {
        return false;
    }
    schedulerThreadId = id;
    passRunning = true;
    // Nobody waits on the scheduler: the pass's end is told by doneSemaphore.
    CloseHandle(scheduler);
    return true;
}

void RenderThreadPool::StartNextScheduler() {
    if (!doneSemaphore || !passQueued || schedulerReady) {
        return;
    }
    unsigned id = 0;
    HANDLE scheduler = threadStarter(&RenderNextSchedulerThread, this, &id);
    if (!scheduler) {
        return; // the next pass starts its scheduler itself
    }
    schedulerThreadId = id;
    schedulerReady = true;
    CloseHandle(scheduler);
}

void RenderThreadPool::ScheduleWhenQueued() {
    // Each ready thread is handed exactly one pass: the driver makes a scheduler ready only
    // when another pass follows.
    WaitForSingleObject(passQueued, INFINITE);
    Schedule();
}

void RenderThreadPool::Schedule() {
    PublishCurrentRenderPool(this);
    launchedWorkers = 0;
    leftWorkers = 0;
    while (HasPendingJobs()) {
        // Counted by the workers that have not left yet rather than by runningCount, so that
        // never more than threadCount worker threads are out, not even for the moment between
        // a worker counting itself out and leaving.
        if (launchedWorkers - leftWorkers >= threadCount) {
            WaitForAnyThread();
            continue;
        }
        const int slot = TakeFreeSlot();
        if (slot < 0) {
            // Every slot of a worker that has left is free, so this takes a worker leaving.
            WaitForAnyThread();
            continue;
        }
        RenderJob* job;
        {
            CriticalSectionLock lock(queueLock);
            job = jobs[pendingCount - 1]; // the pass's bands start from its bottom band
        }
        LaunchJob(job, slot);
    }
    // The driver may reset or destroy the pool once the signal below is given, so every
    // worker of the pass must have left it.
    while (leftWorkers < launchedWorkers) {
        WaitForAnyThread();
    }
    WithdrawCurrentRenderPool(this);
    if (doneSemaphore) {
        ReleaseSemaphore(doneSemaphore, 1, nullptr);
    }
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

void RenderThreadPool::LaunchJob(RenderJob* job, int slot) {
    {
        CriticalSectionLock lock(queueLock);
        --pendingCount;
    }
    job->slot = slot;
    job->pool = this;
    ++launchedWorkers;
    HANDLE worker = static_cast<HANDLE>(job->Start());
    if (worker) {
        // Nobody waits on the thread: it tells its end through workerLeft.
        CloseHandle(worker);
        return;
    }
    // No thread could be started: render the band here, so that it is still drawn and freed
    // and the pass still ends.
    RenderWorkerThread(job);
}

bool RenderThreadPool::WaitForAnyThread() {
    if (leftWorkers < launchedWorkers && WaitForSingleObject(workerLeft, INFINITE) == WAIT_OBJECT_0) {
        ++leftWorkers;
    }
    return !IsBusy();
}

bool RenderThreadPool::WaitDone(DWORD milliseconds) {
    if (!doneSemaphore) {
        return true; // no signal to wait for: the pass was run on the driver thread
    }
    if (WaitForSingleObject(doneSemaphore, milliseconds) != WAIT_OBJECT_0) {
        return false;
    }
    passRunning = false;
    return true;
}

void RenderThreadPool::SignalWorkerLeft(HANDLE signal) {
    if (signal) {
        ReleaseSemaphore(signal, 1, nullptr);
    }
}
