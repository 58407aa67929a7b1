#include "LaneKinds.h"

#include "render/BuildConfig.h"
#include "render/KernelDispatch.h"

namespace {

LaneKind KindOf(const LaneKernels& kernels, bool needsAvx)
{
    return LaneKind{kernels.lane, kernels.isFloat, kernels.width, needsAvx, &kernels};
}

} // namespace

std::vector<LaneKind> LaneKindsOfThisBuild()
{
    const BuildKernels build = KernelsOfThisBuild();
    std::vector<LaneKind> kinds = {KindOf(build.scalar->floatLane, false), KindOf(build.scalar->doubleLane, false)};
    if (build.vector) {
        kinds.push_back(KindOf(build.vector->floatLane, kBuildAvx));
        kinds.push_back(KindOf(build.vector->doubleLane, kBuildAvx));
    }
    return kinds;
}

LaneKind ScalarKindLike(const LaneKind& kind)
{
    return LaneKindsOfThisBuild()[kind.isFloat ? 0 : 1];
}

bool ProcessorHasAvx()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx");
}

std::string LaneKindName(const LaneKind& kind)
{
    return kind.name;
}

void PrintTo(const LaneKind& kind, std::ostream* out)
{
    *out << kind.name;
}
