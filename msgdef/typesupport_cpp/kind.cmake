# <package>__rosidl_typesupport_cpp: C++ dispatch handles. Links the
# rosidl_typesupport_cpp runtime only; of its own package it uses the headers
# of the C++ structures.

function(msgdef_kind_typesupport_cpp pkg deps)
  set(lib ${pkg}__rosidl_typesupport_cpp)
  add_library(${lib} SHARED ${MSGDEF_SOURCE_DIR}/typesupport_cpp/package_library.cpp)
  msgdef_library_defaults(${lib})
  target_compile_definitions(${lib} PRIVATE
    MSGDEF_PACKAGE=${pkg} "MSGDEF_PACKAGE_HEADER=<${pkg}/msgdef_package.h>"
    "MSGDEF_PACKAGE_HEADER_CPP=<${pkg}/msgdef_package.hpp>"
    MSGDEF_TYPESUPPORT_CPP_BUILDING)
  target_include_directories(${lib}
    PUBLIC
      $<BUILD_INTERFACE:${MSGDEF_SOURCE_DIR}/typesupport_cpp/include>
      $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>
    PRIVATE ${MSGDEF_SOURCE_DIR}/typesupport_c)
  target_link_libraries(${lib} PUBLIC ${pkg}__rosidl_generator_cpp PRIVATE rosidl_typesupport_cpp::rosidl_typesupport_cpp)
  if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    # The definitions bring rosidl_runtime_c along for its headers; record
    # only the libraries whose symbols are used.
    target_link_options(${lib} PRIVATE "LINKER:--as-needed")
  endif()
  set(MSGDEF_KIND_TARGETS ${lib} PARENT_SCOPE)
endfunction()
msgdef_register_kind(typesupport_cpp)
