// What a middleware does: from a type's dispatch handle, reach the
// introspection tables and the Fast-CDR serializer by identifier (the runtime
// loads each library by name), and check that a writer and a reader driven by
// the tables alone agree byte for byte with the serializer.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fastcdr/FastBuffer.h"
#include "introspection_test_types.hpp"
#include "msgdef/typesupport_c.h"
#include "msgdef/typesupport_cpp.hpp"
#include "navunit_common_msgs/msgdef_package.h"
#include "navunit_common_msgs/msgdef_package.hpp"
#include "rcutils/error_handling.h"
#include "rosidl_typesupport_fastrtps_cpp/message_type_support.h"
#include "table_walker.hpp"
#include "velmari_messages/msgdef_package.h"
#include "velmari_messages/msgdef_package.hpp"

MSGDEF_TYPESUPPORT_C_DECLARE(velmari_messages)
MSGDEF_TYPESUPPORT_C_DECLARE(navunit_common_msgs)
MSGDEF_TYPESUPPORT_CPP_DECLARE(velmari_messages)
MSGDEF_TYPESUPPORT_CPP_DECLARE(navunit_common_msgs)

namespace
{

using CMembers = rosidl_typesupport_introspection_c__MessageMembers;
using CppMembers = rosidl_typesupport_introspection_cpp::MessageMembers;

struct DispatchCase
{
  TypeCase type;
  MessageHandleFunction c_dispatch;
  MessageHandleFunction cpp_dispatch;
};

void PrintTo(const DispatchCase & c, std::ostream * out) {*out << c.type.name;}

std::vector<DispatchCase> dispatch_cases()
{
  std::vector<DispatchCase> cases;
  const std::vector<TypeCase> types = all_types();
  auto add = [&](const char * name, MessageHandleFunction c, MessageHandleFunction cpp) {
      for (const TypeCase & type : types) {
        if (std::string(type.name) == name) {
          cases.push_back({type, c, cpp});
        }
      }
    };
#define ADD_DISPATCH_CASE(pkg, folder, T, snake) \
  add(#T, &MSGDEF_TYPESUPPORT_C_MESSAGE_HANDLE(pkg, folder, T), \
    &MSGDEF_TYPESUPPORT_CPP_MESSAGE_HANDLE(pkg, folder, T));
  velmari_messages__MESSAGES(ADD_DISPATCH_CASE)
  navunit_common_msgs__MESSAGES(ADD_DISPATCH_CASE)
#undef ADD_DISPATCH_CASE
  return cases;
}

std::vector<char> bytes_of(const eprosima::fastcdr::FastBuffer & buffer, const eprosima::fastcdr::Cdr & cdr)
{
  return std::vector<char>(buffer.getBuffer(), buffer.getBuffer() + cdr.getSerializedDataLength());
}

// Fills a message through the tables, serializes it both ways, compares, and
// reads the serializer's bytes back through the tables.
template<class Members>
void round_trip(
  const rosidl_message_type_support_t * tables, const rosidl_message_type_support_t * fastcdr)
{
  const auto & members = *static_cast<const Members *>(tables->data);
  const auto & callbacks = *static_cast<const message_type_support_callbacks_t *>(fastcdr->data);
  using Mode = std::conditional_t<walker::is_c<Members>,
      rosidl_runtime_c__message_initialization, rosidl_runtime_cpp::MessageInitialization>;
  const Mode mode{};  // initialise everything
  std::unique_ptr<std::max_align_t[]> original(new std::max_align_t[members.size_of_ / sizeof(std::max_align_t) + 1]);
  std::unique_ptr<std::max_align_t[]> copy(new std::max_align_t[members.size_of_ / sizeof(std::max_align_t) + 1]);
  members.init_function(original.get(), mode);
  members.init_function(copy.get(), mode);
  int next = 1;
  walker::fill(members, original.get(), next);

  // The stream skips alignment gaps without writing them: start from zeros.
  std::vector<char> serializer_storage(4096, 0), tables_storage(4096, 0);
  eprosima::fastcdr::FastBuffer by_serializer_buffer(serializer_storage.data(), serializer_storage.size());
  eprosima::fastcdr::FastBuffer by_tables_buffer(tables_storage.data(), tables_storage.size());
  eprosima::fastcdr::Cdr by_serializer(by_serializer_buffer, eprosima::fastcdr::Cdr::DEFAULT_ENDIAN,
    eprosima::fastcdr::Cdr::DDS_CDR);
  eprosima::fastcdr::Cdr by_tables(by_tables_buffer, eprosima::fastcdr::Cdr::DEFAULT_ENDIAN,
    eprosima::fastcdr::Cdr::DDS_CDR);
  ASSERT_TRUE(callbacks.cdr_serialize(original.get(), by_serializer));
  walker::serialize(members, original.get(), by_tables);
  const std::vector<char> written = bytes_of(by_serializer_buffer, by_serializer);
  EXPECT_EQ(written, bytes_of(by_tables_buffer, by_tables));
  EXPECT_EQ(callbacks.get_serialized_size(original.get()), written.size());

  eprosima::fastcdr::FastBuffer input(const_cast<char *>(written.data()), written.size());
  eprosima::fastcdr::Cdr reader(input, eprosima::fastcdr::Cdr::DEFAULT_ENDIAN,
    eprosima::fastcdr::Cdr::DDS_CDR);
  walker::deserialize(members, copy.get(), reader);
  EXPECT_EQ(reader.getSerializedDataLength(), written.size());
  EXPECT_EQ(walker::print(members, copy.get()), walker::print(members, original.get()));
  members.fini_function(original.get());
  members.fini_function(copy.get());
}

class EndToEnd : public ::testing::TestWithParam<DispatchCase> {};

TEST_P(EndToEnd, CDispatchReachesTheTablesAndTheSerializer)
{
  const DispatchCase & c = GetParam();
  const rosidl_message_type_support_t * dispatch = c.c_dispatch();
  const auto * tables = dispatch->func(dispatch, "rosidl_typesupport_introspection_c");
  ASSERT_NE(tables, nullptr) << rcutils_get_error_string().str;
  EXPECT_EQ(tables, c.type.c_handle());
  const auto * fastcdr = dispatch->func(dispatch, "rosidl_typesupport_fastrtps_c");
  ASSERT_NE(fastcdr, nullptr) << rcutils_get_error_string().str;
  round_trip<CMembers>(tables, fastcdr);
  EXPECT_EQ(dispatch->func(dispatch, "rosidl_typesupport_introspection_cpp"), nullptr);
  rcutils_reset_error();
}

TEST_P(EndToEnd, CppDispatchReachesTheTablesAndTheSerializer)
{
  const DispatchCase & c = GetParam();
  const rosidl_message_type_support_t * dispatch = c.cpp_dispatch();
  const auto * tables = dispatch->func(dispatch, "rosidl_typesupport_introspection_cpp");
  ASSERT_NE(tables, nullptr) << rcutils_get_error_string().str;
  EXPECT_EQ(tables, c.type.cpp_handle());
  const auto * fastcdr = dispatch->func(dispatch, "rosidl_typesupport_fastrtps_cpp");
  ASSERT_NE(fastcdr, nullptr) << rcutils_get_error_string().str;
  round_trip<CppMembers>(tables, fastcdr);
  EXPECT_EQ(dispatch->func(dispatch, "rosidl_typesupport_introspection_c"), nullptr);
  rcutils_reset_error();
}

INSTANTIATE_TEST_SUITE_P(
  AllTypes, EndToEnd, ::testing::ValuesIn(dispatch_cases()),
  [](const ::testing::TestParamInfo<DispatchCase> & info) {return std::string(info.param.type.name);});

TEST(EndToEndService, DispatchReachesTheServiceTables)
{
  const auto * c = rosidl_typesupport_c__get_service_type_support_handle__velmari_messages__srv__AddThreeInts();
  EXPECT_EQ(c->func(c, "rosidl_typesupport_introspection_c"),
    rosidl_typesupport_introspection_c__get_service_type_support_handle__velmari_messages__srv__AddThreeInts());
  const auto * cpp = rosidl_typesupport_cpp::get_service_type_support_handle<velmari_messages::srv::AddThreeInts>();
  EXPECT_EQ(cpp->func(cpp, "rosidl_typesupport_introspection_cpp"),
    rosidl_typesupport_introspection_cpp::get_service_type_support_handle<velmari_messages::srv::AddThreeInts>());
}

}  // namespace
