#pragma once

// The kernel instances, one per formula and lane type, for the dispatch and for tests. They are
// defined in the instantiation units: scalar in every build, sse2 in the SSE2 build only, avx in
// the AVX build only. Naming one of another build's kernels fails at link time.
//
// Each renders one band for one client and returns when the band is done or RenderRunningFlag
// is clear.

struct RenderBand;
class IRenderCallbackInterface;

using RenderKernel = void (*)(const RenderBand* band, IRenderCallbackInterface* client);

#define ZORB_DECLARE_KERNEL_TEMPLATES                                                   \
    template <class Lane> void RenderLambda(const RenderBand*, IRenderCallbackInterface*); \
    template <class Lane> void RenderPower2(const RenderBand*, IRenderCallbackInterface*); \
    template <class Lane> void RenderPower3(const RenderBand*, IRenderCallbackInterface*); \
    template <class Lane> void RenderPower4(const RenderBand*, IRenderCallbackInterface*); \
    template <class Lane> void RenderExp(const RenderBand*, IRenderCallbackInterface*);

namespace scalar {
class FloatLane;
class DoubleLane;
ZORB_DECLARE_KERNEL_TEMPLATES
} // namespace scalar

namespace sse2 {
class Float4Lane;
class Double2Lane;
ZORB_DECLARE_KERNEL_TEMPLATES
} // namespace sse2

namespace avx {
class Float8Lane;
class Double4Lane;
ZORB_DECLARE_KERNEL_TEMPLATES
} // namespace avx

#undef ZORB_DECLARE_KERNEL_TEMPLATES
