/* velmari_messages/msg/Num: a single number. */
#ifndef VELMARI_MESSAGES__MSG__NUM_H_
#define VELMARI_MESSAGES__MSG__NUM_H_

#include "velmari_messages/msg/rosidl_generator_c__visibility_control.h"

#define velmari_messages__msg__Num__FIELDS(VALUE, MESSAGE, STRING) \
  VALUE(num, int64)

/* The parts of the ROS 2 header set, written from the list above. */
#include "velmari_messages/msg/detail/num__struct.h"
#include "velmari_messages/msg/detail/num__functions.h"
#include "velmari_messages/msg/detail/num__type_support.h"

#endif
