/* velmari_messages/srv/AddThreeInts: three numbers in, their sum out. */
#ifndef VELMARI_MESSAGES__SRV__ADD_THREE_INTS_H_
#define VELMARI_MESSAGES__SRV__ADD_THREE_INTS_H_

#include "velmari_messages/msg/rosidl_generator_c__visibility_control.h"

#define velmari_messages__srv__AddThreeInts_Request__FIELDS(VALUE, MESSAGE, STRING) \
  VALUE(a, int64) \
  VALUE(b, int64) \
  VALUE(c, int64)

#define velmari_messages__srv__AddThreeInts_Response__FIELDS(VALUE, MESSAGE, STRING) \
  VALUE(num, int64)

/* The parts of the ROS 2 header set, written from the list above. */
#include "velmari_messages/srv/detail/add_three_ints__struct.h"
#include "velmari_messages/srv/detail/add_three_ints__functions.h"
#include "velmari_messages/srv/detail/add_three_ints__type_support.h"

#endif
