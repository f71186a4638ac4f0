// Value equality and deep copy of messages and sequences.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "injection.hpp"
#include "navunit_common_msgs/msg/velmari_ego_cache.h"
#include "navunit_common_msgs/msg/zodizu610.h"
#include "rosidl_runtime_c/string_functions.h"
#include "velmari_messages/msg/control.h"
#include "velmari_messages/msg/num.h"

using Cache = navunit_common_msgs__msg__VelmariEgoCache;
using CacheSeq = navunit_common_msgs__msg__VelmariEgoCache__Sequence;
using Zodizu = navunit_common_msgs__msg__Zodizu610;
using ZodizuSeq = navunit_common_msgs__msg__Zodizu610__Sequence;

namespace
{

// A sequence of n Zodizu610 whose elements carry frame ids prefix+i and gpsweek i.
ZodizuSeq make_zodizu_seq(size_t n, const char * prefix)
{
  ZodizuSeq seq;
  EXPECT_TRUE(navunit_common_msgs__msg__Zodizu610__Sequence__init(&seq, n));
  for (size_t i = 0; i < n; ++i) {
    std::string id = prefix + std::to_string(i);
    EXPECT_TRUE(rosidl_runtime_c__String__assign(&seq.data[i].header.frame_id, id.c_str()));
    seq.data[i].gpsweek = static_cast<int32_t>(i);
  }
  return seq;
}

std::string frame_id(const Zodizu & z) {return z.header.frame_id.data;}

}  // namespace

TEST(Equality, FloatsCompareAsIEEE754)
{
  Cache a{}, b{};
  b.pitch = -0.0f;
  EXPECT_TRUE(navunit_common_msgs__msg__VelmariEgoCache__are_equal(&a, &b));
  a.speed = std::numeric_limits<float>::quiet_NaN();
  EXPECT_FALSE(navunit_common_msgs__msg__VelmariEgoCache__are_equal(&a, &a));  // no shortcut

  CacheSeq seq{&a, 1, 1};
  EXPECT_FALSE(navunit_common_msgs__msg__VelmariEgoCache__Sequence__are_equal(&seq, &seq));
  EXPECT_FALSE(navunit_common_msgs__msg__VelmariEgoCache__are_equal(&a, nullptr));
  EXPECT_FALSE(navunit_common_msgs__msg__VelmariEgoCache__Sequence__are_equal(nullptr, &seq));
}

TEST(Equality, BoolsCompareAsTruthValuesWhateverTheirByte)
{
  // C code may leave any non-zero byte in a bool: it is true all the same.
  auto * a = velmari_messages__msg__Control__create();
  auto * b = velmari_messages__msg__Control__create();
  const unsigned char one = 1, two = 2;
  std::memcpy(&a->valid, &one, 1);
  std::memcpy(&b->valid, &two, 1);
  EXPECT_TRUE(velmari_messages__msg__Control__are_equal(a, b));
  EXPECT_TRUE(velmari_messages__msg__Control__are_equal(b, a));
  std::memset(&a->valid, 0, 1);
  EXPECT_FALSE(velmari_messages__msg__Control__are_equal(a, b));
  EXPECT_FALSE(velmari_messages__msg__Control__are_equal(b, a));
  velmari_messages__msg__Control__destroy(a);
  velmari_messages__msg__Control__destroy(b);
}

TEST(Equality, HeaderIsComparedFirstAndEveryFieldCounts)
{
  injection::Scope scope;
  auto * a = navunit_common_msgs__msg__Zodizu610__create();
  auto * b = navunit_common_msgs__msg__Zodizu610__create();
  EXPECT_TRUE(navunit_common_msgs__msg__Zodizu610__are_equal(a, b));
  b->warning = 1;  // the last field
  EXPECT_FALSE(navunit_common_msgs__msg__Zodizu610__are_equal(a, b));
  b->warning = 0;
  ASSERT_TRUE(rosidl_runtime_c__String__assign(&b->header.frame_id, "map"));
  const int before = injection::calls.header_are_equal;
  EXPECT_FALSE(navunit_common_msgs__msg__Zodizu610__are_equal(a, b));
  EXPECT_EQ(injection::calls.header_are_equal, before + 1);
  navunit_common_msgs__msg__Zodizu610__destroy(a);
  navunit_common_msgs__msg__Zodizu610__destroy(b);
}

TEST(Equality, SequencesCompareSizeFirstAndOnlyElementsInUse)
{
  // Buffers that must not be read: a size mismatch is decided before any element.
  CacheSeq three{reinterpret_cast<Cache *>(0x8), 3, 3};
  CacheSeq two{reinterpret_cast<Cache *>(0x8), 2, 5};
  EXPECT_FALSE(navunit_common_msgs__msg__VelmariEgoCache__Sequence__are_equal(&three, &two));

  CacheSeq empty_a{nullptr, 0, 0};
  CacheSeq empty_b{reinterpret_cast<Cache *>(0x8), 0, 7};
  EXPECT_TRUE(navunit_common_msgs__msg__VelmariEgoCache__Sequence__are_equal(&empty_a, &empty_b));

  Cache x[2] = {{}, {}}, y[3] = {{}, {}, {}};
  y[2].yaw = 9;  // beyond size: ignored
  CacheSeq sx{x, 2, 2}, sy{y, 2, 3};
  EXPECT_TRUE(navunit_common_msgs__msg__VelmariEgoCache__Sequence__are_equal(&sx, &sy));
  y[1].yaw = 9;
  EXPECT_FALSE(navunit_common_msgs__msg__VelmariEgoCache__Sequence__are_equal(&sx, &sy));
}

