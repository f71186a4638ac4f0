# msgdef_add_package(): builds every deliverable of one interface package.
#
#   msgdef_add_package(<package>
#     [DIRECTORY <dir>]          # holds include/<package>/..., msg/, srv/, package.xml
#                                # (default: the calling CMakeLists.txt's folder)
#     MESSAGES <Type> ...        # message types, in registration order
#     SERVICES <Service> ...     # services; each adds <Service>_Request/_Response
#     DEPENDS <package> ...      # interface packages of nested types
#     [SEALED])                  # install only what the real ROS 2 package offers
#
# The package's types come from their definition headers
# (<package>/<folder>/<snake>.h); every library kind is one generic source
# compiled for the package. Kinds register themselves with
# msgdef_register_kind() and are built here in registration order.
#
# A dependency built in the same project is used directly; any other is found
# with find_package() and reached only through what its CMake package exports
# (<dep>::<dep>__<kind> targets, <dep>_INCLUDE_DIRS), so the same package
# builds over the real ROS 2 packages and over the stand-ins in stand_ins/.
include_guard(GLOBAL)
include(GNUInstallDirs)

set(MSGDEF_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/.. CACHE INTERNAL "")
set(MSGDEF_CMAKE_DIR ${CMAKE_CURRENT_LIST_DIR} CACHE INTERNAL "")

# Type name -> snake name: "_" before every upper-case letter but the first, lower-cased.
function(msgdef_snake_name type out)
  string(REGEX REPLACE "([A-Z])" "_\\1" s "${type}")
  string(REGEX REPLACE "^_" "" s "${s}")
  string(TOLOWER "${s}" s)
  set(${out} "${s}" PARENT_SCOPE)
endfunction()

# Finds interface package <dep> unless this project builds it, and makes sure
# that every library kind of it can be linked as <dep>::<dep>__<kind>: a
# package that exports no such target is reached by library name under its prefix.
macro(msgdef_find_interface_package dep)
  get_property(_msgdef_built GLOBAL PROPERTY MSGDEF_${dep}_MESSAGES SET)
  if(NOT _msgdef_built)
    if(NOT ${dep}_FOUND)
      find_package(${dep} REQUIRED HINTS ${MSGDEF_PREFIX})
    endif()
    get_filename_component(_msgdef_prefix "${${dep}_DIR}/../../.." ABSOLUTE)
    # Library name suffixes of the kinds a package of nested types offers.
    foreach(_msgdef_kind __rosidl_generator_c __rosidl_typesupport_introspection_c
        __rosidl_typesupport_introspection_cpp __rosidl_typesupport_fastrtps_c
        __rosidl_typesupport_fastrtps_cpp __python)
      set(_msgdef_target ${dep}::${dep}${_msgdef_kind})
      if(NOT TARGET ${_msgdef_target})
        find_library(_msgdef_${dep}${_msgdef_kind} ${dep}${_msgdef_kind}
          HINTS ${_msgdef_prefix}/lib ${_msgdef_prefix}/${CMAKE_INSTALL_LIBDIR} NO_DEFAULT_PATH)
        if(_msgdef_${dep}${_msgdef_kind})
          add_library(${_msgdef_target} UNKNOWN IMPORTED)
          set_target_properties(${_msgdef_target} PROPERTIES
            IMPORTED_LOCATION "${_msgdef_${dep}${_msgdef_kind}}"
            INTERFACE_INCLUDE_DIRECTORIES "${${dep}_INCLUDE_DIRS}")
        endif()
      endif()
    endforeach()
  endif()
endmacro()

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

