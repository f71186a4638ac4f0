# <package>__rosidl_typesupport_introspection_cpp: introspection tables of the C++ structures.
function(msgdef_kind_introspection_cpp pkg deps)
  set(kind rosidl_typesupport_introspection_cpp)
  set(lib ${pkg}__${kind})
  msgdef_introspection_headers(${pkg} cpp)
  add_library(${lib} SHARED ${MSGDEF_SOURCE_DIR}/introspection_cpp/package_library.cpp)
  msgdef_library_defaults(${lib})
  target_compile_definitions(${lib} PRIVATE
    MSGDEF_PACKAGE=${pkg} "MSGDEF_PACKAGE_HEADER=<${pkg}/msgdef_package.h>"
    "MSGDEF_PACKAGE_CPP_HEADER=<${pkg}/msgdef_package.hpp>")
  target_include_directories(${lib} PRIVATE
    ${MSGDEF_SOURCE_DIR}/introspection_c ${MSGDEF_SOURCE_DIR}/introspection_cpp)
  target_link_libraries(${lib} PUBLIC ${pkg}__rosidl_generator_cpp ${kind}::${kind}
    rosidl_runtime_c::rosidl_runtime_c)
  foreach(dep IN LISTS deps)
    target_link_libraries(${lib} PUBLIC ${dep}::${dep}__${kind})
  endforeach()
  set(MSGDEF_KIND_TARGETS ${lib} PARENT_SCOPE)
endfunction()
msgdef_register_kind(introspection_cpp)
