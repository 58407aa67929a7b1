# The large picture rendered straight to disk: its dialog, the saver and its file writing.
set(APP_SAVER_SOURCES
    ${ZORB_ROOT}/app/FormatDuration.cpp
    ${ZORB_ROOT}/app/LargeBitmapSaver.cpp
    ${ZORB_ROOT}/app/LargeBitmapSaverRender.cpp
    ${ZORB_ROOT}/app/LargeImageDialog.cpp
    ${ZORB_ROOT}/app/LargeImageLimits.cpp
    ${ZORB_ROOT}/app/LargeImagePassBuffers.cpp
    ${ZORB_ROOT}/app/LargeImagePassWriter.cpp
    ${ZORB_ROOT}/app/LargeImagePasses.cpp
    ${ZORB_ROOT}/app/LargeImageSettings.cpp
)
