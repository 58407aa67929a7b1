# The plane a picture shows: aspect, zoom, undo history, presets and iteration limits.
list(APPEND APP_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/ViewAspect.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ViewBounds.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ViewHistory.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ViewIterations.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ViewPoint.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ViewPresets.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ViewZoom.cpp
)
