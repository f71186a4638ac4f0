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

// The per-type declarations are those of the C++ header set.
#include "msgdef/cpp_type_support.hpp"

#define MSGDEF_TYPESUPPORT_CPP_DECLARE(pkg) MSGDEF_TYPESUPPORT_CPP_DECLARE_(pkg)
#define MSGDEF_TYPESUPPORT_CPP_DECLARE_(pkg) \
  pkg##__MESSAGES(MSGDEF_TYPESUPPORT_CPP_DECLARE_MESSAGE) \
  pkg##__SERVICES(MSGDEF_TYPESUPPORT_CPP_DECLARE_SERVICE)

#endif  // MSGDEF__TYPESUPPORT_CPP_HPP_
