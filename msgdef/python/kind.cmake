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
# under the install prefix (Lib/site-packages on Windows, as a ROS 2 install
# there has it, with the DLLs in bin/). On Linux the extension modules find the
# libraries in CMAKE_INSTALL_LIBDIR by an $ORIGIN-relative RUNPATH.
#
# All of it is built on the stable ABI of Python 3.8 (the limited API, target
# msgdef_python_api): one code path on every platform, and one build of a
# module serves Python 3.8 and every later CPython. Modules are named
# <name>.abi3.so on Linux and <name>.pyd on Windows, where they import from
# python3.dll (through an import library made from windows/python3.def),
# never from one version's python3X.dll.
set(MSGDEF_PYTHON_DIR ${CMAKE_CURRENT_LIST_DIR} CACHE INTERNAL "")
set(MSGDEF_PYTHON_LIMITED_API 0x03080000 CACHE INTERNAL "")
set(MSGDEF_PYTHON_DEF ${CMAKE_CURRENT_LIST_DIR}/windows/python3.def CACHE INTERNAL "")

# Python's headers with the limited API, and what links against Python.
macro(msgdef_find_python)
  if(NOT TARGET msgdef_python_api)
    add_library(msgdef_python_api INTERFACE)
    target_compile_definitions(msgdef_python_api INTERFACE Py_LIMITED_API=${MSGDEF_PYTHON_LIMITED_API})
    if(WIN32)
      msgdef_python_windows_api(msgdef_python_api)
    else()
      find_package(Python3 REQUIRED COMPONENTS Interpreter Development.Module)
      target_include_directories(msgdef_python_api INTERFACE ${Python3_INCLUDE_DIRS})
    endif()
  endif()
  if(WIN32)
    set(MSGDEF_PYTHON_INSTALL_DIR "Lib/site-packages"
      CACHE STRING "Site-packages folder of the Python modules, relative to the install prefix")
  else()
    set(MSGDEF_PYTHON_INSTALL_DIR
      "${CMAKE_INSTALL_LIBDIR}/python${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}/site-packages"
      CACHE STRING "Site-packages folder of the Python modules, relative to the install prefix")
  endif()
  set(MSGDEF_PYTHON_SITE ${CMAKE_BINARY_DIR}/site-packages CACHE INTERNAL "")
  # RUNPATH of a module installed in <site-packages>/<folder>/ to reach the libraries.
  file(RELATIVE_PATH MSGDEF_PYTHON_TO_LIBDIR
    /root/${MSGDEF_PYTHON_INSTALL_DIR}/package /root/${CMAKE_INSTALL_LIBDIR})
endmacro()

