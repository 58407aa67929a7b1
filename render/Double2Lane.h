#pragma once

#include <atomic>
#include <cstdint>
#include <emmintrin.h>

#include "render/KernelNamespace.h"
#include "render/RenderRunningFlag.h"

#if !defined(__SSE2__)
#error "Double2Lane needs a unit compiled for SSE2"
#endif

namespace ZORB_KERNEL_NAMESPACE {

// Two pixels of a row in double precision, SSE2 only (see Float4Lane). A mask lane is all ones
// (set) or all zeros (clear).
class Double2Lane {
public:
    using Element = double;
    using Count = uint64_t;
    static constexpr int kWidth = 2;

    struct Counter {
        __m128i value = _mm_setzero_si128();
        void Store(Count* out) const { _mm_storeu_si128(reinterpret_cast<__m128i*>(out), value); }
    };

    Double2Lane() : value_(_mm_setzero_pd()) {}
    explicit Double2Lane(double value) : value_(_mm_set1_pd(value)) {}

    static Double2Lane AllSet() { return Double2Lane(_mm_castsi128_pd(_mm_set1_epi32(-1))); }
    static Double2Lane Load(const double* in) { return Double2Lane(_mm_loadu_pd(in)); }
    void Store(double* out) const { _mm_storeu_pd(out, value_); }

    Double2Lane& operator+=(Double2Lane other) { value_ = _mm_add_pd(value_, other.value_); return *this; }
    Double2Lane& operator-=(Double2Lane other) { value_ = _mm_sub_pd(value_, other.value_); return *this; }
    friend Double2Lane operator+(Double2Lane a, Double2Lane b) { return Double2Lane(_mm_add_pd(a.value_, b.value_)); }
    friend Double2Lane operator-(Double2Lane a, Double2Lane b) { return Double2Lane(_mm_sub_pd(a.value_, b.value_)); }
    friend Double2Lane operator*(Double2Lane a, Double2Lane b) { return Double2Lane(_mm_mul_pd(a.value_, b.value_)); }

    static Double2Lane LessThan(Double2Lane a, Double2Lane b) { return Double2Lane(_mm_cmplt_pd(a.value_, b.value_)); }
    static void Select(Double2Lane mask, Double2Lane& target, Double2Lane other)
    {
        target.value_ = _mm_or_pd(_mm_and_pd(mask.value_, other.value_),
                                  _mm_andnot_pd(mask.value_, target.value_));
    }
    static bool UpdateCounts(Double2Lane mask, Counter& counter)
    {
        counter.value = _mm_sub_epi64(counter.value, _mm_castpd_si128(mask.value_));
        return _mm_movemask_pd(mask.value_) != 0;
    }
    static bool AllLanesSet(Double2Lane mask) { return _mm_movemask_pd(mask.value_) == 0x3; }
    void Sqrt() { value_ = _mm_sqrt_pd(value_); }

    // Makes the value a new one to the compiler. Values set up before the client calls of a
    // group would otherwise be given a stack slot for the whole loop that follows the calls.
    static void Renew(Double2Lane& lane) { __asm__("" : "+x"(lane.value_)); }

    static bool IsRenderRunning() { return RenderRunningFlag.load(std::memory_order_relaxed); }

private:
    explicit Double2Lane(__m128d value) : value_(value) {}

    __m128d value_;
};

} // namespace ZORB_KERNEL_NAMESPACE
