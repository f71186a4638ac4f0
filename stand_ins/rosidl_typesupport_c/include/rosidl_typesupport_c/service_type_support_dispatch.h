/* The lookup stored in every C service dispatch handle. */
#ifndef ROSIDL_TYPESUPPORT_C__SERVICE_TYPE_SUPPORT_DISPATCH_H_
#define ROSIDL_TYPESUPPORT_C__SERVICE_TYPE_SUPPORT_DISPATCH_H_

#include "rosidl_runtime_c/service_type_support_struct.h"
#include "rosidl_typesupport_c/visibility_control.h"

#ifdef __cplusplus
extern "C"
{
#endif

/* As rosidl_typesupport_c__get_message_typesupport_handle_function, for services. */
ROSIDL_TYPESUPPORT_C_PUBLIC
const rosidl_service_type_support_t *
rosidl_typesupport_c__get_service_typesupport_handle_function(
  const rosidl_service_type_support_t * handle, const char * identifier);

#ifdef __cplusplus
}
#endif

#endif  /* ROSIDL_TYPESUPPORT_C__SERVICE_TYPE_SUPPORT_DISPATCH_H_ */
