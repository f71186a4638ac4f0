/* navunit_common_msgs/msg/Zodizu610: one record of the GNSS/INS navigation unit. */
#ifndef NAVUNIT_COMMON_MSGS__MSG__ZODIZU610_H_
#define NAVUNIT_COMMON_MSGS__MSG__ZODIZU610_H_

#include "navunit_common_msgs/msg/rosidl_generator_c__visibility_control.h"
#include "std_msgs/msg/header.h"

#define navunit_common_msgs__msg__Zodizu610__FIELDS(VALUE, MESSAGE, STRING) \
  MESSAGE(header, std_msgs, msg, Header) \
  VALUE(gpsweek, int32) \
  VALUE(gpstime, float64) \
  VALUE(heading, float32) \
  VALUE(pitch, float32) \
  VALUE(roll, float32) \
  VALUE(gyro_x, float32) \
  VALUE(gyro_y, float32) \
  VALUE(gyro_z, float32) \
  VALUE(acc_x, float32) \
  VALUE(acc_y, float32) \
  VALUE(acc_z, float32) \
  VALUE(lat, float64) \
  VALUE(lon, float64) \
  VALUE(alt, float64) \
  VALUE(ve, float32) \
  VALUE(vn, float32) \
  VALUE(vu, float32) \
  VALUE(v, float32) \
  VALUE(nsv1, int16) \
  VALUE(nsv2, int16) \
  VALUE(status, uint8) \
  VALUE(age, int16) \
  VALUE(warning, int16)

/* The parts of the ROS 2 header set, written from the list above. */
#include "navunit_common_msgs/msg/detail/zodizu610__struct.h"
#include "navunit_common_msgs/msg/detail/zodizu610__functions.h"
#include "navunit_common_msgs/msg/detail/zodizu610__type_support.h"

#endif
