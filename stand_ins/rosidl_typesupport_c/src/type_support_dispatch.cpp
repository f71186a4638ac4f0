// The C runtime's identifier and its two lookups.
#include "rosidl_typesupport_c/identifier.h"
#include "rosidl_typesupport_c/message_type_support_dispatch.h"
#include "rosidl_typesupport_c/service_type_support_dispatch.h"
#include "rosidl_typesupport_c/type_support_map.h"
#include "type_support_lookup.hpp"

const char * rosidl_typesupport_c__typesupport_identifier = "rosidl_typesupport_c";

const rosidl_message_type_support_t *
rosidl_typesupport_c__get_message_typesupport_handle_function(
  const rosidl_message_type_support_t * handle, const char * identifier)
{
  return rosidl_typesupport_runtime::get_typesupport_handle<type_support_map_t>(
    handle, identifier, rosidl_typesupport_c__typesupport_identifier);
}

const rosidl_service_type_support_t *
rosidl_typesupport_c__get_service_typesupport_handle_function(
  const rosidl_service_type_support_t * handle, const char * identifier)
{
  return rosidl_typesupport_runtime::get_typesupport_handle<type_support_map_t>(
    handle, identifier, rosidl_typesupport_c__typesupport_identifier);
}
