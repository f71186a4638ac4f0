// Handles and records of both serializer libraries: what the middleware reads
// without knowing the types, and the null-message path of the C callbacks.
#include "rosidl_runtime_c/service_type_support_struct.h"
#include "support.hpp"

namespace fastcdr_test
{
namespace
{

TEST(Handles, CarryTheRuntimeIdentifierPointerTheirRecordAndTheRuntimeLookup)
{
  for_each_type([](auto t) {
      using T = decltype(t);
      SCOPED_TRACE(T::name);
      const rosidl_message_type_support_t * c = T::c_handle();
      EXPECT_EQ(c, T::c_handle());
      EXPECT_EQ(c->typesupport_identifier, rosidl_typesupport_fastrtps_c__identifier);
      EXPECT_EQ(c->func, &get_message_typesupport_handle_function);
      EXPECT_EQ(c->func(c, "rosidl_typesupport_fastrtps_c"), c);

      const rosidl_message_type_support_t * cpp = T::cpp_handle();
      EXPECT_EQ(cpp, T::cpp_template_handle());
      EXPECT_EQ(cpp->typesupport_identifier, rosidl_typesupport_fastrtps_cpp::typesupport_identifier);
      EXPECT_EQ(cpp->func, &get_message_typesupport_handle_function);
      EXPECT_NE(callbacks_of(cpp), callbacks_of(c));
    });
  EXPECT_STREQ(rosidl_typesupport_fastrtps_c__identifier, "rosidl_typesupport_fastrtps_c");
  EXPECT_STREQ(rosidl_typesupport_fastrtps_cpp::typesupport_identifier,
    "rosidl_typesupport_fastrtps_cpp");
}

TEST(Handles, RecordsNameTheTypeWithDoubleColonsAndTheFolder)
{
  const std::pair<const rosidl_message_type_support_t *, const char *> expected[] = {
    {Traits<navunit_common_msgs__msg__VelmariEgoCache>::c_handle(), "navunit_common_msgs::msg/VelmariEgoCache"},
    {Traits<navunit_common_msgs__msg__Zodizu610>::cpp_handle(), "navunit_common_msgs::msg/Zodizu610"},
    {Traits<velmari_messages__msg__Control>::c_handle(), "velmari_messages::msg/Control"},
    {Traits<velmari_messages__msg__EgoState>::cpp_handle(), "velmari_messages::msg/EgoState"},
    {Traits<velmari_messages__msg__Num>::c_handle(), "velmari_messages::msg/Num"},
    {Traits<velmari_messages__srv__AddThreeInts_Request>::c_handle(),
      "velmari_messages::srv/AddThreeInts_Request"},
    {Traits<velmari_messages__srv__AddThreeInts_Response>::cpp_handle(),
      "velmari_messages::srv/AddThreeInts_Response"},
    {Traits<std_msgs__msg__Header>::c_handle(), "std_msgs::msg/Header"},
    {Traits<builtin_interfaces__msg__Time>::cpp_handle(), "builtin_interfaces::msg/Time"},
  };
  for (const auto & [handle, name] : expected) {
    EXPECT_EQ(std::string(callbacks_of(handle)->message_namespace_) + "/" +
      callbacks_of(handle)->message_name_, name);
  }
}

template<class Service>
void expect_service(
  const rosidl_service_type_support_t * service, const char * identifier,
  const rosidl_message_type_support_t * request, const rosidl_message_type_support_t * response)
{
  EXPECT_EQ(service->typesupport_identifier, identifier);
  EXPECT_EQ(service->func, &get_service_typesupport_handle_function);
  const auto * record = static_cast<const Service *>(service->data);
  EXPECT_STREQ(record->service_namespace_, "velmari_messages::srv");
  EXPECT_STREQ(record->service_name_, "AddThreeInts");
  EXPECT_EQ(record->request_members_, request);
  EXPECT_EQ(record->response_members_, response);
}

TEST(Handles, ServiceRecordsPointAtTheLibrarysOwnRequestAndResponseHandles)
{
  using Request = Traits<velmari_messages__srv__AddThreeInts_Request>;
  using Response = Traits<velmari_messages__srv__AddThreeInts_Response>;
  const auto * c =
    rosidl_typesupport_fastrtps_c__get_service_type_support_handle__velmari_messages__srv__AddThreeInts();
  EXPECT_EQ(c,
    rosidl_typesupport_fastrtps_c__get_service_type_support_handle__velmari_messages__srv__AddThreeInts());
  expect_service<service_type_support_callbacks_t>(
    c, rosidl_typesupport_fastrtps_c__identifier, Request::c_handle(), Response::c_handle());

  const auto * cpp =
    rosidl_typesupport_fastrtps_cpp__get_service_type_support_handle__velmari_messages__srv__AddThreeInts();
  EXPECT_EQ(cpp, rosidl_typesupport_fastrtps_cpp::get_service_type_support_handle<
      velmari_messages::srv::AddThreeInts>());
  expect_service<service_type_support_callbacks_t>(
    cpp, rosidl_typesupport_fastrtps_cpp::typesupport_identifier,
    Request::cpp_handle(), Response::cpp_handle());
}

TEST(SizeCallbacks, AreTheSizeFunctionsAtStartOffsetZero)
{
  for_each_type([](auto t) {
      using T = decltype(t);
      SCOPED_TRACE(T::name);
      CMessage<typename T::c_type> c;
      fill(c.msg, "odom");
      typename T::cpp_type cpp;
      fill(cpp, "odom");
      const auto * c_callbacks = callbacks_of(T::c_handle());
      const auto * cpp_callbacks = callbacks_of(T::cpp_handle());
      EXPECT_EQ(c_callbacks->get_serialized_size(&c.msg), T::c_size(&c.msg, 0));
      EXPECT_EQ(cpp_callbacks->get_serialized_size(&cpp), T::cpp_size(cpp, 0));
      EXPECT_EQ(c_callbacks->get_serialized_size(&c.msg), cpp_callbacks->get_serialized_size(&cpp));
      for (bool initial : {true, false}) {
        bool by_callback = initial, by_function = initial;
        EXPECT_EQ(c_callbacks->max_serialized_size(by_callback), T::c_max(by_function, 0));
        EXPECT_EQ(by_callback, by_function);
        by_callback = initial;
        by_function = initial;
        EXPECT_EQ(cpp_callbacks->max_serialized_size(by_callback), T::cpp_max(by_function, 0));
        EXPECT_EQ(by_callback, by_function);
      }
    });
}

template<class C>
void expect_constant_size(std::size_t size)
{
  SCOPED_TRACE(Traits<C>::name);
  const auto * c_callbacks = callbacks_of(Traits<C>::c_handle());
  const auto * cpp_callbacks = callbacks_of(Traits<C>::cpp_handle());
  EXPECT_EQ(c_callbacks->get_serialized_size(nullptr), size);
  EXPECT_EQ(Traits<C>::c_size(nullptr, 0), size);
  for (bool initial : {true, false}) {
    bool flag = initial;
    EXPECT_EQ(c_callbacks->max_serialized_size(flag), size);
    EXPECT_EQ(flag, initial);
    EXPECT_EQ(cpp_callbacks->max_serialized_size(flag), size);
    EXPECT_EQ(flag, initial);
  }
}

TEST(SizeCallbacks, TypesWithoutHeaderHaveConstantSizesAndNeverTouchTheMessageOrFlag)
{
  expect_constant_size<navunit_common_msgs__msg__VelmariEgoCache>(28);
  expect_constant_size<velmari_messages__msg__Num>(8);
  expect_constant_size<velmari_messages__srv__AddThreeInts_Request>(24);
  expect_constant_size<velmari_messages__srv__AddThreeInts_Response>(8);
  expect_constant_size<builtin_interfaces__msg__Time>(8);
  EXPECT_EQ(get_serialized_size_velmari_messages__msg__Num(nullptr, 3), 13u);
}

TEST(SizeCallbacks, TypesWithHeaderMeasureNothingWithoutAMessage)
{
  EXPECT_EQ(get_serialized_size_velmari_messages__msg__Control(nullptr, 3), 0u);
  EXPECT_EQ(get_serialized_size_std_msgs__msg__Header(nullptr, 0), 0u);
  EXPECT_EQ(callbacks_of(Traits<navunit_common_msgs__msg__Zodizu610>::c_handle())
    ->get_serialized_size(nullptr), 0u);
}

// Serialize or deserialize a null message through the C callbacks of C.
template<class C>
void expect_null_message_refused()
{
  SCOPED_TRACE(Traits<C>::name);
  const auto * callbacks = callbacks_of(Traits<C>::c_handle());
  Stream s(kRoom);
  s.cdr.jump(3);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(callbacks->cdr_serialize(nullptr, s.cdr));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "ros message handle is null\n");
  EXPECT_EQ(s.position(), 3u);

  const Bytes zeros(64, 0);
  Stream in(zeros);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(callbacks->cdr_deserialize(in.cdr, nullptr));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "ros message handle is null\n");
  EXPECT_EQ(in.position(), 0u);
}

TEST(NullMessage, CCallbacksReportOnceOnStandardErrorAndLeaveTheStream)
{
  expect_null_message_refused<velmari_messages__msg__Num>();
  expect_null_message_refused<velmari_messages__msg__Control>();
  expect_null_message_refused<navunit_common_msgs__msg__Zodizu610>();
  expect_null_message_refused<std_msgs__msg__Header>();
}

}  // namespace
}  // namespace fastcdr_test
