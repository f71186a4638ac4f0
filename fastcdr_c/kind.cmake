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

  # One header per definition file: a message, or a service with its request and response.
  file(READ ${FASTCDR_C_DIR}/declarations.h.in file_template)
  file(READ ${FASTCDR_C_DIR}/message_declarations.h.in message_template)
  file(READ ${FASTCDR_C_DIR}/service_declarations.h.in service_template)
  get_property(messages GLOBAL PROPERTY MSGDEF_${pkg}_MESSAGES)
  get_property(services GLOBAL PROPERTY MSGDEF_${pkg}_SERVICES)
  foreach(FILE_TYPE IN LISTS messages services)
    msgdef_snake_name(${FILE_TYPE} snake)
    set(DECLARATIONS "")
    if(FILE_TYPE IN_LIST messages)
      set(FOLDER msg)
      set(CNAME ${pkg}__msg__${FILE_TYPE})
      string(CONFIGURE "${message_template}" block @ONLY)
      string(APPEND DECLARATIONS "${block}")
    else()
      set(FOLDER srv)
      foreach(part Request Response)
        set(CNAME ${pkg}__srv__${FILE_TYPE}_${part})
        string(CONFIGURE "${message_template}" block @ONLY)
        string(APPEND DECLARATIONS "${block}")
      endforeach()
      set(CNAME ${pkg}__srv__${FILE_TYPE})
      string(CONFIGURE "${service_template}" block @ONLY)
      string(APPEND DECLARATIONS "${block}")
    endif()
    string(TOUPPER "${pkg}__${FOLDER}__DETAIL__${snake}__ROSIDL_TYPESUPPORT_FASTRTPS_C_H_" GUARD)
    string(CONFIGURE "${file_template}" content @ONLY)
    file(CONFIGURE OUTPUT ${gen}/${pkg}/${FOLDER}/detail/${snake}__rosidl_typesupport_fastrtps_c.h
      CONTENT "${content}" @ONLY)
  endforeach()

  # The headers the library source includes: its own and its dependencies' messages.
  set(includes "")
  foreach(p IN LISTS deps pkg)
    get_property(p_messages GLOBAL PROPERTY MSGDEF_${p}_MESSAGES)
    get_property(p_services GLOBAL PROPERTY MSGDEF_${p}_SERVICES)
    foreach(type IN LISTS p_messages)
      msgdef_snake_name(${type} snake)
      string(APPEND includes "#include \"${p}/msg/detail/${snake}__rosidl_typesupport_fastrtps_c.h\"\n")
    endforeach()
    foreach(type IN LISTS p_services)
      msgdef_snake_name(${type} snake)
      string(APPEND includes "#include \"${p}/srv/detail/${snake}__rosidl_typesupport_fastrtps_c.h\"\n")
    endforeach()
  endforeach()
  file(CONFIGURE OUTPUT ${private_gen}/fastcdr_c_declarations.h
    CONTENT "#pragma once\n${includes}" @ONLY)

  add_library(${lib} SHARED ${FASTCDR_C_DIR}/package_library.cpp)
  msgdef_library_defaults(${lib})
  target_compile_definitions(${lib} PRIVATE
    MSGDEF_PACKAGE=${pkg} "MSGDEF_PACKAGE_HEADER=<${pkg}/msgdef_package.h>"
    ROSIDL_TYPESUPPORT_FASTRTPS_C_BUILDING_DLL_${pkg})
  # The callbacks record types are headers of the C++ runtime; its library is not needed.
  target_include_directories(${lib} PRIVATE ${private_gen}
    $<TARGET_PROPERTY:rosidl_typesupport_fastrtps_cpp,INTERFACE_INCLUDE_DIRECTORIES>)
  target_link_libraries(${lib} PUBLIC ${pkg}__definitions rosidl_typesupport_fastrtps_c
    rosidl_runtime_c::rosidl_runtime_c fastcdr)
  foreach(dep IN LISTS deps)
    target_link_libraries(${lib} PUBLIC ${dep}__rosidl_typesupport_fastrtps_c)
  endforeach()
  set(MSGDEF_KIND_TARGETS ${lib} PARENT_SCOPE)
endfunction()
msgdef_register_kind(fastcdr_c)
