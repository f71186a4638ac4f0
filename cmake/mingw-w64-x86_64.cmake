# Cross build for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-windows --toolchain cmake/mingw-w64-x86_64.cmake
# Programs built here run under Wine (wine64) when it is installed: ctest
# starts every test executable through cmake/wine_run.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(MSGDEF_MINGW_TRIPLET x86_64-w64-mingw32)
# The posix thread model: std::thread and std::mutex as on every other platform.
set(CMAKE_C_COMPILER ${MSGDEF_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MSGDEF_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MSGDEF_MINGW_TRIPLET}-windres)

# Headers and libraries come from the MinGW sysroot and the prefixes given in
# CMAKE_PREFIX_PATH (the Windows builds of the dependencies); build tools from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${MSGDEF_MINGW_TRIPLET} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(NOT CMAKE_CROSSCOMPILING_EMULATOR AND EXISTS /usr/lib/wine/wine64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine_run.sh)
endif()
