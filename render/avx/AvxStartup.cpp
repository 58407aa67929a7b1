#include "render/avx/AvxStartup.h"

namespace {

constexpr int kAvxBits = 256;

} // namespace

FallbackChoice AvxStartupChoice(int bits)
{
    if (bits >= kAvxBits) {
        return FallbackChoice{nullptr, nullptr};
    }
    if (bits >= kSseBits) {
        return FallbackChoice{
            "AVX instructions are not supported on this computer, launching the SSE executable instead",
            "newZorbReleaseSSE.exe"};
    }
    return kScalarFallback;
}
