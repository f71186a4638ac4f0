#include <stdio.h>

#include "navunit_common_msgs/msg/zodizu610.h"
#include "rosidl_runtime_c/string_functions.h"
#include "velmari_messages/msg/control.h"

int main(void)
{
  velmari_messages__msg__Control * c = velmari_messages__msg__Control__create();
  navunit_common_msgs__msg__Zodizu610 * z = navunit_common_msgs__msg__Zodizu610__create();
  int ok = c && z && rosidl_runtime_c__String__assign(&c->header.frame_id, "map") &&
    std_msgs__msg__Header__copy(&c->header, &z->header) &&
    std_msgs__msg__Header__are_equal(&c->header, &z->header);
  velmari_messages__msg__Control__destroy(c);
  navunit_common_msgs__msg__Zodizu610__destroy(z);
  puts(ok ? "consumer ok" : "consumer FAILED");
  return ok ? 0 : 1;
}
