/* The record a Fast-CDR message handle carries (its data): how the middleware
 * serializes, deserializes and sizes a message of a type it does not know.
 * Shared by the serializers of C and of C++ messages. The entries take C++
 * references, so the record exists for C++ translation units only. */
#ifndef ROSIDL_TYPESUPPORT_FASTRTPS_CPP__MESSAGE_TYPE_SUPPORT_H_
#define ROSIDL_TYPESUPPORT_FASTRTPS_CPP__MESSAGE_TYPE_SUPPORT_H_

#include <stddef.h>
#include <stdint.h>

#include "rosidl_runtime_c/message_type_support_struct.h"

#ifdef __cplusplus
#include "fastcdr/Cdr.h"

typedef struct message_type_support_callbacks_t
{
  const char * message_namespace_;  /* "<package>::<folder>" */
  const char * message_name_;
  /* Writes the message to the stream; false on failure. */
  bool (* cdr_serialize)(const void * untyped_ros_message, eprosima::fastcdr::Cdr & cdr);
  /* Fills the message from the stream; false on failure. */
  bool (* cdr_deserialize)(eprosima::fastcdr::Cdr & cdr, void * untyped_ros_message);
  /* Serialized size at start offset 0. */
  uint32_t (* get_serialized_size)(const void * untyped_ros_message);
  /* Largest serialized size at start offset 0; clears full_bounded for unbounded types. */
  size_t (* max_serialized_size)(bool & full_bounded);
} message_type_support_callbacks_t;
#endif

#endif  /* ROSIDL_TYPESUPPORT_FASTRTPS_CPP__MESSAGE_TYPE_SUPPORT_H_ */
