// Declarations of the handle functions of a package's C++ dispatch library:
//
//   #include "<pkg>/msgdef_package.h"
//   #include "<pkg>/msgdef_package.hpp"
//   #include "msgdef/typesupport_cpp.hpp"
//   MSGDEF_TYPESUPPORT_CPP_DECLARE(<pkg>)
//
// declares, for every message type T of folder F (requests and responses
// included), the specialisation
// rosidl_typesupport_cpp::get_message_type_support_handle<pkg::F::T>() and its
// C-linkage name rosidl_typesupport_cpp__get_message_type_support_handle__<C name>,
// and likewise get_service_type_support_handle for every service. Both names
// of a handle are one function.
#ifndef MSGDEF__TYPESUPPORT_CPP_HPP_
#define MSGDEF__TYPESUPPORT_CPP_HPP_

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

#define MSGDEF_TYPESUPPORT_CPP_DECLARE(pkg) MSGDEF_TYPESUPPORT_CPP_DECLARE_(pkg)
#define MSGDEF_TYPESUPPORT_CPP_DECLARE_(pkg) \
  pkg##__MESSAGES(MSGDEF_TYPESUPPORT_CPP_DECLARE_MESSAGE) \
  pkg##__SERVICES(MSGDEF_TYPESUPPORT_CPP_DECLARE_SERVICE)

#endif  // MSGDEF__TYPESUPPORT_CPP_HPP_
