/* Every C header of the packages, compiled as strict C11. */
#include "builtin_interfaces/msg/time.h"
#include "navunit_common_msgs/msgdef_package.h"
#include "std_msgs/msg/header.h"
#include "velmari_messages/msgdef_package.h"

/* Each type's structure, sequence and functions are usable from C. */
#define USE_TYPE(pkg, folder, T, snake) \
  bool use_##pkg##__##folder##__##T(void) \
  { \
    pkg##__##folder##__##T##__Sequence * seq = pkg##__##folder##__##T##__Sequence__create(1); \
    bool ok = seq && pkg##__##folder##__##T##__are_equal(&seq->data[0], &seq->data[0]); \
    pkg##__##folder##__##T##__Sequence__destroy(seq); \
    return ok; \
  }

navunit_common_msgs__MESSAGES(USE_TYPE)
velmari_messages__MESSAGES(USE_TYPE)

/* C nodes name type support handles with the runtime's macros. */
const rosidl_message_type_support_t * control_type_support(void)
{
  return ROSIDL_GET_MSG_TYPE_SUPPORT(velmari_messages, msg, Control);
}
const rosidl_service_type_support_t * add_three_ints_type_support(void)
{
  return ROSIDL_GET_SRV_TYPE_SUPPORT(velmari_messages, srv, AddThreeInts);
}
