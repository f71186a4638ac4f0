// The C++ records have the field types and layout of ROS 2's C++ introspection
// records; the identifiers and codes have their values.
// First, alone: a middleware's walker includes only this header for a service.
#include "rosidl_typesupport_introspection_cpp/service_introspection.hpp"
static_assert(sizeof(rosidl_service_type_support_t) > 0, "the service handle is declared");

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <type_traits>

#include "rosidl_typesupport_introspection_c/identifier.h"
#include "rosidl_typesupport_introspection_cpp/field_types.hpp"
#include "rosidl_typesupport_introspection_cpp/identifier.hpp"
#include "rosidl_typesupport_introspection_cpp/message_introspection.hpp"
#include "velmari_messages/msg/detail/control__rosidl_typesupport_introspection_c.h"

extern "C" const rosidl_message_type_support_t * control_handle_from_c(void);

namespace
{

namespace ti = rosidl_typesupport_introspection_cpp;

struct ReferenceMember
{
  const char * name_;
  uint8_t type_id_;
  size_t string_upper_bound_;
  const rosidl_message_type_support_t * members_;
  bool is_array_;
  size_t array_size_;
  bool is_upper_bound_;
  uint32_t offset_;
  const void * default_value_;
  size_t (* size_function)(const void *);
  const void * (*get_const_function)(const void *, size_t);
  void * (*get_function)(void *, size_t);
  void (* resize_function)(void *, size_t);
};

struct ReferenceMembers
{
  const char * message_namespace_;
  const char * message_name_;
  uint32_t member_count_;
  size_t size_of_;
  const ti::MessageMember * members_;
  void (* init_function)(void *, rosidl_runtime_cpp::MessageInitialization);
  void (* fini_function)(void *);
};

struct ReferenceServiceMembers
{
  const char * service_namespace_;
  const char * service_name_;
  const ti::MessageMembers * request_members_;
  const ti::MessageMembers * response_members_;
};

#define SAME_FIELD(R, S, f) \
  static_assert(offsetof(R, f) == offsetof(S, f), #S "::" #f " position"); \
  static_assert(std::is_same_v<decltype(R::f), decltype(S::f)>, #S "::" #f " type");

static_assert(sizeof(ti::MessageMember) == sizeof(ReferenceMember));
SAME_FIELD(ReferenceMember, ti::MessageMember, name_)
SAME_FIELD(ReferenceMember, ti::MessageMember, type_id_)
SAME_FIELD(ReferenceMember, ti::MessageMember, string_upper_bound_)
SAME_FIELD(ReferenceMember, ti::MessageMember, members_)
SAME_FIELD(ReferenceMember, ti::MessageMember, is_array_)
SAME_FIELD(ReferenceMember, ti::MessageMember, array_size_)
SAME_FIELD(ReferenceMember, ti::MessageMember, is_upper_bound_)
SAME_FIELD(ReferenceMember, ti::MessageMember, offset_)
SAME_FIELD(ReferenceMember, ti::MessageMember, default_value_)
SAME_FIELD(ReferenceMember, ti::MessageMember, size_function)
SAME_FIELD(ReferenceMember, ti::MessageMember, get_const_function)
SAME_FIELD(ReferenceMember, ti::MessageMember, get_function)
SAME_FIELD(ReferenceMember, ti::MessageMember, resize_function)

static_assert(sizeof(ti::MessageMembers) == sizeof(ReferenceMembers));
SAME_FIELD(ReferenceMembers, ti::MessageMembers, message_namespace_)
SAME_FIELD(ReferenceMembers, ti::MessageMembers, message_name_)
SAME_FIELD(ReferenceMembers, ti::MessageMembers, member_count_)
SAME_FIELD(ReferenceMembers, ti::MessageMembers, size_of_)
SAME_FIELD(ReferenceMembers, ti::MessageMembers, members_)
SAME_FIELD(ReferenceMembers, ti::MessageMembers, init_function)
SAME_FIELD(ReferenceMembers, ti::MessageMembers, fini_function)

static_assert(sizeof(ti::ServiceMembers) == sizeof(ReferenceServiceMembers));
SAME_FIELD(ReferenceServiceMembers, ti::ServiceMembers, service_namespace_)
SAME_FIELD(ReferenceServiceMembers, ti::ServiceMembers, service_name_)
SAME_FIELD(ReferenceServiceMembers, ti::ServiceMembers, request_members_)
SAME_FIELD(ReferenceServiceMembers, ti::ServiceMembers, response_members_)

TEST(Records, IdentifiersAndCodes)
{
  EXPECT_STREQ(rosidl_typesupport_introspection_c__identifier, "rosidl_typesupport_introspection_c");
  EXPECT_STREQ(ti::typesupport_identifier, "rosidl_typesupport_introspection_cpp");
  const uint8_t codes[] = {ti::ROS_TYPE_FLOAT, ti::ROS_TYPE_DOUBLE, ti::ROS_TYPE_LONG_DOUBLE,
    ti::ROS_TYPE_CHAR, ti::ROS_TYPE_WCHAR, ti::ROS_TYPE_BOOLEAN, ti::ROS_TYPE_OCTET,
    ti::ROS_TYPE_UINT8, ti::ROS_TYPE_INT8, ti::ROS_TYPE_UINT16, ti::ROS_TYPE_INT16,
    ti::ROS_TYPE_UINT32, ti::ROS_TYPE_INT32, ti::ROS_TYPE_UINT64, ti::ROS_TYPE_INT64,
    ti::ROS_TYPE_STRING, ti::ROS_TYPE_WSTRING, ti::ROS_TYPE_MESSAGE};
  for (uint8_t i = 0; i < sizeof codes; ++i) {
    EXPECT_EQ(codes[i], i + 1);
  }
  EXPECT_EQ(ti::ROS_TYPE_FLOAT32, ti::ROS_TYPE_FLOAT);
  EXPECT_EQ(ti::ROS_TYPE_FLOAT64, ti::ROS_TYPE_DOUBLE);
  EXPECT_EQ(ti::ROS_TYPE_BOOL, ti::ROS_TYPE_BOOLEAN);
  EXPECT_EQ(ti::ROS_TYPE_BYTE, ti::ROS_TYPE_OCTET);
}

TEST(Records, CCallerReachesTheSameHandle)
{
  EXPECT_EQ(control_handle_from_c(),
    rosidl_typesupport_introspection_c__get_message_type_support_handle__velmari_messages__msg__Control());
}

// Exported names, demangled; AddressSanitizer's ODR indicators aside.
std::set<std::string> exports(const char * path)
{
  std::set<std::string> names;
  FILE * nm = popen((std::string("nm -D --defined-only -C '") + path + "'").c_str(), "r");
  char line[512];
  while (nm && std::fgets(line, sizeof line, nm)) {
    std::string text(line);
    text.erase(text.find_last_not_of('\n') + 1);
    const auto name = text.find(' ', text.find(' ') + 1);
    if (name != std::string::npos && text.compare(name + 1, 11, "__odr_asan.") != 0) {
      names.insert(text.substr(name + 1));
    }
  }
  if (nm) {
    pclose(nm);
  }
  return names;
}

TEST(Records, RuntimesExportTheirIdentifierAndNothingElse)
{
#if defined(_WIN32)
  GTEST_SKIP() << "reads the library with the host's ELF tools; a DLL's export table is "
    "checked by the exports tests";
#endif
  EXPECT_EQ(exports(PATH_rosidl_typesupport_introspection_c),
    std::set<std::string>{"rosidl_typesupport_introspection_c__identifier"});
  EXPECT_EQ(exports(PATH_rosidl_typesupport_introspection_cpp),
    std::set<std::string>{"rosidl_typesupport_introspection_cpp::typesupport_identifier"});
}

}  // namespace
