/* The Fast-CDR C headers are C: a C11 program takes the handles and sizes. */
#include <stdio.h>

#include "navunit_common_msgs/msg/detail/velmari_ego_cache__rosidl_typesupport_fastrtps_c.h"
#include "navunit_common_msgs/msg/detail/zodizu610__rosidl_typesupport_fastrtps_c.h"
#include "rosidl_typesupport_fastrtps_c/identifier.h"
#include "rosidl_typesupport_fastrtps_cpp/message_type_support.h"
#include "rosidl_typesupport_fastrtps_cpp/service_type_support.h"
#include "std_msgs/msg/detail/header__rosidl_typesupport_fastrtps_c.h"
#include "velmari_messages/msg/detail/control__rosidl_typesupport_fastrtps_c.h"
#include "velmari_messages/msg/detail/num__rosidl_typesupport_fastrtps_c.h"
#include "velmari_messages/srv/detail/add_three_ints__rosidl_typesupport_fastrtps_c.h"

static int check(int ok, const char * what)
{
  if (!ok) {
    fprintf(stderr, "failed: %s\n", what);
  }
  return ok ? 0 : 1;
}

int main(void)
{
  const rosidl_message_type_support_t * control =
    rosidl_typesupport_fastrtps_c__get_message_type_support_handle__velmari_messages__msg__Control();
  const rosidl_service_type_support_t * service =
    rosidl_typesupport_fastrtps_c__get_service_type_support_handle__velmari_messages__srv__AddThreeInts();
  const service_type_support_callbacks_t * record =
    (const service_type_support_callbacks_t *)service->data;
  int failures = 0;
  failures += check(control->typesupport_identifier == rosidl_typesupport_fastrtps_c__identifier,
      "identifier pointer");
  failures += check(record->request_members_ ==
      rosidl_typesupport_fastrtps_c__get_message_type_support_handle__velmari_messages__srv__AddThreeInts_Request(),
      "service request handle");
  failures += check(get_serialized_size_velmari_messages__msg__Num(NULL, 3) == 13, "Num size at 3");
  failures += check(
    get_serialized_size_navunit_common_msgs__msg__VelmariEgoCache(NULL, 1) == 31, "cache size at 1");
  failures += check(
    rosidl_typesupport_fastrtps_c__get_message_type_support_handle__navunit_common_msgs__msg__Zodizu610() !=
    rosidl_typesupport_fastrtps_c__get_message_type_support_handle__std_msgs__msg__Header(), "distinct handles");
  return failures;
}
