# msgdef_add_package(): builds every deliverable of one interface package.
#
#   msgdef_add_package(<package>
#     DIRECTORY <dir>            # holds include/<package>/..., msg/, srv/
#     MESSAGES <Type> ...        # message types, in registration order
#     SERVICES <Service> ...     # services; each adds <Service>_Request/_Response
#     DEPENDS <package> ...      # interface packages of nested types
#     [VERSION <x.y.z>])         # of the package's CMake config; default: the project's
#
# The package's types come from their definition headers
# (<package>/<folder>/<snake>.h); every library kind is one generic source
# compiled for the package. Kinds register themselves with
# msgdef_register_kind() and are built here in registration order.
include_guard(GLOBAL)
include(CMakePackageConfigHelpers)

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
    target_link_options(${target} PRIVATE "LINKER:--exclude-libs,ALL" "LINKER:--no-undefined")
  endif()
endfunction()

# msgdef_definition_file(<entry> <messages> <folder var> <types var>)
# What one definition file holds: a message type (an entry of <messages>) in
# msg, or a service's request and response types in srv.
function(msgdef_definition_file entry messages folder_var types_var)
  if(entry IN_LIST messages)
    set(${folder_var} msg PARENT_SCOPE)
    set(${types_var} ${entry} PARENT_SCOPE)
  else()
    set(${folder_var} srv PARENT_SCOPE)
    set(${types_var} ${entry}_Request ${entry}_Response PARENT_SCOPE)
  endif()
endfunction()

