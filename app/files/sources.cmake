# What goes to and comes from disk: co-ordinates files, BMP and JPEG writers, whole-or-nothing
# output files. Each takes what it writes as arguments.
list(APPEND APP_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/BitmapFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BitmapFilePicture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CoordinatesFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/JpegFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OutputFile.cpp
)
