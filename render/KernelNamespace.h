#pragma once

// Every kernel-side header (lane types, orbit state, formula policies, colour mapping, the
// rounding by a store, the kernel template and its tables) puts its code into
// ZORB_KERNEL_NAMESPACE. Inline functions are emitted as shared copies that the linker may pick
// from any unit, so each set of instruction-set flags needs names of its own: a copy compiled
// with AVX must never stand in for the scalar or SSE2 one, which run before the start-up check
// and on processors without AVX.
//
// The AVX namespace follows from the compiler's own flag, so a unit built with -mavx cannot end
// up in another namespace by mistake. The 128-bit unit says what it is before any include.
#if defined(__AVX__)
#define ZORB_KERNEL_NAMESPACE avx
#elif defined(ZORB_KERNELS_128)
#define ZORB_KERNEL_NAMESPACE sse2
#else
#define ZORB_KERNEL_NAMESPACE scalar
#endif
