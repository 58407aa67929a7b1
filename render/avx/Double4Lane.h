#pragma once

#include <atomic>
#include <cstdint>
#include <immintrin.h>

#include "render/KernelNamespace.h"
#include "render/RenderRunningFlag.h"

#if !defined(__AVX__)
#error "Double4Lane belongs to the units compiled with -mavx"
#endif

namespace ZORB_KERNEL_NAMESPACE {

// Four pixels of a row in double precision, AVX only (no AVX2, no FMA). A mask lane is all
// ones (set) or all zeros (clear).
class Double4Lane {
public:
    using Element = double;
    using Count = uint64_t;
    static constexpr int kWidth = 4;

    // Two 128-bit halves, as for Float8Lane: AVX cannot subtract 256-bit integers.
    struct Counter {
        __m128i low = _mm_setzero_si128();
        __m128i high = _mm_setzero_si128();
        void Store(Count* out) const
        {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), low);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2), high);
        }
    };

    Double4Lane() : value_(_mm256_setzero_pd()) {}
    explicit Double4Lane(double value) : value_(_mm256_set1_pd(value)) {}

    static Double4Lane AllSet() { return Double4Lane(_mm256_cmp_pd(_mm256_setzero_pd(), _mm256_setzero_pd(), _CMP_EQ_OQ)); }
    static Double4Lane Load(const double* in) { return Double4Lane(_mm256_loadu_pd(in)); }
    void Store(double* out) const { _mm256_storeu_pd(out, value_); }

    Double4Lane& operator+=(Double4Lane other) { value_ = _mm256_add_pd(value_, other.value_); return *this; }
    Double4Lane& operator-=(Double4Lane other) { value_ = _mm256_sub_pd(value_, other.value_); return *this; }
    friend Double4Lane operator+(Double4Lane a, Double4Lane b) { return Double4Lane(_mm256_add_pd(a.value_, b.value_)); }
    friend Double4Lane operator-(Double4Lane a, Double4Lane b) { return Double4Lane(_mm256_sub_pd(a.value_, b.value_)); }
    friend Double4Lane operator*(Double4Lane a, Double4Lane b) { return Double4Lane(_mm256_mul_pd(a.value_, b.value_)); }

    static Double4Lane LessThan(Double4Lane a, Double4Lane b) { return Double4Lane(_mm256_cmp_pd(a.value_, b.value_, _CMP_LT_OQ)); }
    static void Select(Double4Lane mask, Double4Lane& target, Double4Lane other)
    {
        // The blend written out: GCC rewrites the blend intrinsic as an integer compare of the
        // mask, which AVX lacks at this width, and then selects lane by lane with branches.
        __asm__("vblendvpd %[mask], %[other], %[target], %[target]"
                : [target] "+x"(target.value_)
                : [other] "x"(other.value_), [mask] "x"(mask.value_));
    }
    static bool UpdateCounts(Double4Lane mask, Counter& counter)
    {
        const __m128i maskLow = _mm_castpd_si128(_mm256_castpd256_pd128(mask.value_));
        const __m128i maskHigh = _mm_castpd_si128(_mm256_extractf128_pd(mask.value_, 1));
        counter.low = _mm_sub_epi64(counter.low, maskLow);
        counter.high = _mm_sub_epi64(counter.high, maskHigh);
        return _mm256_testz_pd(mask.value_, mask.value_) == 0;
    }
    static bool AllLanesSet(Double4Lane mask) { return _mm256_movemask_pd(mask.value_) == 0xF; }
    void Sqrt() { value_ = _mm256_sqrt_pd(value_); }

    static bool IsRenderRunning() { return RenderRunningFlag.load(std::memory_order_relaxed); }

private:
    explicit Double4Lane(__m256d value) : value_(value) {}

    __m256d value_;
};

} // namespace ZORB_KERNEL_NAMESPACE
