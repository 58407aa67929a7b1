#pragma once

#include <atomic>
#include <cstdint>
#include <immintrin.h>

#include "render/KernelNamespace.h"
#include "render/RenderRunningFlag.h"

#if !defined(__AVX__)
#error "Float8Lane belongs to the units compiled with -mavx"
#endif

namespace ZORB_KERNEL_NAMESPACE {

// Eight pixels of a row in single precision, AVX only (no AVX2, no FMA). A mask lane is all
// ones (set) or all zeros (clear).
class Float8Lane {
public:
    using Element = float;
    using Count = uint32_t;
    static constexpr int kWidth = 8;

    // AVX has no 256-bit integer arithmetic, so the counters live as two 128-bit halves for
    // the whole group and are never joined; only the mask is split, once per test.
    struct Counter {
        __m128i low = _mm_setzero_si128();
        __m128i high = _mm_setzero_si128();
        void Store(Count* out) const
        {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), low);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4), high);
        }
    };

    Float8Lane() : value_(_mm256_setzero_ps()) {}
    explicit Float8Lane(float value) : value_(_mm256_set1_ps(value)) {}

    static Float8Lane AllSet() { return Float8Lane(_mm256_cmp_ps(_mm256_setzero_ps(), _mm256_setzero_ps(), _CMP_EQ_OQ)); }
    static Float8Lane Load(const float* in) { return Float8Lane(_mm256_loadu_ps(in)); }
    void Store(float* out) const { _mm256_storeu_ps(out, value_); }

    Float8Lane& operator+=(Float8Lane other) { value_ = _mm256_add_ps(value_, other.value_); return *this; }
    Float8Lane& operator-=(Float8Lane other) { value_ = _mm256_sub_ps(value_, other.value_); return *this; }
    friend Float8Lane operator+(Float8Lane a, Float8Lane b) { return Float8Lane(_mm256_add_ps(a.value_, b.value_)); }
    friend Float8Lane operator-(Float8Lane a, Float8Lane b) { return Float8Lane(_mm256_sub_ps(a.value_, b.value_)); }
    friend Float8Lane operator*(Float8Lane a, Float8Lane b) { return Float8Lane(_mm256_mul_ps(a.value_, b.value_)); }

    // Ordered, non-signalling less-than: a NaN lane comes out clear.
    static Float8Lane LessThan(Float8Lane a, Float8Lane b) { return Float8Lane(_mm256_cmp_ps(a.value_, b.value_, _CMP_LT_OQ)); }
    static void Select(Float8Lane mask, Float8Lane& target, Float8Lane other)
    {
        // The blend written out: GCC rewrites the blend intrinsic as an integer compare of the
        // mask, which AVX lacks at this width, and then selects lane by lane with branches.
        __asm__("vblendvps %[mask], %[other], %[target], %[target]"
                : [target] "+x"(target.value_)
                : [other] "x"(other.value_), [mask] "x"(mask.value_));
    }
    static bool UpdateCounts(Float8Lane mask, Counter& counter)
    {
        const __m128i maskLow = _mm_castps_si128(_mm256_castps256_ps128(mask.value_));
        const __m128i maskHigh = _mm_castps_si128(_mm256_extractf128_ps(mask.value_, 1));
        counter.low = _mm_sub_epi32(counter.low, maskLow);
        counter.high = _mm_sub_epi32(counter.high, maskHigh);
        return _mm256_testz_ps(mask.value_, mask.value_) == 0;
    }
    static bool AllLanesSet(Float8Lane mask) { return _mm256_movemask_ps(mask.value_) == 0xFF; }
    void Sqrt() { value_ = _mm256_sqrt_ps(value_); }

    static bool IsRenderRunning() { return RenderRunningFlag.load(std::memory_order_relaxed); }

private:
    explicit Float8Lane(__m256 value) : value_(value) {}

    __m256 value_;
};

} // namespace ZORB_KERNEL_NAMESPACE
