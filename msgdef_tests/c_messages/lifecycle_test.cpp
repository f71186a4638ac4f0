// Creating, initialising and releasing messages, with failures injected.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "injection.hpp"
#include "navunit_common_msgs/msg/velmari_ego_cache.h"
#include "navunit_common_msgs/msg/zodizu610.h"
#include "rosidl_runtime_c/string_functions.h"
#include "velmari_messages/msg/control.h"
#include "velmari_messages/msg/ego_state.h"
#include "velmari_messages/msg/num.h"
#include "velmari_messages/srv/add_three_ints.h"

namespace
{

// True when every byte of [from, sizeof(S)) is zero: primitives are zero and
// floats are positive zero.
template<class S>
bool zero_from(const S * msg, size_t from)
{
  const auto * bytes = reinterpret_cast<const unsigned char *>(msg);
  for (size_t i = from; i < sizeof(S); ++i) {
    if (bytes[i]) {
      return false;
    }
  }
  return true;
}

bool header_is_initialised(const std_msgs__msg__Header & h)
{
  return h.frame_id.data && h.frame_id.data[0] == '\0' && h.frame_id.size == 0 &&
         h.frame_id.capacity == 1 && h.stamp.sec == 0 && h.stamp.nanosec == 0;
}

}  // namespace

TEST(Lifecycle, CreateGivesZeroedFieldsAndAnInitialisedHeader)
{
  auto * z = navunit_common_msgs__msg__Zodizu610__create();
  ASSERT_NE(z, nullptr);
  EXPECT_TRUE(header_is_initialised(z->header));
  EXPECT_TRUE(zero_from(z, sizeof(z->header)));
  EXPECT_FALSE(std::signbit(z->gpstime));
  navunit_common_msgs__msg__Zodizu610__destroy(z);

  auto * c = navunit_common_msgs__msg__VelmariEgoCache__create();
  ASSERT_NE(c, nullptr);
  EXPECT_TRUE(zero_from(c, 0));
  navunit_common_msgs__msg__VelmariEgoCache__destroy(c);

  auto * control = velmari_messages__msg__Control__create();
  ASSERT_NE(control, nullptr);
  EXPECT_TRUE(header_is_initialised(control->header));
  EXPECT_TRUE(zero_from(control, sizeof(control->header)));
  velmari_messages__msg__Control__destroy(control);

  auto * ego = velmari_messages__msg__EgoState__create();
  ASSERT_NE(ego, nullptr);
  EXPECT_TRUE(zero_from(ego, sizeof(ego->header)));
  velmari_messages__msg__EgoState__destroy(ego);

  auto * num = velmari_messages__msg__Num__create();
  auto * req = velmari_messages__srv__AddThreeInts_Request__create();
  auto * res = velmari_messages__srv__AddThreeInts_Response__create();
  ASSERT_TRUE(num && req && res);
  EXPECT_TRUE(zero_from(num, 0) && zero_from(req, 0) && zero_from(res, 0));
  velmari_messages__msg__Num__destroy(num);
  velmari_messages__srv__AddThreeInts_Request__destroy(req);
  velmari_messages__srv__AddThreeInts_Response__destroy(res);
}

TEST(Lifecycle, InitLeavesPrimitivesAsTheyWere)
{
  navunit_common_msgs__msg__Zodizu610 z;
  std::memset(&z, 0, sizeof(z));
  z.gpsweek = 7;
  z.status = 255;
  z.lat = -1.5;
  ASSERT_TRUE(navunit_common_msgs__msg__Zodizu610__init(&z));
  EXPECT_EQ(z.gpsweek, 7);
  EXPECT_EQ(z.status, 255);
  EXPECT_EQ(z.lat, -1.5);
  EXPECT_TRUE(header_is_initialised(z.header));
  navunit_common_msgs__msg__Zodizu610__fini(&z);

  // Re-initialising finalised storage gives a usable message again.
  ASSERT_TRUE(navunit_common_msgs__msg__Zodizu610__init(&z));
  ASSERT_TRUE(rosidl_runtime_c__String__assign(&z.header.frame_id, "gnss"));
  EXPECT_EQ(z.gpsweek, 7);
  navunit_common_msgs__msg__Zodizu610__fini(&z);

  navunit_common_msgs__msg__VelmariEgoCache c;
  c.speed = 3.25f;
  ASSERT_TRUE(navunit_common_msgs__msg__VelmariEgoCache__init(&c));
  EXPECT_EQ(c.speed, 3.25f);
}

