#pragma once

#include <cstdint>

#include "render/RenderRunningFlag.h"

// Thread procedure of one render; start it with _beginthread and the client as argument,
// passed as static_cast<IRenderCallbackInterface*>(client). Set RenderRunningFlag first.
void __cdecl RenderDriverThread(void* client);

// Thread procedure of one pass's scheduler (argument: the pool).
unsigned __stdcall RenderSchedulerThread(void* pool);
// A scheduler started ahead of its pass (argument: the pool); it waits until the pass is queued.
unsigned __stdcall RenderNextSchedulerThread(void* pool);
// A worker started before its band may start (argument: the pool): it waits for a band of a
// scheduled pass and runs it with the pool's bandRunner, or ends at once when dismissed.
unsigned __stdcall RenderParkedWorkerThread(void* pool);
// One band on the calling thread (argument: the RenderJob, already taken from the pool): runs
// it, frees band and job, and counts the worker out of the pool.
unsigned __stdcall RenderWorkerThread(void* job);

// After clearing RenderRunningFlag: waits, in steps of stepMs and totalMs at most, for the
// pass being scheduled to end. True when it ended or no pass was being scheduled (and totalMs
// is not 0); false when the time ran out.
bool WaitForRenderToFinish(uint32_t stepMs, uint32_t totalMs);
