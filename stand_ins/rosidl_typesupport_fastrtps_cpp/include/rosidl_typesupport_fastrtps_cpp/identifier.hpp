// Identifier of the Fast-CDR type support of C++ messages.
#ifndef ROSIDL_TYPESUPPORT_FASTRTPS_CPP__IDENTIFIER_HPP_
#define ROSIDL_TYPESUPPORT_FASTRTPS_CPP__IDENTIFIER_HPP_

#include "rosidl_typesupport_fastrtps_cpp/visibility_control.h"

namespace rosidl_typesupport_fastrtps_cpp
{

// "rosidl_typesupport_fastrtps_cpp". Handles store this pointer; lookups compare the text.
ROSIDL_TYPESUPPORT_FASTRTPS_CPP_PUBLIC
extern const char * typesupport_identifier;

}  // namespace rosidl_typesupport_fastrtps_cpp

#endif  // ROSIDL_TYPESUPPORT_FASTRTPS_CPP__IDENTIFIER_HPP_
