// The identifier of C++ dispatch handles.
#ifndef ROSIDL_TYPESUPPORT_CPP__IDENTIFIER_HPP_
#define ROSIDL_TYPESUPPORT_CPP__IDENTIFIER_HPP_

#include "rosidl_typesupport_cpp/visibility_control.h"

namespace rosidl_typesupport_cpp
{

// "rosidl_typesupport_cpp". Dispatch handles store this pointer, not a copy of the text.
ROSIDL_TYPESUPPORT_CPP_PUBLIC
extern const char * typesupport_identifier;

}  // namespace rosidl_typesupport_cpp

#endif  // ROSIDL_TYPESUPPORT_CPP__IDENTIFIER_HPP_
