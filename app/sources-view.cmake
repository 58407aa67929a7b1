# View, zoom and undo; palettes and colour cycling.
set(APP_VIEW_SOURCES
    ${ZORB_ROOT}/app/View.cpp
    ${ZORB_ROOT}/app/ViewAspect.cpp
    ${ZORB_ROOT}/app/ViewHistory.cpp
    ${ZORB_ROOT}/app/ViewIterations.cpp
    ${ZORB_ROOT}/app/ViewPoint.cpp
    ${ZORB_ROOT}/app/ViewPresets.cpp
    ${ZORB_ROOT}/app/ViewZoom.cpp
    ${ZORB_ROOT}/app/Palette.cpp
    ${ZORB_ROOT}/app/PaletteCycle.cpp
    ${ZORB_ROOT}/app/ZorbGUIView.cpp
    ${ZORB_ROOT}/app/ZorbGUIPalette.cpp
)
