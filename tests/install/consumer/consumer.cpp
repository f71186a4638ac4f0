#include <cstdio>

#include "velmari_messages/msg/control.hpp"
#include "velmari_messages/srv/add_three_ints.hpp"

int main()
{
  velmari_messages::msg::Control c;
  c.header.frame_id = "map";
  velmari_messages::srv::AddThreeInts::Request request;
  request.c = 3;
  const bool ok = c != velmari_messages::msg::Control{} && request.a == 0 && request.c == 3;
  std::puts(ok ? "consumer_cpp ok" : "consumer_cpp FAILED");
  return ok ? 0 : 1;
}
