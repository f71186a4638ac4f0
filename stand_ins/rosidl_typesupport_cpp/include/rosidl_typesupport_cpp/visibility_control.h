/* Export control of the rosidl_typesupport_cpp runtime library. */
#ifndef ROSIDL_TYPESUPPORT_CPP__VISIBILITY_CONTROL_H_
#define ROSIDL_TYPESUPPORT_CPP__VISIBILITY_CONTROL_H_

#if defined(_WIN32) || defined(__CYGWIN__)
#  define ROSIDL_TYPESUPPORT_CPP_EXPORT __declspec(dllexport)
#  define ROSIDL_TYPESUPPORT_CPP_IMPORT __declspec(dllimport)
#  ifdef ROSIDL_TYPESUPPORT_CPP_BUILDING_DLL
#    define ROSIDL_TYPESUPPORT_CPP_PUBLIC ROSIDL_TYPESUPPORT_CPP_EXPORT
#  else
#    define ROSIDL_TYPESUPPORT_CPP_PUBLIC ROSIDL_TYPESUPPORT_CPP_IMPORT
#  endif
#  define ROSIDL_TYPESUPPORT_CPP_LOCAL
#else
#  define ROSIDL_TYPESUPPORT_CPP_EXPORT __attribute__((visibility("default")))
#  define ROSIDL_TYPESUPPORT_CPP_IMPORT
#  define ROSIDL_TYPESUPPORT_CPP_PUBLIC __attribute__((visibility("default")))
#  define ROSIDL_TYPESUPPORT_CPP_LOCAL __attribute__((visibility("hidden")))
#endif

#endif  /* ROSIDL_TYPESUPPORT_CPP__VISIBILITY_CONTROL_H_ */
