/* The identifier of the C introspection type support. */
#ifndef ROSIDL_TYPESUPPORT_INTROSPECTION_C__IDENTIFIER_H_
#define ROSIDL_TYPESUPPORT_INTROSPECTION_C__IDENTIFIER_H_

#include "rosidl_typesupport_introspection_c/visibility_control.h"

#ifdef __cplusplus
extern "C"
{
#endif

/* "rosidl_typesupport_introspection_c"; handles carry this pointer itself. */
ROSIDL_TYPESUPPORT_INTROSPECTION_C_PUBLIC
extern const char * rosidl_typesupport_introspection_c__identifier;

#ifdef __cplusplus
}
#endif

#endif  /* ROSIDL_TYPESUPPORT_INTROSPECTION_C__IDENTIFIER_H_ */
