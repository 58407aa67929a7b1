# Start-up: the decision each build makes before its window, and one WinMain per build. The
# processor probe they ask is the render engine's (render/CpuProbe.h).
list(APPEND APP_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Startup.cpp
)
# The AVX build's entry and decision live beside its kernels but are compiled without AVX
# flags: they must run on a processor that lacks it.
set(APP_ENTRY_SOURCES_Avx ${ZORB_ROOT}/render/avx/WinMainAvx.cpp ${ZORB_ROOT}/render/avx/AvxStartup.cpp)
set(APP_ENTRY_SOURCES_Sse ${CMAKE_CURRENT_LIST_DIR}/WinMainSse.cpp)
set(APP_ENTRY_SOURCES_Scalar ${CMAKE_CURRENT_LIST_DIR}/WinMainScalar.cpp)
