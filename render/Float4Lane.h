#pragma once

#include <atomic>
#include <cstdint>
#include <emmintrin.h>

#include "render/KernelNamespace.h"
#include "render/RenderRunningFlag.h"

#if !defined(__SSE2__)
#error "Float4Lane needs a unit compiled for SSE2"
#endif

namespace ZORB_KERNEL_NAMESPACE {

// Four pixels of a row in single precision, SSE2 only: the 128-bit kernels are admitted on
// SSE2 alone, so the blend is built from and/and-not/or and the lane tests from sign bits.
// A mask lane is all ones (set) or all zeros (clear).
class Float4Lane {
public:
    using Element = float;
    using Count = uint32_t;
    static constexpr int kWidth = 4;

    struct Counter {
        __m128i value = _mm_setzero_si128();
        void Store(Count* out) const { _mm_storeu_si128(reinterpret_cast<__m128i*>(out), value); }
    };

    Float4Lane() : value_(_mm_setzero_ps()) {}
    explicit Float4Lane(float value) : value_(_mm_set1_ps(value)) {}

    static Float4Lane AllSet() { return Float4Lane(_mm_castsi128_ps(_mm_set1_epi32(-1))); }
    static Float4Lane Load(const float* in) { return Float4Lane(_mm_loadu_ps(in)); }
    void Store(float* out) const { _mm_storeu_ps(out, value_); }

    Float4Lane& operator+=(Float4Lane other) { value_ = _mm_add_ps(value_, other.value_); return *this; }
    Float4Lane& operator-=(Float4Lane other) { value_ = _mm_sub_ps(value_, other.value_); return *this; }
    friend Float4Lane operator+(Float4Lane a, Float4Lane b) { return Float4Lane(_mm_add_ps(a.value_, b.value_)); }
    friend Float4Lane operator-(Float4Lane a, Float4Lane b) { return Float4Lane(_mm_sub_ps(a.value_, b.value_)); }
    friend Float4Lane operator*(Float4Lane a, Float4Lane b) { return Float4Lane(_mm_mul_ps(a.value_, b.value_)); }

    // Ordered compare: a NaN lane comes out clear.
    static Float4Lane LessThan(Float4Lane a, Float4Lane b) { return Float4Lane(_mm_cmplt_ps(a.value_, b.value_)); }
    static void Select(Float4Lane mask, Float4Lane& target, Float4Lane other)
    {
        target.value_ = _mm_or_ps(_mm_and_ps(mask.value_, other.value_),
                                  _mm_andnot_ps(mask.value_, target.value_));
    }
    // A set lane is -1 as an integer, so subtracting the mask counts exactly the set lanes.
    static bool UpdateCounts(Float4Lane mask, Counter& counter)
    {
        counter.value = _mm_sub_epi32(counter.value, _mm_castps_si128(mask.value_));
        return _mm_movemask_ps(mask.value_) != 0;
    }
    static bool AllLanesSet(Float4Lane mask) { return _mm_movemask_ps(mask.value_) == 0xF; }
    void Sqrt() { value_ = _mm_sqrt_ps(value_); }

    // Makes the value a new one to the compiler. Values set up before the client calls of a
    // group would otherwise be given a stack slot for the whole loop that follows the calls.
    static void Renew(Float4Lane& lane) { __asm__("" : "+x"(lane.value_)); }

    static bool IsRenderRunning() { return RenderRunningFlag.load(std::memory_order_relaxed); }

private:
    explicit Float4Lane(__m128 value) : value_(value) {}

    __m128 value_;
};

} // namespace ZORB_KERNEL_NAMESPACE
