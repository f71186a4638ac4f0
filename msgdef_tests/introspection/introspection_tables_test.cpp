// The tables of every type in both flavours, read through the exported
// handle functions and checked against the structures themselves.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "introspection_test_types.hpp"
#include "rcutils/error_handling.h"
#include "rosidl_typesupport_introspection_c/identifier.h"
#include "rosidl_typesupport_introspection_c/service_introspection.h"
#include "rosidl_typesupport_introspection_cpp/identifier.hpp"
#include "rosidl_typesupport_introspection_cpp/service_introspection.hpp"
#include "table_walker.hpp"

namespace
{

using CMembers = rosidl_typesupport_introspection_c__MessageMembers;
using CppMembers = rosidl_typesupport_introspection_cpp::MessageMembers;

// The width of a primitive of each code, to check codes against the field types.
std::size_t code_width(uint8_t code)
{
  switch (code) {
    case 1: case 13: case 12: return 4;
    case 2: case 15: case 14: return 8;
    case 6: case 8: case 9: return 1;
    case 11: case 10: return 2;
    default: return 0;
  }
}

template<class Members>
void expect_table(
  const rosidl_message_type_support_t * handle, const char * identifier,
  const char * ns, const TypeCase & type, std::size_t size,
  const std::vector<ExpectedRow> & expected, const rosidl_message_type_support_t * header)
{
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(handle->typesupport_identifier, identifier);  // the runtime's pointer itself
  EXPECT_EQ(handle->func, &get_message_typesupport_handle_function);
  const auto & members = *static_cast<const Members *>(handle->data);
  EXPECT_STREQ(members.message_namespace_, ns);
  EXPECT_STREQ(members.message_name_, type.name);
  EXPECT_EQ(members.size_of_, size);
  ASSERT_EQ(members.member_count_, expected.size());
  EXPECT_NE(members.init_function, nullptr);
  EXPECT_NE(members.fini_function, nullptr);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const auto & row = members.members_[i];
    SCOPED_TRACE(expected[i].name);
    EXPECT_STREQ(row.name_, expected[i].name);
    EXPECT_EQ(row.type_id_, expected[i].code);
    EXPECT_EQ(row.offset_, expected[i].offset);
    if (row.type_id_ == 18) {
      EXPECT_EQ(row.members_, header);
    } else {
      EXPECT_EQ(row.members_, nullptr);
      EXPECT_EQ(code_width(row.type_id_), expected[i].size);
    }
    EXPECT_EQ(row.string_upper_bound_, 0u);
    EXPECT_FALSE(row.is_array_);
    EXPECT_EQ(row.array_size_, 0u);
    EXPECT_FALSE(row.is_upper_bound_);
    EXPECT_EQ(row.default_value_, nullptr);
    EXPECT_EQ(row.size_function, nullptr);
    EXPECT_EQ(row.get_const_function, nullptr);
    EXPECT_EQ(row.get_function, nullptr);
    EXPECT_EQ(row.resize_function, nullptr);
  }
}

class Tables : public ::testing::TestWithParam<TypeCase> {};

TEST_P(Tables, CTableDescribesTheCStructure)
{
  const TypeCase & type = GetParam();
  const auto * handle = type.c_handle();
  expect_table<CMembers>(
    handle, rosidl_typesupport_introspection_c__identifier, type.c_namespace, type,
    type.c_size, type.c_rows,
    rosidl_typesupport_introspection_c__get_message_type_support_handle__std_msgs__msg__Header());
  EXPECT_EQ(type.c_handle(), handle);
}

TEST_P(Tables, CppTableDescribesTheCppStructure)
{
  const TypeCase & type = GetParam();
  const auto * handle = type.cpp_handle();
  expect_table<CppMembers>(
    handle, rosidl_typesupport_introspection_cpp::typesupport_identifier, type.cpp_namespace,
    type, type.cpp_size, type.cpp_rows,
    rosidl_typesupport_introspection_cpp__get_message_type_support_handle__std_msgs__msg__Header());
  // The C++ specialisation and the C-linkage name are one handle.
  EXPECT_EQ(type.cpp_template_handle(), handle);
  EXPECT_NE(type.c_handle(), handle);
}

TEST_P(Tables, HandleAnswersOnlyItsOwnIdentifier)
{
  const TypeCase & type = GetParam();
  const auto * c = type.c_handle();
  EXPECT_EQ(c->func(c, "rosidl_typesupport_introspection_c"), c);
  EXPECT_EQ(c->func(c, "rosidl_typesupport_fastrtps_c"), nullptr);
  const auto * cpp = type.cpp_handle();
  EXPECT_EQ(cpp->func(cpp, "rosidl_typesupport_introspection_cpp"), cpp);
  EXPECT_EQ(cpp->func(cpp, "rosidl_typesupport_introspection_c"), nullptr);
  rcutils_reset_error();
}

