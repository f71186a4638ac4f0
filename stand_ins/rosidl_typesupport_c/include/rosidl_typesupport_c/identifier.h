/* The identifier of C dispatch handles. */
#ifndef ROSIDL_TYPESUPPORT_C__IDENTIFIER_H_
#define ROSIDL_TYPESUPPORT_C__IDENTIFIER_H_

#include "rosidl_typesupport_c/visibility_control.h"

#ifdef __cplusplus
extern "C"
{
#endif

/* "rosidl_typesupport_c". Dispatch handles store this pointer, not a copy of the text. */
ROSIDL_TYPESUPPORT_C_PUBLIC
extern const char * rosidl_typesupport_c__typesupport_identifier;

#ifdef __cplusplus
}
#endif

#endif  /* ROSIDL_TYPESUPPORT_C__IDENTIFIER_H_ */
