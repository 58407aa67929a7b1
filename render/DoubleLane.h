#pragma once

#include <atomic>
#include <cstdint>

#include "render/KernelNamespace.h"
#include "render/RenderRunningFlag.h"

namespace ZORB_KERNEL_NAMESPACE {

// One pixel in double precision. A mask is the number -1 (set) or 0 (clear), not a bit pattern,
// so the kernel's escape test reads the same for this lane as for the vector ones.
class DoubleLane {
public:
    using Element = double;
    using Count = uint64_t;
    static constexpr int kWidth = 1;

    struct Counter {
        Count value = 0;
        void Store(Count* out) const { out[0] = value; }
    };

    DoubleLane() = default;
    explicit DoubleLane(double value) : value_(value) {}

    static DoubleLane AllSet() { return DoubleLane(-1.0); }
    static DoubleLane Load(const double* in) { return DoubleLane(in[0]); }
    void Store(double* out) const { out[0] = value_; }

    DoubleLane& operator+=(DoubleLane other) { value_ += other.value_; return *this; }
    DoubleLane& operator-=(DoubleLane other) { value_ -= other.value_; return *this; }
    friend DoubleLane operator+(DoubleLane a, DoubleLane b) { return DoubleLane(a.value_ + b.value_); }
    friend DoubleLane operator-(DoubleLane a, DoubleLane b) { return DoubleLane(a.value_ - b.value_); }
    friend DoubleLane operator*(DoubleLane a, DoubleLane b) { return DoubleLane(a.value_ * b.value_); }

    // A NaN on either side gives a clear mask: such a pixel counts as escaped.
    static DoubleLane LessThan(DoubleLane a, DoubleLane b) { return DoubleLane(b.value_ > a.value_ ? -1.0 : 0.0); }
    static void Select(DoubleLane mask, DoubleLane& target, DoubleLane other)
    {
        if (mask.value_ != 0.0 && mask.value_ == mask.value_) {
            target = other;
        }
    }
    static bool UpdateCounts(DoubleLane mask, Counter& counter)
    {
        if (mask.value_ != -1.0) {
            return false;
        }
        ++counter.value;
        return true;
    }
    static bool AllLanesSet(DoubleLane mask) { return mask.value_ != 0.0; }
    void Sqrt() { value_ = __builtin_sqrt(value_); }

    static bool IsRenderRunning() { return RenderRunningFlag.load(std::memory_order_relaxed); }

private:
    double value_ = 0.0;
};

} // namespace ZORB_KERNEL_NAMESPACE
