/* The lookup stored in every C message dispatch handle. */
#ifndef ROSIDL_TYPESUPPORT_C__MESSAGE_TYPE_SUPPORT_DISPATCH_H_
#define ROSIDL_TYPESUPPORT_C__MESSAGE_TYPE_SUPPORT_DISPATCH_H_

#include "rosidl_runtime_c/message_type_support_struct.h"
#include "rosidl_typesupport_c/visibility_control.h"

#ifdef __cplusplus
extern "C"
{
#endif

/* The handle of the implementation named `identifier`: `handle` itself if its
 * identifier is that text, else the one its map names, loading the
 * implementation's library on first use. Null, with the rcutils error state
 * set, if the map has no such identifier or its library or symbol is missing. */
ROSIDL_TYPESUPPORT_C_PUBLIC
const rosidl_message_type_support_t *
rosidl_typesupport_c__get_message_typesupport_handle_function(
  const rosidl_message_type_support_t * handle, const char * identifier);

#ifdef __cplusplus
}
#endif

#endif  /* ROSIDL_TYPESUPPORT_C__MESSAGE_TYPE_SUPPORT_DISPATCH_H_ */
