# Render engine core: driver, pool, precision choice, the processor probe and the view record's
# arithmetic (every build). The probe runs before the AVX build's start-up decision, so nothing
# here gets a vector flag.
set(RENDER_CORE_SOURCES
    ${ZORB_ROOT}/render/CpuProbe.cpp
    ${ZORB_ROOT}/render/Precision.cpp
    ${ZORB_ROOT}/render/Processors.cpp
    ${ZORB_ROOT}/render/RenderBand.cpp
    ${ZORB_ROOT}/render/RenderDriver.cpp
    ${ZORB_ROOT}/render/RenderJob.cpp
    ${ZORB_ROOT}/render/RenderRunningFlag.cpp
    ${ZORB_ROOT}/render/RenderThreadPool.cpp
    ${ZORB_ROOT}/render/View.cpp
)
