/* A tour of the C message libraries: for every type of both packages, create a
 * message, fill every field, copy it, compare the copy and release both. */
#include <stdio.h>
#include <string.h>

#include "navunit_common_msgs/msgdef_package.h"
#include "rosidl_runtime_c/string_functions.h"
#include "velmari_messages/msgdef_package.h"

/* Filling walks the type's own field list: primitives get 1, 2, 3, ...;
 * a header gets a stamp and a frame id. */
#define FILL_VALUE(name, kind) msg->name = (MSGDEF_C_TYPE_##kind)(++n); ++fields;
#define FILL_MESSAGE(name, pkg, folder, T) \
  msg->name.stamp.sec = 1700000000; \
  ok = ok && rosidl_runtime_c__String__assign(&msg->name.frame_id, "base_link"); \
  ++fields;
#define FILL_STRING(name) ok = ok && rosidl_runtime_c__String__assign(&msg->name, "text"); ++fields;

#define TOUR(pkg, folder, T, snake) \
  { \
    pkg##__##folder##__##T * msg = pkg##__##folder##__##T##__create(); \
    pkg##__##folder##__##T * copy = pkg##__##folder##__##T##__create(); \
    int n = 0, fields = 0; \
    bool ok = msg && copy; \
    if (ok) { \
      pkg##__##folder##__##T##__FIELDS(FILL_VALUE, FILL_MESSAGE, FILL_STRING) \
    } \
    bool copied = ok && pkg##__##folder##__##T##__copy(msg, copy); \
    bool equal = copied && pkg##__##folder##__##T##__are_equal(msg, copy); \
    pkg##__##folder##__##T##__destroy(copy); \
    pkg##__##folder##__##T##__destroy(msg); \
    printf("%-46s %2d fields filled, copied: %s, copy equal: %s, destroyed\n", \
      #pkg "/" #folder "/" #T, fields, copied ? "yes" : "NO", equal ? "yes" : "NO"); \
    failures += !(copied && equal); \
  }

int main(void)
{
  int failures = 0;
  navunit_common_msgs__MESSAGES(TOUR)
  velmari_messages__MESSAGES(TOUR)
  return failures ? 1 : 0;
}
