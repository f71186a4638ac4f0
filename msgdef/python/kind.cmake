# The Python side of a package:
#   <package>__python               conversion between Python message objects and C messages
#   <package>_s__<flavour>          extension module publishing every type's capsules
#   <package>/<folder>/_<snake>.py  message classes, one module per definition file,
#                                   written at build time by a program that expands
#                                   the package's field lists; <package>/<folder>/__init__.py
#                                   imports them
# and, once for all packages, the generic Python support package msgdef_py
# (message base classes; serialize_message/deserialize_message).
#
# Everything Python goes to a site-packages folder: MSGDEF_PYTHON_SITE in the
# build tree (what the tests put on PYTHONPATH) and MSGDEF_PYTHON_INSTALL_DIR
# under the install prefix. The extension modules find the libraries in
# CMAKE_INSTALL_LIBDIR by an $ORIGIN-relative RUNPATH.
set(MSGDEF_PYTHON_DIR ${CMAKE_CURRENT_LIST_DIR} CACHE INTERNAL "")

# Python and the folders its modules go to; found on first use, so that a
# project that only consumes installed packages needs no Python.
macro(msgdef_find_python)
  if(NOT TARGET Python3::Module)
    find_package(Python3 REQUIRED COMPONENTS Interpreter Development.Module)
  endif()
  set(MSGDEF_PYTHON_INSTALL_DIR
    "${CMAKE_INSTALL_LIBDIR}/python${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}/site-packages"
    CACHE STRING "Site-packages folder of the Python modules, relative to the install prefix")
  set(MSGDEF_PYTHON_SITE ${CMAKE_BINARY_DIR}/site-packages CACHE INTERNAL "")
  # RUNPATH of a module installed in <site-packages>/<folder>/ to reach the libraries.
  file(RELATIVE_PATH MSGDEF_PYTHON_TO_LIBDIR
    /root/${MSGDEF_PYTHON_INSTALL_DIR}/package /root/${CMAKE_INSTALL_LIBDIR})
endmacro()

# Flavour of each package's extension module (the type support kind it is named after).
set(MSGDEF_PYTHON_FLAVOUR_navunit_common_msgs rosidl_typesupport_introspection_c)
set(MSGDEF_PYTHON_DEFAULT_FLAVOUR rosidl_typesupport_c)

