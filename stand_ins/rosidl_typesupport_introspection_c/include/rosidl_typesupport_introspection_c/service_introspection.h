/* Record that pairs the request and response tables of a service. */
#ifndef ROSIDL_TYPESUPPORT_INTROSPECTION_C__SERVICE_INTROSPECTION_H_
#define ROSIDL_TYPESUPPORT_INTROSPECTION_C__SERVICE_INTROSPECTION_H_

#include "rosidl_runtime_c/service_type_support_struct.h"
#include "rosidl_typesupport_introspection_c/message_introspection.h"
#include "rosidl_typesupport_introspection_c/visibility_control.h"

typedef struct rosidl_typesupport_introspection_c__ServiceMembers_s
{
  const char * service_namespace_;
  const char * service_name_;
  const rosidl_typesupport_introspection_c__MessageMembers * request_members_;
  const rosidl_typesupport_introspection_c__MessageMembers * response_members_;
} rosidl_typesupport_introspection_c__ServiceMembers;

#endif  /* ROSIDL_TYPESUPPORT_INTROSPECTION_C__SERVICE_INTROSPECTION_H_ */
