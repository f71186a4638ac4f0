// Expands a type's field list into its C++ structure template
// <pkg>::<folder>::<T>_<ContainerAllocator>, with the alias <T> for
// std::allocator<void>: the part <pkg>/<folder>/detail/<snake>__struct.hpp.
// Fields are value-initialised (zeros, empty strings).
#ifndef MSGDEF__CPP_MESSAGE_HPP_
#define MSGDEF__CPP_MESSAGE_HPP_

#include <cstdint>
#include <memory>
#include <string>

#include "rosidl_runtime_cpp/message_initialization.hpp"

#define MSGDEF_CPP_TYPE_bool bool
#define MSGDEF_CPP_TYPE_uint8 uint8_t
#define MSGDEF_CPP_TYPE_int16 int16_t
#define MSGDEF_CPP_TYPE_uint16 uint16_t
#define MSGDEF_CPP_TYPE_int32 int32_t
#define MSGDEF_CPP_TYPE_uint32 uint32_t
#define MSGDEF_CPP_TYPE_int64 int64_t
#define MSGDEF_CPP_TYPE_float32 float
#define MSGDEF_CPP_TYPE_float64 double

// Each field: its type alias _<name>_type, the member, and the chaining
// setter set__<name>() of ROS 2 C++ message code.
#define MSGDEF_CPP_VALUE_MEMBER(name, kind) MSGDEF_CPP_MEMBER_(name, MSGDEF_CPP_TYPE_##kind)
#define MSGDEF_CPP_MESSAGE_MEMBER(name, pkg, folder, T) \
  MSGDEF_CPP_MEMBER_(name, ::pkg::folder::T##_<ContainerAllocator>)
#define MSGDEF_CPP_STRING_MEMBER(name) \
  MSGDEF_CPP_MEMBER_(name, std::basic_string<char, std::char_traits<char>, \
    typename std::allocator_traits<ContainerAllocator>::template rebind_alloc<char>>)
#define MSGDEF_CPP_MEMBER_(name, ...) \
  using _##name##_type = __VA_ARGS__; \
  _##name##_type name{}; \
  Type & set__##name(const _##name##_type & _arg) \
  { \
    this->name = _arg; \
    return *this; \
  }

#define MSGDEF_CPP_EQUAL_VALUE(name, kind) && name == other.name
#define MSGDEF_CPP_EQUAL_MESSAGE(name, pkg, folder, T) && name == other.name
#define MSGDEF_CPP_EQUAL_STRING(name) && name == other.name

#define MSGDEF_CPP_MESSAGE(pkg, folder, T) \
  namespace pkg { namespace folder { \
  template<class ContainerAllocator> \
  struct T##_ \
  { \
    using Type = T##_<ContainerAllocator>; \
    using SharedPtr = std::shared_ptr<Type>; \
    using ConstSharedPtr = std::shared_ptr<const Type>; \
    template<typename Deleter = std::default_delete<Type>> \
    using UniquePtrWithDeleter = std::unique_ptr<Type, Deleter>; \
    using UniquePtr = UniquePtrWithDeleter<>; \
    template<typename Deleter = std::default_delete<Type>> \
    using ConstUniquePtrWithDeleter = std::unique_ptr<const Type, Deleter>; \
    using ConstUniquePtr = ConstUniquePtrWithDeleter<>; \
    using WeakPtr = std::weak_ptr<Type>; \
    using ConstWeakPtr = std::weak_ptr<const Type>; \
    /* The ROS 1 names, which ROS 2 code still uses. */ \
    using Ptr = SharedPtr; \
    using ConstPtr = ConstSharedPtr; \
    T##_() = default; \
    explicit T##_(rosidl_runtime_cpp::MessageInitialization) {} \
    explicit T##_(const ContainerAllocator &, \
      rosidl_runtime_cpp::MessageInitialization = rosidl_runtime_cpp::MessageInitialization::ALL) {} \
    pkg##__##folder##__##T##__FIELDS( \
      MSGDEF_CPP_VALUE_MEMBER, MSGDEF_CPP_MESSAGE_MEMBER, MSGDEF_CPP_STRING_MEMBER) \
    bool operator==(const T##_ & other) const \
    { \
      (void)other; \
      return true pkg##__##folder##__##T##__FIELDS( \
        MSGDEF_CPP_EQUAL_VALUE, MSGDEF_CPP_EQUAL_MESSAGE, MSGDEF_CPP_EQUAL_STRING); \
    } \
    bool operator!=(const T##_ & other) const {return !(*this == other);} \
  }; \
  using T = T##_<std::allocator<void>>; \
  }}

// A service pairs its request and response types.
#define MSGDEF_CPP_SERVICE(pkg, folder, S) \
  namespace pkg { namespace folder { \
  struct S \
  { \
    using Request = S##_Request; \
    using Response = S##_Response; \
  }; \
  }}

#endif  // MSGDEF__CPP_MESSAGE_HPP_
