// The C++ runtime's identifier and its two lookups.
#include "rosidl_typesupport_cpp/identifier.hpp"
#include "rosidl_typesupport_cpp/message_type_support_dispatch.hpp"
#include "rosidl_typesupport_cpp/service_type_support_dispatch.hpp"
#include "rosidl_typesupport_cpp/type_support_map.h"
#include "type_support_lookup.hpp"

namespace rosidl_typesupport_cpp
{

const char * typesupport_identifier = "rosidl_typesupport_cpp";

const rosidl_message_type_support_t *
get_message_typesupport_handle_function(
  const rosidl_message_type_support_t * handle, const char * identifier)
{
  return rosidl_typesupport_runtime::get_typesupport_handle<type_support_map_t>(
    handle, identifier, typesupport_identifier);
}

const rosidl_service_type_support_t *
get_service_typesupport_handle_function(
  const rosidl_service_type_support_t * handle, const char * identifier)
{
  return rosidl_typesupport_runtime::get_typesupport_handle<type_support_map_t>(
    handle, identifier, typesupport_identifier);
}

}  // namespace rosidl_typesupport_cpp
