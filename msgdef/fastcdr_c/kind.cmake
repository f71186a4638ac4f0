# <package>__rosidl_typesupport_fastrtps_c: Fast-CDR serializers of the C structures.
#
# Declares every export in <package>/<folder>/detail/<snake>__rosidl_typesupport_fastrtps_c.h
# and reaches nested types only through those headers of the packages it depends on.
set(FASTCDR_C_DIR ${CMAKE_CURRENT_LIST_DIR} CACHE INTERNAL "")

function(msgdef_kind_fastcdr_c pkg deps)
  set(lib ${pkg}__rosidl_typesupport_fastrtps_c)
  set(gen ${PROJECT_BINARY_DIR}/msgdef_gen/${pkg}/include)
  set(private_gen ${PROJECT_BINARY_DIR}/fastcdr_c/${pkg})
  string(TOUPPER "${pkg}" PKG_UPPER)
  set(PKG ${pkg})
  configure_file(${FASTCDR_C_DIR}/visibility_control.h.in
    ${gen}/${pkg}/msg/rosidl_typesupport_fastrtps_c__visibility_control.h @ONLY)

  msgdef_declaration_headers(${pkg} "${deps}" ${FASTCDR_C_DIR} rosidl_typesupport_fastrtps_c h
    ${private_gen}/fastcdr_c_declarations.h)

  add_library(${lib} SHARED ${FASTCDR_C_DIR}/package_library.cpp)
  msgdef_library_defaults(${lib})
  target_compile_definitions(${lib} PRIVATE
    MSGDEF_PACKAGE=${pkg} "MSGDEF_PACKAGE_HEADER=<${pkg}/msgdef_package.h>"
    ROSIDL_TYPESUPPORT_FASTRTPS_C_BUILDING_DLL_${pkg})
  # The callbacks record types are headers of the C++ runtime; its library is not needed.
  msgdef_serializer_calls(${lib})
  target_include_directories(${lib} PRIVATE ${private_gen}
    $<TARGET_PROPERTY:rosidl_typesupport_fastrtps_cpp::rosidl_typesupport_fastrtps_cpp,INTERFACE_INCLUDE_DIRECTORIES>)
  target_link_libraries(${lib} PUBLIC ${pkg}__definitions rosidl_typesupport_fastrtps_c::rosidl_typesupport_fastrtps_c
    rosidl_runtime_c::rosidl_runtime_c fastcdr)
  foreach(dep IN LISTS deps)
    target_link_libraries(${lib} PUBLIC ${dep}::${dep}__rosidl_typesupport_fastrtps_c)
  endforeach()
  # It reads and writes the fields directly; its users make the messages with
  # the C message library.
  target_link_libraries(${lib} INTERFACE ${pkg}__rosidl_generator_c)
  set(MSGDEF_KIND_TARGETS ${lib} PARENT_SCOPE)
endfunction()
msgdef_register_kind(fastcdr_c)
