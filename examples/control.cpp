// examples/control.cpp: a C++ and a C message, serialized as the middleware does,
// written to the file argv[1] (control.cdr)
#include <cstdio>
#include <fstream>
#include <vector>

#include "fastcdr/Cdr.h"
#include "fastcdr/FastBuffer.h"
#include "rosidl_runtime_c/string_functions.h"
#include "rosidl_typesupport_fastrtps_cpp/message_type_support.h"
#include "velmari_messages/msg/control.h"
#include "velmari_messages/msg/control.hpp"
#include "velmari_messages/msg/detail/control__rosidl_typesupport_fastrtps_cpp.hpp"

// A serialized message as ROS 2 stores it: the encapsulation header, then little-endian CDR.
template<typename Write>
std::vector<char> serialize(size_t size, Write write)
{
  std::vector<char> bytes(4 + size);
  eprosima::fastcdr::FastBuffer buffer(bytes.data(), bytes.size());
  eprosima::fastcdr::Cdr cdr(buffer, eprosima::fastcdr::Cdr::LITTLE_ENDIANNESS,
    eprosima::fastcdr::Cdr::DDS_CDR);
  cdr.serialize_encapsulation();
  if (!write(cdr)) {
    return {};
  }
  bytes.resize(cdr.getSerializedDataLength());
  return bytes;
}

int main(int argc, char ** argv)
{
  const char * path = argc > 1 ? argv[1] : "control.cdr";
  namespace fastrtps = velmari_messages::msg::typesupport_fastrtps_cpp;

  // C++ structures: the package's typed functions
  velmari_messages::msg::Control cpp_msg;
  cpp_msg.header.frame_id = "base_link";
  cpp_msg.valid = true;
  cpp_msg.throttle = 0.4;
  std::vector<char> from_cpp = serialize(fastrtps::get_serialized_size(cpp_msg, 0),
      [&](eprosima::fastcdr::Cdr & cdr) {return fastrtps::cdr_serialize(cpp_msg, cdr);});

  // C structures: the callbacks behind the type's handle, as a middleware reaches them
  velmari_messages__msg__Control * c_msg = velmari_messages__msg__Control__create();
  if (!c_msg || !rosidl_runtime_c__String__assign(&c_msg->header.frame_id, "base_link")) {
    return 1;
  }
  c_msg->valid = true;
  c_msg->throttle = 0.4;
  const rosidl_message_type_support_t * handle = get_message_typesupport_handle(
    ROSIDL_GET_MSG_TYPE_SUPPORT(velmari_messages, msg, Control), "rosidl_typesupport_fastrtps_c");
  if (!handle) {
    return 1;
  }
  auto callbacks = static_cast<const message_type_support_callbacks_t *>(handle->data);
  std::vector<char> from_c = serialize(callbacks->get_serialized_size(c_msg),
      [&](eprosima::fastcdr::Cdr & cdr) {return callbacks->cdr_serialize(c_msg, cdr);});
  velmari_messages__msg__Control__destroy(c_msg);

  std::ofstream(path, std::ios::binary).write(from_cpp.data(), from_cpp.size());
  bool same = !from_cpp.empty() && from_cpp == from_c;
  std::printf("%zu bytes in %s, %s\n", from_cpp.size(), path,
    same ? "the same from the C and the C++ structure" : "DIFFERENT");
  return same ? 0 : 1;
}
