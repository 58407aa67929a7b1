// One pixel at a time: the kernels of every build.
#include "render/DoubleLane.h"
#include "render/FloatLane.h"
#include "render/KernelTable.h"

namespace scalar {

ZORB_DEFINE_LANE_SET(FloatLane, DoubleLane);

} // namespace scalar
