#include "rosidl_typesupport_introspection_cpp/identifier.hpp"

namespace rosidl_typesupport_introspection_cpp
{

const char * typesupport_identifier = "rosidl_typesupport_introspection_cpp";

}  // namespace rosidl_typesupport_introspection_cpp
