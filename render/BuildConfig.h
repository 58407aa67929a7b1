#pragma once

// Which of the three program builds this translation unit belongs to. Exactly one of
// ZORB_BUILD_AVX, ZORB_BUILD_SSE2 and ZORB_BUILD_SCALAR is defined by the build system
// for every target of a build; code branches on these constants rather than on the macros
// so that every branch is still compiled and type-checked in every build.

#if (defined(ZORB_BUILD_AVX) + defined(ZORB_BUILD_SSE2) + defined(ZORB_BUILD_SCALAR)) != 1
#error "define exactly one of ZORB_BUILD_AVX, ZORB_BUILD_SSE2, ZORB_BUILD_SCALAR"
#endif

#if defined(ZORB_BUILD_AVX)
constexpr bool kBuildAvx = true;
#else
constexpr bool kBuildAvx = false;
#endif

#if defined(ZORB_BUILD_SSE2)
constexpr bool kBuildSse2 = true;
#else
constexpr bool kBuildSse2 = false;
#endif

#if defined(ZORB_BUILD_SCALAR)
constexpr bool kBuildScalar = true;
#else
constexpr bool kBuildScalar = false;
#endif

#if defined(_WIN64)
constexpr bool kBuild64Bit = true;
#else
constexpr bool kBuild64Bit = false;
#endif
