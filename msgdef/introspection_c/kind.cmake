# <package>__rosidl_typesupport_introspection_c: introspection tables of the C structures.

# Headers that declare the exported handle functions of <pkg> for one
# introspection flavour (c or cpp), one per definition header, at
# <pkg>/<folder>/detail/<snake>__rosidl_typesupport_introspection_<flavour>.h(pp).
function(msgdef_introspection_headers pkg flavour)
  set(kind rosidl_typesupport_introspection_${flavour})
  set(gen ${PROJECT_BINARY_DIR}/msgdef_gen/${pkg}/include/${pkg})
  if(flavour STREQUAL "c")
    set(ext h)
  else()
    set(ext hpp)
  endif()
  string(TOUPPER "${kind}" kind_upper)
  string(TOUPPER "${pkg}" pkg_upper)
  set(api "${kind_upper}_PUBLIC_${pkg}")

  file(CONFIGURE OUTPUT ${gen}/msg/${kind}__visibility_control.h CONTENT
"/* Export control of the ${pkg} ${kind} library. */
#ifndef ${pkg_upper}__MSG__${kind_upper}__VISIBILITY_CONTROL_H_
#define ${pkg_upper}__MSG__${kind_upper}__VISIBILITY_CONTROL_H_

#include \"msgdef/c_message.h\"

#ifdef ${kind_upper}_BUILDING_DLL_${pkg}
#  define ${api} MSGDEF_EXPORT
#else
#  define ${api} MSGDEF_IMPORT
#endif

#endif
")

  get_property(messages GLOBAL PROPERTY MSGDEF_${pkg}_MESSAGES)
  get_property(services GLOBAL PROPERTY MSGDEF_${pkg}_SERVICES)
  foreach(entry IN LISTS messages services)
    msgdef_snake_name(${entry} snake)
    set(decls "")
    msgdef_definition_file(${entry} "${messages}" folder types)
    foreach(type IN LISTS types)
      string(APPEND decls "${api}\nconst rosidl_message_type_support_t *\n"
        "${kind}__get_message_type_support_handle__${pkg}__${folder}__${type}(void);\n\n")
    endforeach()
    set(includes "#include \"rosidl_runtime_c/message_type_support_struct.h\"\n")
    if(NOT entry IN_LIST messages)
      string(APPEND decls "${api}\nconst rosidl_service_type_support_t *\n"
        "${kind}__get_service_type_support_handle__${pkg}__${folder}__${entry}(void);\n\n")
      string(APPEND includes "#include \"rosidl_runtime_c/service_type_support_struct.h\"\n")
    endif()
    if(flavour STREQUAL "cpp")
      string(APPEND includes "#include \"rosidl_typesupport_introspection_cpp/message_type_support_decl.hpp\"\n")
      string(APPEND includes "#include \"rosidl_typesupport_introspection_cpp/service_type_support_decl.hpp\"\n")
      string(APPEND includes "#include \"${pkg}/${folder}/${snake}.hpp\"\n")
    endif()
    string(TOUPPER "${pkg}__${folder}__DETAIL__${snake}__${kind}_${ext}_" guard)
    file(CONFIGURE OUTPUT ${gen}/${folder}/detail/${snake}__${kind}.${ext} CONTENT
"/* Handle functions of the ${kind} library of ${pkg}/${folder}/${entry}. */
#ifndef ${guard}
#define ${guard}

${includes}#include \"${pkg}/msg/${kind}__visibility_control.h\"

#ifdef __cplusplus
extern \"C\"
{
#endif

${decls}#ifdef __cplusplus
}
#endif

#endif
")
  endforeach()
endfunction()

function(msgdef_kind_introspection_c pkg deps)
  set(kind rosidl_typesupport_introspection_c)
  set(lib ${pkg}__${kind})
  msgdef_introspection_headers(${pkg} c)
  add_library(${lib} SHARED ${MSGDEF_SOURCE_DIR}/introspection_c/package_library.cpp)
  msgdef_library_defaults(${lib})
  target_compile_definitions(${lib} PRIVATE
    MSGDEF_PACKAGE=${pkg} "MSGDEF_PACKAGE_HEADER=<${pkg}/msgdef_package.h>")
  target_include_directories(${lib} PRIVATE ${MSGDEF_SOURCE_DIR}/introspection_c)
  target_link_libraries(${lib} PUBLIC ${pkg}__definitions ${kind}::${kind}
    rosidl_runtime_c::rosidl_runtime_c)
  # The tables' init and fini functions are the C message library's.
  target_link_libraries(${lib} PUBLIC ${pkg}__rosidl_generator_c)
  foreach(dep IN LISTS deps)
    target_link_libraries(${lib} PUBLIC ${dep}::${dep}__${kind})
  endforeach()
  set(MSGDEF_KIND_TARGETS ${lib} PARENT_SCOPE)
endfunction()
msgdef_register_kind(introspection_c)
