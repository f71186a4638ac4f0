/* velmari_messages/msg/Control: a vehicle control command. */
#ifndef VELMARI_MESSAGES__MSG__CONTROL_H_
#define VELMARI_MESSAGES__MSG__CONTROL_H_

#include "std_msgs/msg/header.h"
#include "velmari_messages/msg/rosidl_generator_c__visibility_control.h"

#define velmari_messages__msg__Control__FIELDS(VALUE, MESSAGE, STRING) \
  MESSAGE(header, std_msgs, msg, Header) \
  VALUE(valid, bool) \
  VALUE(throttle, float64) \
  VALUE(brake, float64) \
  VALUE(steer, float64) \
  VALUE(mode, int32) \
  VALUE(gear, int32)

/* The parts of the ROS 2 header set, written from the list above. */
#include "velmari_messages/msg/detail/control__struct.h"
#include "velmari_messages/msg/detail/control__functions.h"
#include "velmari_messages/msg/detail/control__type_support.h"

#endif
