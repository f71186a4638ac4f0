# <package>__rosidl_typesupport_c: C dispatch handles. Links the
# rosidl_typesupport_c runtime only; of its own package it uses the headers.

function(msgdef_kind_typesupport_c pkg deps)
  set(lib ${pkg}__rosidl_typesupport_c)
  add_library(${lib} SHARED ${MSGDEF_SOURCE_DIR}/typesupport_c/package_library.cpp)
  msgdef_library_defaults(${lib})
  target_compile_definitions(${lib} PRIVATE
    MSGDEF_PACKAGE=${pkg} "MSGDEF_PACKAGE_HEADER=<${pkg}/msgdef_package.h>"
    MSGDEF_TYPESUPPORT_C_BUILDING)
  target_include_directories(${lib}
    PUBLIC
      $<BUILD_INTERFACE:${MSGDEF_SOURCE_DIR}/typesupport_c/include>
      $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>
    PRIVATE ${MSGDEF_SOURCE_DIR}/typesupport_c)
  target_link_libraries(${lib} PUBLIC ${pkg}__definitions PRIVATE rosidl_typesupport_c::rosidl_typesupport_c)
  # Its users make the messages they hand on: they get the C message library.
  target_link_libraries(${lib} INTERFACE ${pkg}__rosidl_generator_c)
  if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    # The definitions bring rosidl_runtime_c along for its headers; record
    # only the libraries whose symbols are used.
    target_link_options(${lib} PRIVATE "LINKER:--as-needed")
  endif()
  set(MSGDEF_KIND_TARGETS ${lib} PARENT_SCOPE)
endfunction()
msgdef_register_kind(typesupport_c)
