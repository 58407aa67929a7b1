// 256-bit kernels of the AVX build: eight floats or four doubles per group. The only unit
// compiled with -mavx; everything it emits lives in namespace avx (see KernelNamespace.h).
#include "render/KernelTable.h"
#include "render/avx/Double4Lane.h"
#include "render/avx/Float8Lane.h"

namespace avx {

ZORB_DEFINE_LANE_SET(Float8Lane, Double4Lane);

} // namespace avx
