/* Export control of the rosidl_typesupport_introspection_cpp library. */
#ifndef ROSIDL_TYPESUPPORT_INTROSPECTION_CPP__VISIBILITY_CONTROL_H_
#define ROSIDL_TYPESUPPORT_INTROSPECTION_CPP__VISIBILITY_CONTROL_H_

#if defined(_WIN32)
#  ifdef ROSIDL_TYPESUPPORT_INTROSPECTION_CPP_BUILDING_DLL
#    define ROSIDL_TYPESUPPORT_INTROSPECTION_CPP_PUBLIC __declspec(dllexport)
#  else
#    define ROSIDL_TYPESUPPORT_INTROSPECTION_CPP_PUBLIC __declspec(dllimport)
#  endif
#else
#  define ROSIDL_TYPESUPPORT_INTROSPECTION_CPP_PUBLIC __attribute__((visibility("default")))
#endif

#endif  /* ROSIDL_TYPESUPPORT_INTROSPECTION_CPP__VISIBILITY_CONTROL_H_ */
