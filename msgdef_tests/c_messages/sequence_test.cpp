// Sequences: initialisation, release, and their failure paths.
#include <gtest/gtest.h>

#include <algorithm>

#include "injection.hpp"
#include "navunit_common_msgs/msg/velmari_ego_cache.h"
#include "navunit_common_msgs/msg/zodizu610.h"
#include "velmari_messages/srv/add_three_ints.h"

using Zodizu = navunit_common_msgs__msg__Zodizu610;
using ZodizuSeq = navunit_common_msgs__msg__Zodizu610__Sequence;
using CacheSeq = navunit_common_msgs__msg__VelmariEgoCache__Sequence;

TEST(Sequence, EmptyInitAndCreateAllocateNoBuffer)
{
  injection::Scope scope;
  ZodizuSeq seq{reinterpret_cast<Zodizu *>(0x1), 9, 9};
  ASSERT_TRUE(navunit_common_msgs__msg__Zodizu610__Sequence__init(&seq, 0));
  EXPECT_EQ(seq.data, nullptr);
  EXPECT_EQ(seq.size, 0u);
  EXPECT_EQ(seq.capacity, 0u);
  EXPECT_EQ(injection::calls.zero_allocate, 0);

  auto * created = navunit_common_msgs__msg__VelmariEgoCache__Sequence__create(0);
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(created->data, nullptr);
  EXPECT_EQ(created->capacity, 0u);
  navunit_common_msgs__msg__VelmariEgoCache__Sequence__destroy(created);
}

TEST(Sequence, FreshElementsAreZeroWithInitialisedHeaders)
{
  injection::Scope scope;
  ZodizuSeq seq;
  ASSERT_TRUE(navunit_common_msgs__msg__Zodizu610__Sequence__init(&seq, 4));
  EXPECT_EQ(injection::calls.zero_allocate, 1);  // one buffer for all elements
  EXPECT_EQ(injection::calls.header_init, 4);
  EXPECT_EQ(seq.size, 4u);
  EXPECT_EQ(seq.capacity, 4u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_NE(seq.data[i].header.frame_id.data, nullptr);
    EXPECT_EQ(seq.data[i].gpsweek, 0);
    EXPECT_EQ(seq.data[i].warning, 0);
  }
  navunit_common_msgs__msg__Zodizu610__Sequence__fini(&seq);
  EXPECT_EQ(injection::calls.header_fini, 4);
  EXPECT_EQ(seq.data, nullptr);

  CacheSeq cache;
  ASSERT_TRUE(navunit_common_msgs__msg__VelmariEgoCache__Sequence__init(&cache, 3));
  EXPECT_TRUE(std::all_of(cache.data, cache.data + 3, [](auto & c) {
      return c.x == 0 && c.speed == 0;
    }));
  navunit_common_msgs__msg__VelmariEgoCache__Sequence__fini(&cache);
}

TEST(Sequence, FiniIsBoundedByCapacityAndIdempotent)
{
  injection::Scope scope;
  ZodizuSeq seq;
  ASSERT_TRUE(navunit_common_msgs__msg__Zodizu610__Sequence__init(&seq, 3));
  seq.size = 1;  // elements beyond size stay initialised and are still owned
  navunit_common_msgs__msg__Zodizu610__Sequence__fini(&seq);
  EXPECT_EQ(injection::calls.header_fini, 3);
  const int deallocations = injection::calls.deallocate;
  navunit_common_msgs__msg__Zodizu610__Sequence__fini(&seq);
  EXPECT_EQ(injection::calls.header_fini, 3);
  EXPECT_EQ(injection::calls.deallocate, deallocations);
  navunit_common_msgs__msg__Zodizu610__Sequence__fini(nullptr);
  EXPECT_FALSE(navunit_common_msgs__msg__Zodizu610__Sequence__init(nullptr, 2));
  navunit_common_msgs__msg__VelmariEgoCache__Sequence__destroy(nullptr);
}

TEST(SequenceFailures, BufferAllocationFailureLeavesTheSequenceUntouched)
{
  injection::Scope scope;
  injection::plan.fail_zero_allocate_at = 1;
  ZodizuSeq seq{reinterpret_cast<Zodizu *>(0x10), 1, 2};
  EXPECT_FALSE(navunit_common_msgs__msg__Zodizu610__Sequence__init(&seq, 5));
  EXPECT_EQ(seq.data, reinterpret_cast<Zodizu *>(0x10));
  EXPECT_EQ(seq.size, 1u);
  EXPECT_EQ(seq.capacity, 2u);
  EXPECT_EQ(injection::calls.header_init, 0);
}

TEST(SequenceFailures, ElementInitFailureUnwindsInReverseAndReleasesTheBuffer)
{
  for (int k = 0; k < 4; ++k) {
    injection::Scope scope;
    injection::plan.fail_allocate_at = k + 1;  // the frame id of element k
    ZodizuSeq seq{reinterpret_cast<Zodizu *>(0x10), 1, 2};
    EXPECT_FALSE(navunit_common_msgs__msg__Zodizu610__Sequence__init(&seq, 4)) << k;
    EXPECT_EQ(injection::calls.header_init, k + 1);
    EXPECT_EQ(injection::calls.header_fini, k + 1);  // element k, then k-1 .. 0
    EXPECT_EQ(injection::calls.deallocate, k + 1);   // k frame ids and the buffer
    EXPECT_EQ(seq.data, reinterpret_cast<Zodizu *>(0x10));
    EXPECT_EQ(seq.size, 1u);
    EXPECT_EQ(seq.capacity, 2u);
  }
}

TEST(SequenceFailures, CreateReleasesItsStructureWhenInitFails)
{
  injection::Scope scope;
  injection::plan.fail_allocate_at = 1;
  EXPECT_EQ(navunit_common_msgs__msg__VelmariEgoCache__Sequence__create(2), nullptr);
  EXPECT_EQ(injection::calls.zero_allocate, 0);

  injection::reset();
  injection::plan.fail_zero_allocate_at = 1;
  EXPECT_EQ(velmari_messages__srv__AddThreeInts_Request__Sequence__create(2), nullptr);
  EXPECT_EQ(injection::calls.allocate, 1);
  EXPECT_EQ(injection::calls.deallocate, 1);  // the structure
}