TEST(Copy, CopiesBitForBitAndOwnsItsHeader)
{
  auto * in = velmari_messages__msg__Control__create();
  auto * out = velmari_messages__msg__Control__create();
  ASSERT_TRUE(rosidl_runtime_c__String__assign(&in->header.frame_id, "base_link"));
  in->header.stamp.sec = -3;
  const uint64_t payload = 0x7ff8000000000123ull;  // a NaN with a payload
  std::memcpy(&in->throttle, &payload, sizeof(payload));
  in->brake = -0.0;
  in->gear = std::numeric_limits<int32_t>::min();
  const unsigned char two = 2;
  std::memcpy(&in->valid, &two, 1);  // a byte that is not 0 or 1 is kept as it is

  ASSERT_TRUE(velmari_messages__msg__Control__copy(in, out));
  uint64_t copied;
  std::memcpy(&copied, &out->throttle, sizeof(copied));
  EXPECT_EQ(copied, payload);
  EXPECT_TRUE(std::signbit(out->brake));
  EXPECT_EQ(out->gear, in->gear);
  unsigned char valid;
  std::memcpy(&valid, &out->valid, 1);
  EXPECT_EQ(valid, 2);
  EXPECT_STREQ(out->header.frame_id.data, "base_link");
  EXPECT_NE(out->header.frame_id.data, in->header.frame_id.data);
  EXPECT_EQ(out->header.stamp.sec, -3);
  velmari_messages__msg__Control__destroy(in);  // out keeps its own copy
  EXPECT_STREQ(out->header.frame_id.data, "base_link");

  // Onto itself: the header's string must survive.
  ASSERT_TRUE(velmari_messages__msg__Control__copy(out, out));
  EXPECT_STREQ(out->header.frame_id.data, "base_link");
  EXPECT_FALSE(velmari_messages__msg__Control__copy(nullptr, out));
  EXPECT_FALSE(velmari_messages__msg__Control__copy(out, nullptr));
  velmari_messages__msg__Control__destroy(out);
}

TEST(Copy, HeaderCopyFailureLeavesEveryPrimitiveUntouched)
{
  injection::Scope scope;
  auto * in = navunit_common_msgs__msg__Zodizu610__create();
  auto * out = navunit_common_msgs__msg__Zodizu610__create();
  in->gpsweek = 2300;
  in->status = 255;
  in->warning = -1;
  injection::plan.fail_header_copy = true;
  EXPECT_FALSE(navunit_common_msgs__msg__Zodizu610__copy(in, out));
  EXPECT_EQ(out->gpsweek, 0);
  EXPECT_EQ(out->status, 0);
  EXPECT_EQ(out->warning, 0);
  injection::plan.fail_header_copy = false;
  navunit_common_msgs__msg__Zodizu610__destroy(in);
  navunit_common_msgs__msg__Zodizu610__destroy(out);
}

TEST(SequenceCopy, GrowsAnEmptyOutputToExactlyTheInputSize)
{
  injection::Scope scope;
  ZodizuSeq in = make_zodizu_seq(5, "in");
  ZodizuSeq out;
  ASSERT_TRUE(navunit_common_msgs__msg__Zodizu610__Sequence__init(&out, 0));
  const int inits = injection::calls.header_init;
  ASSERT_TRUE(navunit_common_msgs__msg__Zodizu610__Sequence__copy(&in, &out));
  EXPECT_EQ(injection::calls.header_init - inits, 5);
  EXPECT_EQ(out.size, 5u);
  EXPECT_EQ(out.capacity, 5u);
  EXPECT_TRUE(navunit_common_msgs__msg__Zodizu610__Sequence__are_equal(&in, &out));
  EXPECT_EQ(frame_id(out.data[4]), "in4");
  navunit_common_msgs__msg__Zodizu610__Sequence__fini(&in);
  navunit_common_msgs__msg__Zodizu610__Sequence__fini(&out);
}

