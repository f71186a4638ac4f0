// The C flavour of the introspection tables: records of
// rosidl_typesupport_introspection_c over the C message structures.
#ifndef INTROSPECTION_C__INTROSPECTION_C_HPP_
#define INTROSPECTION_C__INTROSPECTION_C_HPP_

#include "introspection.hpp"
#include "msgdef/c_message.h"
#include "rosidl_typesupport_introspection_c/field_types.h"
#include "rosidl_typesupport_introspection_c/identifier.h"
#include "rosidl_typesupport_introspection_c/message_introspection.h"
#include "rosidl_typesupport_introspection_c/service_introspection.h"

namespace introspection
{

struct CFlavor
{
  using Member = rosidl_typesupport_introspection_c__MessageMember;
  using Members = rosidl_typesupport_introspection_c__MessageMembers;
  using ServiceMembers = rosidl_typesupport_introspection_c__ServiceMembers;

  static constexpr TypeCodes codes = {
    rosidl_typesupport_introspection_c__ROS_TYPE_FLOAT,
    rosidl_typesupport_introspection_c__ROS_TYPE_DOUBLE,
    rosidl_typesupport_introspection_c__ROS_TYPE_LONG_DOUBLE,
    rosidl_typesupport_introspection_c__ROS_TYPE_BOOLEAN,
    rosidl_typesupport_introspection_c__ROS_TYPE_UINT8,
    rosidl_typesupport_introspection_c__ROS_TYPE_INT8,
    rosidl_typesupport_introspection_c__ROS_TYPE_UINT16,
    rosidl_typesupport_introspection_c__ROS_TYPE_INT16,
    rosidl_typesupport_introspection_c__ROS_TYPE_UINT32,
    rosidl_typesupport_introspection_c__ROS_TYPE_INT32,
    rosidl_typesupport_introspection_c__ROS_TYPE_UINT64,
    rosidl_typesupport_introspection_c__ROS_TYPE_INT64,
    rosidl_typesupport_introspection_c__ROS_TYPE_STRING,
    rosidl_typesupport_introspection_c__ROS_TYPE_MESSAGE,
  };

  static const char * identifier() {return rosidl_typesupport_introspection_c__identifier;}
};

}  // namespace introspection

#define INTROSPECTION_C_HANDLE(pkg, folder, T) \
  rosidl_typesupport_introspection_c__get_message_type_support_handle__##pkg##__##folder##__##T

// Binding of a nested message type: its C introspection handle function,
// reached by its exported name.
#define INTROSPECTION_C_BIND_MESSAGE(pkg, folder, T) &INTROSPECTION_C_HANDLE(pkg, folder, T)

// Declares the handle function of each nested type of pkg/folder/T.
#define INTROSPECTION_C_DECLARE_NESTED(pkg, folder, T, snake) \
  pkg##__##folder##__##T##__FIELDS( \
    INTROSPECTION_IGNORE_VALUE, INTROSPECTION_C_DECLARE_HANDLE_, INTROSPECTION_IGNORE_STRING)
#define INTROSPECTION_C_DECLARE_HANDLE_(name, pkg, folder, T) \
  extern "C" const rosidl_message_type_support_t * INTROSPECTION_C_HANDLE(pkg, folder, T)();

// The tables and the exported handle function of message type pkg/folder/T.
#define INTROSPECTION_C_DEFINE(pkg, folder, T, snake) \
  namespace introspection_c_types { \
  struct pkg##__##folder##__##T \
  { \
    using Struct = ::pkg##__##folder##__##T; \
    static constexpr auto fields = MSGDEF_FIELD_TUPLE(Struct, pkg##__##folder##__##T); \
    static constexpr const char * namespace_name = #pkg "__" #folder; \
    static constexpr const char * type_name = #T; \
    /* Every mode initialises as the C message library does; init's result */ \
    /* has no way out of this signature. */ \
    static void init(void * memory, rosidl_runtime_c__message_initialization) \
    { \
      (void)::pkg##__##folder##__##T##__init(static_cast<Struct *>(memory)); \
    } \
    static void fini(void * memory) \
    { \
      ::pkg##__##folder##__##T##__fini(static_cast<Struct *>(memory)); \
    } \
  }; \
  } \
  extern "C" MSGDEF_EXPORT const rosidl_message_type_support_t * \
  INTROSPECTION_C_HANDLE(pkg, folder, T)() \
  { \
    return introspection::message_handle< \
      introspection::CFlavor, introspection_c_types::pkg##__##folder##__##T>(); \
  }

// The tables and the exported handle function of service pkg/srv/V.
#define INTROSPECTION_C_DEFINE_SERVICE(pkg, folder, V, snake) \
  namespace introspection_c_types { \
  struct pkg##__##folder##__##V \
  { \
    static constexpr const char * namespace_name = #pkg "__" #folder; \
    static constexpr const char * type_name = #V; \
    using Request = pkg##__##folder##__##V##_Request; \
    using Response = pkg##__##folder##__##V##_Response; \
  }; \
  } \
  extern "C" MSGDEF_EXPORT const rosidl_service_type_support_t * \
  rosidl_typesupport_introspection_c__get_service_type_support_handle__##pkg##__##folder##__##V() \
  { \
    return introspection::service_handle< \
      introspection::CFlavor, introspection_c_types::pkg##__##folder##__##V>(); \
  }

#endif  // INTROSPECTION_C__INTROSPECTION_C_HPP_
