# Palettes, colour cycling and the smooth colours of true-colour pictures.
list(APPEND APP_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Palette.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PaletteCycle.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SmoothColour.cpp
)
# x87 keeps float intermediates wider than float; the JPEG colours must not depend on the build.
if(ZORB_ARCH STREQUAL "x86")
    set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/SmoothColour.cpp PROPERTIES COMPILE_OPTIONS "-ffloat-store")
endif()
