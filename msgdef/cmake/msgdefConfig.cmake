# The kit: msgdef_add_package() with the generic library kinds it builds
# interface packages from, and msgdef::msgdef, the headers those packages'
# headers include. With ament (a ROS 2 installation, or the stand-in underlay)
# the ROS 2 core packages are found by their CMake packages.
if(NOT DEFINED MSGDEF_USE_PACKAGE_CONFIGS)
  find_package(ament_cmake_core QUIET)
  set(MSGDEF_USE_PACKAGE_CONFIGS ${ament_cmake_core_FOUND})
endif()
include("${CMAKE_CURRENT_LIST_DIR}/MsgdefDependencies.cmake")
include("${CMAKE_CURRENT_LIST_DIR}/MsgdefPackage.cmake")
include("${CMAKE_CURRENT_LIST_DIR}/MsgdefKinds.cmake")
if(NOT TARGET msgdef::msgdef)
  include("${CMAKE_CURRENT_LIST_DIR}/msgdefTargets.cmake")
endif()
set(msgdef_FOUND TRUE)
