#pragma once

#include "render/KernelNamespace.h"

namespace ZORB_KERNEL_NAMESPACE {

// The value rounded to its own type. x87 code keeps results in registers wider than float and
// double, and a cast does not round them there; a store to memory does. Where arithmetic is done
// in SSE registers this is the value itself.
template <class T>
inline T Stored(T value)
{
#if __FLT_EVAL_METHOD__ != 0
    __asm__("" : "+m"(value));
#endif
    return value;
}

} // namespace ZORB_KERNEL_NAMESPACE
