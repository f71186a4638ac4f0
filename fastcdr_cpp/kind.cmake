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

  # One header per definition file: a message, or a service with its request and response.
  file(READ ${FASTCDR_CPP_DIR}/declarations.hpp.in file_template)
  file(READ ${FASTCDR_CPP_DIR}/message_declarations.hpp.in message_template)
  file(READ ${FASTCDR_CPP_DIR}/service_declarations.hpp.in service_template)
  get_property(messages GLOBAL PROPERTY MSGDEF_${pkg}_MESSAGES)
  get_property(services GLOBAL PROPERTY MSGDEF_${pkg}_SERVICES)
  foreach(FILE_TYPE IN LISTS messages services)
    msgdef_snake_name(${FILE_TYPE} SNAKE)
    set(DECLARATIONS "")
    if(FILE_TYPE IN_LIST messages)
      set(FOLDER msg)
      set(TYPE ${FILE_TYPE})
      string(CONFIGURE "${message_template}" block @ONLY)
      string(APPEND DECLARATIONS "${block}")
    else()
      set(FOLDER srv)
      foreach(part Request Response)
        set(TYPE ${FILE_TYPE}_${part})
        string(CONFIGURE "${message_template}" block @ONLY)
        string(APPEND DECLARATIONS "${block}")
      endforeach()
      set(TYPE ${FILE_TYPE})
      string(CONFIGURE "${service_template}" block @ONLY)
      string(APPEND DECLARATIONS "${block}")
    endif()
    string(TOUPPER "${pkg}__${FOLDER}__DETAIL__${SNAKE}__ROSIDL_TYPESUPPORT_FASTRTPS_CPP_HPP_" GUARD)
    string(CONFIGURE "${file_template}" content @ONLY)
    file(CONFIGURE OUTPUT ${gen}/${pkg}/${FOLDER}/detail/${SNAKE}__rosidl_typesupport_fastrtps_cpp.hpp
      CONTENT "${content}" @ONLY)
  endforeach()

  # The headers the library source includes: its own and its dependencies' messages.
  set(includes "")
  foreach(p IN LISTS deps pkg)
    get_property(p_messages GLOBAL PROPERTY MSGDEF_${p}_MESSAGES)
    get_property(p_services GLOBAL PROPERTY MSGDEF_${p}_SERVICES)
    foreach(type IN LISTS p_messages)
      msgdef_snake_name(${type} snake)
      string(APPEND includes "#include \"${p}/msg/detail/${snake}__rosidl_typesupport_fastrtps_cpp.hpp\"\n")
    endforeach()
    foreach(type IN LISTS p_services)
      msgdef_snake_name(${type} snake)
      string(APPEND includes "#include \"${p}/srv/detail/${snake}__rosidl_typesupport_fastrtps_cpp.hpp\"\n")
    endforeach()
  endforeach()
  file(CONFIGURE OUTPUT ${private_gen}/fastcdr_cpp_declarations.hpp
    CONTENT "#pragma once\n${includes}" @ONLY)

  add_library(${lib} SHARED ${FASTCDR_CPP_DIR}/package_library.cpp)
  msgdef_library_defaults(${lib})
  target_compile_definitions(${lib} PRIVATE
    MSGDEF_PACKAGE=${pkg} "MSGDEF_PACKAGE_HEADER=<${pkg}/msgdef_package.h>"
    ROSIDL_TYPESUPPORT_FASTRTPS_CPP_BUILDING_DLL_${pkg})
  target_include_directories(${lib} PRIVATE ${private_gen})
  # The field tables take member offsets of the C++ structures, which hold std::string.
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${lib} PRIVATE -Wno-invalid-offsetof)
  endif()
  target_link_libraries(${lib} PUBLIC ${pkg}__definitions rosidl_typesupport_fastrtps_cpp
    rosidl_runtime_c::rosidl_runtime_c fastcdr)
  foreach(dep IN LISTS deps)
    target_link_libraries(${lib} PUBLIC ${dep}__rosidl_typesupport_fastrtps_cpp)
  endforeach()
  set(MSGDEF_KIND_TARGETS ${lib} PARENT_SCOPE)
endfunction()
msgdef_register_kind(fastcdr_cpp)
