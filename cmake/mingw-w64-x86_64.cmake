# Cross build for 64-bit Windows with Debian's MinGW-w64 (the POSIX thread
# model, which std::thread and std::mutex need). Programs are linked
# statically so that they run without MinGW's DLLs beside them, unless
# QVL_MINGW_SHARED_RUNTIME is on (a Qt for Windows built with the shared
# runtime needs it so); tests run under Wine. scripts/test-windows.sh uses
# this file.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QVL_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QVL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QVL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QVL_MINGW_TRIPLE}-windres)

# Libraries and headers only from the MinGW tree (and from what is named
# explicitly, such as GTest_DIR); programs that run during the build from the
# host.
set(CMAKE_FIND_ROOT_PATH /usr/${QVL_MINGW_TRIPLE})
# A Qt for Windows (or another library built for it) given in
# CMAKE_PREFIX_PATH is searched as a root of its own.
list(APPEND CMAKE_FIND_ROOT_PATH ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(NOT QVL_MINGW_SHARED_RUNTIME)
  set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
