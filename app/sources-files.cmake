# Co-ordinates files, picture files, file dialogs and the small dialogs.
set(APP_FILES_SOURCES
    ${ZORB_ROOT}/app/AboutDialog.cpp
    ${ZORB_ROOT}/app/BitmapFile.cpp
    ${ZORB_ROOT}/app/BitmapFilePicture.cpp
    ${ZORB_ROOT}/app/CommandsFiles.cpp
    ${ZORB_ROOT}/app/CoordinatesCommands.cpp
    ${ZORB_ROOT}/app/CoordinatesFile.cpp
    ${ZORB_ROOT}/app/FileDialog.cpp
    ${ZORB_ROOT}/app/FileNameEdit.cpp
    ${ZORB_ROOT}/app/JpegFile.cpp
    ${ZORB_ROOT}/app/MaxIterationsDialog.cpp
    ${ZORB_ROOT}/app/OutputFile.cpp
    ${ZORB_ROOT}/app/SmoothColour.cpp
)

# x87 keeps float intermediates wider than float; the JPEG colours must not depend on the build.
if(ZORB_ARCH STREQUAL "x86")
    set_source_files_properties(${ZORB_ROOT}/app/SmoothColour.cpp PROPERTIES COMPILE_OPTIONS "-ffloat-store")
endif()
