// Declarations of the C++ dispatch library's handle functions of one type:
// the part <pkg>/<folder>/detail/<snake>__type_support.hpp.
//
// MSGDEF_TYPESUPPORT_CPP_DECLARE_MESSAGE(pkg, folder, T, snake) declares the
// specialisation rosidl_typesupport_cpp::get_message_type_support_handle<pkg::folder::T>()
// and its C-linkage name rosidl_typesupport_cpp__get_message_type_support_handle__<C name>;
// MSGDEF_TYPESUPPORT_CPP_DECLARE_SERVICE likewise get_service_type_support_handle.
// Both names of a handle are one function of the package's C++ dispatch library.
#ifndef MSGDEF__CPP_TYPE_SUPPORT_HPP_
#define MSGDEF__CPP_TYPE_SUPPORT_HPP_

#include <memory>

#include "msgdef/c_message.h"
#include "rosidl_runtime_c/message_type_support_struct.h"
#include "rosidl_runtime_c/service_type_support_struct.h"
#include "rosidl_typesupport_cpp/message_type_support.hpp"
#include "rosidl_typesupport_cpp/service_type_support.hpp"
#include "rosidl_typesupport_interface/macros.h"

#ifdef MSGDEF_TYPESUPPORT_CPP_BUILDING
#  define MSGDEF_TYPESUPPORT_CPP_API MSGDEF_EXPORT
#else
#  define MSGDEF_TYPESUPPORT_CPP_API MSGDEF_IMPORT
#endif

#define MSGDEF_TYPESUPPORT_CPP_MESSAGE_HANDLE(pkg, folder, T) \
  ROSIDL_TYPESUPPORT_INTERFACE__MESSAGE_SYMBOL_NAME(rosidl_typesupport_cpp, pkg, folder, T)
#define MSGDEF_TYPESUPPORT_CPP_SERVICE_HANDLE(pkg, folder, S) \
  ROSIDL_TYPESUPPORT_INTERFACE__SERVICE_SYMBOL_NAME(rosidl_typesupport_cpp, pkg, folder, S)

#define MSGDEF_TYPESUPPORT_CPP_DECLARE_MESSAGE(pkg, folder, T, snake) \
  extern "C" MSGDEF_TYPESUPPORT_CPP_API const rosidl_message_type_support_t * \
  MSGDEF_TYPESUPPORT_CPP_MESSAGE_HANDLE(pkg, folder, T)(void); \
  template<> MSGDEF_TYPESUPPORT_CPP_API const rosidl_message_type_support_t * \
  rosidl_typesupport_cpp::get_message_type_support_handle<::pkg::folder::T##_<std::allocator<void>>>();
#define MSGDEF_TYPESUPPORT_CPP_DECLARE_SERVICE(pkg, folder, S, snake) \
  extern "C" MSGDEF_TYPESUPPORT_CPP_API const rosidl_service_type_support_t * \
  MSGDEF_TYPESUPPORT_CPP_SERVICE_HANDLE(pkg, folder, S)(void); \
  template<> MSGDEF_TYPESUPPORT_CPP_API const rosidl_service_type_support_t * \
  rosidl_typesupport_cpp::get_service_type_support_handle<::pkg::folder::S>();

#endif  // MSGDEF__CPP_TYPE_SUPPORT_HPP_
