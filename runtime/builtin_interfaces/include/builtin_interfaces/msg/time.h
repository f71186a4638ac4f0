/* builtin_interfaces/msg/Time: a point in time as seconds and nanoseconds. */
#ifndef BUILTIN_INTERFACES__MSG__TIME_H_
#define BUILTIN_INTERFACES__MSG__TIME_H_

#include "builtin_interfaces/msg/rosidl_generator_c__visibility_control.h"

#define builtin_interfaces__msg__Time__FIELDS(VALUE, MESSAGE, STRING) \
  VALUE(sec, int32) \
  VALUE(nanosec, uint32)

MSGDEF_C_MESSAGE(builtin_interfaces, msg, Time)

#endif
