# Render engine core: driver, pool, precision choice and the processor probe (every build).
set(RENDER_CORE_SOURCES
    ${ZORB_ROOT}/render/RenderBand.cpp
    ${ZORB_ROOT}/render/RenderJob.cpp
    ${ZORB_ROOT}/render/RenderRunningFlag.cpp
    ${ZORB_ROOT}/render/RenderThreadPool.cpp
    ${ZORB_ROOT}/render/RenderDriver.cpp
    ${ZORB_ROOT}/render/Precision.cpp
    ${ZORB_ROOT}/render/Processors.cpp
    ${ZORB_ROOT}/app/startup/CpuProbe.cpp
)
