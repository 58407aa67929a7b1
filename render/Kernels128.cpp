// 128-bit kernels of the SSE2 build: four floats or two doubles per group.
#define ZORB_KERNELS_128
#include "render/Double2Lane.h"
#include "render/Float4Lane.h"
#include "render/Kernels.h"
#include "render/RenderEscapeTime.h"

namespace sse2 {

template void RenderLambda<Float4Lane>(const RenderBand*, IRenderCallbackInterface*);
template void RenderPower2<Float4Lane>(const RenderBand*, IRenderCallbackInterface*);
template void RenderPower3<Float4Lane>(const RenderBand*, IRenderCallbackInterface*);
template void RenderPower4<Float4Lane>(const RenderBand*, IRenderCallbackInterface*);
template void RenderExp<Float4Lane>(const RenderBand*, IRenderCallbackInterface*);

template void RenderLambda<Double2Lane>(const RenderBand*, IRenderCallbackInterface*);
template void RenderPower2<Double2Lane>(const RenderBand*, IRenderCallbackInterface*);
template void RenderPower3<Double2Lane>(const RenderBand*, IRenderCallbackInterface*);
template void RenderPower4<Double2Lane>(const RenderBand*, IRenderCallbackInterface*);
template void RenderExp<Double2Lane>(const RenderBand*, IRenderCallbackInterface*);

} // namespace sse2
