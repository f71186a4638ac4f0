// C++ node code against the installed headers alone (the header-only target).
#include <cstdio>
#include <memory>

#include "rosidl_runtime_cpp/traits.hpp"
#include "velmari_messages/msg/control.hpp"
#include "velmari_messages/srv/add_three_ints.hpp"

using velmari_messages::msg::Control;
static_assert(rosidl_generator_traits::is_message<Control>::value, "Control is a message");
static_assert(rosidl_generator_traits::is_service<velmari_messages::srv::AddThreeInts>::value, "");
static_assert(!rosidl_generator_traits::has_fixed_size<Control>::value, "a header holds a string");

int main()
{
  auto c = std::make_shared<Control>();
  c->set__throttle(0.5).header.set__frame_id("map");
  Control::ConstSharedPtr published = c;
  velmari_messages::srv::AddThreeInts::Request request;
  request.set__c(3);
  const bool ok = *published != Control{} && request.a == 0 && request.c == 3 &&
    rosidl_generator_traits::to_yaml(*published).find("  frame_id: 'map'\n") != std::string::npos;
  std::puts(ok ? "consumer_cpp ok" : "consumer_cpp FAILED");
  return ok ? 0 : 1;
}
