#pragma once

#include <cstdint>

// The widest usable vector width in bits (256, 128 or 0), capped at the build's widest vector
// (256 AVX build, 128 SSE2 build, 64 or 32 scalar build). Writes one debug text per call.
int DetectSimdBits();

// The build's cap of DetectSimdBits.
int SimdBitsCap();

struct CpuidRegisters {
    uint32_t eax;
    uint32_t ebx;
    uint32_t ecx;
    uint32_t edx;
};

// The two instructions the probe asks, so that any processor's answers can be tried out.
class ProcessorQueries {
public:
    virtual CpuidRegisters Cpuid(uint32_t leaf) const = 0;
    virtual uint64_t ReadXcr0() const = 0; // XGETBV with ECX = 0

protected:
    ~ProcessorQueries() = default;
};

struct SimdProbeResult {
    int bits;              // capped
    const char* debugText; // for the uncapped answer; null when there is none
};

SimdProbeResult ProbeSimd(const ProcessorQueries& processor, int cap);
