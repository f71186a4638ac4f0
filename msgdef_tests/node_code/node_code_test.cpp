// C++ written the way ROS 2 node code uses interface packages: the top-level
// and detail/ headers, traits in static_asserts, chained setters, the pointer
// aliases, the type support templates and to_yaml.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <type_traits>

// The traits' primary templates first, as client libraries include them.
#include "rosidl_runtime_cpp/traits.hpp"
#include "rosidl_typesupport_cpp/message_type_support.hpp"
#include "rosidl_typesupport_cpp/service_type_support.hpp"

#include "builtin_interfaces/msg/detail/time__traits.hpp"
#include "navunit_common_msgs/msg/detail/velmari_ego_cache__struct.hpp"
#include "navunit_common_msgs/msg/detail/velmari_ego_cache__traits.hpp"
#include "navunit_common_msgs/msg/zodizu610.hpp"
#include "std_msgs/msg/detail/header__struct.hpp"
#include "velmari_messages/msg/control.hpp"
#include "velmari_messages/msg/detail/ego_state__struct.hpp"
#include "velmari_messages/msg/detail/ego_state__traits.hpp"
#include "velmari_messages/msg/detail/ego_state__type_support.hpp"
#include "velmari_messages/msg/num.hpp"
#include "velmari_messages/srv/add_three_ints.hpp"

