/* builtin_interfaces/msg/Time: a point in time as seconds and nanoseconds. */
#ifndef BUILTIN_INTERFACES__MSG__TIME_H_
#define BUILTIN_INTERFACES__MSG__TIME_H_

#include "builtin_interfaces/msg/rosidl_generator_c__visibility_control.h"

#define builtin_interfaces__msg__Time__FIELDS(VALUE, MESSAGE, STRING) \
  VALUE(sec, int32) \
  VALUE(nanosec, uint32)

/* The parts of the ROS 2 header set, written from the list above. */
#include "builtin_interfaces/msg/detail/time__struct.h"
#include "builtin_interfaces/msg/detail/time__functions.h"
#include "builtin_interfaces/msg/detail/time__type_support.h"

#endif
