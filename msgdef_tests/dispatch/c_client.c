/* A C11 client of the C dispatch libraries: the declarations it needs compile
 * as C, and the handles are reached the way C code names them. */
#include "msgdef/typesupport_c.h"
#include "navunit_common_msgs/msgdef_package.h"
#include "velmari_messages/msgdef_package.h"

MSGDEF_TYPESUPPORT_C_DECLARE(velmari_messages)
MSGDEF_TYPESUPPORT_C_DECLARE(navunit_common_msgs)

const rosidl_message_type_support_t * c_client_control_handle(void)
{
  return ROSIDL_GET_MSG_TYPE_SUPPORT(velmari_messages, msg, Control);
}

const rosidl_message_type_support_t * c_client_velmari_ego_cache_handle(void)
{
  return ROSIDL_GET_MSG_TYPE_SUPPORT(navunit_common_msgs, msg, VelmariEgoCache);
}

const rosidl_service_type_support_t * c_client_add_three_ints_handle(void)
{
  return ROSIDL_GET_SRV_TYPE_SUPPORT(velmari_messages, srv, AddThreeInts);
}
