#include "render/CpuProbe.h"

#include <windows.h>
#include <intrin.h>

#include <algorithm>

#include "render/BuildConfig.h"

namespace {

constexpr uint32_t kSse2Bit = 1u << 26;    // leaf 1 EDX
constexpr uint32_t kOsxsaveBit = 1u << 27; // leaf 1 ECX
constexpr uint32_t kAvxBit = 1u << 28;     // leaf 1 ECX
constexpr uint64_t kXmmYmmState = 0x6;     // XCR0 bits 1 (SSE) and 2 (AVX)

class HardwareQueries final : public ProcessorQueries {
public:
    CpuidRegisters Cpuid(uint32_t leaf) const override {
        int registers[4];
        __cpuid(registers, static_cast<int>(leaf));
        return {static_cast<uint32_t>(registers[0]), static_cast<uint32_t>(registers[1]),
                static_cast<uint32_t>(registers[2]), static_cast<uint32_t>(registers[3])};
    }

    // Inline assembly rather than the intrinsic, which needs a target flag this file must not
    // have: nothing that runs before the start-up decision may be built for AVX.
    uint64_t ReadXcr0() const override {
        uint32_t low, high;
        __asm__ __volatile__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
        return (static_cast<uint64_t>(high) << 32) | low;
    }
};

} // namespace

int SimdBitsCap() {
    if constexpr (kBuildAvx) {
        return 256;
    } else if constexpr (kBuildSse2) {
        return 128;
    } else {
        return kBuild64Bit ? 64 : 32;
    }
}

SimdProbeResult ProbeSimd(const ProcessorQueries& processor, int cap) {
    const int highestLeaf = static_cast<int>(processor.Cpuid(0).eax);
    bool sse2 = false, avx = false, osxsave = false;
    if (highestLeaf >= 1) {
        const CpuidRegisters features = processor.Cpuid(1);
        sse2 = (features.edx & kSse2Bit) != 0;
        avx = (features.ecx & kAvxBit) != 0;
        osxsave = (features.ecx & kOsxsaveBit) != 0;
    }
    // XGETBV faults unless the operating system has enabled it, which OSXSAVE tells.
    const bool avxUsable = avx && osxsave && (processor.ReadXcr0() & kXmmYmmState) == kXmmYmmState;

    int bits = 0;
    const char* text = nullptr;
    if (avxUsable) {
        bits = 256;
        text = "Found support for AVX instructions\n";
    } else if (sse2) {
        bits = 128;
        text = avx ? "Processor has support for AVX instructions but OS doesn't reverting to SSE\n"
                   : "Found support for SSE2 instructions\n";
    }
    const unsigned capped = std::min<unsigned>(static_cast<unsigned>(bits), static_cast<unsigned>(cap));
    return {static_cast<int>(capped), text};
}

int DetectSimdBits() {
    const SimdProbeResult result = ProbeSimd(HardwareQueries(), SimdBitsCap());
    if (result.debugText) {
        OutputDebugStringA(result.debugText);
    }
    return result.bits;
}
