// One pixel at a time: the kernels of every build.
#include "render/DoubleLane.h"
#include "render/FloatLane.h"
#include "render/Kernels.h"
#include "render/RenderEscapeTime.h"

namespace scalar {

template void RenderLambda<FloatLane>(const RenderBand*, IRenderCallbackInterface*);
template void RenderPower2<FloatLane>(const RenderBand*, IRenderCallbackInterface*);
template void RenderPower3<FloatLane>(const RenderBand*, IRenderCallbackInterface*);
template void RenderPower4<FloatLane>(const RenderBand*, IRenderCallbackInterface*);
template void RenderExp<FloatLane>(const RenderBand*, IRenderCallbackInterface*);

template void RenderLambda<DoubleLane>(const RenderBand*, IRenderCallbackInterface*);
template void RenderPower2<DoubleLane>(const RenderBand*, IRenderCallbackInterface*);
template void RenderPower3<DoubleLane>(const RenderBand*, IRenderCallbackInterface*);
template void RenderPower4<DoubleLane>(const RenderBand*, IRenderCallbackInterface*);
template void RenderExp<DoubleLane>(const RenderBand*, IRenderCallbackInterface*);

} // namespace scalar
