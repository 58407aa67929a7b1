#pragma once

#include <atomic>
#include <cstdint>
#include <immintrin.h>

#include "render/KernelNamespace.h"
#include "render/RenderRunningFlag.h"
#include "render/avx/PowerLoops.h"

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

    // Previous mask and count in one register, as for Float8Lane. The counts leave through a
    // 32-bit conversion, so a stretch stays well below 2^31 steps.
    static constexpr uint64_t kTallyStepsPerChunk = uint64_t(1) << 30;
    static Double4Lane TallyStart() { return Double4Lane(-0.0); }
    // Counts the lanes with sizeSq below the escape bound 4.0 and makes them the previous mask;
    // true if any lane is below. The constants are read from memory so that they do not take
    // registers from the loop state.
    static bool TallyInside(Double4Lane sizeSq, Double4Lane& tally)
    {
        __m256d bumped;
        bool any;
        __asm__("vcmppd $0x11, %[bound], %[mask], %[mask]\n\t"
                "vorpd %[sign], %[tally], %[bumped]\n\t"
                "vsubpd %[one], %[bumped], %[bumped]\n\t"
                "vandpd %[abs], %[tally], %[tally]\n\t"
                "vblendvpd %[mask], %[bumped], %[tally], %[tally]\n\t"
                "vtestpd %[mask], %[mask]"
                : [tally] "+x"(tally.value_), [mask] "+x"(sizeSq.value_), [bumped] "=&x"(bumped), "=@ccnz"(any)
                : [bound] "m"(kTallyConstants.bound), [sign] "m"(kTallyConstants.sign), [one] "m"(kTallyConstants.one),
                  [abs] "m"(kTallyConstants.abs));
        return any;
    }
    static void TallyStore(Double4Lane tally, Count* out)
    {
        const __m128i counts = _mm256_cvttpd_epi32(_mm256_and_pd(tally.value_, AbsMask()));
        const __m128i zero = _mm_setzero_si128();
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi32(counts, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2), _mm_unpackhi_epi32(counts, zero));
    }
    static void TallyAddTo(Double4Lane& tally, Count* totals)
    {
        Count counts[kWidth];
        TallyStore(tally, counts);
        for (int k = 0; k < kWidth; ++k) {
            totals[k] += counts[k];
        }
        tally.value_ = _mm256_and_pd(tally.value_, _mm256_set1_pd(-0.0));
    }
    void Sqrt() { value_ = _mm256_sqrt_pd(value_); }

    // Makes the value a new one to the compiler. Values set up before the client calls of a
    // group would otherwise be given a stack slot for the whole loop that follows the calls.
    static void Renew(Double4Lane& lane) { __asm__("" : "+x"(lane.value_)); }

    // Three groups' z^2 + c, z^3 + c or z^4 + c steps with their escape tests, registers
    // allotted by hand.
    ZORB_POWER_LOOPS_THREE("pd", Double4Lane)

    static bool IsRenderRunning() { return RenderRunningFlag.load(std::memory_order_relaxed); }

private:
    explicit Double4Lane(__m256d value) : value_(value) {}
    struct TallyConstants {
        alignas(32) double bound[kWidth];
        alignas(32) double sign[kWidth];
        alignas(32) double one[kWidth];
        alignas(32) uint64_t abs[kWidth];
    };
    // The tally's constants followed by the factors of the z^4 step, for the three-group loops.
    struct LoopConstants {
        TallyConstants tally;
        alignas(32) double four[kWidth];
        alignas(32) double six[kWidth];
    };
    static constexpr TallyConstants kTallyConstants = {
        {4.0, 4.0, 4.0, 4.0},
        {-0.0, -0.0, -0.0, -0.0},
        {1.0, 1.0, 1.0, 1.0},
        {0x7FFFFFFFFFFFFFFF, 0x7FFFFFFFFFFFFFFF, 0x7FFFFFFFFFFFFFFF, 0x7FFFFFFFFFFFFFFF},
    };
    static constexpr LoopConstants kLoopConstants = {kTallyConstants, {4.0, 4.0, 4.0, 4.0}, {6.0, 6.0, 6.0, 6.0}};
    static __m256d AbsMask() { return _mm256_castsi256_pd(_mm256_set1_epi64x(0x7FFFFFFFFFFFFFFF)); }

    __m256d value_;
};

} // namespace ZORB_KERNEL_NAMESPACE
