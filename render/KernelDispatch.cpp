#include "render/KernelDispatch.h"

#include "render/BuildConfig.h"
#include "render/Formula.h"
#include "render/Kernels.h"
#include "render/RenderJob.h"
#include "render/RenderStats.h"

// Built without vector flags: only declarations of the vector kernels are seen here, so no
// AVX instruction can reach this unit.
namespace {

// One formula's kernels, in the precisions and widths this build holds.
struct KernelFamily {
    RenderKernel scalarFloat = nullptr;
    RenderKernel scalarDouble = nullptr;
    RenderKernel vectorFloat = nullptr;
    RenderKernel vectorDouble = nullptr;
};

// Each build names only the vector kernels it links; the others would not resolve.
#define ZORB_KERNEL_FAMILY(Name)                                                \
    KernelFamily Name##Family()                                                 \
    {                                                                           \
        KernelFamily family;                                                    \
        family.scalarFloat = &scalar::Name<scalar::FloatLane>;                  \
        family.scalarDouble = &scalar::Name<scalar::DoubleLane>;                \
        if constexpr (kBuildSse2) {                                             \
            family.vectorFloat = &sse2::Name<sse2::Float4Lane>;                 \
            family.vectorDouble = &sse2::Name<sse2::Double2Lane>;               \
        }                                                                       \
        if constexpr (kBuildAvx) {                                              \
            family.vectorFloat = &avx::Name<avx::Float8Lane>;                   \
            family.vectorDouble = &avx::Name<avx::Double4Lane>;                 \
        }                                                                       \
        return family;                                                          \
    }

ZORB_KERNEL_FAMILY(RenderLambda)
ZORB_KERNEL_FAMILY(RenderPower2)
ZORB_KERNEL_FAMILY(RenderPower3)
ZORB_KERNEL_FAMILY(RenderPower4)
ZORB_KERNEL_FAMILY(RenderExp)

#undef ZORB_KERNEL_FAMILY

RenderKernel ChooseFromFamily(const KernelFamily& family, const RenderStats& stats)
{
    if (!stats.simd || kBuildScalar) {
        return stats.useFloat ? family.scalarFloat : stats.useDouble ? family.scalarDouble : nullptr;
    }
    const bool widthAllowed = kBuildAvx ? stats.avx256 : stats.sse128;
    if (!widthAllowed) {
        return nullptr;
    }
    return stats.useFloat ? family.vectorFloat : stats.useDouble ? family.vectorDouble : nullptr;
}

KernelFamily FamilyOfFormula(int formula)
{
    switch (formula) {
    case Formula::Lambda: return RenderLambdaFamily();
    case Formula::Power2: return RenderPower2Family();
    case Formula::Power3: return RenderPower3Family();
    case Formula::Power4: return RenderPower4Family();
    case Formula::Exp: return RenderExpFamily();
    default: return KernelFamily();
    }
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
    return ChooseFromFamily(FamilyOfFormula(formula), stats);
}

void RenderJob::Run()
{
    switch (formula) {
    case Formula::Lambda: RunLambda(); break;
    case Formula::Power2: RunPower2(); break;
    case Formula::Power3: RunPower3(); break;
    case Formula::Power4: RunPower4(); break;
    case Formula::Exp: RunExp(); break;
    default: break; // an unknown id leaves the band unrendered
    }
}

void RenderJob::RunLambda() { RunFormula(*this, Formula::Lambda); }
void RenderJob::RunPower2() { RunFormula(*this, Formula::Power2); }
void RenderJob::RunPower3() { RunFormula(*this, Formula::Power3); }
void RenderJob::RunPower4() { RunFormula(*this, Formula::Power4); }
void RenderJob::RunExp() { RunFormula(*this, Formula::Exp); }
