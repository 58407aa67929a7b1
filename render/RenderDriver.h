#pragma once

#include <cstdint>

#include "render/RenderRunningFlag.h"

class RenderThreadPool;

// Thread procedure of one render; start it with _beginthread and the client as argument,
// passed as static_cast<IRenderCallbackInterface*>(client). Set RenderRunningFlag first.
void __cdecl RenderDriverThread(void* client);

// Thread procedures of one pass's scheduler (argument: the pool) and of one band's worker
// (argument: the RenderJob).
unsigned __stdcall RenderSchedulerThread(void* pool);
// A scheduler started ahead of its pass (argument: the pool); it waits until the pass is queued.
unsigned __stdcall RenderNextSchedulerThread(void* pool);
unsigned __stdcall RenderWorkerThread(void* job);

// After clearing RenderRunningFlag: waits, in steps of stepMs and totalMs at most, for the
// pass being scheduled to end. True when it ended or no pass was being scheduled (and totalMs
// is not 0); false when the time ran out.
bool WaitForRenderToFinish(uint32_t stepMs, uint32_t totalMs);

// The pool whose pass is being scheduled. A scheduler publishes its pool before it starts work
// and withdraws it before it signals the end of the pass, so a published pool is always alive.
void PublishCurrentRenderPool(RenderThreadPool* pool);
void WithdrawCurrentRenderPool(RenderThreadPool* pool);
