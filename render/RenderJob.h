#pragma once

#include <cstdint>

struct RenderBand;
struct RenderStats;
class RenderThreadPool;
class CriticalSection;
class IRenderCallbackInterface;

// One queued band. The driver allocates job and band; the worker that ran the job frees both.
// RenderThreadPool::AddJob fills in stats, queueLock and runningCount; the worker that takes it
// slot and pool, and its own threadId.
struct RenderJob {
    RenderBand* band = nullptr;
    CriticalSection* queueLock = nullptr; // the pool's; guards *runningCount
    int32_t* runningCount = nullptr;
    uint32_t threadId = 0; // kept for the job's interface: its worker's id; nothing reads it
    RenderStats* stats = nullptr;
    int32_t slot = -1;
    RenderThreadPool* pool = nullptr;
    int32_t formula = 0;

    RenderJob(RenderBand* band, int32_t formula);
    // Frees the band if the job still owns it.
    ~RenderJob();
    RenderJob(const RenderJob&) = delete;
    RenderJob& operator=(const RenderJob&) = delete;

    // The render's client, reached through the pool.
    IRenderCallbackInterface* Client() const;

    // Renders the band with the kernel that formula and stats select; defined beside the
    // kernels. Ids outside 1..5 render nothing.
    void Run();
    void RunLambda();
    void RunPower2();
    void RunPower3();
    void RunPower4();
    void RunExp();

    // The job's steps, in the order they are taken: Start counts it as running when a worker
    // takes it, the worker then runs it, frees the band and releases the slot.
    void Start();
    void FinishBand();  // frees the band, counts the job out
    void ReleaseSlot(); // marks the job's worker slot free
};
