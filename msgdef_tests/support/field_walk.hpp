// fields_of(msg): the field descriptors of any C or C++ message of the
// packages and their dependencies, for code that fills or compares messages
// field by field (tests and benchmarks).
#ifndef TESTS__SUPPORT__FIELD_WALK_HPP_
#define TESTS__SUPPORT__FIELD_WALK_HPP_

#include "msgdef/fields.hpp"

#include "builtin_interfaces/msgdef_package.h"
#include "builtin_interfaces/msgdef_package.hpp"
#include "navunit_common_msgs/msgdef_package.h"
#include "navunit_common_msgs/msgdef_package.hpp"
#include "std_msgs/msgdef_package.h"
#include "std_msgs/msgdef_package.hpp"
#include "velmari_messages/msgdef_package.h"
#include "velmari_messages/msgdef_package.hpp"

namespace field_walk
{

// Nested messages are walked through their own fields_of: no binding needed.
#define MSGDEF_BIND_MESSAGE(pkg, folder, T) 0
#define FIELD_WALK_FIELDS_OF(pkg, folder, T, snake) \
  inline auto fields_of(const pkg##__##folder##__##T &) \
  { \
    return MSGDEF_FIELD_TUPLE(pkg##__##folder##__##T, pkg##__##folder##__##T); \
  } \
  inline auto fields_of(const pkg::folder::T &) \
  { \
    return MSGDEF_FIELD_TUPLE(pkg::folder::T, pkg##__##folder##__##T); \
  }
builtin_interfaces__MESSAGES(FIELD_WALK_FIELDS_OF)
std_msgs__MESSAGES(FIELD_WALK_FIELDS_OF)
navunit_common_msgs__MESSAGES(FIELD_WALK_FIELDS_OF)
velmari_messages__MESSAGES(FIELD_WALK_FIELDS_OF)
#undef FIELD_WALK_FIELDS_OF
#undef MSGDEF_BIND_MESSAGE

}  // namespace field_walk

#endif  // TESTS__SUPPORT__FIELD_WALK_HPP_
