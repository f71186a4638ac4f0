// The identifier of the C++ introspection type support.
#ifndef ROSIDL_TYPESUPPORT_INTROSPECTION_CPP__IDENTIFIER_HPP_
#define ROSIDL_TYPESUPPORT_INTROSPECTION_CPP__IDENTIFIER_HPP_

#include "rosidl_typesupport_introspection_cpp/visibility_control.h"

namespace rosidl_typesupport_introspection_cpp
{

// "rosidl_typesupport_introspection_cpp"; handles carry this pointer itself.
ROSIDL_TYPESUPPORT_INTROSPECTION_CPP_PUBLIC
extern const char * typesupport_identifier;

}  // namespace rosidl_typesupport_introspection_cpp

#endif  // ROSIDL_TYPESUPPORT_INTROSPECTION_CPP__IDENTIFIER_HPP_
