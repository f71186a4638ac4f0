# msgdef_add_package(): builds every deliverable of one interface package.
#
#   msgdef_add_package(<package>
#     DIRECTORY <dir>            # holds include/<package>/..., msg/, srv/
#     MESSAGES <Type> ...        # message types, in registration order
#     SERVICES <Service> ...     # services; each adds <Service>_Request/_Response
#     DEPENDS <package> ...)     # interface packages of nested types
#
# The package's types come from their definition headers
# (<package>/<folder>/<snake>.h); every library kind is one generic source
# compiled for the package. Kinds register themselves with
# msgdef_register_kind() and are built here in registration order.
include_guard(GLOBAL)

set(MSGDEF_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/.. CACHE INTERNAL "")
set(MSGDEF_CMAKE_DIR ${CMAKE_CURRENT_LIST_DIR} CACHE INTERNAL "")

# Type name -> snake name: "_" before every upper-case letter but the first, lower-cased.
function(msgdef_snake_name type out)
  string(REGEX REPLACE "([A-Z])" "_\\1" s "${type}")
  string(REGEX REPLACE "^_" "" s "${s}")
  string(TOLOWER "${s}" s)
  set(${out} "${s}" PARENT_SCOPE)
endfunction()

function(msgdef_register_kind kind)
  set_property(GLOBAL APPEND PROPERTY MSGDEF_KINDS ${kind})
endfunction()

