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
    // workers, which have all ended once a pass is over.
    for (int i = 0; i < pendingCount && jobs; ++i) {
        delete jobs[i];
    }
    JoinWorkers();
    if (doneSemaphore) {
        CloseHandle(doneSemaphore);
    }
    delete[] jobs;
    delete[] threadHandles;
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
    this->capacity = std::max(0, capacity);
    jobs = new (std::nothrow) RenderJob*[std::max(1, this->capacity)];
    threadHandles = new (std::nothrow) HANDLE[threadCount]();
    slotFree = new (std::nothrow) bool[threadCount];
    const bool built = doneSemaphore && jobs && threadHandles && slotFree;
    if (!jobs || !threadHandles || !slotFree) {
        // No slots to run workers in: take no jobs, so every pass is empty and still ends.
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
    unsigned id = 0;
    HANDLE scheduler = threadStarter(&RenderSchedulerThread, this, &id);
    if (!scheduler) {
        return false;
    }
    schedulerThreadId = id;
    // Nobody waits on the scheduler: the pass's end is told by doneSemaphore.
    CloseHandle(scheduler);
    return true;
}

void RenderThreadPool::Schedule() {
    PublishCurrentRenderPool(this);
    while (HasPendingJobs()) {
        if (!HasFreeThread()) {
            WaitForAnyThread();
            continue;
        }
        const int slot = TakeFreeSlot();
        if (slot < 0) {
            // A worker has counted itself out but not yet freed its slot; it is ending.
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
    while (IsBusy()) {
        WaitForAnyThread();
    }
    // A worker still touches the pool after counting itself out; the driver may reset or
    // destroy the pool once the signal below is given, so every worker must have ended.
    JoinWorkers();
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
    // The slot's previous worker has freed it and is about to end; its handle goes first.
    CloseWorkerHandle(slot);
    {
        CriticalSectionLock lock(queueLock);
        --pendingCount;
    }
    job->slot = slot;
    job->pool = this;
    HANDLE worker = static_cast<HANDLE>(job->Start());
    if (worker) {
        threadHandles[slot] = worker;
        return;
    }
    // No thread could be started: render the band here, so that it is still drawn and freed
    // and the pass still ends.
    RenderWorkerThread(job);
}

bool RenderThreadPool::WaitForAnyThread() {
    if (!IsBusy()) {
        return true;
    }
    HANDLE handles[kMaxThreads];
    int slots[kMaxThreads];
    DWORD count = 0;
    for (int slot = 0; slot < threadCount; ++slot) {
        if (threadHandles[slot]) {
            handles[count] = threadHandles[slot];
            slots[count] = slot;
            ++count;
        }
    }
    const DWORD result =
        count ? WaitForMultipleObjects(count, handles, FALSE, INFINITE) : WAIT_FAILED;
    if (result < WAIT_OBJECT_0 + count) {
        const int slot = slots[result - WAIT_OBJECT_0];
        CloseWorkerHandle(slot);
        ReleaseSlot(slot);
    } else {
        Sleep(1);
    }
    return !IsBusy();
}

bool RenderThreadPool::WaitDone(DWORD milliseconds) {
    if (!doneSemaphore) {
        return true; // no signal to wait for: the pass was run on the driver thread
    }
    return WaitForSingleObject(doneSemaphore, milliseconds) == WAIT_OBJECT_0;
}

void RenderThreadPool::CloseWorkerHandle(int slot) {
    HANDLE worker = threadHandles[slot];
    if (!worker) {
        return;
    }
    WaitForSingleObject(worker, INFINITE);
    CloseHandle(worker);
    threadHandles[slot] = nullptr;
}

void RenderThreadPool::JoinWorkers() {
    for (int slot = 0; slot < threadCount && threadHandles; ++slot) {
        CloseWorkerHandle(slot);
    }
}