# msgdef_serializer_calls(<target>): a serializer makes one call into
# Fast-CDR per field; on ELF those go straight through the GOT rather than
# through a PLT stub each.
function(msgdef_serializer_calls target)
  if(NOT WIN32 AND CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${target} PRIVATE -fno-plt)
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
  cmake_parse_arguments(P "SEALED" "DIRECTORY" "MESSAGES;SERVICES;DEPENDS" ${ARGN})
  if(NOT P_DIRECTORY)
    set(P_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  string(TOUPPER "${pkg}" pkg_upper)
  set(gen ${PROJECT_BINARY_DIR}/msgdef_gen/${pkg})

  # Build settings of the deliverables, whichever project builds them: the
  # libraries of a package lie side by side and find each other by RUNPATH.
  set(CMAKE_C_STANDARD 11)
  set(CMAKE_CXX_STANDARD 17)
  set(CMAKE_CXX_STANDARD_REQUIRED ON)
  set(CMAKE_CXX_EXTENSIONS OFF)
  if(NOT CMAKE_LIBRARY_OUTPUT_DIRECTORY)
    set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/lib)
    set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
  endif()
  if(NOT CMAKE_INSTALL_RPATH)
    set(CMAKE_INSTALL_RPATH "$ORIGIN")
  endif()

  msgdef_find_runtime_packages()
  foreach(dep IN LISTS P_DEPENDS)
    msgdef_find_interface_package(${dep})
  endforeach()

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

  # Nested types of other packages, as <pkg>/<folder>/<Type>: the kinds reach
  # them only through the names and headers their own packages publish.
  set(nested "")
  foreach(h IN LISTS headers)
    file(STRINGS ${P_DIRECTORY}/include/${h} lines REGEX "MESSAGE\\([a-z0-9_]+, *[a-z0-9_]+,")
    foreach(line IN LISTS lines)
      string(REGEX MATCH "MESSAGE\\([a-z0-9_]+, *([a-z0-9_]+), *([a-z0-9_]+), *([A-Za-z0-9_]+)\\)" m "${line}")
      if(m AND NOT CMAKE_MATCH_1 STREQUAL pkg)
        list(APPEND nested "${CMAKE_MATCH_1}/${CMAKE_MATCH_2}/${CMAKE_MATCH_3}")
      endif()
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES nested)

  # The definitions: headers only, used by every library kind of the package.
  # Nested types' C and C++ headers come from their packages' C message libraries.
  set(defs ${pkg}__definitions)
  add_library(${defs} INTERFACE)
  target_include_directories(${defs} INTERFACE
    $<BUILD_INTERFACE:${P_DIRECTORY}/include>
    $<BUILD_INTERFACE:${gen}/include>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  # A sealed package installs without the kit: the kit's headers it includes
  # come with it into the same include folder.
  set(kit msgdef::msgdef)
  if(P_SEALED)
    set(kit $<BUILD_INTERFACE:msgdef::msgdef>)
  endif()
  target_link_libraries(${defs} INTERFACE ${kit} rosidl_runtime_c::rosidl_runtime_c
    rosidl_runtime_cpp::rosidl_runtime_cpp)
  foreach(dep IN LISTS P_DEPENDS)
    target_link_libraries(${defs} INTERFACE ${dep}::${dep}__rosidl_generator_c)
    if(${dep}_INCLUDE_DIRS)
      target_include_directories(${defs} INTERFACE $<BUILD_INTERFACE:${${dep}_INCLUDE_DIRS}>)
    endif()
  endforeach()
  # The C++ headers, under the name ROS 2 packages give them.
  add_library(${pkg}__rosidl_generator_cpp INTERFACE)
  target_link_libraries(${pkg}__rosidl_generator_cpp INTERFACE ${defs})
  foreach(dep IN LISTS P_DEPENDS)
    if(TARGET ${dep}::${dep}__rosidl_generator_cpp)
      target_link_libraries(${pkg}__rosidl_generator_cpp INTERFACE ${dep}::${dep}__rosidl_generator_cpp)
    endif()
  endforeach()

  set_property(GLOBAL APPEND PROPERTY MSGDEF_PACKAGES ${pkg})
  set_property(GLOBAL PROPERTY MSGDEF_${pkg}_DEPENDS ${P_DEPENDS})
  set_property(GLOBAL PROPERTY MSGDEF_${pkg}_NESTED ${nested})
  set_property(GLOBAL PROPERTY MSGDEF_${pkg}_MESSAGES ${P_MESSAGES})
  set_property(GLOBAL PROPERTY MSGDEF_${pkg}_SERVICES ${P_SERVICES})

  set(targets ${defs} ${pkg}__rosidl_generator_cpp)
  get_property(kinds GLOBAL PROPERTY MSGDEF_KINDS)
  foreach(kind IN LISTS kinds)
    set(MSGDEF_KIND_TARGETS "")
    cmake_language(CALL msgdef_kind_${kind} ${pkg} "${P_DEPENDS}")
    list(APPEND targets ${MSGDEF_KIND_TARGETS})
  endforeach()

  # Every library also under the name its installed package exports.
  foreach(target IN LISTS targets)
    add_library(${pkg}::${target} ALIAS ${target})
  endforeach()
  msgdef_install_package(${pkg} "${P_DIRECTORY}" "${interface_files}" "${targets}"
    "${P_DEPENDS}" ${P_SEALED})
endfunction()

# msgdef_declaration_headers(<pkg> <deps> <template dir> <kind> <ext> <includes file>)
# Writes <pkg>/<folder>/detail/<snake>__<kind>.<ext>, declaring a kind's exports,
# for every definition file of <pkg>: a message, or a service with its request
# and response. The kind's templates declarations.<ext>.in (the file),
# message_declarations.<ext>.in and service_declarations.<ext>.in (one block
# per type) see PKG, PKG_UPPER, FOLDER, FILE_TYPE, TYPE, CNAME, SNAKE, GUARD and
# DECLARATIONS. <includes file> gets the #include lines of those headers for
# the nested types and <pkg>, for the kind's library source.
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
  get_property(nested GLOBAL PROPERTY MSGDEF_${pkg}_NESTED)
  foreach(entry IN LISTS nested)
    string(REPLACE "/" ";" parts "${entry}")
    list(GET parts 0 p)
    list(GET parts 1 folder)
    list(GET parts 2 type)
    msgdef_snake_name(${type} snake)
    string(APPEND includes "#include \"${p}/${folder}/detail/${snake}__${kind}.${ext}\"\n")
  endforeach()
  foreach(type IN LISTS messages services)
    msgdef_snake_name(${type} snake)
    set(folder msg)
    if(type IN_LIST services)
      set(folder srv)
    endif()
    string(APPEND includes "#include \"${pkg}/${folder}/detail/${snake}__${kind}.${ext}\"\n")
  endforeach()
  file(CONFIGURE OUTPUT ${includes_file} CONTENT "#pragma once\n${includes}" @ONLY)
endfunction()

# Installs package <pkg> the way ROS 2 tools and CMake consumers look for it:
# headers, interface files, libraries, package.xml, its ament index entries
# and a CMake config in ament style (<pkg>_LIBRARIES, <pkg>_INCLUDE_DIRS,
# <pkg>_TARGETS and the <pkg>::<pkg>__<kind> targets), with a version file.
# A sealed package (a stand-in for a real ROS 2 package) installs no field
# list and none of the kit's per-package headers, so that what builds over it
# builds over the real package too.
function(msgdef_install_package pkg dir interface_files targets deps)
  set(sealed ${ARGN})
  set(gen ${PROJECT_BINARY_DIR}/msgdef_gen/${pkg})
  set(kit_only PATTERN msgdef_package.h EXCLUDE PATTERN msgdef_package.hpp EXCLUDE
    PATTERN python_conversion.h EXCLUDE)
  if(sealed)
    # The sealed C++ headers replace the generated ones of the same names.
    msgdef_seal_headers(${pkg} ${dir} ${gen})
    file(GLOB_RECURSE sealed_headers ${gen}/sealed/*.hpp)
    foreach(h IN LISTS sealed_headers)
      get_filename_component(name ${h} NAME)
      list(APPEND kit_only PATTERN ${name} EXCLUDE)
    endforeach()
    install(DIRECTORY ${gen}/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} ${kit_only})
    install(DIRECTORY ${gen}/sealed/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  else()
    install(DIRECTORY ${dir}/include/ ${gen}/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  endif()

  set(index "")
  foreach(f IN LISTS interface_files)
    get_filename_component(folder ${f} DIRECTORY)
    get_filename_component(folder ${folder} NAME)
    get_filename_component(name ${f} NAME)
    install(FILES ${f} DESTINATION ${CMAKE_INSTALL_DATADIR}/${pkg}/${folder})
    string(APPEND index "${folder}/${name}\n")
  endforeach()
  # The build tree's share/ holds the index too: tools run from the build
  # tree (velmsg) find the packages as they would in the install prefix.
  set(resources ament_index/resource_index)
  file(WRITE ${CMAKE_BINARY_DIR}/share/${resources}/packages/${pkg} "")
  file(WRITE ${CMAKE_BINARY_DIR}/share/${resources}/rosidl_interfaces/${pkg} "${index}")
  install(FILES ${CMAKE_BINARY_DIR}/share/${resources}/packages/${pkg}
    DESTINATION ${CMAKE_INSTALL_DATADIR}/${resources}/packages)
  install(FILES ${CMAKE_BINARY_DIR}/share/${resources}/rosidl_interfaces/${pkg}
    DESTINATION ${CMAKE_INSTALL_DATADIR}/${resources}/rosidl_interfaces)
  if(EXISTS ${dir}/package.xml)
    install(FILES ${dir}/package.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/${pkg})
  endif()
  msgdef_install_package_hooks(${pkg})

  install(TARGETS ${targets} EXPORT ${pkg}Targets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(EXPORT ${pkg}Targets NAMESPACE ${pkg}::
    DESTINATION ${CMAKE_INSTALL_DATADIR}/${pkg}/cmake)
  set(PKG ${pkg})
  set(MSGDEF_DEPENDS "${deps}")
  set(MSGDEF_SEALED OFF)
  if(sealed)
    set(MSGDEF_SEALED ON)
  endif()
  list(TRANSFORM targets PREPEND "${pkg}::" OUTPUT_VARIABLE MSGDEF_TARGETS)
  list(FILTER MSGDEF_TARGETS EXCLUDE REGEX "__definitions$")
  set(MSGDEF_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR})
  configure_file(${MSGDEF_CMAKE_DIR}/PackageConfig.cmake.in ${gen}/${pkg}Config.cmake @ONLY)
  if(NOT PROJECT_VERSION)
    set(PROJECT_VERSION 0.1.0)
  endif()
  include(CMakePackageConfigHelpers)
  write_basic_package_version_file(${gen}/${pkg}ConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
  install(FILES ${gen}/${pkg}Config.cmake ${gen}/${pkg}ConfigVersion.cmake
    DESTINATION ${CMAKE_INSTALL_DATADIR}/${pkg}/cmake)
endfunction()

# share/<pkg>/local_setup.{sh,bash,zsh,dsv}: the package's part of a
# workspace's setup scripts (colcon sources them for every ament package).
function(msgdef_install_package_hooks pkg)
  # colcon build --symlink-install asks every package to install by symlink.
  # What these packages install is built or written at build time, and a copy
  # serves as well as a link into the build tree: the request is taken note
  # of (so that CMake does not call the variable unused) and nothing more.
  if(AMENT_CMAKE_SYMLINK_INSTALL)
    message(STATUS "${pkg}: installs copies of what it builds, also with --symlink-install")
  endif()
  msgdef_find_python()
  set(gen ${PROJECT_BINARY_DIR}/msgdef_gen/${pkg}/hooks)
  set(MSGDEF_SETUP_WHAT "the install prefix of ${pkg}")
  set(MSGDEF_SETUP_PREFIX "\${AMENT_CURRENT_PREFIX:-${CMAKE_INSTALL_PREFIX}}")
  configure_file(${MSGDEF_CMAKE_DIR}/setup.sh.in ${gen}/local_setup.sh @ONLY)
  set(MSGDEF_SETUP_PREFIX [[$(cd "$(dirname "${BASH_SOURCE[0]:-${(%):-%x}}")/../.." && pwd)]])
  configure_file(${MSGDEF_CMAKE_DIR}/setup.sh.in ${gen}/local_setup.bash @ONLY)
  configure_file(${MSGDEF_CMAKE_DIR}/setup.sh.in ${gen}/local_setup.zsh @ONLY)
  file(WRITE ${gen}/local_setup.dsv
    "prepend-non-duplicate;AMENT_PREFIX_PATH;\n"
    "prepend-non-duplicate;LD_LIBRARY_PATH;${CMAKE_INSTALL_LIBDIR}\n"
    "prepend-non-duplicate;PATH;${CMAKE_INSTALL_BINDIR}\n"
    "prepend-non-duplicate;PYTHONPATH;${MSGDEF_PYTHON_INSTALL_DIR}\n")
  install(FILES ${gen}/local_setup.sh ${gen}/local_setup.bash ${gen}/local_setup.zsh
    ${gen}/local_setup.dsv DESTINATION ${CMAKE_INSTALL_DATADIR}/${pkg})
endfunction()

# Writes the sealed form of <pkg>'s definition headers to <gen>/sealed: each
# C header drops its field lists once its parts have expanded them; each C++
# part that expands them (detail/<snake>__struct.hpp, __traits.hpp) carries
# the field lists it needs and drops them again.
function(msgdef_seal_headers pkg dir gen)
  file(GLOB_RECURSE definitions RELATIVE ${dir}/include ${dir}/include/${pkg}/*.h)
  foreach(h IN LISTS definitions)
    file(READ ${dir}/include/${h} text)
    # Continued lines joined, so that each field list is one line of "joined".
    string(REPLACE "\\\n" "@MSGDEF_CONTINUED@" joined "${text}")
    string(REGEX MATCHALL "#define [A-Za-z0-9_]+__FIELDS[^\n]*" lists "${joined}")
    set(fields "")
    set(undefs "")
    foreach(list_text IN LISTS lists)
      string(REGEX MATCH "[A-Za-z0-9_]+__FIELDS" name "${list_text}")
      string(APPEND undefs "#undef ${name}\n")
      string(REPLACE "@MSGDEF_CONTINUED@" "\\\n" list_text "${list_text}")
      string(APPEND fields "${list_text}\n\n")
    endforeach()
    string(REGEX REPLACE "#endif[^#]*$" "${undefs}\n#endif\n" sealed_c "${text}")
    file(WRITE ${gen}/sealed/${h} "${sealed_c}")
    get_filename_component(folder ${h} DIRECTORY)
    get_filename_component(snake ${h} NAME_WE)
    foreach(part struct traits)
      set(hpp ${folder}/detail/${snake}__${part}.hpp)
      file(READ ${gen}/include/${hpp} text)
      # The field lists go right before the first expansion, after the includes.
      string(FIND "${text}" "\nMSGDEF_" at)
      math(EXPR at "${at} + 1")
      string(SUBSTRING "${text}" 0 ${at} head)
      string(SUBSTRING "${text}" ${at} -1 tail)
      string(REGEX REPLACE "#endif[^#]*$" "${undefs}\n#endif\n" tail "${tail}")
      file(WRITE ${gen}/sealed/${hpp} "${head}${fields}${tail}")
    endforeach()
  endforeach()
endfunction()
