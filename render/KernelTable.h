#pragma once

#include <type_traits>

#include "render/KernelNamespace.h"
#include "render/Kernels.h"
#include "render/RenderEscapeTime.h"

// Include only from a unit that instantiates kernels (see KernelNamespace.h): taking the
// kernels' addresses instantiates them there, in the one unit built with their lane types'
// flags.
namespace ZORB_KERNEL_NAMESPACE {

template <class Lane>
constexpr LaneKernels KernelsOf(const char* lane)
{
    LaneKernels kernels{lane, Lane::kWidth, std::is_same_v<typename Lane::Element, float>, {}};
#define ZORB_PUT_KERNEL(Name) kernels.byFormula[Formula::Name - 1] = &Render##Name<Lane>;
    ZORB_FOR_EACH_FORMULA(ZORB_PUT_KERNEL)
#undef ZORB_PUT_KERNEL
    return kernels;
}

} // namespace ZORB_KERNEL_NAMESPACE

// The definition of a unit's kKernels (Kernels.h), in its kernel namespace. Made at compile time:
// no code of the unit runs before the start-up check has chosen the kernels.
#define ZORB_DEFINE_LANE_SET(FloatLaneType, DoubleLaneType) \
    constexpr LaneSet kKernels{KernelsOf<FloatLaneType>(#FloatLaneType), KernelsOf<DoubleLaneType>(#DoubleLaneType)}
