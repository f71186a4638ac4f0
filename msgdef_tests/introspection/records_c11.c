/* The C records and every C handle header compile as C11, and the records
 * have the field types and layout of ROS 2's C introspection records. */
/* First, alone: a middleware's walker includes only this header for a service. */
#include "rosidl_typesupport_introspection_c/service_introspection.h"
const rosidl_typesupport_introspection_c__ServiceMembers * service_members_of(
  const rosidl_service_type_support_t * handle);

#include <stddef.h>

#include "navunit_common_msgs/msg/detail/velmari_ego_cache__rosidl_typesupport_introspection_c.h"
#include "navunit_common_msgs/msg/detail/zodizu610__rosidl_typesupport_introspection_c.h"
#include "rosidl_typesupport_introspection_c/field_types.h"
#include "rosidl_typesupport_introspection_c/identifier.h"
#include "rosidl_typesupport_introspection_c/message_introspection.h"
#include "rosidl_typesupport_introspection_c/service_introspection.h"
#include "std_msgs/msg/detail/header__rosidl_typesupport_introspection_c.h"
#include "velmari_messages/msg/detail/control__rosidl_typesupport_introspection_c.h"
#include "velmari_messages/msg/detail/ego_state__rosidl_typesupport_introspection_c.h"
#include "velmari_messages/msg/detail/num__rosidl_typesupport_introspection_c.h"
#include "velmari_messages/srv/detail/add_three_ints__rosidl_typesupport_introspection_c.h"

/* The shapes as ROS 2 (Galactic) defines them, field for field. */
typedef struct
{
  const char * name_;
  uint8_t type_id_;
  size_t string_upper_bound_;
  const rosidl_message_type_support_t * members_;
  bool is_array_;
  size_t array_size_;
  bool is_upper_bound_;
  uint32_t offset_;
  const void * default_value_;
  size_t (* size_function)(const void *);
  const void * (*get_const_function)(const void *, size_t);
  void * (*get_function)(void *, size_t);
  bool (* resize_function)(void *, size_t);
} ReferenceMember;

typedef struct
{
  const char * message_namespace_;
  const char * message_name_;
  uint32_t member_count_;
  size_t size_of_;
  const rosidl_typesupport_introspection_c__MessageMember * members_;
  void (* init_function)(void *, enum rosidl_runtime_c__message_initialization);
  void (* fini_function)(void *);
} ReferenceMembers;

typedef struct
{
  const char * service_namespace_;
  const char * service_name_;
  const rosidl_typesupport_introspection_c__MessageMembers * request_members_;
  const rosidl_typesupport_introspection_c__MessageMembers * response_members_;
} ReferenceServiceMembers;

#define FIELD_TYPE(S, f) __typeof__(((S *)0)->f)
#define SAME_FIELD(R, S, f) \
  _Static_assert(offsetof(R, f) == offsetof(S, f), #S "." #f " position"); \
  _Static_assert(_Generic((FIELD_TYPE(S, f) *)0, FIELD_TYPE(R, f) *: 1, default: 0), \
    #S "." #f " type");

typedef rosidl_typesupport_introspection_c__MessageMember S_MEMBER;
_Static_assert(sizeof(S_MEMBER) == sizeof(ReferenceMember), "MessageMember size");
SAME_FIELD(ReferenceMember, S_MEMBER, name_)
SAME_FIELD(ReferenceMember, S_MEMBER, type_id_)
SAME_FIELD(ReferenceMember, S_MEMBER, string_upper_bound_)
SAME_FIELD(ReferenceMember, S_MEMBER, members_)
SAME_FIELD(ReferenceMember, S_MEMBER, is_array_)
SAME_FIELD(ReferenceMember, S_MEMBER, array_size_)
SAME_FIELD(ReferenceMember, S_MEMBER, is_upper_bound_)
SAME_FIELD(ReferenceMember, S_MEMBER, offset_)
SAME_FIELD(ReferenceMember, S_MEMBER, default_value_)
SAME_FIELD(ReferenceMember, S_MEMBER, size_function)
SAME_FIELD(ReferenceMember, S_MEMBER, get_const_function)
SAME_FIELD(ReferenceMember, S_MEMBER, get_function)
SAME_FIELD(ReferenceMember, S_MEMBER, resize_function)

typedef rosidl_typesupport_introspection_c__MessageMembers S_MEMBERS;
_Static_assert(sizeof(S_MEMBERS) == sizeof(ReferenceMembers), "MessageMembers size");
SAME_FIELD(ReferenceMembers, S_MEMBERS, message_namespace_)
SAME_FIELD(ReferenceMembers, S_MEMBERS, message_name_)
SAME_FIELD(ReferenceMembers, S_MEMBERS, member_count_)
SAME_FIELD(ReferenceMembers, S_MEMBERS, size_of_)
SAME_FIELD(ReferenceMembers, S_MEMBERS, members_)
SAME_FIELD(ReferenceMembers, S_MEMBERS, init_function)
SAME_FIELD(ReferenceMembers, S_MEMBERS, fini_function)

typedef rosidl_typesupport_introspection_c__ServiceMembers S_SERVICE;
_Static_assert(sizeof(S_SERVICE) == sizeof(ReferenceServiceMembers), "ServiceMembers size");
SAME_FIELD(ReferenceServiceMembers, S_SERVICE, service_namespace_)
SAME_FIELD(ReferenceServiceMembers, S_SERVICE, service_name_)
SAME_FIELD(ReferenceServiceMembers, S_SERVICE, request_members_)
SAME_FIELD(ReferenceServiceMembers, S_SERVICE, response_members_)

_Static_assert(rosidl_typesupport_introspection_c__ROS_TYPE_FLOAT == 1, "FLOAT");
_Static_assert(rosidl_typesupport_introspection_c__ROS_TYPE_BOOLEAN == 6, "BOOLEAN");
_Static_assert(rosidl_typesupport_introspection_c__ROS_TYPE_UINT8 == 8, "UINT8");
_Static_assert(rosidl_typesupport_introspection_c__ROS_TYPE_INT64 == 15, "INT64");
_Static_assert(rosidl_typesupport_introspection_c__ROS_TYPE_STRING == 16, "STRING");
_Static_assert(rosidl_typesupport_introspection_c__ROS_TYPE_MESSAGE == 18, "MESSAGE");
_Static_assert(rosidl_typesupport_introspection_c__ROS_TYPE_FLOAT32 == 1, "FLOAT32");
_Static_assert(rosidl_typesupport_introspection_c__ROS_TYPE_FLOAT64 == 2, "FLOAT64");
_Static_assert(rosidl_typesupport_introspection_c__ROS_TYPE_BOOL == 6, "BOOL");
_Static_assert(rosidl_typesupport_introspection_c__ROS_TYPE_BYTE == 7, "BYTE");

const rosidl_typesupport_introspection_c__ServiceMembers * service_members_of(
  const rosidl_service_type_support_t * handle)
{
  return (const rosidl_typesupport_introspection_c__ServiceMembers *)handle->data;
}

/* A C caller reaches a handle through the declared name. */
const rosidl_message_type_support_t * control_handle_from_c(void)
{
  return rosidl_typesupport_introspection_c__get_message_type_support_handle__velmari_messages__msg__Control();
}