// Every mode initialises as the C message library's init does, from the
// same storage; fini releases it (checked by the leak sanitizer).
TEST_P(Tables, CInitAndFiniAreTheMessageLibrarys)
{
  const TypeCase & type = GetParam();
  const auto & members = *static_cast<const CMembers *>(type.c_handle()->data);
  for (auto mode : {ROSIDL_RUNTIME_C_MSG_INIT_ALL, ROSIDL_RUNTIME_C_MSG_INIT_SKIP,
      ROSIDL_RUNTIME_C_MSG_INIT_ZERO, ROSIDL_RUNTIME_C_MSG_INIT_DEFAULTS_ONLY})
  {
    SCOPED_TRACE(mode);
    std::unique_ptr<char[]> through_table(new char[type.c_size]);
    std::unique_ptr<char[]> through_library(new char[type.c_size]);
    std::memset(through_table.get(), 0x5a, type.c_size);
    std::memset(through_library.get(), 0x5a, type.c_size);
    members.init_function(through_table.get(), mode);
    ASSERT_TRUE(type.c_init(through_library.get()));
    EXPECT_TRUE(type.c_are_equal(through_table.get(), through_library.get()));
    int next = 1;
    walker::fill(members, through_table.get(), next);  // gives the header string storage
    members.fini_function(through_table.get());
    type.c_fini(through_library.get());
  }
}

// Without memory, init and fini do nothing in either flavour.
TEST_P(Tables, InitAndFiniWithoutMemoryHaveNoEffect)
{
  const TypeCase & type = GetParam();
  const auto & c = *static_cast<const CMembers *>(type.c_handle()->data);
  c.init_function(nullptr, ROSIDL_RUNTIME_C_MSG_INIT_ALL);
  c.fini_function(nullptr);
  const auto & cpp = *static_cast<const CppMembers *>(type.cpp_handle()->data);
  cpp.init_function(nullptr, rosidl_runtime_cpp::MessageInitialization::ALL);
  cpp.fini_function(nullptr);
}

// Filled and printed through the tables alone, both flavours of a type agree;
// the C++ fini must destroy the heap-held frame id (leak sanitizer).
TEST_P(Tables, WalkerSeesTheSameMessageInBothFlavours)
{
  const TypeCase & type = GetParam();
  const auto & c = *static_cast<const CMembers *>(type.c_handle()->data);
  const auto & cpp = *static_cast<const CppMembers *>(type.cpp_handle()->data);
  std::unique_ptr<char[]> c_msg(new char[type.c_size]);
  std::unique_ptr<std::max_align_t[]> cpp_msg(
    new std::max_align_t[type.cpp_size / sizeof(std::max_align_t) + 1]);
  c.init_function(c_msg.get(), ROSIDL_RUNTIME_C_MSG_INIT_ALL);
  cpp.init_function(cpp_msg.get(), rosidl_runtime_cpp::MessageInitialization::ALL);
  int c_next = 1, cpp_next = 1;
  walker::fill(c, c_msg.get(), c_next);
  walker::fill(cpp, cpp_msg.get(), cpp_next);
  const std::string printed = walker::print(c, c_msg.get());
  EXPECT_EQ(printed, walker::print(cpp, cpp_msg.get()));
  EXPECT_EQ(printed.find("<code"), std::string::npos);
  c.fini_function(c_msg.get());
  cpp.fini_function(cpp_msg.get());
}

INSTANTIATE_TEST_SUITE_P(
  AllTypes, Tables, ::testing::ValuesIn(all_types()),
  [](const ::testing::TestParamInfo<TypeCase> & info) {return std::string(info.param.name);});

// A message filled field by field, read back through the tables alone.
const char * const control_printed =
  "header.stamp.sec=-7\nheader.stamp.nanosec=4000000001\nheader.frame_id=base_link\n"
  "valid=true\nthrottle=0.5\nbrake=0.25\nsteer=-0.125\nmode=3\ngear=-1\n";

template<class Control>
void fill_control(Control & msg)
{
  msg.header.stamp.sec = -7;
  msg.header.stamp.nanosec = 4000000001u;
  msg.valid = true;
  msg.throttle = 0.5;
  msg.brake = 0.25;
  msg.steer = -0.125;
  msg.mode = 3;
  msg.gear = -1;
}

TEST(Walker, ReadsAFilledControlThroughTheTables)
{
  velmari_messages__msg__Control c_msg;
  ASSERT_TRUE(velmari_messages__msg__Control__init(&c_msg));
  fill_control(c_msg);
  ASSERT_TRUE(rosidl_runtime_c__String__assign(&c_msg.header.frame_id, "base_link"));
  const auto * c = rosidl_typesupport_introspection_c__get_message_type_support_handle__velmari_messages__msg__Control();
  EXPECT_EQ(walker::print(*static_cast<const CMembers *>(c->data), &c_msg), control_printed);
  velmari_messages__msg__Control__fini(&c_msg);

  velmari_messages::msg::Control cpp_msg;
  fill_control(cpp_msg);
  cpp_msg.header.frame_id = "base_link";
  const auto * cpp = rosidl_typesupport_introspection_cpp::get_message_type_support_handle<
    velmari_messages::msg::Control>();
  EXPECT_EQ(walker::print(*static_cast<const CppMembers *>(cpp->data), &cpp_msg), control_printed);
}

