# Settings of a Windows build (the MinGW-w64 cross build, see mingw-w64-x86_64.cmake).
# Libraries are <name>.dll with no "lib" prefix, with their import library
# <name>.dll.a beside them: every DLL and program goes to bin/, where the
# loader finds them side by side (on Windows the program's folder, then PATH).
include_guard(GLOBAL)

set(CMAKE_SHARED_LIBRARY_PREFIX "")
set(CMAKE_IMPORT_LIBRARY_PREFIX "")
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)

# rcutils' headers expect MSVC's source annotations (sal.h), which MSVC's C
# runtime headers bring along, and which neither MinGW's headers nor the
# compiler's own stddef.h and stdbool.h (that rcutils includes first) do.
if(CMAKE_CXX_COMPILER_FRONTEND_VARIANT STREQUAL "MSVC")
  add_compile_options(/FIsal.h)
elseif(MINGW)
  add_compile_options("SHELL:-include sal.h")
endif()
if(MINGW)
  # The GCC runtime DLLs travel with the libraries, as MSVC's runtime would
  # be installed on the target machine.
  foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
      OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
      message(FATAL_ERROR "${dll} of ${CMAKE_CXX_COMPILER} not found")
    endif()
    list(APPEND MSGDEF_WINDOWS_RUNTIME_DLLS ${path})
  endforeach()
endif()

# Copies the DLLs the build links but does not make (toolchain runtime,
# Fast-CDR, yaml-cpp) into bin/ and installs them beside the libraries.
function(msgdef_windows_runtime_dlls)
  set(dlls ${MSGDEF_WINDOWS_RUNTIME_DLLS})
  foreach(dependency fastcdr yaml-cpp)
    if(NOT TARGET ${dependency})
      find_package(${dependency} CONFIG QUIET)
    endif()
    if(NOT TARGET ${dependency})
      continue()
    endif()
    get_target_property(imported ${dependency} IMPORTED)
    if(NOT imported)
      continue()
    endif()
    foreach(property IMPORTED_LOCATION_RELEASE IMPORTED_LOCATION_RELWITHDEBINFO
                     IMPORTED_LOCATION_NOCONFIG IMPORTED_LOCATION_DEBUG IMPORTED_LOCATION)
      get_target_property(location ${dependency} ${property})
      if(location)
        list(APPEND dlls ${location})
        break()
      endif()
    endforeach()
  endforeach()
  file(COPY ${dlls} DESTINATION ${PROJECT_BINARY_DIR}/bin)
  install(FILES ${dlls} DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()
