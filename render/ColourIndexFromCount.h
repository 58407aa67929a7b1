#pragma once

#include <cstdint>

#include "render/IRenderCallbackInterface.h"
#include "render/InsideColourIndex.h"
#include "render/KernelNamespace.h"

namespace ZORB_KERNEL_NAMESPACE {

// The count rounded to single precision and widened again. x87 code may keep a cast value in
// its wider registers; going through memory rounds it there too.
template <class Count>
double RoundedToFloat(Count count)
{
#if __FLT_EVAL_METHOD__ == 0
    return static_cast<float>(count);
#else
    volatile float rounded = static_cast<float>(count);
    return rounded;
#endif
}

// Iteration count to colour index, with the limit the escape loop used. A point that leaves
// the radius only at the last test the limit allows counts as inside. Escape colours repeat
// with period 255, so they never collide with the inside index.
template <class Count>
class ColourIndexFromCount {
public:
    ColourIndexFromCount(Count limit, IRenderCallbackInterface* client) : limit_(limit), client_(client) {}

    uint8_t operator()(Count count) const
    {
        // Unsigned: a limit of 0 makes limit - 1 the largest count, so nothing is inside.
        if (count >= static_cast<Count>(limit_ - 1)) {
            return kInsideColourIndex;
        }
        uint64_t value = count;
        if (!client_->IsLinearColouring()) {
            // Progressive mapping: spreads the low counts, where most of the picture lies.
            value = static_cast<uint64_t>(4.0 * __builtin_sqrt(RoundedToFloat(count)));
        }
        return static_cast<uint8_t>(value % 255);
    }

private:
    Count limit_;
    IRenderCallbackInterface* client_;
};

} // namespace ZORB_KERNEL_NAMESPACE
