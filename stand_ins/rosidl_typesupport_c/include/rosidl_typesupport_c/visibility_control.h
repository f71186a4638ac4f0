/* Export control of the rosidl_typesupport_c runtime library. */
#ifndef ROSIDL_TYPESUPPORT_C__VISIBILITY_CONTROL_H_
#define ROSIDL_TYPESUPPORT_C__VISIBILITY_CONTROL_H_

#if defined(_WIN32) || defined(__CYGWIN__)
#  define ROSIDL_TYPESUPPORT_C_EXPORT __declspec(dllexport)
#  define ROSIDL_TYPESUPPORT_C_IMPORT __declspec(dllimport)
#  ifdef ROSIDL_TYPESUPPORT_C_BUILDING_DLL
#    define ROSIDL_TYPESUPPORT_C_PUBLIC ROSIDL_TYPESUPPORT_C_EXPORT
#  else
#    define ROSIDL_TYPESUPPORT_C_PUBLIC ROSIDL_TYPESUPPORT_C_IMPORT
#  endif
#  define ROSIDL_TYPESUPPORT_C_LOCAL
#else
#  define ROSIDL_TYPESUPPORT_C_EXPORT __attribute__((visibility("default")))
#  define ROSIDL_TYPESUPPORT_C_IMPORT
#  define ROSIDL_TYPESUPPORT_C_PUBLIC __attribute__((visibility("default")))
#  define ROSIDL_TYPESUPPORT_C_LOCAL __attribute__((visibility("hidden")))
#endif

#endif  /* ROSIDL_TYPESUPPORT_C__VISIBILITY_CONTROL_H_ */