# Shared-library settings of every deliverable: hidden by default, siblings found by RUNPATH.
function(msgdef_library_defaults target)
  set_target_properties(${target} PROPERTIES
    C_VISIBILITY_PRESET hidden
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    # Keep code of static dependencies out of the export table.
    target_link_options(${target} PRIVATE "LINKER:--exclude-libs,ALL")
    if(NOT MSGDEF_ALLOW_UNDEFINED)
      target_link_options(${target} PRIVATE "LINKER:--no-undefined")
    endif()
  endif()
endfunction()

function(msgdef_add_package pkg)
  cmake_parse_arguments(P "" "DIRECTORY" "MESSAGES;SERVICES;DEPENDS" ${ARGN})
  string(TOUPPER "${pkg}" pkg_upper)
  set(gen ${PROJECT_BINARY_DIR}/msgdef_gen/${pkg})

  # Types in registration order: messages, then each service's request and response.
  set(type_entries "")
  set(headers "")
  set(interface_files "")
  foreach(type IN LISTS P_MESSAGES)
    msgdef_snake_name(${type} snake)
    string(APPEND type_entries " \\\n  X(${pkg}, msg, ${type}, ${snake})")
    list(APPEND headers "${pkg}/msg/${snake}.h")
    list(APPEND interface_files ${P_DIRECTORY}/msg/${type}.msg)
  endforeach()
  set(service_entries "")
  foreach(srv IN LISTS P_SERVICES)
    msgdef_snake_name(${srv} snake)
    foreach(part Request Response)
      msgdef_snake_name(${srv}_${part} part_snake)
      string(APPEND type_entries " \\\n  X(${pkg}, srv, ${srv}_${part}, ${part_snake})")
    endforeach()
    string(APPEND service_entries " \\\n  X(${pkg}, srv, ${srv}, ${snake})")
    list(APPEND headers "${pkg}/srv/${snake}.h")
    list(APPEND interface_files ${P_DIRECTORY}/srv/${srv}.srv)
  endforeach()
  set(includes "")
  foreach(h IN LISTS headers)
    string(APPEND includes "#include \"${h}\"\n")
  endforeach()

  # C++ structures: one header per definition header, beside it. Nested types
  # come from the C++ headers of the C headers the definition includes.
  set(cpp_includes "")
  foreach(entry IN LISTS P_MESSAGES P_SERVICES)
    msgdef_snake_name(${entry} SNAKE)
    set(PKG ${pkg})
    set(HEADER_TYPE ${entry})
    if(entry IN_LIST P_MESSAGES)
      set(FOLDER msg)
    else()
      set(FOLDER srv)
    endif()
    file(STRINGS ${P_DIRECTORY}/include/${pkg}/${FOLDER}/${SNAKE}.h nested
      REGEX "^#include \"[a-z0-9_]+/(msg|srv)/[a-z0-9_]+\\.h\"")
    list(FILTER nested EXCLUDE REGEX "__visibility_control")
    list(TRANSFORM nested REPLACE "\\.h\"$" ".hpp\"")
    list(JOIN nested "\n" DEP_INCLUDES)
    if(entry IN_LIST P_MESSAGES)
      set(EXPANSIONS "MSGDEF_CPP_MESSAGE(${pkg}, msg, ${entry})\n")
    else()
      set(EXPANSIONS "MSGDEF_CPP_MESSAGE(${pkg}, srv, ${entry}_Request)\n")
      string(APPEND EXPANSIONS "MSGDEF_CPP_MESSAGE(${pkg}, srv, ${entry}_Response)\n")
      string(APPEND EXPANSIONS "MSGDEF_CPP_SERVICE(${pkg}, srv, ${entry})\n")
    endif()
    string(TOUPPER "${pkg}__${FOLDER}__${SNAKE}_HPP_" GUARD)
    configure_file(${MSGDEF_CMAKE_DIR}/cpp_header.hpp.in
      ${gen}/include/${pkg}/${FOLDER}/${SNAKE}.hpp @ONLY)
    string(APPEND cpp_includes "#include \"${pkg}/${FOLDER}/${SNAKE}.hpp\"\n")
  endforeach()
  file(CONFIGURE OUTPUT ${gen}/include/${pkg}/msgdef_package.hpp
    CONTENT "// C++ structures of every type of ${pkg}.\n#pragma once\n${cpp_includes}" @ONLY)

  set(PKG ${pkg})
  set(PKG_UPPER ${pkg_upper})
  set(MSGDEF_INCLUDES "${includes}")
  set(MSGDEF_TYPES "${type_entries}")
  set(MSGDEF_SERVICES "${service_entries}")
  configure_file(${MSGDEF_CMAKE_DIR}/visibility_control.h.in
    ${gen}/include/${pkg}/msg/rosidl_generator_c__visibility_control.h @ONLY)
  configure_file(${MSGDEF_CMAKE_DIR}/package_types.h.in
    ${gen}/include/${pkg}/msgdef_package.h @ONLY)

  # The definitions: headers only, used by every library kind of the package.
  set(defs ${pkg}__definitions)
  add_library(${defs} INTERFACE)
  target_include_directories(${defs} INTERFACE
    $<BUILD_INTERFACE:${P_DIRECTORY}/include>
    $<BUILD_INTERFACE:${gen}/include>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  target_link_libraries(${defs} INTERFACE msgdef rosidl_runtime_c::rosidl_runtime_c
    rosidl_runtime_cpp::rosidl_runtime_cpp)
  foreach(dep IN LISTS P_DEPENDS)
    target_link_libraries(${defs} INTERFACE ${dep}__definitions)
  endforeach()

  set_property(GLOBAL APPEND PROPERTY MSGDEF_PACKAGES ${pkg})
  set_property(GLOBAL PROPERTY MSGDEF_${pkg}_DEPENDS ${P_DEPENDS})
  set_property(GLOBAL PROPERTY MSGDEF_${pkg}_MESSAGES ${P_MESSAGES})
  set_property(GLOBAL PROPERTY MSGDEF_${pkg}_SERVICES ${P_SERVICES})

  set(targets ${defs})
  get_property(kinds GLOBAL PROPERTY MSGDEF_KINDS)
  foreach(kind IN LISTS kinds)
    set(MSGDEF_KIND_TARGETS "")
    cmake_language(CALL msgdef_kind_${kind} ${pkg} "${P_DEPENDS}")
    list(APPEND targets ${MSGDEF_KIND_TARGETS})
  endforeach()

  # Install: headers, interface files, libraries and a package config.
  install(DIRECTORY ${P_DIRECTORY}/include/ ${gen}/include/
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  foreach(f IN LISTS interface_files)
    get_filename_component(folder ${f} DIRECTORY)
    get_filename_component(folder ${folder} NAME)
    install(FILES ${f} DESTINATION ${CMAKE_INSTALL_DATADIR}/${pkg}/${folder})
  endforeach()
  install(TARGETS ${targets} EXPORT ${pkg}Targets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(EXPORT ${pkg}Targets NAMESPACE ${pkg}::
    DESTINATION ${CMAKE_INSTALL_DATADIR}/${pkg}/cmake)
  set(MSGDEF_DEPENDS "${P_DEPENDS}")
  configure_file(${MSGDEF_CMAKE_DIR}/PackageConfig.cmake.in
    ${gen}/${pkg}Config.cmake @ONLY)
  install(FILES ${gen}/${pkg}Config.cmake
    DESTINATION ${CMAKE_INSTALL_DATADIR}/${pkg}/cmake)
endfunction()

# msgdef_declaration_headers(<pkg> <deps> <template dir> <kind> <ext> <includes file>)
# Writes <pkg>/<folder>/detail/<snake>__<kind>.<ext>, declaring a kind's exports,
# for every definition file of <pkg>: a message, or a service with its request
# and response. The kind's templates declarations.<ext>.in (the file),
# message_declarations.<ext>.in and service_declarations.<ext>.in (one block
# per type) see PKG, PKG_UPPER, FOLDER, FILE_TYPE, TYPE, CNAME, SNAKE, GUARD and
# DECLARATIONS. <includes file> gets the #include lines of those headers for
# <deps> and <pkg>, for the kind's library source.
function(msgdef_declaration_headers pkg deps template_dir kind ext includes_file)
  set(gen ${PROJECT_BINARY_DIR}/msgdef_gen/${pkg}/include)
  string(TOUPPER "${pkg}" PKG_UPPER)
  string(TOUPPER "${kind}_${ext}" kind_guard)
  set(PKG ${pkg})
  file(READ ${template_dir}/declarations.${ext}.in file_template)
  file(READ ${template_dir}/message_declarations.${ext}.in message_template)
  file(READ ${template_dir}/service_declarations.${ext}.in service_template)
  get_property(messages GLOBAL PROPERTY MSGDEF_${pkg}_MESSAGES)
  get_property(services GLOBAL PROPERTY MSGDEF_${pkg}_SERVICES)
  foreach(FILE_TYPE IN LISTS messages services)
    msgdef_snake_name(${FILE_TYPE} SNAKE)
    set(DECLARATIONS "")
    if(FILE_TYPE IN_LIST messages)
      set(FOLDER msg)
      set(types ${FILE_TYPE})
    else()
      set(FOLDER srv)
      set(types ${FILE_TYPE}_Request ${FILE_TYPE}_Response)
    endif()
    foreach(TYPE IN LISTS types)
      set(CNAME ${pkg}__${FOLDER}__${TYPE})
      string(CONFIGURE "${message_template}" block @ONLY)
      string(APPEND DECLARATIONS "${block}")
    endforeach()
    if(FOLDER STREQUAL "srv")
      set(TYPE ${FILE_TYPE})
      set(CNAME ${pkg}__srv__${FILE_TYPE})
      string(CONFIGURE "${service_template}" block @ONLY)
      string(APPEND DECLARATIONS "${block}")
    endif()
    string(TOUPPER "${pkg}__${FOLDER}__DETAIL__${SNAKE}__${kind_guard}_" GUARD)
    string(CONFIGURE "${file_template}" content @ONLY)
    file(CONFIGURE OUTPUT ${gen}/${pkg}/${FOLDER}/detail/${SNAKE}__${kind}.${ext}
      CONTENT "${content}" @ONLY)
  endforeach()

  set(includes "")
  foreach(p IN LISTS deps pkg)
    get_property(p_messages GLOBAL PROPERTY MSGDEF_${p}_MESSAGES)
    get_property(p_services GLOBAL PROPERTY MSGDEF_${p}_SERVICES)
    foreach(type IN LISTS p_messages p_services)
      msgdef_snake_name(${type} snake)
      set(folder msg)
      if(type IN_LIST p_services)
        set(folder srv)
      endif()
      string(APPEND includes "#include \"${p}/${folder}/detail/${snake}__${kind}.${ext}\"\n")
    endforeach()
  endforeach()
  file(CONFIGURE OUTPUT ${includes_file} CONTENT "#pragma once\n${includes}" @ONLY)
endfunction()
