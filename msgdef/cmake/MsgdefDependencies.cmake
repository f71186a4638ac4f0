# The packages the interface packages build against, under the target names
# their own CMake packages give (<name>::<name>; fastcdr).
#
# In a ROS 2 installation (or over the stand-in underlay) every one of them is
# a CMake package and is found as such. The standalone build, which builds the
# stand-ins itself, locates Debian's ROS 2 core libraries without their
# ament-based CMake configs.
include_guard(GLOBAL)
get_filename_component(MSGDEF_PREFIX "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)

# Finds package <name> unless its target exists; a package that exports only
# <name>_LIBRARIES and <name>_INCLUDE_DIRS gets an equivalent target.
macro(msgdef_find_package name)
  if(NOT TARGET ${name}::${name})
    if(NOT ${name}_FOUND)
      find_package(${name} REQUIRED HINTS ${MSGDEF_PREFIX})
    endif()
    if(NOT TARGET ${name}::${name})
      add_library(${name}::${name} INTERFACE IMPORTED)
      set_target_properties(${name}::${name} PROPERTIES
        INTERFACE_INCLUDE_DIRECTORIES "${${name}_INCLUDE_DIRS}"
        INTERFACE_LINK_LIBRARIES "${${name}_LIBRARIES}")
    endif()
  endif()
endmacro()

# The six type support runtimes, which the stand-in build makes itself.
set(MSGDEF_RUNTIME_PACKAGES
  rosidl_typesupport_c rosidl_typesupport_cpp
  rosidl_typesupport_fastrtps_c rosidl_typesupport_fastrtps_cpp
  rosidl_typesupport_introspection_c rosidl_typesupport_introspection_cpp)
macro(msgdef_find_runtime_packages)
  foreach(_msgdef_runtime IN LISTS MSGDEF_RUNTIME_PACKAGES)
    msgdef_find_package(${_msgdef_runtime})
  endforeach()
endmacro()

# A Windows cross build takes the host's headers (the same on every platform)
# and links the Windows stand-in named <library> instead.
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

if(MSGDEF_USE_PACKAGE_CONFIGS)
  foreach(_msgdef_core rcutils rosidl_typesupport_interface rosidl_runtime_c rosidl_runtime_cpp)
    msgdef_find_package(${_msgdef_core})
  endforeach()
else()
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
endif()

if(NOT TARGET fastcdr)
  find_package(fastcdr 1 CONFIG QUIET HINTS ${MSGDEF_PREFIX})
endif()
