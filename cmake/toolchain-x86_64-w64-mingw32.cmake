# Cross build for x86_64 Windows with mingw-w64; tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(ZORB_TRIPLE x86_64-w64-mingw32)
# The -posix thread model: GoogleTest needs std::mutex, which the -win32 one lacks.
set(CMAKE_C_COMPILER   ${ZORB_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZORB_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${ZORB_TRIPLE}-windres)
set(CMAKE_ASM_NASM_COMPILER nasm)

set(CMAKE_FIND_ROOT_PATH /usr/${ZORB_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# wine64 directly: the plain "wine" launcher always picks the 32-bit loader once wine32 is installed.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
