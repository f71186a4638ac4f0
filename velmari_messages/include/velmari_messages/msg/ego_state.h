/* velmari_messages/msg/EgoState: the ego vehicle's pose and speed. */
#ifndef VELMARI_MESSAGES__MSG__EGO_STATE_H_
#define VELMARI_MESSAGES__MSG__EGO_STATE_H_

#include "std_msgs/msg/header.h"
#include "velmari_messages/msg/rosidl_generator_c__visibility_control.h"

#define velmari_messages__msg__EgoState__FIELDS(VALUE, MESSAGE, STRING) \
  MESSAGE(header, std_msgs, msg, Header) \
  VALUE(x, float64) \
  VALUE(y, float64) \
  VALUE(z, float64) \
  VALUE(yaw, float64) \
  VALUE(pitch, float64) \
  VALUE(roll, float64) \
  VALUE(speed, float64)

/* The parts of the ROS 2 header set, written from the list above. */
#include "velmari_messages/msg/detail/ego_state__struct.h"
#include "velmari_messages/msg/detail/ego_state__functions.h"
#include "velmari_messages/msg/detail/ego_state__type_support.h"

#endif
