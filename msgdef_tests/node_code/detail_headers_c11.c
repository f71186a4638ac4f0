/* A C node that includes only the detail/ parts of the header set, in the
 * orders C code written for ROS 2 packages includes them (a part before the
 * one it builds on included), compiled as strict C11 and run. */
#include <stdio.h>
#include <string.h>

#include "velmari_messages/msg/detail/control__functions.h"
#include "velmari_messages/msg/detail/control__struct.h"
#include "velmari_messages/msg/detail/control__type_support.h"
#include "velmari_messages/msg/detail/ego_state__type_support.h"
#include "velmari_messages/srv/detail/add_three_ints__struct.h"
#include "velmari_messages/srv/detail/add_three_ints__functions.h"
#include "velmari_messages/srv/detail/add_three_ints__type_support.h"
#include "navunit_common_msgs/msg/detail/zodizu610__struct.h"
#include "navunit_common_msgs/msg/detail/zodizu610__functions.h"
#include "rosidl_runtime_c/string_functions.h"

static int failures = 0;

static void check(int ok, const char * what)
{
  if (!ok) {
    fprintf(stderr, "FAILED: %s\n", what);
    ++failures;
  }
}

int main(void)
{
  velmari_messages__msg__Control * control = velmari_messages__msg__Control__create();
  check(control != NULL, "Control__create");
  if (control) {
    check(rosidl_runtime_c__String__assign(&control->header.frame_id, "base_link"), "assign");
    control->throttle = 0.4;
    control->gear = 2;
    velmari_messages__msg__Control copy;
    check(velmari_messages__msg__Control__init(&copy), "Control__init");
    check(velmari_messages__msg__Control__copy(control, &copy), "Control__copy");
    check(velmari_messages__msg__Control__are_equal(control, &copy), "copy equal");
    check(strcmp(copy.header.frame_id.data, "base_link") == 0, "frame id copied");
    velmari_messages__msg__Control__fini(&copy);
    velmari_messages__msg__Control__destroy(control);
  }

  velmari_messages__srv__AddThreeInts_Request__Sequence * requests =
    velmari_messages__srv__AddThreeInts_Request__Sequence__create(3);
  check(requests && requests->size == 3, "request sequence");
  velmari_messages__srv__AddThreeInts_Request__Sequence__destroy(requests);

  navunit_common_msgs__msg__Zodizu610 record;
  check(navunit_common_msgs__msg__Zodizu610__init(&record), "Zodizu610__init");
  record.status = 255;
  check(record.status == 255 && sizeof record.status == 1, "status is a byte");
  navunit_common_msgs__msg__Zodizu610__fini(&record);

  const rosidl_message_type_support_t * handles[] = {
    ROSIDL_GET_MSG_TYPE_SUPPORT(velmari_messages, msg, Control),
    ROSIDL_GET_MSG_TYPE_SUPPORT(velmari_messages, msg, EgoState),
    ROSIDL_GET_MSG_TYPE_SUPPORT(velmari_messages, srv, AddThreeInts_Request),
  };
  for (size_t i = 0; i < sizeof handles / sizeof handles[0]; ++i) {
    check(handles[i] && strcmp(handles[i]->typesupport_identifier, "rosidl_typesupport_c") == 0,
      "message handle");
  }
  const rosidl_service_type_support_t * service =
    ROSIDL_GET_SRV_TYPE_SUPPORT(velmari_messages, srv, AddThreeInts);
  check(service && strcmp(service->typesupport_identifier, "rosidl_typesupport_c") == 0,
    "service handle");

  if (failures == 0) {
    puts("detail headers ok");
  }
  return failures == 0 ? 0 : 1;
}
