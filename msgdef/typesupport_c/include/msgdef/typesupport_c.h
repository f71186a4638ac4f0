/* Declarations of the handle functions of a package's C dispatch library:
 *
 *   #include "<pkg>/msgdef_package.h"
 *   #include "msgdef/typesupport_c.h"
 *   MSGDEF_TYPESUPPORT_C_DECLARE(<pkg>)
 *
 * declares rosidl_typesupport_c__get_message_type_support_handle__<C name>
 * for every message type (requests and responses included) and
 * rosidl_typesupport_c__get_service_type_support_handle__<C name> for every
 * service of the package. */
#ifndef MSGDEF__TYPESUPPORT_C_H_
#define MSGDEF__TYPESUPPORT_C_H_

#include "msgdef/c_message.h"
#include "rosidl_runtime_c/message_type_support_struct.h"
#include "rosidl_runtime_c/service_type_support_struct.h"
#include "rosidl_typesupport_interface/macros.h"

/* MSGDEF_TYPESUPPORT_C_API comes from msgdef/c_message.h. */
#define MSGDEF_TYPESUPPORT_C_MESSAGE_HANDLE(pkg, folder, T) \
  ROSIDL_TYPESUPPORT_INTERFACE__MESSAGE_SYMBOL_NAME(rosidl_typesupport_c, pkg, folder, T)
#define MSGDEF_TYPESUPPORT_C_SERVICE_HANDLE(pkg, folder, S) \
  ROSIDL_TYPESUPPORT_INTERFACE__SERVICE_SYMBOL_NAME(rosidl_typesupport_c, pkg, folder, S)

#define MSGDEF_TYPESUPPORT_C_DECLARE_MESSAGE(pkg, folder, T, snake) \
  MSGDEF_C_LINKAGE_BEGIN \
  MSGDEF_TYPESUPPORT_C_API const rosidl_message_type_support_t * \
  MSGDEF_TYPESUPPORT_C_MESSAGE_HANDLE(pkg, folder, T)(void); \
  MSGDEF_C_LINKAGE_END
#define MSGDEF_TYPESUPPORT_C_DECLARE_SERVICE(pkg, folder, S, snake) \
  MSGDEF_C_LINKAGE_BEGIN \
  MSGDEF_TYPESUPPORT_C_API const rosidl_service_type_support_t * \
  MSGDEF_TYPESUPPORT_C_SERVICE_HANDLE(pkg, folder, S)(void); \
  MSGDEF_C_LINKAGE_END

#define MSGDEF_TYPESUPPORT_C_DECLARE(pkg) MSGDEF_TYPESUPPORT_C_DECLARE_(pkg)
#define MSGDEF_TYPESUPPORT_C_DECLARE_(pkg) \
  pkg##__MESSAGES(MSGDEF_TYPESUPPORT_C_DECLARE_MESSAGE) \
  pkg##__SERVICES(MSGDEF_TYPESUPPORT_C_DECLARE_SERVICE)

#endif  /* MSGDEF__TYPESUPPORT_C_H_ */
