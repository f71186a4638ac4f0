# <package>__rosidl_typesupport_fastrtps_cpp: Fast-CDR serializers of the C++ structures.
#
# Declares every export in <package>/<folder>/detail/<snake>__rosidl_typesupport_fastrtps_cpp.hpp
# and reaches nested types only through those headers of the packages it depends on.
set(FASTCDR_CPP_DIR ${CMAKE_CURRENT_LIST_DIR} CACHE INTERNAL "")

function(msgdef_kind_fastcdr_cpp pkg deps)
  set(lib ${pkg}__rosidl_typesupport_fastrtps_cpp)
  set(gen ${PROJECT_BINARY_DIR}/msgdef_gen/${pkg}/include)
  set(private_gen ${PROJECT_BINARY_DIR}/fastcdr_cpp/${pkg})
  string(TOUPPER "${pkg}" PKG_UPPER)
  set(PKG ${pkg})
  configure_file(${FASTCDR_CPP_DIR}/visibility_control.h.in
    ${gen}/${pkg}/msg/rosidl_typesupport_fastrtps_cpp__visibility_control.h @ONLY)

  msgdef_declaration_headers(${pkg} "${deps}" ${FASTCDR_CPP_DIR} rosidl_typesupport_fastrtps_cpp hpp
    ${private_gen}/fastcdr_cpp_declarations.hpp)

  add_library(${lib} SHARED ${FASTCDR_CPP_DIR}/package_library.cpp)
  msgdef_library_defaults(${lib})
  target_compile_definitions(${lib} PRIVATE
    MSGDEF_PACKAGE=${pkg} "MSGDEF_PACKAGE_HEADER=<${pkg}/msgdef_package.h>"
    ROSIDL_TYPESUPPORT_FASTRTPS_CPP_BUILDING_DLL_${pkg})
  msgdef_serializer_calls(${lib})
  target_include_directories(${lib} PRIVATE ${private_gen})
  # The field tables take member offsets of the C++ structures, which hold std::string.
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${lib} PRIVATE -Wno-invalid-offsetof)
  endif()
  target_link_libraries(${lib} PUBLIC ${pkg}__rosidl_generator_cpp rosidl_typesupport_fastrtps_cpp::rosidl_typesupport_fastrtps_cpp
    rosidl_runtime_c::rosidl_runtime_c fastcdr)
  foreach(dep IN LISTS deps)
    target_link_libraries(${lib} PUBLIC ${dep}::${dep}__rosidl_typesupport_fastrtps_cpp)
  endforeach()
  set(MSGDEF_KIND_TARGETS ${lib} PARENT_SCOPE)
endfunction()
msgdef_register_kind(fastcdr_cpp)
