#include "LaneKinds.h"

#include "render/BuildConfig.h"

#define ZORB_LANE_KIND(Namespace, Lane, IsFloat, Width, NeedsAvx)                                \
    LaneKind{#Lane, IsFloat, Width, NeedsAvx,                                                   \
             {&Namespace::RenderLambda<Namespace::Lane>, &Namespace::RenderPower2<Namespace::Lane>, \
              &Namespace::RenderPower3<Namespace::Lane>, &Namespace::RenderPower4<Namespace::Lane>, \
              &Namespace::RenderExp<Namespace::Lane>}}

std::vector<LaneKind> LaneKindsOfThisBuild()
{
    std::vector<LaneKind> kinds;
    kinds.push_back(ZORB_LANE_KIND(scalar, FloatLane, true, 1, false));
    kinds.push_back(ZORB_LANE_KIND(scalar, DoubleLane, false, 1, false));
    if constexpr (kBuildSse2) {
        kinds.push_back(ZORB_LANE_KIND(sse2, Float4Lane, true, 4, false));
        kinds.push_back(ZORB_LANE_KIND(sse2, Double2Lane, false, 2, false));
    }
    if constexpr (kBuildAvx) {
        kinds.push_back(ZORB_LANE_KIND(avx, Float8Lane, true, 8, true));
        kinds.push_back(ZORB_LANE_KIND(avx, Double4Lane, false, 4, true));
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
