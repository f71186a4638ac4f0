// The Fast-CDR service handle of C++ service type T; each interface package
// specialises it for its services.
#ifndef ROSIDL_TYPESUPPORT_FASTRTPS_CPP__SERVICE_TYPE_SUPPORT_DECL_HPP_
#define ROSIDL_TYPESUPPORT_FASTRTPS_CPP__SERVICE_TYPE_SUPPORT_DECL_HPP_

#include "rosidl_runtime_c/service_type_support_struct.h"

namespace rosidl_typesupport_fastrtps_cpp
{

template<typename T>
const rosidl_service_type_support_t * get_service_type_support_handle();

}  // namespace rosidl_typesupport_fastrtps_cpp

#endif  // ROSIDL_TYPESUPPORT_FASTRTPS_CPP__SERVICE_TYPE_SUPPORT_DECL_HPP_
