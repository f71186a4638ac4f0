// The C++ flavour of the introspection tables: records of
// rosidl_typesupport_introspection_cpp over the C++ message structures.
#ifndef INTROSPECTION_CPP__INTROSPECTION_CPP_HPP_
#define INTROSPECTION_CPP__INTROSPECTION_CPP_HPP_

#include <memory>
#include <new>

#include "introspection.hpp"
#include "msgdef/c_message.h"
#include "rosidl_typesupport_introspection_cpp/field_types.hpp"
#include "rosidl_typesupport_introspection_cpp/identifier.hpp"
#include "rosidl_typesupport_introspection_cpp/message_introspection.hpp"
#include "rosidl_typesupport_introspection_cpp/message_type_support_decl.hpp"
#include "rosidl_typesupport_introspection_cpp/service_introspection.hpp"
#include "rosidl_typesupport_introspection_cpp/service_type_support_decl.hpp"

namespace introspection
{

struct CppFlavor
{
  using Member = rosidl_typesupport_introspection_cpp::MessageMember;
  using Members = rosidl_typesupport_introspection_cpp::MessageMembers;
  using ServiceMembers = rosidl_typesupport_introspection_cpp::ServiceMembers;

  static constexpr TypeCodes codes = {
    rosidl_typesupport_introspection_cpp::ROS_TYPE_FLOAT,
    rosidl_typesupport_introspection_cpp::ROS_TYPE_DOUBLE,
    rosidl_typesupport_introspection_cpp::ROS_TYPE_LONG_DOUBLE,
    rosidl_typesupport_introspection_cpp::ROS_TYPE_BOOLEAN,
    rosidl_typesupport_introspection_cpp::ROS_TYPE_UINT8,
    rosidl_typesupport_introspection_cpp::ROS_TYPE_INT8,
    rosidl_typesupport_introspection_cpp::ROS_TYPE_UINT16,
    rosidl_typesupport_introspection_cpp::ROS_TYPE_INT16,
    rosidl_typesupport_introspection_cpp::ROS_TYPE_UINT32,
    rosidl_typesupport_introspection_cpp::ROS_TYPE_INT32,
    rosidl_typesupport_introspection_cpp::ROS_TYPE_UINT64,
    rosidl_typesupport_introspection_cpp::ROS_TYPE_INT64,
    rosidl_typesupport_introspection_cpp::ROS_TYPE_STRING,
    rosidl_typesupport_introspection_cpp::ROS_TYPE_MESSAGE,
  };

  static const char * identifier() {return rosidl_typesupport_introspection_cpp::typesupport_identifier;}
};

// Constructs a message in caller-provided memory; the mode goes to the
// constructor. No memory, no effect, as with the C message functions.
template<class S>
void construct(void * memory, rosidl_runtime_cpp::MessageInitialization mode)
{
  if (memory) {
    new (memory) S(mode);
  }
}

template<class S>
void destruct(void * memory)
{
  if (memory) {
    std::destroy_at(static_cast<S *>(memory));
  }
}

}  // namespace introspection

#define INTROSPECTION_CPP_HANDLE(pkg, folder, T) \
  rosidl_typesupport_introspection_cpp__get_message_type_support_handle__##pkg##__##folder##__##T

// Binding of a nested message type: its C++ introspection handle function,
// reached by its exported C-linkage name.
#define INTROSPECTION_CPP_BIND_MESSAGE(pkg, folder, T) &INTROSPECTION_CPP_HANDLE(pkg, folder, T)

// Declares the handle function of each nested type of pkg/folder/T.
#define INTROSPECTION_CPP_DECLARE_NESTED(pkg, folder, T, snake) \
  pkg##__##folder##__##T##__FIELDS( \
    INTROSPECTION_IGNORE_VALUE, INTROSPECTION_CPP_DECLARE_HANDLE_, INTROSPECTION_IGNORE_STRING)
#define INTROSPECTION_CPP_DECLARE_HANDLE_(name, pkg, folder, T) \
  extern "C" const rosidl_message_type_support_t * INTROSPECTION_CPP_HANDLE(pkg, folder, T)();

// The tables and the two exported names (C++ specialisation and C linkage)
// of the one handle function of message type pkg/folder/T.
#define INTROSPECTION_CPP_DEFINE(pkg, folder, T, snake) \
  namespace introspection_cpp_types { \
  struct pkg##__##folder##__##T \
  { \
    using Struct = ::pkg::folder::T; \
    static constexpr auto fields = MSGDEF_FIELD_TUPLE(Struct, pkg##__##folder##__##T); \
    static constexpr const char * namespace_name = #pkg "::" #folder; \
    static constexpr const char * type_name = #T; \
    static constexpr auto init = &introspection::construct<Struct>; \
    static constexpr auto fini = &introspection::destruct<Struct>; \
  }; \
  } \
  namespace rosidl_typesupport_introspection_cpp { \
  template<> \
  MSGDEF_EXPORT const rosidl_message_type_support_t * \
  get_message_type_support_handle<::pkg::folder::T>() \
  { \
    return introspection::message_handle< \
      introspection::CppFlavor, introspection_cpp_types::pkg##__##folder##__##T>(); \
  } \
  } \
  extern "C" MSGDEF_EXPORT const rosidl_message_type_support_t * \
  INTROSPECTION_CPP_HANDLE(pkg, folder, T)() \
  { \
    return rosidl_typesupport_introspection_cpp::get_message_type_support_handle<::pkg::folder::T>(); \
  }

// The tables and the two exported names of the handle function of service pkg/srv/V.
#define INTROSPECTION_CPP_DEFINE_SERVICE(pkg, folder, V, snake) \
  namespace introspection_cpp_types { \
  struct pkg##__##folder##__##V \
  { \
    static constexpr const char * namespace_name = #pkg "::" #folder; \
    static constexpr const char * type_name = #V; \
    using Request = pkg##__##folder##__##V##_Request; \
    using Response = pkg##__##folder##__##V##_Response; \
  }; \
  } \
  namespace rosidl_typesupport_introspection_cpp { \
  template<> \
  MSGDEF_EXPORT const rosidl_service_type_support_t * \
  get_service_type_support_handle<::pkg::folder::V>() \
  { \
    return introspection::service_handle< \
      introspection::CppFlavor, introspection_cpp_types::pkg##__##folder##__##V>(); \
  } \
  } \
  extern "C" MSGDEF_EXPORT const rosidl_service_type_support_t * \
  rosidl_typesupport_introspection_cpp__get_service_type_support_handle__##pkg##__##folder##__##V() \
  { \
    return rosidl_typesupport_introspection_cpp::get_service_type_support_handle<::pkg::folder::V>(); \
  }

#endif  // INTROSPECTION_CPP__INTROSPECTION_CPP_HPP_
