#include "render/RenderJob.h"

#include "render/RenderBand.h"
#include "render/RenderDriver.h"
#include "render/RenderThreadPool.h"

RenderJob::RenderJob(RenderBand* band, int32_t formula) : band(band), formula(formula) {}

RenderJob::~RenderJob() {
    delete band;
}

IRenderCallbackInterface* RenderJob::Client() const {
    return pool ? pool->GetCallback() : nullptr;
}

void RenderJob::Start() {
    CriticalSectionLock lock(*queueLock);
    ++*runningCount;
}

void RenderJob::FinishBand() {
    delete band;
    band = nullptr;
    CriticalSectionLock lock(*queueLock);
    --*runningCount;
}

void RenderJob::ReleaseSlot() {
    pool->ReleaseSlot(slot);
}
