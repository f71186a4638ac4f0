/* Records that describe a C message structure field by field. */
#ifndef ROSIDL_TYPESUPPORT_INTROSPECTION_C__MESSAGE_INTROSPECTION_H_
#define ROSIDL_TYPESUPPORT_INTROSPECTION_C__MESSAGE_INTROSPECTION_H_

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#include "rosidl_runtime_c/message_initialization.h"
#include "rosidl_runtime_c/message_type_support_struct.h"
#include "rosidl_typesupport_introspection_c/visibility_control.h"

/* One field: its name, kind code, array shape, position and accessors. */
typedef struct rosidl_typesupport_introspection_c__MessageMember_s
{
  const char * name_;
  uint8_t type_id_;
  size_t string_upper_bound_;
  const rosidl_message_type_support_t * members_;  /* nested type, kind MESSAGE only */
  bool is_array_;
  size_t array_size_;
  bool is_upper_bound_;
  uint32_t offset_;
  const void * default_value_;
  size_t (* size_function)(const void *);
  const void * (*get_const_function)(const void *, size_t index);
  void * (*get_function)(void *, size_t index);
  bool (* resize_function)(void *, size_t size);
} rosidl_typesupport_introspection_c__MessageMember;

/* A message type: its names, its size, its rows and its lifecycle. */
typedef struct rosidl_typesupport_introspection_c__MessageMembers_s
{
  const char * message_namespace_;
  const char * message_name_;
  uint32_t member_count_;
  size_t size_of_;
  const rosidl_typesupport_introspection_c__MessageMember * members_;
  void (* init_function)(void *, enum rosidl_runtime_c__message_initialization);
  void (* fini_function)(void *);
} rosidl_typesupport_introspection_c__MessageMembers;

#endif  /* ROSIDL_TYPESUPPORT_INTROSPECTION_C__MESSAGE_INTROSPECTION_H_ */
