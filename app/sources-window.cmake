# The main window, its start-up and its commands. The view and palette operations keep their
# own list beside this one.
set(APP_WINDOW_SOURCES
    ${ZORB_ROOT}/app/Commands.cpp
    ${ZORB_ROOT}/app/DialogCommands.cpp
    ${ZORB_ROOT}/app/MainWindow.cpp
    ${ZORB_ROOT}/app/Startup.cpp
    ${ZORB_ROOT}/app/ZorbGUI.cpp
    ${ZORB_ROOT}/app/ZorbGUICreate.cpp
    ${ZORB_ROOT}/app/ZorbGUIMessages.cpp
    ${ZORB_ROOT}/app/ZorbGUIMouse.cpp
    ${ZORB_ROOT}/app/ZorbGUIPaint.cpp
    ${ZORB_ROOT}/app/ZorbGUIRender.cpp
)
include(${ZORB_ROOT}/app/sources-view.cmake OPTIONAL)
list(APPEND APP_WINDOW_SOURCES ${APP_VIEW_SOURCES})

# One WinMain per build. The AVX build's entry and start-up decision are compiled without AVX
# flags: they must run on a processor that lacks it.
set(APP_ENTRY_SOURCES_Avx ${ZORB_ROOT}/render/avx/WinMainAvx.cpp ${ZORB_ROOT}/render/avx/AvxStartup.cpp)
set(APP_ENTRY_SOURCES_Sse ${ZORB_ROOT}/app/WinMainSse.cpp)
set(APP_ENTRY_SOURCES_Scalar ${ZORB_ROOT}/app/WinMainScalar.cpp)
