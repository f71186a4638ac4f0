// The C++ dispatch library of one package (MSGDEF_PACKAGE): a handle per
// message type and service whose map names the Fast-CDR C++ and C++
// introspection implementations, reached through the rosidl_typesupport_cpp
// specialisation and a C-linkage name that are one function. It links only
// the rosidl_typesupport_cpp runtime; the C++ structures are needed only to
// name the specialisations.
#include "dispatch_records.hpp"
#include "rosidl_typesupport_cpp/identifier.hpp"
#include "rosidl_typesupport_cpp/message_type_support_dispatch.hpp"
#include "rosidl_typesupport_cpp/service_type_support_dispatch.hpp"
#include "rosidl_typesupport_cpp/type_support_map.h"

#include MSGDEF_PACKAGE_HEADER
#include MSGDEF_PACKAGE_HEADER_CPP
#include "msgdef/typesupport_cpp.hpp"

MSGDEF_TYPESUPPORT_CPP_DECLARE(MSGDEF_PACKAGE)

// The C-linkage function is the definition; the specialisation is a second
// name for it (an alias, or with cl.exe a second export of one function).
#if defined(_MSC_VER) && !defined(__clang__)
#  define TYPESUPPORT_CPP_TWO_NAMES(Handle, c_name, cpp_name, records) \
  template<> Handle * cpp_name() \
  { \
    __pragma(comment(linker, "/EXPORT:" MSGDEF_STR(c_name) "=" __FUNCDNAME__)) \
    return &records::handle; \
  }
#else
// GCC's copy() gives the alias what the compiler learnt of the definition
// (that it cannot throw), so that both names are declared alike.
#  if defined(__clang__)
#    define TYPESUPPORT_CPP_ALIAS_OF(c_name) __attribute__((alias(MSGDEF_STR(c_name))))
#  else
#    define TYPESUPPORT_CPP_ALIAS_OF(c_name) __attribute__((alias(MSGDEF_STR(c_name)), copy(c_name)))
#  endif
#  define TYPESUPPORT_CPP_TWO_NAMES(Handle, c_name, cpp_name, records) \
  Handle * c_name(void) {return &records::handle;} \
  template<> Handle * cpp_name() TYPESUPPORT_CPP_ALIAS_OF(c_name);
#endif

#define TYPESUPPORT_CPP_MESSAGE(pkg, folder, T, snake) \
  DISPATCH_RECORDS(cpp, message, rosidl_message_type_support_t, \
    rosidl_typesupport_cpp::typesupport_identifier, \
    rosidl_typesupport_cpp::get_message_typesupport_handle_function, pkg, folder, T) \
  TYPESUPPORT_CPP_TWO_NAMES(const rosidl_message_type_support_t, \
    MSGDEF_TYPESUPPORT_CPP_MESSAGE_HANDLE(pkg, folder, T), \
    rosidl_typesupport_cpp::get_message_type_support_handle<::pkg::folder::T##_<std::allocator<void>>>, \
    pkg##__##folder##__##T##__dispatch)

#define TYPESUPPORT_CPP_SERVICE(pkg, folder, S, snake) \
  DISPATCH_RECORDS(cpp, service, rosidl_service_type_support_t, \
    rosidl_typesupport_cpp::typesupport_identifier, \
    rosidl_typesupport_cpp::get_service_typesupport_handle_function, pkg, folder, S) \
  TYPESUPPORT_CPP_TWO_NAMES(const rosidl_service_type_support_t, \
    MSGDEF_TYPESUPPORT_CPP_SERVICE_HANDLE(pkg, folder, S), \
    rosidl_typesupport_cpp::get_service_type_support_handle<::pkg::folder::S>, \
    pkg##__##folder##__##S##__dispatch)

// Handles are filled at load in this order: message types, then services.
MSGDEF_CAT(MSGDEF_PACKAGE, __MESSAGES)(TYPESUPPORT_CPP_MESSAGE)
MSGDEF_CAT(MSGDEF_PACKAGE, __SERVICES)(TYPESUPPORT_CPP_SERVICE)
