# Cross build for i686 Windows with mingw-w64; tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR X86)

set(ZORB_TRIPLE i686-w64-mingw32)
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

set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/wine)
