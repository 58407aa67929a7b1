// 256-bit kernels of the AVX build: eight floats or four doubles per group. The only unit
// compiled with -mavx; everything it emits lives in namespace avx (see KernelNamespace.h).
#include "render/Kernels.h"
#include "render/RenderEscapeTime.h"
#include "render/avx/Double4Lane.h"
#include "render/avx/Float8Lane.h"

namespace avx {

template void RenderLambda<Float8Lane>(const RenderBand*, IRenderCallbackInterface*);
template void RenderPower2<Float8Lane>(const RenderBand*, IRenderCallbackInterface*);
template void RenderPower3<Float8Lane>(const RenderBand*, IRenderCallbackInterface*);
template void RenderPower4<Float8Lane>(const RenderBand*, IRenderCallbackInterface*);
template void RenderExp<Float8Lane>(const RenderBand*, IRenderCallbackInterface*);

template void RenderLambda<Double4Lane>(const RenderBand*, IRenderCallbackInterface*);
template void RenderPower2<Double4Lane>(const RenderBand*, IRenderCallbackInterface*);
template void RenderPower3<Double4Lane>(const RenderBand*, IRenderCallbackInterface*);
template void RenderPower4<Double4Lane>(const RenderBand*, IRenderCallbackInterface*);
template void RenderExp<Double4Lane>(const RenderBand*, IRenderCallbackInterface*);

} // namespace avx