// The nested tables themselves: std_msgs Header and builtin_interfaces Time.
TEST(NestedTables, HeaderAndTimeInBothFlavours)
{
  const auto * header = rosidl_typesupport_introspection_c__get_message_type_support_handle__std_msgs__msg__Header();
  const auto & h = *static_cast<const CMembers *>(header->data);
  EXPECT_STREQ(h.message_namespace_, "std_msgs__msg");
  ASSERT_EQ(h.member_count_, 2u);
  EXPECT_STREQ(h.members_[0].name_, "stamp");
  EXPECT_EQ(h.members_[0].type_id_, 18);
  EXPECT_EQ(h.members_[0].offset_, offsetof(std_msgs__msg__Header, stamp));
  EXPECT_STREQ(h.members_[1].name_, "frame_id");
  EXPECT_EQ(h.members_[1].type_id_, 16);
  EXPECT_EQ(h.members_[1].offset_, offsetof(std_msgs__msg__Header, frame_id));
  const auto & t = *static_cast<const CMembers *>(h.members_[0].members_->data);
  EXPECT_STREQ(t.message_name_, "Time");
  ASSERT_EQ(t.member_count_, 2u);
  EXPECT_EQ(t.members_[0].type_id_, 13);
  EXPECT_EQ(t.members_[1].type_id_, 12);
  EXPECT_EQ(t.size_of_, sizeof(builtin_interfaces__msg__Time));

  const auto * cpp_header = rosidl_typesupport_introspection_cpp::get_message_type_support_handle<
    std_msgs::msg::Header>();
  const auto & ch = *static_cast<const CppMembers *>(cpp_header->data);
  EXPECT_STREQ(ch.message_namespace_, "std_msgs::msg");
  EXPECT_EQ(ch.size_of_, sizeof(std_msgs::msg::Header));
  EXPECT_EQ(ch.members_[1].type_id_, 16);
  EXPECT_EQ(ch.members_[1].offset_, offsetof(std_msgs::msg::Header, frame_id));
  EXPECT_EQ(ch.members_[0].members_,
    rosidl_typesupport_introspection_cpp::get_message_type_support_handle<
      builtin_interfaces::msg::Time>());
}

// A nested-type field that was changed is bound again by the next call.
TEST(NestedTables, HeaderRowIsRestoredByTheNextCall)
{
  const auto * handle = rosidl_typesupport_introspection_c__get_message_type_support_handle__velmari_messages__msg__EgoState();
  auto * rows = const_cast<rosidl_typesupport_introspection_c__MessageMember *>(
    static_cast<const CMembers *>(handle->data)->members_);
  const auto * header = rows[0].members_;
  rows[0].members_ = nullptr;
  rosidl_typesupport_introspection_c__get_message_type_support_handle__velmari_messages__msg__EgoState();
  EXPECT_EQ(rows[0].members_, header);
}

template<class ServiceMembers, class Members>
void expect_service(
  const rosidl_service_type_support_t * service, const char * identifier, const char * ns,
  const rosidl_message_type_support_t * request, const rosidl_message_type_support_t * response)
{
  EXPECT_EQ(service->typesupport_identifier, identifier);
  EXPECT_EQ(service->func, &get_service_typesupport_handle_function);
  const auto & s = *static_cast<const ServiceMembers *>(service->data);
  EXPECT_STREQ(s.service_namespace_, ns);
  EXPECT_STREQ(s.service_name_, "AddThreeInts");
  EXPECT_EQ(s.request_members_, request->data);
  EXPECT_EQ(s.response_members_, response->data);
  EXPECT_EQ(service->func(service, identifier), service);
}

TEST(Service, PairsTheRequestAndResponseTables)
{
  expect_service<rosidl_typesupport_introspection_c__ServiceMembers, CMembers>(
    rosidl_typesupport_introspection_c__get_service_type_support_handle__velmari_messages__srv__AddThreeInts(),
    rosidl_typesupport_introspection_c__identifier, "velmari_messages__srv",
    rosidl_typesupport_introspection_c__get_message_type_support_handle__velmari_messages__srv__AddThreeInts_Request(),
    rosidl_typesupport_introspection_c__get_message_type_support_handle__velmari_messages__srv__AddThreeInts_Response());
  const auto * cpp = rosidl_typesupport_introspection_cpp::get_service_type_support_handle<
    velmari_messages::srv::AddThreeInts>();
  EXPECT_EQ(cpp,
    rosidl_typesupport_introspection_cpp__get_service_type_support_handle__velmari_messages__srv__AddThreeInts());
  expect_service<rosidl_typesupport_introspection_cpp::ServiceMembers, CppMembers>(
    cpp, rosidl_typesupport_introspection_cpp::typesupport_identifier, "velmari_messages::srv",
    rosidl_typesupport_introspection_cpp::get_message_type_support_handle<
      velmari_messages::srv::AddThreeInts_Request>(),
    rosidl_typesupport_introspection_cpp::get_message_type_support_handle<
      velmari_messages::srv::AddThreeInts_Response>());
}

}  // namespace
