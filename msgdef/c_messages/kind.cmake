# <package>__rosidl_generator_c: C structures and their functions.
function(msgdef_kind_c_messages pkg deps)
  set(lib ${pkg}__rosidl_generator_c)
  add_library(${lib} SHARED ${MSGDEF_SOURCE_DIR}/c_messages/package_library.cpp)
  msgdef_library_defaults(${lib})
  target_compile_definitions(${lib} PRIVATE
    MSGDEF_PACKAGE=${pkg} "MSGDEF_PACKAGE_HEADER=<${pkg}/msgdef_package.h>"
    ROSIDL_GENERATOR_C_BUILDING_DLL_${pkg})
  target_link_libraries(${lib} PUBLIC ${pkg}__definitions rcutils::rcutils)
  foreach(dep IN LISTS deps)
    target_link_libraries(${lib} PUBLIC ${dep}::${dep}__rosidl_generator_c)
  endforeach()
  set(MSGDEF_KIND_TARGETS ${lib} PARENT_SCOPE)
endfunction()
msgdef_register_kind(c_messages)
