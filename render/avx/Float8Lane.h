#pragma once

#include <atomic>
#include <cstdint>
#include <immintrin.h>

#include "render/KernelNamespace.h"
#include "render/RenderRunningFlag.h"
#include "render/avx/PowerLoops.h"

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

    // The escape loop's previous mask and count in one register, so that two groups' loop state
    // fits the sixteen vector registers: the sign bit is the mask of the previous test, the
    // magnitude the number of tests at which the lane was inside. A float holds whole numbers
    // exactly up to 2^24, so the loop moves the count to integer counters at least every
    // kTallyStepsPerChunk steps.
    static constexpr uint64_t kTallyStepsPerChunk = uint64_t(1) << 23;
    static Float8Lane TallyStart() { return Float8Lane(-0.0f); }
    // Counts the lanes with sizeSq below the escape bound 4.0 and makes them the previous mask;
    // true if any lane is below. The constants are read from memory so that they do not take
    // registers from the loop state.
    static bool TallyInside(Float8Lane sizeSq, Float8Lane& tally)
    {
        __m256 bumped;
        bool any;
        __asm__("vcmpps $0x11, %[bound], %[mask], %[mask]\n\t"
                "vorps %[sign], %[tally], %[bumped]\n\t"
                "vsubps %[one], %[bumped], %[bumped]\n\t"
                "vandps %[abs], %[tally], %[tally]\n\t"
                "vblendvps %[mask], %[bumped], %[tally], %[tally]\n\t"
                "vtestps %[mask], %[mask]"
                : [tally] "+x"(tally.value_), [mask] "+x"(sizeSq.value_), [bumped] "=&x"(bumped), "=@ccnz"(any)
                : [bound] "m"(kTallyConstants.bound), [sign] "m"(kTallyConstants.sign), [one] "m"(kTallyConstants.one),
                  [abs] "m"(kTallyConstants.abs));
        return any;
    }
    static void TallyStore(Float8Lane tally, Count* out)
    {
        const __m256i counts = _mm256_cvttps_epi32(_mm256_and_ps(tally.value_, AbsMask()));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), counts);
    }
    static void TallyAddTo(Float8Lane& tally, Count* totals)
    {
        Count counts[kWidth];
        TallyStore(tally, counts);
        for (int k = 0; k < kWidth; ++k) {
            totals[k] += counts[k];
        }
        tally.value_ = _mm256_and_ps(tally.value_, _mm256_set1_ps(-0.0f));
    }
    void Sqrt() { value_ = _mm256_sqrt_ps(value_); }

    // Makes the value a new one to the compiler. Values set up before the client calls of a
    // group would otherwise be given a stack slot for the whole loop that follows the calls.
    static void Renew(Float8Lane& lane) { __asm__("" : "+x"(lane.value_)); }

    // Three groups' z^2 + c, z^3 + c or z^4 + c steps with their escape tests, registers
    // allotted by hand.
    ZORB_POWER_LOOPS_THREE("ps", Float8Lane)

    static bool IsRenderRunning() { return RenderRunningFlag.load(std::memory_order_relaxed); }

private:
    explicit Float8Lane(__m256 value) : value_(value) {}
    struct TallyConstants {
        alignas(32) float bound[kWidth];
        alignas(32) float sign[kWidth];
        alignas(32) float one[kWidth];
        alignas(32) uint32_t abs[kWidth];
    };
    // The tally's constants followed by the factors of the z^4 step, for the three-group loops.
    struct LoopConstants {
        TallyConstants tally;
        alignas(32) float four[kWidth];
        alignas(32) float six[kWidth];
    };
    static constexpr TallyConstants kTallyConstants = {
        {4.0f, 4.0f, 4.0f, 4.0f, 4.0f, 4.0f, 4.0f, 4.0f},
        {-0.0f, -0.0f, -0.0f, -0.0f, -0.0f, -0.0f, -0.0f, -0.0f},
        {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f},
        {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF},
    };
    static constexpr LoopConstants kLoopConstants = {kTallyConstants, {4.0f, 4.0f, 4.0f, 4.0f, 4.0f, 4.0f, 4.0f, 4.0f}, {6.0f, 6.0f, 6.0f, 6.0f, 6.0f, 6.0f, 6.0f, 6.0f}};
    static __m256 AbsMask() { return _mm256_castsi256_ps(_mm256_set1_epi32(0x7FFFFFFF)); }

    __m256 value_;
};

} // namespace ZORB_KERNEL_NAMESPACE
