// The Fast-CDR serializer of C messages, as templates over a type's field
// table: callbacks, size functions and handles of any message type.
#ifndef FASTCDR_C__FASTCDR_C_HPP_
#define FASTCDR_C__FASTCDR_C_HPP_

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "fastcdr/Cdr.h"
#include "msgdef/cdr.hpp"
#include "msgdef/fields.hpp"
#include "rosidl_runtime_c/message_type_support_struct.h"
#include "rosidl_runtime_c/service_type_support_struct.h"
#include "rosidl_typesupport_fastrtps_c/identifier.h"
#include "rosidl_typesupport_fastrtps_cpp/message_type_support.h"
#include "rosidl_typesupport_fastrtps_cpp/service_type_support.h"

namespace fastcdr_c
{

// A nested message is reached through its package's exported names: the
// callbacks of its handle (fetched on every call) and its two size functions.
struct Nested
{
  const rosidl_message_type_support_t * (* handle)();
  std::size_t (* size)(const void *, std::size_t);
  std::size_t (* max_size)(bool &, std::size_t);

  const message_type_support_callbacks_t * callbacks() const
  {
    return static_cast<const message_type_support_callbacks_t *>(handle()->data);
  }
  template<class T>
  bool write(const T & nested, eprosima::fastcdr::Cdr & cdr) const
  {
    return callbacks()->cdr_serialize(&nested, cdr);
  }
  template<class T>
  bool read(eprosima::fastcdr::Cdr & cdr, T & nested) const
  {
    return callbacks()->cdr_deserialize(cdr, &nested);
  }
  template<class T>
  std::size_t end(const T & nested, std::size_t offset) const
  {
    return offset + size(&nested, offset);
  }
  std::size_t max_end(bool & bounded, std::size_t offset) const
  {
    return offset + max_size(bounded, offset);
  }
};

template<class S>
struct Fields;  // Fields<S>::value: the descriptor tuple of C structure S

inline bool null_message()
{
  std::fprintf(stderr, "ros message handle is null\n");
  return false;
}

template<class S>
bool serialize(const void * untyped_ros_message, eprosima::fastcdr::Cdr & cdr)
{
  if (!untyped_ros_message) {
    return null_message();
  }
  return msgdef::cdr::write_fields<Fields<S>>(*static_cast<const S *>(untyped_ros_message), cdr);
}

template<class S>
bool deserialize(eprosima::fastcdr::Cdr & cdr, void * untyped_ros_message)
{
  if (!untyped_ros_message) {
    return null_message();
  }
  return msgdef::cdr::read_fields<Fields<S>>(cdr, *static_cast<S *>(untyped_ros_message));
}

// A type with a string or a nested message cannot be measured without a
// message: given none it measures nothing, rather than read through null.
template<class S>
std::size_t serialized_size(const void * untyped_ros_message, std::size_t start)
{
  if constexpr (!msgdef::cdr::only_values_v<msgdef::cdr::fields_t<Fields<S>>>) {
    if (!untyped_ros_message) {
      return 0;
    }
  }
  return msgdef::cdr::serialized_size<Fields<S>>(static_cast<const S *>(untyped_ros_message), start);
}

template<class S>
std::size_t max_serialized_size(bool & bounded, std::size_t start)
{
  return msgdef::cdr::max_serialized_size<Fields<S>>(bounded, start);
}

}  // namespace fastcdr_c

// Binding of a nested message type pkg/folder/T: its exported Fast-CDR C names.
#define FASTCDR_C_BIND_MESSAGE(pkg, folder, T) \
  ::fastcdr_c::Nested{ \
    &rosidl_typesupport_fastrtps_c__get_message_type_support_handle__##pkg##__##folder##__##T, \
    &get_serialized_size_##pkg##__##folder##__##T, \
    &max_serialized_size_##pkg##__##folder##__##T}

// Callbacks, handle and the three exported functions of message type
// pkg/folder/T. Exported by the declarations in the package's headers.
// Handles are filled in definition order while the library loads.
#define FASTCDR_C_DEFINE(pkg, folder, T, snake) \
  FASTCDR_C_DEFINE_(pkg##__##folder##__##T, #pkg "::" #folder, #T)

#define FASTCDR_C_DEFINE_(S, NAMESPACE, NAME) \
  template<> struct fastcdr_c::Fields<S> \
  { \
    static constexpr auto value = MSGDEF_FIELD_TUPLE(S, S); \
  }; \
  extern "C" size_t get_serialized_size_##S(const void * untyped_ros_message, size_t current_alignment) \
  { \
    return fastcdr_c::serialized_size<S>(untyped_ros_message, current_alignment); \
  } \
  extern "C" size_t max_serialized_size_##S(bool & full_bounded, size_t current_alignment) \
  { \
    return fastcdr_c::max_serialized_size<S>(full_bounded, current_alignment); \
  } \
  namespace { \
  /* Same as the exported size functions at offset 0, without a call through */ \
  /* the symbol table; the sizes of types made of primitives fold to constants. */ \
  uint32_t S##__size_callback(const void * untyped_ros_message) \
  { \
    return static_cast<uint32_t>(fastcdr_c::serialized_size<S>(untyped_ros_message, 0)); \
  } \
  size_t S##__max_size_callback(bool & full_bounded) \
  { \
    return fastcdr_c::max_serialized_size<S>(full_bounded, 0); \
  } \
  const message_type_support_callbacks_t S##__callbacks = { \
    NAMESPACE, NAME, &fastcdr_c::serialize<S>, &fastcdr_c::deserialize<S>, \
    &S##__size_callback, &S##__max_size_callback}; \
  rosidl_message_type_support_t S##__handle = { \
    rosidl_typesupport_fastrtps_c__identifier, &S##__callbacks, \
    msgdef::imported_function(&get_message_typesupport_handle_function)}; \
  } \
  extern "C" const rosidl_message_type_support_t * \
  rosidl_typesupport_fastrtps_c__get_message_type_support_handle__##S(void) \
  { \
    return &S##__handle; \
  }

// Service handle of pkg/folder/Srv: points at this library's own request and
// response handles (defined before it by FASTCDR_C_DEFINE).
#define FASTCDR_C_DEFINE_SERVICE(pkg, folder, Srv, snake) \
  FASTCDR_C_DEFINE_SERVICE_(pkg##__##folder##__##Srv, #pkg "::" #folder, #Srv)

#define FASTCDR_C_DEFINE_SERVICE_(S, NAMESPACE, NAME) \
  namespace { \
  const service_type_support_callbacks_t S##__callbacks = { \
    NAMESPACE, NAME, &S##_Request__handle, &S##_Response__handle}; \
  rosidl_service_type_support_t S##__handle = { \
    rosidl_typesupport_fastrtps_c__identifier, &S##__callbacks, \
    msgdef::imported_function(&get_service_typesupport_handle_function)}; \
  } \
  extern "C" const rosidl_service_type_support_t * \
  rosidl_typesupport_fastrtps_c__get_service_type_support_handle__##S(void) \
  { \
    return &S##__handle; \
  }

#endif  // FASTCDR_C__FASTCDR_C_HPP_
