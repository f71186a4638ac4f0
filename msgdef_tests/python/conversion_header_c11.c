/* The conversion headers are C: they compile as C11, before or after Python.h,
 * and name the functions both by snake stem and by C name. */
#include "velmari_messages/python_conversion.h"
#include <Python.h>
#include "navunit_common_msgs/python_conversion.h"

bool (* const control_from_py)(PyObject *, void *) =
  velmari_messages__msg__Control__CONVERT_FROM_PY;
PyObject * (*const request_to_py)(void *) =
  velmari_messages__srv__add_three_ints__request__convert_to_py;
bool (* const cache_from_py)(PyObject *, void *) =
  navunit_common_msgs__msg__VelmariEgoCache__CONVERT_FROM_PY;
bool (* const header_from_py)(PyObject *, void *) = std_msgs__msg__Header__CONVERT_FROM_PY;