# msgdef_header_part(<path> <guard> <banner> <includes> <expansions> [<lead include>])
# Writes one header of a type's header set: the banner, the includes and the
# macro expansions under the guard. A C part includes the definition header
# (<lead include>) ahead of its guard: the definition defines the field lists
# and then includes its parts, so a part included first comes back through it
# with the field lists in place.
function(msgdef_header_part path guard banner includes expansions)
  set(lead "")
  if(ARGC GREATER 5)
    set(lead "#include \"${ARGV5}\"\n\n")
  endif()
  set(body "")
  foreach(section IN ITEMS "${includes}" "${expansions}")
    if(section)
      string(APPEND body "\n${section}")
    endif()
  endforeach()
  file(CONFIGURE OUTPUT ${path} CONTENT
"${banner}
${lead}#ifndef ${guard}
#define ${guard}
${body}
#endif
" @ONLY)
endfunction()

# msgdef_header_set(<pkg> <package dir> <include dir> <entry> <messages>)
# Writes the header set of one definition header <pkg>/<folder>/<snake>.h, a
# message or a service with its request and response, as ROS 2 code includes it:
#   detail/<snake>__struct.h, __functions.h, __type_support.h    (C, included by <snake>.h)
#   detail/<snake>__struct.hpp, __traits.hpp, __type_support.hpp (C++)
#   <snake>.hpp                                                  (C++, includes the three)
# Nested types are those whose definition headers <snake>.h includes. Sets
# MSGDEF_HEADER_SET_CPP to the C++ header's include path.
function(msgdef_header_set pkg dir include_dir entry messages)
  msgdef_snake_name(${entry} snake)
  msgdef_definition_file(${entry} "${messages}" folder types)
  set(definition ${pkg}/${folder}/${snake}.h)
  set(detail ${pkg}/${folder}/detail/${snake})
  file(STRINGS ${dir}/include/${definition} nested
    REGEX "^#include \"[a-z0-9_]+/(msg|srv)/[a-z0-9_]+\\.h\"")
  list(FILTER nested EXCLUDE REGEX "__visibility_control")
  list(TRANSFORM nested REPLACE "^#include \"([a-z0-9_]+/[a-z]+)/([a-z0-9_]+)\\.h\"$" "\\1/detail/\\2")

  set(c_struct "")
  set(c_functions "")
  set(c_type_support "")
  set(cpp_struct "")
  set(cpp_traits "")
  set(cpp_type_support "")
  foreach(type IN LISTS types)
    msgdef_snake_name(${type} type_snake)
    string(APPEND c_struct "MSGDEF_C_STRUCT(${pkg}, ${folder}, ${type})\n")
    string(APPEND c_functions "MSGDEF_C_FUNCTIONS(${pkg}, ${folder}, ${type})\n")
    string(APPEND c_type_support "MSGDEF_C_TYPE_SUPPORT(${pkg}, ${folder}, ${type})\n")
    string(APPEND cpp_struct "MSGDEF_CPP_MESSAGE(${pkg}, ${folder}, ${type})\n")
    string(APPEND cpp_traits "MSGDEF_CPP_TRAITS(${pkg}, ${folder}, ${type})\n")
    string(APPEND cpp_type_support
      "MSGDEF_TYPESUPPORT_CPP_DECLARE_MESSAGE(${pkg}, ${folder}, ${type}, ${type_snake})\n")
  endforeach()
  if(folder STREQUAL "srv")
    string(APPEND c_type_support "MSGDEF_C_SERVICE_TYPE_SUPPORT(${pkg}, ${folder}, ${entry})\n")
    string(APPEND cpp_struct "MSGDEF_CPP_SERVICE(${pkg}, ${folder}, ${entry})\n")
    string(APPEND cpp_traits "MSGDEF_CPP_SERVICE_TRAITS(${pkg}, ${folder}, ${entry})\n")
    string(APPEND cpp_type_support
      "MSGDEF_TYPESUPPORT_CPP_DECLARE_SERVICE(${pkg}, ${folder}, ${entry}, ${snake})\n")
  endif()

  set(struct_includes "#include \"msgdef/cpp_message.hpp\"\n#include \"${definition}\"\n")
  set(traits_includes "#include \"msgdef/cpp_traits.hpp\"\n#include \"${detail}__struct.hpp\"\n")
  foreach(n IN LISTS nested)
    string(APPEND struct_includes "#include \"${n}__struct.hpp\"\n")
    string(APPEND traits_includes "#include \"${n}__traits.hpp\"\n")
  endforeach()

  string(TOUPPER "${detail}" guard)
  string(REPLACE "/" "__" guard "${guard}")
  set(from "of ${pkg}/${folder}/${entry}, from the field lists in ${snake}.h; written by the build")
  set(out ${include_dir}/${detail})
  msgdef_header_part(${out}__struct.h ${guard}__STRUCT_H_
    "/* C structures ${from}. */" "" "${c_struct}" ${definition})
  msgdef_header_part(${out}__functions.h ${guard}__FUNCTIONS_H_
    "/* C message functions ${from}. */" "" "${c_functions}" ${definition})
  msgdef_header_part(${out}__type_support.h ${guard}__TYPE_SUPPORT_H_
    "/* C type support handle functions ${from}. */" "" "${c_type_support}" ${definition})
  msgdef_header_part(${out}__struct.hpp ${guard}__STRUCT_HPP_
    "// C++ structures ${from}." "${struct_includes}" "${cpp_struct}")
  msgdef_header_part(${out}__traits.hpp ${guard}__TRAITS_HPP_
    "// rosidl_generator_traits ${from}." "${traits_includes}" "${cpp_traits}")
  msgdef_header_part(${out}__type_support.hpp ${guard}__TYPE_SUPPORT_HPP_
    "// C++ type support handle functions ${from}."
    "#include \"msgdef/cpp_type_support.hpp\"\n#include \"${detail}__struct.hpp\"\n"
    "${cpp_type_support}")
  string(TOUPPER "${pkg}__${folder}__${snake}_HPP_" top_guard)
  msgdef_header_part(${include_dir}/${pkg}/${folder}/${snake}.hpp ${top_guard}
    "// C++ header of ${pkg}/${folder}/${entry}: its structures, traits and type support."
    "#include \"${detail}__struct.hpp\"\n#include \"${detail}__traits.hpp\"\n#include \"${detail}__type_support.hpp\"\n"
    "")
  set(MSGDEF_HEADER_SET_CPP ${pkg}/${folder}/${snake}.hpp PARENT_SCOPE)
endfunction()

function(msgdef_add_package pkg)
  cmake_parse_arguments(P "" "DIRECTORY;VERSION" "MESSAGES;SERVICES;DEPENDS" ${ARGN})
  if(NOT P_VERSION)
    set(P_VERSION ${PROJECT_VERSION})
  endif()
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

  # The ROS 2 header set of every definition header <pkg>/<folder>/<snake>.h:
  # its parts in detail/ and the C++ header <snake>.hpp beside it.
  set(cpp_includes "")
  foreach(entry IN LISTS P_MESSAGES P_SERVICES)
    msgdef_header_set(${pkg} ${P_DIRECTORY} ${gen}/include ${entry} "${P_MESSAGES}")
    string(APPEND cpp_includes "#include \"${MSGDEF_HEADER_SET_CPP}\"\n")
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
  # The C++ headers, under the name ROS 2 packages give them.
  add_library(${pkg}__rosidl_generator_cpp INTERFACE)
  target_link_libraries(${pkg}__rosidl_generator_cpp INTERFACE ${defs})

  set_property(GLOBAL APPEND PROPERTY MSGDEF_PACKAGES ${pkg})
  set_property(GLOBAL PROPERTY MSGDEF_${pkg}_DEPENDS ${P_DEPENDS})
  set_property(GLOBAL PROPERTY MSGDEF_${pkg}_MESSAGES ${P_MESSAGES})
  set_property(GLOBAL PROPERTY MSGDEF_${pkg}_SERVICES ${P_SERVICES})

  set(targets ${defs} ${pkg}__rosidl_generator_cpp)
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
  write_basic_package_version_file(${gen}/${pkg}ConfigVersion.cmake
    VERSION ${P_VERSION} COMPATIBILITY SameMajorVersion)
  install(FILES ${gen}/${pkg}Config.cmake ${gen}/${pkg}ConfigVersion.cmake
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
    msgdef_definition_file(${FILE_TYPE} "${messages}" FOLDER types)
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
