// Reaches velmari_messages/msg/Control as a C++ node's middleware does: the
// dispatch handle of rosidl_typesupport_cpp, the Fast-CDR C++ implementation
// it loads by identifier, and a serialize/deserialize round trip.
#include <cstdio>
#include <string>

#include "fastcdr/Cdr.h"
#include "fastcdr/FastBuffer.h"
#include "navunit_common_msgs/msg/zodizu610.hpp"
#include "rosidl_typesupport_cpp/message_type_support.hpp"
#include "rosidl_typesupport_fastrtps_cpp/message_type_support.h"
#include "velmari_messages/msg/control.hpp"

// The traits, through the nested Header's traits of the underlay.
static_assert(rosidl_generator_traits::is_message<velmari_messages::msg::Control>::value, "");
static_assert(!rosidl_generator_traits::has_fixed_size<velmari_messages::msg::Control>::value, "");

int main()
{
  const rosidl_message_type_support_t * dispatch =
    rosidl_typesupport_cpp::get_message_type_support_handle<velmari_messages::msg::Control>();
  const rosidl_message_type_support_t * fastcdr_handle =
    get_message_typesupport_handle(dispatch, "rosidl_typesupport_fastrtps_cpp");
  if (!fastcdr_handle) {
    std::puts("roundtrip: no Fast-CDR C++ handle");
    return 1;
  }
  const auto * callbacks =
    static_cast<const message_type_support_callbacks_t *>(fastcdr_handle->data);

  velmari_messages::msg::Control sent;
  sent.header.frame_id = "base_link";
  sent.header.stamp.sec = 7;
  sent.valid = true;
  sent.throttle = 0.4;
  sent.gear = 2;
  char bytes[256] = {};
  eprosima::fastcdr::FastBuffer buffer(bytes, sizeof(bytes));
  eprosima::fastcdr::Cdr writer(buffer);
  velmari_messages::msg::Control received;
  eprosima::fastcdr::Cdr reader(buffer);
  const bool ok = callbacks->cdr_serialize(&sent, writer) &&
    writer.getSerializedDataLength() == callbacks->get_serialized_size(&sent) &&
    callbacks->cdr_deserialize(reader, &received) && received == sent &&
    navunit_common_msgs::msg::Zodizu610{} == navunit_common_msgs::msg::Zodizu610{} &&
    rosidl_generator_traits::to_yaml(received).find("  frame_id: 'base_link'\n") != std::string::npos;
  std::printf("roundtrip: %s (%s, %zu bytes)\n", ok ? "ok" : "FAILED",
    callbacks->message_name_, writer.getSerializedDataLength());
  return ok ? 0 : 1;
}