namespace
{

using builtin_interfaces::msg::Time;
using navunit_common_msgs::msg::VelmariEgoCache;
using navunit_common_msgs::msg::Zodizu610;
using std_msgs::msg::Header;
using velmari_messages::msg::Control;
using velmari_messages::msg::EgoState;
using velmari_messages::msg::Num;
using velmari_messages::srv::AddThreeInts;
namespace traits = rosidl_generator_traits;

// What generic code asks of a type at compile time.
static_assert(traits::is_message<Control>::value, "Control is a message");
static_assert(traits::is_message<Zodizu610>::value, "Zodizu610 is a message");
static_assert(traits::is_message<AddThreeInts::Request>::value, "a request is a message");
static_assert(!traits::is_message<AddThreeInts>::value, "a service is not a message");
static_assert(traits::is_service<AddThreeInts>::value, "AddThreeInts is a service");
static_assert(!traits::is_service<Control>::value, "Control is not a service");
static_assert(traits::is_service_request<AddThreeInts::Request>::value, "request");
static_assert(traits::is_service_response<AddThreeInts::Response>::value, "response");
static_assert(!traits::is_service_request<AddThreeInts::Response>::value, "not a request");
static_assert(!traits::is_service_response<Num>::value, "Num answers no service");

// A string anywhere inside, nested types included, makes the size variable.
static_assert(traits::has_fixed_size<Time>::value && traits::has_bounded_size<Time>::value, "");
static_assert(!traits::has_fixed_size<Header>::value && !traits::has_bounded_size<Header>::value, "");
static_assert(!traits::has_fixed_size<Control>::value && !traits::has_bounded_size<Control>::value, "");
static_assert(!traits::has_fixed_size<EgoState>::value, "EgoState has a header");
static_assert(!traits::has_fixed_size<Zodizu610>::value, "Zodizu610 has a header");
static_assert(traits::has_fixed_size<VelmariEgoCache>::value, "VelmariEgoCache is all floats");
static_assert(traits::has_bounded_size<VelmariEgoCache>::value, "");
static_assert(traits::has_fixed_size<Num>::value && traits::has_fixed_size<AddThreeInts>::value, "");
static_assert(traits::has_bounded_size<AddThreeInts>::value, "");

// The aliases and setters node code is written with.
static_assert(std::is_same_v<Control::SharedPtr, std::shared_ptr<Control>>, "");
static_assert(std::is_same_v<Control::ConstSharedPtr, std::shared_ptr<const Control>>, "");
static_assert(std::is_same_v<Control::UniquePtr, std::unique_ptr<Control>>, "");
static_assert(std::is_constructible_v<Control::ConstUniquePtr, Control::UniquePtr &&>, "");
static_assert(std::is_same_v<Control::WeakPtr, std::weak_ptr<Control>>, "");
static_assert(std::is_same_v<Control::ConstWeakPtr, std::weak_ptr<const Control>>, "");
static_assert(std::is_same_v<Control::Ptr, Control::SharedPtr>, "");
static_assert(std::is_same_v<Control::ConstPtr, Control::ConstSharedPtr>, "");
static_assert(std::is_same_v<Control::_throttle_type, double>, "");
static_assert(std::is_same_v<Control::_header_type, Header>, "");
static_assert(std::is_same_v<Header::_frame_id_type, std::string>, "");
static_assert(std::is_same_v<Zodizu610::_status_type, uint8_t>, "");
static_assert(std::is_same_v<decltype(std::declval<Control &>().set__gear(2)), Control &>, "");
static_assert(std::is_same_v<AddThreeInts::Request, velmari_messages::srv::AddThreeInts_Request>, "");

TEST(NodeCode, TraitsNameEveryTypeAsClientLibrariesDo)
{
  EXPECT_STREQ(traits::name<Control>(), "velmari_messages/msg/Control");
  EXPECT_STREQ(traits::data_type<Control>(), "velmari_messages::msg::Control");
  EXPECT_STREQ(traits::name<VelmariEgoCache>(), "navunit_common_msgs/msg/VelmariEgoCache");
  EXPECT_STREQ(traits::data_type<Zodizu610>(), "navunit_common_msgs::msg::Zodizu610");
  EXPECT_STREQ(traits::name<AddThreeInts>(), "velmari_messages/srv/AddThreeInts");
  EXPECT_STREQ(traits::data_type<AddThreeInts>(), "velmari_messages::srv::AddThreeInts");
  EXPECT_STREQ(traits::name<AddThreeInts::Request>(), "velmari_messages/srv/AddThreeInts_Request");
  EXPECT_STREQ(traits::data_type<AddThreeInts::Response>(),
    "velmari_messages::srv::AddThreeInts_Response");
  EXPECT_STREQ(traits::name<Header>(), "std_msgs/msg/Header");
}

TEST(NodeCode, SettersChainAndSharedMessagesCarryTheirValues)
{
  Header header;
  header.set__frame_id("base_link").stamp.set__sec(12).set__nanosec(34);

  auto msg = std::make_shared<Control>();
  msg->set__header(header).set__valid(true).set__throttle(0.4).set__brake(0.0)
  .set__steer(-0.25).set__mode(1).set__gear(2);
  Control::ConstSharedPtr published = msg;
  Control::ConstWeakPtr watcher = published;

  EXPECT_EQ(published->header.frame_id, "base_link");
  EXPECT_EQ(published->header.stamp.sec, 12);
  EXPECT_EQ(published->header.stamp.nanosec, 34u);
  EXPECT_TRUE(published->valid);
  EXPECT_EQ(published->throttle, 0.4);
  EXPECT_EQ(published->steer, -0.25);
  EXPECT_EQ(published->gear, 2);
  msg.reset();
  EXPECT_FALSE(watcher.expired());
  published.reset();
  EXPECT_TRUE(watcher.expired());

  // A setter copies: changing the source afterwards leaves the message alone.
  Control copy;
  copy.set__header(header);
  header.frame_id = "map";
  EXPECT_EQ(copy.header.frame_id, "base_link");

  AddThreeInts::Request::UniquePtr request = std::make_unique<AddThreeInts::Request>();
  request->set__a(1).set__b(2).set__c(3);
  AddThreeInts::Response response;
  response.set__num(request->a + request->b + request->c);
  EXPECT_EQ(response.num, 6);
}

TEST(NodeCode, TypeSupportTemplatesGiveTheDispatchHandles)
{
  const rosidl_message_type_support_t * control =
    rosidl_typesupport_cpp::get_message_type_support_handle<Control>();
  ASSERT_NE(control, nullptr);
  EXPECT_EQ(control, rosidl_typesupport_cpp__get_message_type_support_handle__velmari_messages__msg__Control());
  EXPECT_STREQ(control->typesupport_identifier, "rosidl_typesupport_cpp");
  EXPECT_EQ(rosidl_typesupport_cpp::get_message_type_support_handle<EgoState>(),
    rosidl_typesupport_cpp__get_message_type_support_handle__velmari_messages__msg__EgoState());
  const rosidl_service_type_support_t * service =
    rosidl_typesupport_cpp::get_service_type_support_handle<AddThreeInts>();
  ASSERT_NE(service, nullptr);
  EXPECT_EQ(service,
    rosidl_typesupport_cpp__get_service_type_support_handle__velmari_messages__srv__AddThreeInts());
  EXPECT_NE(rosidl_typesupport_cpp::get_message_type_support_handle<Zodizu610>(), nullptr);
}

TEST(NodeCode, ToYamlWritesBlockYamlNestedByIndentation)
{
  Control msg;
  msg.set__valid(true).set__throttle(0.5).set__brake(-0.0).set__steer(250).set__gear(-3);
  msg.header.set__frame_id("it's").stamp.set__sec(-1).set__nanosec(4294967295u);
  const std::string expected =
    "header:\n"
    "  stamp:\n"
    "    sec: -1\n"
    "    nanosec: 4294967295\n"
    "  frame_id: 'it''s'\n"
    "valid: true\n"
    "throttle: 0.5\n"
    "brake: -0.0\n"
    "steer: 250.0\n"
    "mode: 0\n"
    "gear: -3\n";
  EXPECT_EQ(traits::to_yaml(msg), expected);

  // The stream form indents a message nested in the caller's own text.
  std::ostringstream nested;
  traits::to_yaml(msg.header, nested, 4);
  EXPECT_EQ(nested.str(), "    stamp:\n      sec: -1\n      nanosec: 4294967295\n    frame_id: 'it''s'\n");

  Zodizu610 record;
  record.set__status(255).set__heading(std::numeric_limits<float>::quiet_NaN())
  .set__pitch(-std::numeric_limits<float>::infinity());
  const std::string text = traits::to_yaml(record);
  EXPECT_NE(text.find("\nstatus: 255\n"), std::string::npos) << text;  // a number, not a char
  EXPECT_NE(text.find("\nheading: .nan\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\npitch: -.inf\n"), std::string::npos) << text;
  EXPECT_EQ(traits::to_yaml(AddThreeInts::Request().set__c(3)), "a: 0\nb: 0\nc: 3\n");
}

}  // namespace
