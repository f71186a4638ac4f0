/* One program per C kind (KIND; KIND_<KIND> chooses the code), each linking
 * only that kind's target of velmari_messages: what the kind serves, plus the
 * C messages it brings. */
#include <stdio.h>
#include <string.h>

#include "velmari_messages/msg/control.h"

#if defined(KIND_ROSIDL_TYPESUPPORT_C)
/* The handle macros come with the message header. */
#elif defined(KIND_ROSIDL_TYPESUPPORT_INTROSPECTION_C)
#  include "rosidl_typesupport_introspection_c/message_introspection.h"
#  include "velmari_messages/msg/detail/control__rosidl_typesupport_introspection_c.h"
#elif defined(KIND_ROSIDL_TYPESUPPORT_FASTRTPS_C)
#  include "velmari_messages/msg/detail/control__rosidl_typesupport_fastrtps_c.h"
#endif

int main(void)
{
  velmari_messages__msg__Control * msg = velmari_messages__msg__Control__create();
  int ok = msg != NULL;
#if defined(KIND_ROSIDL_TYPESUPPORT_C)
  const rosidl_message_type_support_t * handle =
    ROSIDL_GET_MSG_TYPE_SUPPORT(velmari_messages, msg, Control);
  ok = ok && handle && strcmp(handle->typesupport_identifier, KIND) == 0;
#elif defined(KIND_ROSIDL_TYPESUPPORT_INTROSPECTION_C)
  const rosidl_message_type_support_t * handle =
    rosidl_typesupport_introspection_c__get_message_type_support_handle__velmari_messages__msg__Control();
  const rosidl_typesupport_introspection_c__MessageMembers * members = handle->data;
  ok = ok && members->member_count_ == 7 && strcmp(members->members_[1].name_, "valid") == 0;
#elif defined(KIND_ROSIDL_TYPESUPPORT_FASTRTPS_C)
  /* Header 8 + frame id 4 + 1, valid at 13, four 8-aligned doubles from 16, two int32. */
  ok = ok && get_serialized_size_velmari_messages__msg__Control(msg, 0) == 48;
#endif
  velmari_messages__msg__Control__destroy(msg);
  printf("consumer %s %s\n", KIND, ok ? "ok" : "FAILED");
  return ok ? 0 : 1;
}
