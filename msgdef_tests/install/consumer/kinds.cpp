// One program per C++ kind (KIND; KIND_<KIND> chooses the code), each linking
// only that kind's target of velmari_messages: what the kind serves, plus the
// C++ headers.
#include <cstdio>
#include <cstring>
#include <string>

#include "velmari_messages/msg/control.hpp"

#if defined(KIND_ROSIDL_TYPESUPPORT_CPP)
// The handle template comes with the message header.
#elif defined(KIND_ROSIDL_TYPESUPPORT_INTROSPECTION_CPP)
#  include "rosidl_typesupport_introspection_cpp/message_introspection.hpp"
#  include "velmari_messages/msg/detail/control__rosidl_typesupport_introspection_cpp.hpp"
#elif defined(KIND_ROSIDL_TYPESUPPORT_FASTRTPS_CPP)
#  include "velmari_messages/msg/detail/control__rosidl_typesupport_fastrtps_cpp.hpp"
#endif

int main()
{
  velmari_messages::msg::Control msg;
  msg.set__gear(2);
  bool ok = rosidl_generator_traits::to_yaml(msg).find("\ngear: 2\n") != std::string::npos;
#if defined(KIND_ROSIDL_TYPESUPPORT_CPP)
  const rosidl_message_type_support_t * handle =
    rosidl_typesupport_cpp::get_message_type_support_handle<velmari_messages::msg::Control>();
  ok = ok && handle && std::strcmp(handle->typesupport_identifier, KIND) == 0;
#elif defined(KIND_ROSIDL_TYPESUPPORT_INTROSPECTION_CPP)
  const rosidl_message_type_support_t * handle =
    rosidl_typesupport_introspection_cpp__get_message_type_support_handle__velmari_messages__msg__Control();
  auto members =
    static_cast<const rosidl_typesupport_introspection_cpp::MessageMembers *>(handle->data);
  ok = ok && members->member_count_ == 7 && members->size_of_ == sizeof msg;
#elif defined(KIND_ROSIDL_TYPESUPPORT_FASTRTPS_CPP)
  ok = ok && velmari_messages::msg::typesupport_fastrtps_cpp::get_serialized_size(msg, 0) == 48;
#endif
  std::printf("consumer %s %s\n", KIND, ok ? "ok" : "FAILED");
  return ok ? 0 : 1;
}
