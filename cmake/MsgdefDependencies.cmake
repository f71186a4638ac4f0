# Locates the ROS 2 core libraries without their ament-based CMake configs and
# exposes them under the target names that their own configs would give.
include_guard(GLOBAL)

# A Windows cross build takes the host's headers (the same on every platform)
# and links the stand-in of runtime/ named <library> instead.
function(msgdef_import_library target header_dir_hint header library)
  if(TARGET ${target})
    return()
  endif()
  set(cross "")
  if(WIN32 AND CMAKE_CROSSCOMPILING)
    set(cross NO_CMAKE_FIND_ROOT_PATH)
  endif()
  find_path(_inc_${header_dir_hint} ${header}
    PATH_SUFFIXES ${header_dir_hint} REQUIRED ${cross})
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${_inc_${header_dir_hint}}")
  if(library AND cross)
    set_target_properties(${target} PROPERTIES INTERFACE_LINK_LIBRARIES ${library})
  elseif(library)
    find_library(_lib_${header_dir_hint} ${library} REQUIRED)
    set_target_properties(${target} PROPERTIES
      INTERFACE_LINK_LIBRARIES "${_lib_${header_dir_hint}}")
  endif()
endfunction()

msgdef_import_library(rcutils::rcutils rcutils rcutils/allocator.h rcutils)
msgdef_import_library(rosidl_typesupport_interface::rosidl_typesupport_interface
  rosidl_typesupport_interface rosidl_typesupport_interface/macros.h "")
msgdef_import_library(rosidl_runtime_c::rosidl_runtime_c
  rosidl_runtime_c rosidl_runtime_c/string_functions.h rosidl_runtime_c)
set_property(TARGET rosidl_runtime_c::rosidl_runtime_c APPEND PROPERTY
  INTERFACE_LINK_LIBRARIES rcutils::rcutils
  rosidl_typesupport_interface::rosidl_typesupport_interface)
msgdef_import_library(rosidl_runtime_cpp::rosidl_runtime_cpp
  rosidl_runtime_cpp rosidl_runtime_cpp/traits.hpp "")
set_property(TARGET rosidl_runtime_cpp::rosidl_runtime_cpp APPEND PROPERTY
  INTERFACE_LINK_LIBRARIES rosidl_runtime_c::rosidl_runtime_c)

find_package(fastcdr 1 CONFIG QUIET)
