# The kit: msgdef_add_package() with the generic library kinds it builds
# interface packages from, and msgdef::msgdef, the headers those packages'
# headers include. A consumer that builds with ament (a colcon workspace, a
# ROS 2 installation) finds the ROS 2 core packages by their CMake packages,
# which are ament's; any other consumer gets them located directly, so that
# plain CMake needs no ament and none of its Python.
if(NOT DEFINED MSGDEF_USE_PACKAGE_CONFIGS)
  set(MSGDEF_USE_PACKAGE_CONFIGS OFF)
  if(ament_cmake_core_FOUND OR ament_cmake_FOUND)
    set(MSGDEF_USE_PACKAGE_CONFIGS ON)
  endif()
endif()
include("${CMAKE_CURRENT_LIST_DIR}/MsgdefDependencies.cmake")
include("${CMAKE_CURRENT_LIST_DIR}/MsgdefPackage.cmake")
include("${CMAKE_CURRENT_LIST_DIR}/MsgdefKinds.cmake")
if(NOT TARGET msgdef::msgdef)
  include("${CMAKE_CURRENT_LIST_DIR}/msgdefTargets.cmake")
endif()
set(msgdef_FOUND TRUE)
