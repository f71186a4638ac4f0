# The header-only machinery of the interface packages and the ROS 2 core libraries it uses.
include("${CMAKE_CURRENT_LIST_DIR}/MsgdefDependencies.cmake")
include("${CMAKE_CURRENT_LIST_DIR}/msgdefTargets.cmake")
