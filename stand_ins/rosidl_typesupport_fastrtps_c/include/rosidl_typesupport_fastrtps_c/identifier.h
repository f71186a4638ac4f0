/* Identifier of the Fast-CDR type support of C messages. */
#ifndef ROSIDL_TYPESUPPORT_FASTRTPS_C__IDENTIFIER_H_
#define ROSIDL_TYPESUPPORT_FASTRTPS_C__IDENTIFIER_H_

#include "rosidl_typesupport_fastrtps_c/visibility_control.h"

#ifdef __cplusplus
extern "C"
{
#endif

/* "rosidl_typesupport_fastrtps_c". Handles store this pointer; lookups compare the text. */
ROSIDL_TYPESUPPORT_FASTRTPS_C_PUBLIC
extern const char * rosidl_typesupport_fastrtps_c__identifier;

#ifdef __cplusplus
}
#endif

#endif  /* ROSIDL_TYPESUPPORT_FASTRTPS_C__IDENTIFIER_H_ */
