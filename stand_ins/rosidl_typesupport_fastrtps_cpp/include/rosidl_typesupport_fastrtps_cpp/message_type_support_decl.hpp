// The Fast-CDR message handle of C++ message type T; each interface package
// specialises it for its types.
#ifndef ROSIDL_TYPESUPPORT_FASTRTPS_CPP__MESSAGE_TYPE_SUPPORT_DECL_HPP_
#define ROSIDL_TYPESUPPORT_FASTRTPS_CPP__MESSAGE_TYPE_SUPPORT_DECL_HPP_

#include "rosidl_runtime_c/message_type_support_struct.h"

namespace rosidl_typesupport_fastrtps_cpp
{

template<typename T>
const rosidl_message_type_support_t * get_message_type_support_handle();

}  // namespace rosidl_typesupport_fastrtps_cpp

#endif  // ROSIDL_TYPESUPPORT_FASTRTPS_CPP__MESSAGE_TYPE_SUPPORT_DECL_HPP_