TEST(Lifecycle, NullArgumentsAreRefusedOrIgnored)
{
  EXPECT_FALSE(navunit_common_msgs__msg__Zodizu610__init(nullptr));
  EXPECT_FALSE(navunit_common_msgs__msg__VelmariEgoCache__init(nullptr));
  EXPECT_FALSE(velmari_messages__msg__Control__init(nullptr));
  EXPECT_FALSE(velmari_messages__srv__AddThreeInts_Request__init(nullptr));
  navunit_common_msgs__msg__Zodizu610__fini(nullptr);
  velmari_messages__msg__EgoState__fini(nullptr);

  injection::Scope scope;
  navunit_common_msgs__msg__Zodizu610__destroy(nullptr);
  velmari_messages__msg__Num__destroy(nullptr);
  EXPECT_EQ(injection::calls.header_fini, 0);
  EXPECT_EQ(injection::calls.deallocate, 0);
}

TEST(Lifecycle, HeaderlessTypesNeverAllocateInInitOrFini)
{
  injection::Scope scope;
  navunit_common_msgs__msg__VelmariEgoCache c;
  velmari_messages__msg__Num n;
  ASSERT_TRUE(navunit_common_msgs__msg__VelmariEgoCache__init(&c));
  ASSERT_TRUE(velmari_messages__msg__Num__init(&n));
  navunit_common_msgs__msg__VelmariEgoCache__fini(&c);
  velmari_messages__msg__Num__fini(&n);
  EXPECT_EQ(injection::calls.allocate + injection::calls.zero_allocate, 0);
  EXPECT_EQ(injection::calls.deallocate, 0);
}

TEST(LifecycleFailures, CreateReturnsNullWhenTheStructureCannotBeAllocated)
{
  injection::Scope scope;
  injection::plan.fail_allocate_at = 1;
  EXPECT_EQ(navunit_common_msgs__msg__Zodizu610__create(), nullptr);
  EXPECT_EQ(injection::calls.header_init, 0);
  injection::reset();
  injection::plan.fail_allocate_at = 1;
  EXPECT_EQ(navunit_common_msgs__msg__VelmariEgoCache__create(), nullptr);
  EXPECT_EQ(injection::calls.deallocate, 0);
}

TEST(LifecycleFailures, CreateReleasesTheStructureWhenTheHeaderCannotInitialise)
{
  injection::Scope scope;
  injection::plan.fail_allocate_at = 2;  // the frame id, after the structure
  EXPECT_EQ(navunit_common_msgs__msg__Zodizu610__create(), nullptr);
  EXPECT_EQ(injection::calls.header_init, 1);
  EXPECT_EQ(injection::calls.header_fini, 1);
  EXPECT_EQ(injection::calls.deallocate, 1);  // the structure only

  injection::reset();
  injection::plan.fail_allocate_at = 2;
  EXPECT_EQ(velmari_messages__msg__Control__create(), nullptr);
  EXPECT_EQ(injection::calls.header_fini, 1);
  EXPECT_EQ(injection::calls.deallocate, 1);
}

TEST(LifecycleFailures, InitFinalisesTheHeaderWhenItCannotInitialise)
{
  injection::Scope scope;
  velmari_messages__msg__EgoState ego;
  std::memset(&ego, 0x5a, sizeof(ego));  // storage with leftovers
  injection::plan.fail_allocate_at = 1;
  EXPECT_FALSE(velmari_messages__msg__EgoState__init(&ego));
  EXPECT_EQ(injection::calls.header_init, 1);
  EXPECT_EQ(injection::calls.header_fini, 1);
  EXPECT_EQ(ego.header.frame_id.data, nullptr);
}
