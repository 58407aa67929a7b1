#include "render/KernelDispatch.h"

#include "render/BuildConfig.h"
#include "render/Formula.h"
#include "render/RenderJob.h"
#include "render/RenderStats.h"

// Built without vector flags: only declarations of the vector kernels' tables are seen here, so
// no AVX instruction can reach this unit.

BuildKernels KernelsOfThisBuild()
{
    BuildKernels kernels{&scalar::kKernels, nullptr};
    // Each build names only the vector tables it links; the others would not resolve.
    if constexpr (kBuildSse2) {
        kernels.vector = &sse2::kKernels;
    }
    if constexpr (kBuildAvx) {
        kernels.vector = &avx::kKernels;
    }
    return kernels;
}

namespace {

// The lane type a render's flags choose, or null.
const LaneKernels* ChooseLane(const RenderStats& stats)
{
    const BuildKernels kernels = KernelsOfThisBuild();
    const LaneSet* set = kernels.scalar;
    if (stats.simd && !kBuildScalar) {
        const bool widthAllowed = kBuildAvx ? stats.avx256 : stats.sse128;
        if (!widthAllowed) {
            return nullptr;
        }
        set = kernels.vector;
    }
    return stats.useFloat ? &set->floatLane : stats.useDouble ? &set->doubleLane : nullptr;
}

void RunFormula(const RenderJob& job, int formula)
{
    if (job.band == nullptr || job.stats == nullptr) {
        return;
    }
    const RenderKernel kernel = ChooseKernel(formula, *job.stats);
    IRenderCallbackInterface* client = job.Client();
    if (kernel != nullptr && client != nullptr) {
        kernel(job.band, client);
    }
}

} // namespace

RenderKernel ChooseKernel(int formula, const RenderStats& stats)
{
    const LaneKernels* lane = ChooseLane(stats);
    return lane ? lane->Of(formula) : nullptr;
}

void RenderJob::Run()
{
    switch (formula) {
#define ZORB_RUN_CASE(Name) \
    case Formula::Name: Run##Name(); break;
        ZORB_FOR_EACH_FORMULA(ZORB_RUN_CASE)
#undef ZORB_RUN_CASE
    default: break; // an unknown id leaves the band unrendered
    }
}

#define ZORB_DEFINE_RUN(Name) \
    void RenderJob::Run##Name() { RunFormula(*this, Formula::Name); }
ZORB_FOR_EACH_FORMULA(ZORB_DEFINE_RUN)
#undef ZORB_DEFINE_RUN
