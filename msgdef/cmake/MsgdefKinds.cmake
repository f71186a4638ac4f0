# The library kinds, in the order every package builds them; each folder's
# kind.cmake defines msgdef_kind_<kind>(package deps) and registers it.
include_guard(GLOBAL)
foreach(kind_dir c_messages fastcdr_c fastcdr_cpp introspection_c introspection_cpp
                 typesupport_c typesupport_cpp python)
  if(kind_dir STREQUAL "python" AND DEFINED MSGDEF_BUILD_PYTHON AND NOT MSGDEF_BUILD_PYTHON)
    # No Python: no modules, and no generic Python support to install.
    function(msgdef_python_support)
    endfunction()
    macro(msgdef_find_python)
    endmacro()
    continue()
  endif()
  include(${MSGDEF_SOURCE_DIR}/${kind_dir}/kind.cmake)
endforeach()
