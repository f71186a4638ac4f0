/* std_msgs/msg/Header: time stamp and coordinate frame of a message. */
#ifndef STD_MSGS__MSG__HEADER_H_
#define STD_MSGS__MSG__HEADER_H_

#include "builtin_interfaces/msg/time.h"
#include "std_msgs/msg/rosidl_generator_c__visibility_control.h"

#define std_msgs__msg__Header__FIELDS(VALUE, MESSAGE, STRING) \
  MESSAGE(stamp, builtin_interfaces, msg, Time) \
  STRING(frame_id)

/* The parts of the ROS 2 header set, written from the list above. */
#include "std_msgs/msg/detail/header__struct.h"
#include "std_msgs/msg/detail/header__functions.h"
#include "std_msgs/msg/detail/header__type_support.h"

#endif
