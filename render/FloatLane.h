#pragma once

#include <atomic>
#include <cstdint>

#include "render/KernelNamespace.h"
#include "render/RenderRunningFlag.h"
#include "render/Stored.h"

namespace ZORB_KERNEL_NAMESPACE {

// One pixel in single precision. A mask is the number -1 (set) or 0 (clear), not a bit pattern,
// so the kernel's escape test reads the same for this lane as for the vector ones.
//
// Every result is Stored, so that each operation rounds once to float on x87 as it does in SSE
// registers. (A sum, product or root of floats formed with 53 or more bits and then rounded to
// float is the correctly rounded float.)
class FloatLane {
public:
    using Element = float;
    using Count = uint32_t;
    static constexpr int kWidth = 1;

    struct Counter {
        Count value = 0;
        void Store(Count* out) const { out[0] = value; }
    };

    FloatLane() = default;
    explicit FloatLane(double value) : value_(Stored(static_cast<float>(value))) {}

    static FloatLane AllSet() { return FloatLane(-1.0f); }
    static FloatLane Load(const float* in) { return FloatLane(in[0]); }
    void Store(float* out) const { out[0] = value_; }

    FloatLane& operator+=(FloatLane other) { value_ = Stored(value_ + other.value_); return *this; }
    FloatLane& operator-=(FloatLane other) { value_ = Stored(value_ - other.value_); return *this; }
    friend FloatLane operator+(FloatLane a, FloatLane b) { return FloatLane(a.value_ + b.value_); }
    friend FloatLane operator-(FloatLane a, FloatLane b) { return FloatLane(a.value_ - b.value_); }
    friend FloatLane operator*(FloatLane a, FloatLane b) { return FloatLane(a.value_ * b.value_); }

    // A NaN on either side gives a clear mask: such a pixel counts as escaped.
    static FloatLane LessThan(FloatLane a, FloatLane b) { return FloatLane(b.value_ > a.value_ ? -1.0f : 0.0f); }
    static void Select(FloatLane mask, FloatLane& target, FloatLane other)
    {
        if (mask.value_ != 0.0f && mask.value_ == mask.value_) {
            target = other;
        }
    }
    static bool UpdateCounts(FloatLane mask, Counter& counter)
    {
        if (mask.value_ != -1.0f) {
            return false;
        }
        ++counter.value;
        return true;
    }
    static bool AllLanesSet(FloatLane mask) { return mask.value_ != 0.0f; }
    void Sqrt() { value_ = Stored(__builtin_sqrtf(value_)); }

    static bool IsRenderRunning() { return RenderRunningFlag.load(std::memory_order_relaxed); }

private:
    float value_ = 0.0f;
};

} // namespace ZORB_KERNEL_NAMESPACE
