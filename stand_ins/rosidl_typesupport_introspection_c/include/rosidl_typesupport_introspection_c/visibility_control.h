/* Export control of the rosidl_typesupport_introspection_c library. */
#ifndef ROSIDL_TYPESUPPORT_INTROSPECTION_C__VISIBILITY_CONTROL_H_
#define ROSIDL_TYPESUPPORT_INTROSPECTION_C__VISIBILITY_CONTROL_H_

#if defined(_WIN32)
#  ifdef ROSIDL_TYPESUPPORT_INTROSPECTION_C_BUILDING_DLL
#    define ROSIDL_TYPESUPPORT_INTROSPECTION_C_PUBLIC __declspec(dllexport)
#  else
#    define ROSIDL_TYPESUPPORT_INTROSPECTION_C_PUBLIC __declspec(dllimport)
#  endif
#else
#  define ROSIDL_TYPESUPPORT_INTROSPECTION_C_PUBLIC __attribute__((visibility("default")))
#endif

#endif  /* ROSIDL_TYPESUPPORT_INTROSPECTION_C__VISIBILITY_CONTROL_H_ */
