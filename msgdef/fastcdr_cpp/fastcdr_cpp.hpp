// The Fast-CDR serializer of C++ messages, as templates over a type's field
// table computed over its C++ structure: the same bytes as the C serializer.
#ifndef FASTCDR_CPP__FASTCDR_CPP_HPP_
#define FASTCDR_CPP__FASTCDR_CPP_HPP_

#include <cstddef>
#include <cstdint>
#include <memory>

#include "fastcdr/Cdr.h"
#include "msgdef/cdr.hpp"
#include "msgdef/fields.hpp"
#include "rosidl_runtime_c/message_type_support_struct.h"
#include "rosidl_runtime_c/service_type_support_struct.h"
#include "rosidl_typesupport_fastrtps_cpp/identifier.hpp"
#include "rosidl_typesupport_fastrtps_cpp/message_type_support.h"
#include "rosidl_typesupport_fastrtps_cpp/message_type_support_decl.hpp"
#include "rosidl_typesupport_fastrtps_cpp/service_type_support.h"
#include "rosidl_typesupport_fastrtps_cpp/service_type_support_decl.hpp"

namespace fastcdr_cpp
{

// A nested message of C++ type T is reached through the typed functions its
// package exports.
template<class T>
struct Nested
{
  bool (* serialize)(const T &, eprosima::fastcdr::Cdr &);
  bool (* deserialize)(eprosima::fastcdr::Cdr &, T &);
  std::size_t (* size)(const T &, std::size_t);
  std::size_t (* max_size)(bool &, std::size_t);

  bool write(const T & nested, eprosima::fastcdr::Cdr & cdr) const {return serialize(nested, cdr);}
  bool read(eprosima::fastcdr::Cdr & cdr, T & nested) const {return deserialize(cdr, nested);}
  std::size_t end(const T & nested, std::size_t offset) const
  {
    return offset + size(nested, offset);
  }
  std::size_t max_end(bool & bounded, std::size_t offset) const
  {
    return offset + max_size(bounded, offset);
  }
};

template<class M>
struct Fields;  // Fields<M>::value: the descriptor tuple of C++ structure M

// A failure of a nested message's serializer is passed on at once.
template<class M>
bool serialize(const M & msg, eprosima::fastcdr::Cdr & cdr)
{
  return msgdef::cdr::write_fields<Fields<M>>(msg, cdr);
}

template<class M>
bool deserialize(eprosima::fastcdr::Cdr & cdr, M & msg)
{
  return msgdef::cdr::read_fields<Fields<M>>(cdr, msg);
}

template<class M>
std::size_t serialized_size(const M & msg, std::size_t start)
{
  return msgdef::cdr::serialized_size<Fields<M>>(&msg, start);
}

template<class M>
std::size_t max_serialized_size(bool & bounded, std::size_t start)
{
  return msgdef::cdr::max_serialized_size<Fields<M>>(bounded, start);
}

}  // namespace fastcdr_cpp

#define FASTCDR_CPP_STRUCT(pkg, folder, T) ::pkg::folder::T##_<std::allocator<void>>

