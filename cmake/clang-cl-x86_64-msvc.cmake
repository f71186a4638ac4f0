# Cross build for 64-bit Windows in the MSVC ABI with clang-cl and lld-link
# (Debian's clang-16, lld-16, llvm-16), Microsoft's STL, and Wine's CRT
# headers and DLLs; no part of Microsoft's proprietary SDK or toolset:
#   scripts/msvc/sysroot.sh <sysroot>     (scripts/run msvc does this once)
#   cmake -S . -B build-msvc --toolchain cmake/clang-cl-x86_64-msvc.cmake -DMSGDEF_MSVC_SYSROOT=<sysroot>
# Programs built here run under Wine (wine64): ctest starts every test
# executable through cmake/wine_run.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

if(NOT MSGDEF_MSVC_SYSROOT)
  set(MSGDEF_MSVC_SYSROOT $ENV{MSGDEF_MSVC_SYSROOT})
endif()
if(NOT EXISTS "${MSGDEF_MSVC_SYSROOT}/sysroot.done")
  message(FATAL_ERROR "No MSVC-ABI sysroot at '${MSGDEF_MSVC_SYSROOT}': make one with scripts/msvc/sysroot.sh "
    "and name it with -DMSGDEF_MSVC_SYSROOT or the environment variable of that name")
endif()
# Projects configured inside this one (try_compile) get the same sysroot.
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MSGDEF_MSVC_SYSROOT)
file(READ ${MSGDEF_MSVC_SYSROOT}/stl-path msgdef_msvc_stl)
string(STRIP "${msgdef_msvc_stl}" msgdef_msvc_stl)

set(llvm /usr/lib/llvm-16/bin)
set(CMAKE_C_COMPILER ${MSGDEF_MSVC_SYSROOT}/bin/clang-cl)
set(CMAKE_CXX_COMPILER ${MSGDEF_MSVC_SYSROOT}/bin/clang-cl)
set(CMAKE_LINKER ${llvm}/lld-link)
set(CMAKE_AR ${llvm}/llvm-lib)
set(CMAKE_RC_COMPILER ${llvm}/llvm-rc)
set(CMAKE_MT ${llvm}/llvm-mt)
set(CMAKE_OBJDUMP ${llvm}/llvm-objdump)

# The STL first, then the vcruntime headers and the overlays of Wine's CRT
# headers, then Wine's CRT and Windows headers; clang's own (intrin.h,
# vadefs.h, stddef.h) come before all of them.
set(msgdef_wine_headers /usr/include/wine/wine)
# The STL's vectorized algorithms live in a DLL of a later Visual Studio
# (msvcp140 has them since 16.x, Wine's does not): its plain loops instead.
set(msgdef_msvc_flags "--target=x86_64-pc-windows-msvc -fms-compatibility-version=19.29 -D_USE_STD_VECTOR_ALGORITHMS=0")
foreach(dir ${msgdef_msvc_stl}/stl/inc ${CMAKE_CURRENT_LIST_DIR}/../scripts/msvc/include
            ${msgdef_wine_headers}/msvcrt ${msgdef_wine_headers}/windows)
  get_filename_component(dir ${dir} ABSOLUTE)
  string(APPEND msgdef_msvc_flags " -imsvc ${dir}")
endforeach()
set(CMAKE_C_FLAGS_INIT "${msgdef_msvc_flags}")
# Resource scripts include <windows.h> too (llvm-rc preprocesses with clang).
set(CMAKE_RC_FLAGS_INIT "/I ${msgdef_wine_headers}/windows /I ${msgdef_wine_headers}/msvcrt")
set(CMAKE_CXX_FLAGS_INIT "${msgdef_msvc_flags} /EHsc")
# The release DLL runtime only: Wine has no debug runtime (ucrtbased.dll).
set(CMAKE_MSVC_RUNTIME_LIBRARY MultiThreadedDLL)
set(CMAKE_TRY_COMPILE_CONFIGURATION Release)
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "/libpath:${MSGDEF_MSVC_SYSROOT}/lib /manifest:no")
endforeach()
# The system libraries every program links: the sysroot has the common ones.
set(CMAKE_C_STANDARD_LIBRARIES "kernel32.lib advapi32.lib" CACHE STRING "")
set(CMAKE_CXX_STANDARD_LIBRARIES "kernel32.lib advapi32.lib" CACHE STRING "")

set(CMAKE_FIND_ROOT_PATH ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(NOT CMAKE_CROSSCOMPILING_EMULATOR AND EXISTS /usr/lib/wine/wine64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine_run.sh)
endif()