TEST(SequenceCopy, ShorterInputKeepsCapacityAndLaterElements)
{
  ZodizuSeq out = make_zodizu_seq(4, "old");
  ZodizuSeq in = make_zodizu_seq(2, "new");
  Zodizu * buffer = out.data;
  ASSERT_TRUE(navunit_common_msgs__msg__Zodizu610__Sequence__copy(&in, &out));
  EXPECT_EQ(out.data, buffer);
  EXPECT_EQ(out.size, 2u);
  EXPECT_EQ(out.capacity, 4u);
  EXPECT_EQ(frame_id(out.data[1]), "new1");
  EXPECT_EQ(frame_id(out.data[2]), "old2");
  EXPECT_EQ(out.data[3].gpsweek, 3);

  ZodizuSeq empty{nullptr, 0, 0};
  ASSERT_TRUE(navunit_common_msgs__msg__Zodizu610__Sequence__copy(&empty, &out));
  EXPECT_EQ(out.size, 0u);
  EXPECT_EQ(out.capacity, 4u);
  EXPECT_EQ(frame_id(out.data[0]), "new0");

  // Onto itself: nothing grows, every element stays.
  out.size = 4;
  ASSERT_TRUE(navunit_common_msgs__msg__Zodizu610__Sequence__copy(&out, &out));
  EXPECT_EQ(frame_id(out.data[3]), "old3");
  navunit_common_msgs__msg__Zodizu610__Sequence__fini(&in);
  navunit_common_msgs__msg__Zodizu610__Sequence__fini(&out);
}

TEST(SequenceCopyFailures, ElementInitFailureWhileGrowingKeepsTheOutputValid)
{
  // Output holds two elements; growing it to five fails at the fourth element.
  injection::Scope scope;
  ZodizuSeq out = make_zodizu_seq(2, "keep");
  ZodizuSeq in = make_zodizu_seq(5, "in");
  injection::reset();
  injection::plan.fail_allocate_at = 2;  // element 2 initialises, element 3 fails
  EXPECT_FALSE(navunit_common_msgs__msg__Zodizu610__Sequence__copy(&in, &out));
  EXPECT_EQ(injection::calls.header_init, 2);
  EXPECT_EQ(injection::calls.header_fini, 2);  // element 3, then element 2
  EXPECT_EQ(out.size, 2u);
  EXPECT_EQ(out.capacity, 2u);
  EXPECT_EQ(frame_id(out.data[0]), "keep0");
  EXPECT_EQ(frame_id(out.data[1]), "keep1");
  injection::plan = {};
  // Still a working sequence: a retry succeeds, and release is clean.
  ASSERT_TRUE(navunit_common_msgs__msg__Zodizu610__Sequence__copy(&in, &out));
  EXPECT_TRUE(navunit_common_msgs__msg__Zodizu610__Sequence__are_equal(&in, &out));
  navunit_common_msgs__msg__Zodizu610__Sequence__fini(&in);
  navunit_common_msgs__msg__Zodizu610__Sequence__fini(&out);

  // From an empty output the grown block is released and the output stays empty.
  ZodizuSeq empty{nullptr, 0, 0};
  ZodizuSeq two = make_zodizu_seq(2, "x");
  injection::reset();
  injection::plan.fail_allocate_at = 1;
  EXPECT_FALSE(navunit_common_msgs__msg__Zodizu610__Sequence__copy(&two, &empty));
  EXPECT_EQ(empty.data, nullptr);
  EXPECT_EQ(empty.capacity, 0u);
  navunit_common_msgs__msg__Zodizu610__Sequence__fini(&empty);
  navunit_common_msgs__msg__Zodizu610__Sequence__fini(&two);
}

TEST(SequenceCopyFailures, UnobtainableBufferLeavesTheOutputUnchanged)
{
  CacheSeq out;
  ASSERT_TRUE(navunit_common_msgs__msg__VelmariEgoCache__Sequence__init(&out, 1));
  Cache * kept = out.data;
  kept->x = 1;
  // Inputs whose elements are never read: growing fails first.
  const size_t huge = SIZE_MAX / sizeof(Cache);
  CacheSeq too_big{reinterpret_cast<Cache *>(0x8), huge, huge};
  EXPECT_FALSE(navunit_common_msgs__msg__VelmariEgoCache__Sequence__copy(&too_big, &out));
  CacheSeq wraps{reinterpret_cast<Cache *>(0x8), huge + 1, huge + 1};
  EXPECT_FALSE(navunit_common_msgs__msg__VelmariEgoCache__Sequence__copy(&wraps, &out));
  EXPECT_EQ(out.data, kept);
  EXPECT_EQ(out.size, 1u);
  EXPECT_EQ(kept->x, 1);
  EXPECT_FALSE(navunit_common_msgs__msg__VelmariEgoCache__Sequence__copy(nullptr, &out));
  EXPECT_FALSE(navunit_common_msgs__msg__VelmariEgoCache__Sequence__copy(&out, nullptr));
  navunit_common_msgs__msg__VelmariEgoCache__Sequence__fini(&out);
}

TEST(SequenceCopyFailures, ElementCopyFailureStopsAtThatElement)
{
  injection::Scope scope;
  ZodizuSeq in = make_zodizu_seq(3, "in");
  ZodizuSeq out = make_zodizu_seq(1, "out");
  injection::plan.fail_header_copy = true;
  EXPECT_FALSE(navunit_common_msgs__msg__Zodizu610__Sequence__copy(&in, &out));
  EXPECT_EQ(out.size, 3u);
  EXPECT_EQ(injection::calls.header_copy, 1);
  EXPECT_EQ(frame_id(out.data[0]), "out0");
  injection::plan.fail_header_copy = false;
  navunit_common_msgs__msg__Zodizu610__Sequence__fini(&in);
  navunit_common_msgs__msg__Zodizu610__Sequence__fini(&out);
}
