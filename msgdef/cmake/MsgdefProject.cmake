# Settings shared by every project that builds interface packages here: the
# standalone build, the stand-in underlay and the kit's own package.
include_guard(GLOBAL)

set(CMAKE_C_STANDARD 11)
set(CMAKE_C_STANDARD_REQUIRED ON)
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_C_EXTENSIONS OFF)
# MSGDEF_PEDANTIC_ERRORS: for the targets that check headers against the
# ISO language alone.
if(CMAKE_CXX_COMPILER_FRONTEND_VARIANT STREQUAL "MSVC")
  # clang-cl: MSVC's level 4, the language extensions MSVC accepts and ISO C/C++ do not.
  add_compile_options(/W4 -Wmicrosoft -Wpedantic)
  set(MSGDEF_PEDANTIC_ERRORS /W4 /clang:-pedantic-errors)
elseif(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(-Wall -Wextra -Wpedantic)
  set(MSGDEF_PEDANTIC_ERRORS -Wall -Wextra -pedantic-errors)
endif()
# An install without debug information unless asked for: -DCMAKE_BUILD_TYPE=RelWithDebInfo keeps it.
if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE Release CACHE STRING "Build type" FORCE)
endif()

if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/MsgdefWindows.cmake)
endif()
option(MSGDEF_BUILD_PYTHON "Build the Python extension modules" ON)
option(MSGDEF_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(MSGDEF_TSAN "Build with ThreadSanitizer" OFF)
option(MSGDEF_FUZZ "Build the fuzz targets (clang's libFuzzer) and everything with ASan and UBSan" OFF)
set(MSGDEF_SANITIZERS "")
if(MSGDEF_SANITIZE OR MSGDEF_FUZZ)
  set(MSGDEF_SANITIZERS address,undefined)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    # clang also checks that every call through a function pointer matches the callee's type.
    string(APPEND MSGDEF_SANITIZERS ",function")
  endif()
  add_compile_options(-fno-sanitize-recover=all)
elseif(MSGDEF_TSAN)
  set(MSGDEF_SANITIZERS thread)
endif()
if(MSGDEF_SANITIZERS)
  add_compile_options(-fsanitize=${MSGDEF_SANITIZERS} -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${MSGDEF_SANITIZERS})
endif()
# clang links its sanitizer runtimes into executables only, and the libraries
# leave the runtime's symbols to them. Its instrumentation also exports
# symbols of its own (type information of function types, out-of-line
# library templates): the export lists hold for the other builds only.
set(MSGDEF_ALLOW_UNDEFINED OFF)
set(MSGDEF_EXACT_EXPORTS ON)
if(MSGDEF_SANITIZERS AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  set(MSGDEF_ALLOW_UNDEFINED ON)
  set(MSGDEF_EXACT_EXPORTS OFF)
  # C programs too get the C++ part of the runtime, which the C++ libraries they load need.
  add_link_options("$<$<LINK_LANGUAGE:C>:-fsanitize-link-c++-runtime;-lstdc++>")
endif()
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND CMAKE_SYSTEM_NAME STREQUAL "Linux")
  # Link as Debian's gcc does by default: a library none of whose symbols is
  # used is not recorded as needed.
  add_link_options(LINKER:--as-needed)
endif()
if(MSGDEF_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "MSGDEF_FUZZ needs clang (-DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

include(GNUInstallDirs)
list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})
include(MsgdefDependencies)
include(MsgdefPackage)
include(${CMAKE_CURRENT_LIST_DIR}/MsgdefKinds.cmake)

# Every library finds its siblings in the same folder, in the build tree and once installed.
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/lib)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
set(CMAKE_BUILD_RPATH "${PROJECT_BINARY_DIR}/lib")
set(CMAKE_INSTALL_RPATH "$ORIGIN")
set(CMAKE_SKIP_BUILD_RPATH OFF)

# setup.sh / setup.bash at the root of the install prefix: sourcing one puts
# the prefix's libraries, programs, Python modules and packages on the paths
# (what colcon's setup scripts do for a workspace).
function(msgdef_install_setup_scripts)
  set(MSGDEF_SETUP_WHAT "this install prefix (source it from sh, bash or zsh)")
  set(MSGDEF_SETUP_PREFIX [[${MSGDEF_SETUP_PREFIX:-$(cd "$(dirname "${BASH_SOURCE:-$0}")" && pwd)}]])
  foreach(script setup.sh setup.bash)
    configure_file(${MSGDEF_CMAKE_DIR}/${script}.in ${PROJECT_BINARY_DIR}/msgdef_gen/${script} @ONLY)
    # local_setup.* too: colcon looks for them in every prefix it is given.
    install(FILES ${PROJECT_BINARY_DIR}/msgdef_gen/${script} DESTINATION .)
    install(FILES ${PROJECT_BINARY_DIR}/msgdef_gen/${script} DESTINATION . RENAME local_${script})
  endforeach()
endfunction()
