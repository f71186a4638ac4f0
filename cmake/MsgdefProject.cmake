# Settings shared by every project that builds interface packages here: the
# standalone build, the stand-in underlay and the kit's own package.
include_guard(GLOBAL)

set(CMAKE_C_STANDARD 11)
set(CMAKE_C_STANDARD_REQUIRED ON)
set(CMAKE_CXX_STANDARD 17)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_C_EXTENSIONS OFF)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(-Wall -Wextra -Wpedantic)
endif()
if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()

if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/MsgdefWindows.cmake)
endif()
option(MSGDEF_BUILD_PYTHON "Build the Python extension modules" ON)
option(MSGDEF_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(MSGDEF_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
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
