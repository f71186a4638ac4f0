/* navunit_common_msgs/msg/VelmariEgoCache: compact ego pose and speed. */
#ifndef NAVUNIT_COMMON_MSGS__MSG__VELMARI_EGO_CACHE_H_
#define NAVUNIT_COMMON_MSGS__MSG__VELMARI_EGO_CACHE_H_

#include "navunit_common_msgs/msg/rosidl_generator_c__visibility_control.h"

#define navunit_common_msgs__msg__VelmariEgoCache__FIELDS(VALUE, MESSAGE, STRING) \
  VALUE(x, float32) \
  VALUE(y, float32) \
  VALUE(z, float32) \
  VALUE(yaw, float32) \
  VALUE(pitch, float32) \
  VALUE(roll, float32) \
  VALUE(speed, float32)

/* The parts of the ROS 2 header set, written from the list above. */
#include "navunit_common_msgs/msg/detail/velmari_ego_cache__struct.h"
#include "navunit_common_msgs/msg/detail/velmari_ego_cache__functions.h"
#include "navunit_common_msgs/msg/detail/velmari_ego_cache__type_support.h"

#endif
