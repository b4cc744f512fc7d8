# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (the posix-thread compilers, for
# std::thread and std::mutex) and runs what was built under wine: the tests, and GoogleTest's
# discovery of their cases at build time.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KD4410_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KD4410_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KD4410_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KD4410_MINGW_TRIPLE}-windres)

# Headers and libraries come only from the mingw-w64 tree, never from the host's /usr.
set(CMAKE_FIND_ROOT_PATH /usr/${KD4410_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests, and GoogleTest's listing of their cases, run under wine.
find_program(KD4410_WINE wine)
if(KD4410_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
endif()
