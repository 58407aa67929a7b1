// 128-bit kernels of the SSE2 build: four floats or two doubles per group.
#define ZORB_KERNELS_128
#include "render/Double2Lane.h"
#include "render/Float4Lane.h"
#include "render/KernelTable.h"

namespace sse2 {

ZORB_DEFINE_LANE_SET(Float4Lane, Double2Lane);

} // namespace sse2