// Binding of a nested message type pkg/folder/T: its exported typed functions.
#define FASTCDR_CPP_BIND_MESSAGE(pkg, folder, T) \
  ::fastcdr_cpp::Nested<FASTCDR_CPP_STRUCT(pkg, folder, T)>{ \
    &::pkg::folder::typesupport_fastrtps_cpp::cdr_serialize, \
    &::pkg::folder::typesupport_fastrtps_cpp::cdr_deserialize, \
    &::pkg::folder::typesupport_fastrtps_cpp::get_serialized_size, \
    &::pkg::folder::typesupport_fastrtps_cpp::max_serialized_size_##T}

// Typed functions, callbacks, handle and both handle functions of message
// type pkg/folder/T. Exported by the declarations in the package's headers.
// Handles are filled in definition order while the library loads.
#define FASTCDR_CPP_DEFINE(pkg, folder, T, snake) \
  template<> struct fastcdr_cpp::Fields<FASTCDR_CPP_STRUCT(pkg, folder, T)> \
  { \
    static constexpr auto value = \
      MSGDEF_FIELD_TUPLE(FASTCDR_CPP_STRUCT(pkg, folder, T), pkg##__##folder##__##T); \
  }; \
  namespace pkg { namespace folder { namespace typesupport_fastrtps_cpp { \
  bool cdr_serialize(const T & ros_message, eprosima::fastcdr::Cdr & cdr) \
  { \
    return ::fastcdr_cpp::serialize(ros_message, cdr); \
  } \
  bool cdr_deserialize(eprosima::fastcdr::Cdr & cdr, T & ros_message) \
  { \
    return ::fastcdr_cpp::deserialize(cdr, ros_message); \
  } \
  size_t get_serialized_size(const T & ros_message, size_t current_alignment) \
  { \
    return ::fastcdr_cpp::serialized_size(ros_message, current_alignment); \
  } \
  size_t max_serialized_size_##T(bool & full_bounded, size_t current_alignment) \
  { \
    return ::fastcdr_cpp::max_serialized_size<T>(full_bounded, current_alignment); \
  } \
  namespace { \
  /* The callbacks use the templates, not the exported names: no call through */ \
  /* the symbol table, and the constant sizes fold. */ \
  bool T##__serialize_callback(const void * untyped_ros_message, eprosima::fastcdr::Cdr & cdr) \
  { \
    return ::fastcdr_cpp::serialize(*static_cast<const T *>(untyped_ros_message), cdr); \
  } \
  bool T##__deserialize_callback(eprosima::fastcdr::Cdr & cdr, void * untyped_ros_message) \
  { \
    return ::fastcdr_cpp::deserialize(cdr, *static_cast<T *>(untyped_ros_message)); \
  } \
  uint32_t T##__size_callback(const void * untyped_ros_message) \
  { \
    return static_cast<uint32_t>( \
      ::fastcdr_cpp::serialized_size(*static_cast<const T *>(untyped_ros_message), 0)); \
  } \
  size_t T##__max_size_callback(bool & full_bounded) \
  { \
    return ::fastcdr_cpp::max_serialized_size<T>(full_bounded, 0); \
  } \
  const message_type_support_callbacks_t T##__callbacks = { \
    #pkg "::" #folder, #T, &T##__serialize_callback, &T##__deserialize_callback, \
    &T##__size_callback, &T##__max_size_callback}; \
  rosidl_message_type_support_t T##__handle = { \
    ::rosidl_typesupport_fastrtps_cpp::typesupport_identifier, &T##__callbacks, \
    msgdef::imported_function(&get_message_typesupport_handle_function)}; \
  } \
  }}} \
  extern "C" const rosidl_message_type_support_t * \
  rosidl_typesupport_fastrtps_cpp__get_message_type_support_handle__##pkg##__##folder##__##T() \
  { \
    return &::pkg::folder::typesupport_fastrtps_cpp::T##__handle; \
  } \
  template<> const rosidl_message_type_support_t * \
  rosidl_typesupport_fastrtps_cpp::get_message_type_support_handle<::pkg::folder::T>() \
  { \
    return &::pkg::folder::typesupport_fastrtps_cpp::T##__handle; \
  }

// Service handle of pkg/folder/Srv: points at this library's own request and
// response handles (defined before it by FASTCDR_CPP_DEFINE).
#define FASTCDR_CPP_DEFINE_SERVICE(pkg, folder, Srv, snake) \
  namespace pkg { namespace folder { namespace typesupport_fastrtps_cpp { \
  namespace { \
  const service_type_support_callbacks_t Srv##__callbacks = { \
    #pkg "::" #folder, #Srv, &Srv##_Request__handle, &Srv##_Response__handle}; \
  rosidl_service_type_support_t Srv##__handle = { \
    ::rosidl_typesupport_fastrtps_cpp::typesupport_identifier, &Srv##__callbacks, \
    msgdef::imported_function(&get_service_typesupport_handle_function)}; \
  } \
  }}} \
  extern "C" const rosidl_service_type_support_t * \
  rosidl_typesupport_fastrtps_cpp__get_service_type_support_handle__##pkg##__##folder##__##Srv() \
  { \
    return &::pkg::folder::typesupport_fastrtps_cpp::Srv##__handle; \
  } \
  template<> const rosidl_service_type_support_t * \
  rosidl_typesupport_fastrtps_cpp::get_service_type_support_handle<::pkg::folder::Srv>() \
  { \
    return &::pkg::folder::typesupport_fastrtps_cpp::Srv##__handle; \
  }

#endif  // FASTCDR_CPP__FASTCDR_CPP_HPP_
