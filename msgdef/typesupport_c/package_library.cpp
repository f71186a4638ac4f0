// The C dispatch library of one package (MSGDEF_PACKAGE): a handle per
// message type and service whose map names the Fast-CDR C and C
// introspection implementations. It links only the rosidl_typesupport_c
// runtime; the implementations are loaded by the runtime on first request.
#include "dispatch_records.hpp"
#include "rosidl_typesupport_c/identifier.h"
#include "rosidl_typesupport_c/message_type_support_dispatch.h"
#include "rosidl_typesupport_c/service_type_support_dispatch.h"
#include "rosidl_typesupport_c/type_support_map.h"

#include MSGDEF_PACKAGE_HEADER
#include "msgdef/typesupport_c.h"

MSGDEF_TYPESUPPORT_C_DECLARE(MSGDEF_PACKAGE)

#define TYPESUPPORT_C_MESSAGE(pkg, folder, T, snake) \
  DISPATCH_RECORDS(c, message, rosidl_message_type_support_t, \
    rosidl_typesupport_c__typesupport_identifier, \
    rosidl_typesupport_c__get_message_typesupport_handle_function, pkg, folder, T) \
  const rosidl_message_type_support_t * MSGDEF_TYPESUPPORT_C_MESSAGE_HANDLE(pkg, folder, T)(void) \
  { \
    return &pkg##__##folder##__##T##__dispatch::handle; \
  }

#define TYPESUPPORT_C_SERVICE(pkg, folder, S, snake) \
  DISPATCH_RECORDS(c, service, rosidl_service_type_support_t, \
    rosidl_typesupport_c__typesupport_identifier, \
    rosidl_typesupport_c__get_service_typesupport_handle_function, pkg, folder, S) \
  const rosidl_service_type_support_t * MSGDEF_TYPESUPPORT_C_SERVICE_HANDLE(pkg, folder, S)(void) \
  { \
    return &pkg##__##folder##__##S##__dispatch::handle; \
  }

// Handles are filled at load in this order: message types, then services.
MSGDEF_CAT(MSGDEF_PACKAGE, __MESSAGES)(TYPESUPPORT_C_MESSAGE)
MSGDEF_CAT(MSGDEF_PACKAGE, __SERVICES)(TYPESUPPORT_C_SERVICE)
