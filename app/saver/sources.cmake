# The large picture rendered straight to disk: its dialog, the saver, its passes and writing.
list(APPEND APP_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/FormatDuration.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LargeBitmapSaver.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LargeBitmapSaverRender.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LargeImageDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LargeImageLimits.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LargeImagePassBuffers.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LargeImagePassWriter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LargeImagePasses.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LargeImageSettings.cpp
)
