# Kernels, formula policies, lane types and the kernel dispatch.
# Scalar kernels and the dispatch: every build, no vector flags.
set(RENDER_KERNEL_SOURCES
    ${ZORB_ROOT}/render/ExpStep.cpp
    ${ZORB_ROOT}/render/KernelDispatch.cpp
    ${ZORB_ROOT}/render/KernelsScalar.cpp
    ${ZORB_ROOT}/render/LambdaConstant.cpp
)
# 128-bit kernels: the SSE2 build only.
set(RENDER_128_SOURCES
    ${ZORB_ROOT}/render/Kernels128.cpp
)
# 256-bit kernels: the AVX build only, and the only sources compiled with -mavx.
set(RENDER_256_SOURCES
    ${ZORB_ROOT}/render/avx/Kernels256.cpp
)