# Windows. Built on Windows, beside a Windows CPython: its own headers, and
# the import library python3.lib that every Windows CPython ships. Cross-built
# here, with no Python of the target platform to find: the host Python's
# headers, whose pyconfig.h describes the host, are reached through a folder
# of links to them with windows/pyconfig.h beside them (Python.h includes
# "pyconfig.h" from its own folder first, whatever the include path says), and
# the import library of python3.dll is made from windows/python3.def.
function(msgdef_python_windows_api target)
  if(NOT CMAKE_CROSSCOMPILING)
    find_package(Python3 REQUIRED COMPONENTS Interpreter Development.Module)
    find_library(MSGDEF_PYTHON3_LIB python3 HINTS ${Python3_LIBRARY_DIRS} NO_DEFAULT_PATH REQUIRED)
    target_include_directories(${target} INTERFACE ${Python3_INCLUDE_DIRS})
    target_link_libraries(${target} INTERFACE ${MSGDEF_PYTHON3_LIB})
    return()
  endif()
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  execute_process(
    COMMAND ${Python3_EXECUTABLE} -c "import sysconfig; print(sysconfig.get_path('include'))"
    OUTPUT_VARIABLE host_headers OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  set(folder ${CMAKE_BINARY_DIR}/msgdef_python_windows)
  file(REMOVE_RECURSE ${folder}/include)
  file(MAKE_DIRECTORY ${folder}/include)
  file(GLOB entries RELATIVE ${host_headers} ${host_headers}/*)
  list(REMOVE_ITEM entries pyconfig.h)
  foreach(entry IN LISTS entries)
    file(CREATE_LINK ${host_headers}/${entry} ${folder}/include/${entry} SYMBOLIC)
  endforeach()
  configure_file(${MSGDEF_PYTHON_DIR}/windows/pyconfig.h ${folder}/include/pyconfig.h COPYONLY)

  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${MSGDEF_PYTHON_DEF})
  if(CMAKE_CXX_COMPILER_FRONTEND_VARIANT STREQUAL "MSVC")
    get_filename_component(llvm ${CMAKE_LINKER} DIRECTORY)
    set(import_library ${folder}/python3.lib)
    set(make ${llvm}/llvm-dlltool -m i386:x86-64 -d ${MSGDEF_PYTHON_DEF} -l ${import_library}
      -D python3.dll)
  else()
    if(NOT CMAKE_DLLTOOL)
      message(FATAL_ERROR "No dlltool to make the import library of python3.dll")
    endif()
    set(import_library ${folder}/libpython3.dll.a)
    set(make ${CMAKE_DLLTOOL} --input-def ${MSGDEF_PYTHON_DEF} --output-lib ${import_library}
      --dllname python3.dll)
  endif()
  execute_process(COMMAND ${make} COMMAND_ERROR_IS_FATAL ANY)
  target_include_directories(${target} INTERFACE ${folder}/include)
  target_link_libraries(${target} INTERFACE ${import_library})
endfunction()

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

# An extension module <target> (file <name>.abi3.so or <name>.pyd) going to
# <site-packages>/<folder>/: only PyInit_<name> exported; on Linux Python's own
# symbols stay undefined until the interpreter loads it.
function(msgdef_python_module target folder)
  add_library(${target} MODULE ${ARGN})
  if(WIN32)
    set(suffix .pyd)
  else()
    set(suffix .abi3.so)
  endif()
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    SUFFIX ${suffix}
    C_VISIBILITY_PRESET hidden
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    LIBRARY_OUTPUT_DIRECTORY ${MSGDEF_PYTHON_SITE}/${folder}
    INSTALL_RPATH "$ORIGIN/${MSGDEF_PYTHON_TO_LIBDIR}")
  target_link_libraries(${target} PRIVATE msgdef_python_api)
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
  msgdef_python_module(msgdef_py__cdr msgdef_py ${MSGDEF_SOURCE_DIR}/python/serialization_module.cpp)
  set_target_properties(msgdef_py__cdr PROPERTIES OUTPUT_NAME _cdr)
  # The callbacks record is a header of the Fast-CDR C++ runtime; its library is not needed.
  target_include_directories(msgdef_py__cdr PRIVATE
    $<TARGET_PROPERTY:rosidl_typesupport_fastrtps_cpp::rosidl_typesupport_fastrtps_cpp,INTERFACE_INCLUDE_DIRECTORIES>
    $<TARGET_PROPERTY:rosidl_typesupport_introspection_c::rosidl_typesupport_introspection_c,INTERFACE_INCLUDE_DIRECTORIES>)
  target_link_libraries(msgdef_py__cdr PRIVATE
    fastcdr rcutils::rcutils rosidl_runtime_c::rosidl_runtime_c)
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
  target_link_libraries(${lib} PRIVATE $<BUILD_INTERFACE:msgdef_python_api>)
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
    msgdef_python_module(${module} ${pkg} ${MSGDEF_SOURCE_DIR}/python/extension_module.cpp)
    target_compile_definitions(${module} PRIVATE ${common_definitions}
      MSGDEF_PYTHON_FLAVOUR=${flavour})
    target_link_libraries(${module} PRIVATE
      ${lib} ${pkg}__rosidl_generator_c ${pkg}__rosidl_typesupport_c)
    add_dependencies(${module} ${pkg}__python_classes)
  else()
    message(STATUS "${pkg}: no C dispatch library yet, extension module ${module} not built")
  endif()

  set(MSGDEF_KIND_TARGETS ${lib} PARENT_SCOPE)
endfunction()
msgdef_register_kind(python)