# The kit's own Python package msgdef_py (message base classes and the
# serialization helper), which every package's classes import.
function(msgdef_python_support)
  msgdef_find_python()
  file(GLOB sources ${MSGDEF_PYTHON_DIR}/msgdef_py/*.py)
  foreach(source IN LISTS sources)
    get_filename_component(name ${source} NAME)
    configure_file(${source} ${MSGDEF_PYTHON_SITE}/msgdef_py/${name} COPYONLY)
  endforeach()
  install(FILES ${sources} DESTINATION ${MSGDEF_PYTHON_INSTALL_DIR}/msgdef_py)
  msgdef_python_serialization_module()
endfunction()

# Settings of a Python extension module: only PyInit_<name> exported; Python's
# own symbols stay undefined until the interpreter loads it.
function(msgdef_python_module_defaults target folder)
  set_target_properties(${target} PROPERTIES
    C_VISIBILITY_PRESET hidden
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    LIBRARY_OUTPUT_DIRECTORY ${MSGDEF_PYTHON_SITE}/${folder}
    INSTALL_RPATH "$ORIGIN/${MSGDEF_PYTHON_TO_LIBDIR}")
  if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    target_link_options(${target} PRIVATE "LINKER:--exclude-libs,ALL")
  endif()
  install(TARGETS ${target} LIBRARY DESTINATION ${MSGDEF_PYTHON_INSTALL_DIR}/${folder})
endfunction()

# Writes <gen>/include/<pkg>/python_conversion.h: declarations of the package's
# conversion functions and aliases by C name, which nested types are bound by.
function(msgdef_python_conversion_header pkg deps gen)
  get_property(messages GLOBAL PROPERTY MSGDEF_${pkg}_MESSAGES)
  get_property(services GLOBAL PROPERTY MSGDEF_${pkg}_SERVICES)
  get_property(nested GLOBAL PROPERTY MSGDEF_${pkg}_NESTED)
  set(types "")
  foreach(type IN LISTS messages)
    list(APPEND types "${pkg}/msg/${type}")
  endforeach()
  foreach(srv IN LISTS services)
    list(APPEND types "${pkg}/srv/${srv}_Request" "${pkg}/srv/${srv}_Response")
  endforeach()
  string(TOUPPER "${pkg}" PKG_UPPER)
  set(PKG ${pkg})
  set(DECLARATIONS "")
  set(ALIASES "")
  # Nested types of other packages are declared by the names their
  # <dep>__python libraries export.
  foreach(entry IN LISTS nested types)
    string(REPLACE "/" ";" parts "${entry}")
    list(GET parts 0 p)
    list(GET parts 1 folder)
    list(GET parts 2 type)
    msgdef_snake_name(${type} snake)
    set(stem ${p}__${folder}__${snake})
    if(p STREQUAL pkg)
      set(api "${PKG_UPPER}__PYTHON_PUBLIC ")
    else()
      set(api "")
    endif()
    string(APPEND DECLARATIONS
      "${api}bool ${stem}__convert_from_py(PyObject * message, void * ros_message);\n"
      "${api}PyObject * ${stem}__convert_to_py(void * ros_message);\n")
    string(APPEND ALIASES
      "#define ${p}__${folder}__${type}__CONVERT_FROM_PY ${stem}__convert_from_py\n"
      "#define ${p}__${folder}__${type}__CONVERT_TO_PY ${stem}__convert_to_py\n")
  endforeach()
  configure_file(${MSGDEF_SOURCE_DIR}/python/python_conversion.h.in
    ${gen}/include/${pkg}/python_conversion.h @ONLY)
endfunction()

# The project's serialization helper msgdef_py._cdr, built once the Fast-CDR
# C serializer's callbacks record is available.
function(msgdef_python_serialization_module)
  if(TARGET msgdef_py__cdr)
    return()
  endif()
  Python3_add_library(msgdef_py__cdr MODULE WITH_SOABI
    ${MSGDEF_SOURCE_DIR}/python/serialization_module.cpp)
  set_target_properties(msgdef_py__cdr PROPERTIES OUTPUT_NAME _cdr)
  # The callbacks record is a header of the Fast-CDR C++ runtime; its library is not needed.
  target_include_directories(msgdef_py__cdr PRIVATE
    $<TARGET_PROPERTY:rosidl_typesupport_fastrtps_cpp::rosidl_typesupport_fastrtps_cpp,INTERFACE_INCLUDE_DIRECTORIES>
    $<TARGET_PROPERTY:rosidl_typesupport_introspection_c::rosidl_typesupport_introspection_c,INTERFACE_INCLUDE_DIRECTORIES>)
  target_link_libraries(msgdef_py__cdr PRIVATE
    fastcdr rcutils::rcutils rosidl_runtime_c::rosidl_runtime_c)
  msgdef_python_module_defaults(msgdef_py__cdr msgdef_py)
endfunction()

function(msgdef_kind_python pkg deps)
  msgdef_find_python()
  set(gen ${PROJECT_BINARY_DIR}/msgdef_gen/${pkg}/python)
  msgdef_python_conversion_header(${pkg} "${deps}" ${gen})
  set(common_definitions
    MSGDEF_PACKAGE=${pkg}
    "MSGDEF_PACKAGE_HEADER=<${pkg}/msgdef_package.h>"
    "MSGDEF_PACKAGE_PYTHON_HEADER=<${pkg}/python_conversion.h>")

  # Conversion library.
  set(lib ${pkg}__python)
  add_library(${lib} SHARED ${MSGDEF_SOURCE_DIR}/python/conversion_library.cpp)
  set_target_properties(${lib} PROPERTIES
    C_VISIBILITY_PRESET hidden CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    # No --no-undefined: the Python C API is resolved from the interpreter.
    target_link_options(${lib} PRIVATE "LINKER:--exclude-libs,ALL")
  endif()
  target_compile_definitions(${lib} PRIVATE ${common_definitions} MSGDEF_PYTHON_BUILDING_${pkg})
  target_include_directories(${lib} PUBLIC
    $<BUILD_INTERFACE:${gen}/include> $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  target_link_libraries(${lib} PUBLIC ${pkg}__definitions ${pkg}__rosidl_generator_c)
  target_link_libraries(${lib} PRIVATE $<BUILD_INTERFACE:Python3::Module>)
  foreach(dep IN LISTS deps)
    target_link_libraries(${lib} PUBLIC ${dep}::${dep}__python)
  endforeach()
  install(FILES ${gen}/include/${pkg}/python_conversion.h
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${pkg})

  # Message classes, written from the field lists.
  if(DEFINED MSGDEF_PYTHON_FLAVOUR_${pkg})
    set(flavour ${MSGDEF_PYTHON_FLAVOUR_${pkg}})
  else()
    set(flavour ${MSGDEF_PYTHON_DEFAULT_FLAVOUR})
  endif()
  set(module ${pkg}_s__${flavour})
  set(writer ${pkg}__python_class_writer)
  add_executable(${writer} ${MSGDEF_SOURCE_DIR}/python/class_writer.cpp)
  target_compile_definitions(${writer} PRIVATE ${common_definitions})
  target_link_libraries(${writer} PRIVATE ${pkg}__definitions)
  get_property(messages GLOBAL PROPERTY MSGDEF_${pkg}_MESSAGES)
  get_property(services GLOBAL PROPERTY MSGDEF_${pkg}_SERVICES)
  set(site ${MSGDEF_PYTHON_SITE}/${pkg})
  set(outputs ${site}/__init__.py)
  set(folders "")
  if(messages)
    list(APPEND folders msg)
  endif()
  if(services)
    list(APPEND folders srv)
  endif()
  foreach(folder IN LISTS folders)
    list(APPEND outputs ${site}/${folder}/__init__.py)
  endforeach()
  foreach(type IN LISTS messages services)
    msgdef_snake_name(${type} snake)
    if(type IN_LIST messages)
      list(APPEND outputs ${site}/msg/_${snake}.py)
    else()
      list(APPEND outputs ${site}/srv/_${snake}.py)
    endif()
  endforeach()
  list(TRANSFORM folders PREPEND ${site}/ OUTPUT_VARIABLE folder_dirs)
  add_custom_command(OUTPUT ${outputs}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${site} ${folder_dirs}
    COMMAND ${writer} ${MSGDEF_PYTHON_SITE} ${module}
    DEPENDS ${writer}
    COMMENT "Writing the Python message classes of ${pkg}")
  add_custom_target(${pkg}__python_classes ALL DEPENDS ${outputs})
  install(DIRECTORY ${site} DESTINATION ${MSGDEF_PYTHON_INSTALL_DIR}
    FILES_MATCHING PATTERN "*.py" PATTERN "__pycache__" EXCLUDE)

  # Extension module: needs the package's C dispatch library.
  if(TARGET ${pkg}__rosidl_typesupport_c)
    Python3_add_library(${module} MODULE WITH_SOABI
      ${MSGDEF_SOURCE_DIR}/python/extension_module.cpp)
    target_compile_definitions(${module} PRIVATE ${common_definitions}
      MSGDEF_PYTHON_FLAVOUR=${flavour})
    target_link_libraries(${module} PRIVATE
      ${lib} ${pkg}__rosidl_generator_c ${pkg}__rosidl_typesupport_c)
    msgdef_python_module_defaults(${module} ${pkg})
    add_dependencies(${module} ${pkg}__python_classes)
  else()
    message(STATUS "${pkg}: no C dispatch library yet, extension module ${module} not built")
  endif()

  set(MSGDEF_KIND_TARGETS ${lib} PARENT_SCOPE)
endfunction()
msgdef_register_kind(python)
