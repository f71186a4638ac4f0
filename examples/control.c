/* examples/control.c: create, fill, copy, compare and release a message */
#include <stdio.h>

#include "rosidl_runtime_c/string_functions.h"
#include "velmari_messages/msg/control.h"

int main(void)
{
  velmari_messages__msg__Control * msg = velmari_messages__msg__Control__create();
  velmari_messages__msg__Control * copy = velmari_messages__msg__Control__create();
  if (!msg || !copy || !rosidl_runtime_c__String__assign(&msg->header.frame_id, "base_link")) {
    return 1;
  }
  msg->valid = true;
  msg->throttle = 0.4;
  int ok = velmari_messages__msg__Control__copy(msg, copy) &&
    velmari_messages__msg__Control__are_equal(msg, copy);
  printf("%s: throttle %.1f, copy %s\n", copy->header.frame_id.data, copy->throttle,
    ok ? "equal" : "DIFFERENT");
  velmari_messages__msg__Control__destroy(copy);
  velmari_messages__msg__Control__destroy(msg);
  return ok ? 0 : 1;
}
