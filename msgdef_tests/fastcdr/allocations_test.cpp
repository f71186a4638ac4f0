// Heap use of the deserializers: none when every string of the message
// already has room for the text read (a C string: exactly its room, as
// rosidl_runtime_c__String__assignn leaves it); exactly the one reallocation
// otherwise. This executable counts every call of the rcutils
// default allocator (the C strings' storage) and of operator new (the C++
// strings'), wherever in the process they come from. The default allocator
// also puts a guard byte after every block it hands out, so that a C string
// written one byte past its capacity shows in any build.
#if defined(_WIN32)
// This program defines the function it replaces: declared for export, not import.
#  define RCUTILS_BUILDING_DLL
#endif

#include <atomic>

#include "../support/interpose.hpp"
#include "new_probe.hpp"
#include "rcutils/allocator.h"
#include "support.hpp"

namespace
{

std::atomic<bool> counting{false};
std::atomic<int> rcutils_calls{0};

void count(std::atomic<int> & calls)
{
  if (counting) {
    ++calls;
  }
}

rcutils_allocator_t real_allocator;

// Stays in the byte after the `size` bytes asked for; the block is one longer.
constexpr char kGuard = '\x5a';
void * guarded(void * block, size_t size)
{
  if (block) {
    static_cast<char *>(block)[size] = kGuard;
  }
  return block;
}

void * counted_allocate(size_t size, void * state)
{
  count(rcutils_calls);
  return guarded(real_allocator.allocate(size + 1, state), size);
}
void counted_deallocate(void * pointer, void * state)
{
  count(rcutils_calls);
  real_allocator.deallocate(pointer, state);
}
void * counted_reallocate(void * pointer, size_t size, void * state)
{
  count(rcutils_calls);
  return guarded(real_allocator.reallocate(pointer, size + 1, state), size);
}
void * counted_zero_allocate(size_t count_of, size_t size, void * state)
{
  count(rcutils_calls);
  return real_allocator.zero_allocate(count_of, size, state);
}

}  // namespace

extern "C" rcutils_allocator_t rcutils_get_default_allocator(void)
{
  static const auto next =
    interpose::next<rcutils_allocator_t (*)()>("rcutils_get_default_allocator");
  real_allocator = next();
  rcutils_allocator_t allocator = real_allocator;
  allocator.allocate = &counted_allocate;
  allocator.deallocate = &counted_deallocate;
  allocator.reallocate = &counted_reallocate;
  allocator.zero_allocate = &counted_zero_allocate;
  return allocator;
}

#if defined(_WIN32)
namespace
{
// Before main: the libraries this program links are loaded by then.
const bool redirected = interpose::redirect("rcutils_get_default_allocator",
    reinterpret_cast<void *>(&rcutils_get_default_allocator)) != nullptr;
}  // namespace
#endif

namespace fastcdr_test
{
namespace
{

// Heap calls made by f, by kind.
struct HeapCalls
{
  int rcutils = 0;
  int new_ = 0;
};
template<class F>
HeapCalls heap_calls(F && f)
{
  rcutils_calls = 0;
  counting = true;
  new_probe_start();
  f();
  const int new_calls = new_probe_stop().calls;
  counting = false;
  return {rcutils_calls.load(), new_calls};
}

const std::string kLong(40, 'L');  // beyond any small-string buffer

// The C strings of a message, nested ones included.
template<class M>
void c_strings(M & msg, std::vector<rosidl_runtime_c__String *> & strings)
{
  msgdef::for_each(fields_of(msg), [&](const auto & f) {
      auto & member = msg.*f.member;
      using T = std::decay_t<decltype(member)>;
      if constexpr (std::is_same_v<T, rosidl_runtime_c__String>) {
        strings.push_back(&member);
      } else if constexpr (!std::is_arithmetic_v<T>) {
        c_strings(member, strings);
      }
    });
}

TEST(Allocations, NoneWhenTheStringsFitTheirBuffersInBothFlavours)
{
  for_each_type([](auto t) {
      using T = decltype(t);
      SCOPED_TRACE(T::name);
      // Read into a message whose strings held a longer, an equally long and
      // a shorter text than the one read: a C++ string keeps its larger
      // buffer, a C string is made exactly as large as the text and its NUL.
      for (const std::string & before : {kLong + "x", kLong, std::string("short")}) {
        for (const std::string & text : {kLong, std::string("base_link"), std::string()}) {
          if (text.size() > before.size()) {
            continue;
          }
          SCOPED_TRACE("'" + before + "' then '" + text + "'");
          CMessage<typename T::c_type> written;
          fill(written.msg, text);
          const Bytes bytes = c_bytes(written.msg);

          CMessage<typename T::c_type> c;
          fill(c.msg, before);
          std::vector<rosidl_runtime_c__String *> strings;
          c_strings(c.msg, strings);
          Stream c_in(bytes);
          const HeapCalls c_calls = heap_calls([&] {
                ASSERT_TRUE(callbacks_of(T::c_handle())->cdr_deserialize(c_in.cdr, &c.msg));
              });
          EXPECT_EQ(c_calls.rcutils, text.size() == before.size() ? 0 : int(strings.size()));
          EXPECT_EQ(c_calls.new_, 0);
          EXPECT_TRUE(T::are_equal(&c.msg, &written.msg));
          for (const rosidl_runtime_c__String * read : strings) {
            EXPECT_EQ(read->capacity, read->size + 1);
            EXPECT_EQ(read->data[read->capacity], kGuard) << "a byte written past the buffer";
          }

          typename T::cpp_type cpp;
          fill(cpp, before);
          Stream cpp_in(bytes);
          const HeapCalls cpp_calls = heap_calls([&] {
                ASSERT_TRUE(callbacks_of(T::cpp_handle())->cdr_deserialize(cpp_in.cdr, &cpp));
              });
          EXPECT_EQ(cpp_calls.rcutils, 0);
          EXPECT_EQ(cpp_calls.new_, 0);
          typename T::cpp_type expected;
          fill(expected, text);
          EXPECT_TRUE(cpp == expected);
        }
      }
    });
}

TEST(Allocations, ALongerTextEnlargesTheStringOnceAndKeepsItsRoomAfterwards)
{
  CMessage<navunit_common_msgs__msg__Zodizu610> written;
  fill(written.msg, kLong);
  const Bytes bytes = c_bytes(written.msg);
  using Z = Traits<navunit_common_msgs__msg__Zodizu610>;

  CMessage<navunit_common_msgs__msg__Zodizu610> c;  // frame id "" from init
  for (int expected_calls : {1, 0}) {
    Stream in(bytes);
    const HeapCalls calls = heap_calls([&] {
          ASSERT_TRUE(callbacks_of(Z::c_handle())->cdr_deserialize(in.cdr, &c.msg));
        });
    EXPECT_EQ(calls.rcutils, expected_calls) << "one reallocate, then none";
    EXPECT_EQ(calls.new_, 0);
    EXPECT_EQ(c.msg.header.frame_id.size, kLong.size());
    EXPECT_EQ(c.msg.header.frame_id.capacity, kLong.size() + 1) << "exactly the room needed";
  }

  navunit_common_msgs::msg::Zodizu610 cpp;
  for (int expected_calls : {1, 0}) {
    Stream in(bytes);
    const HeapCalls calls = heap_calls([&] {
          ASSERT_TRUE(Z::cpp_deserialize(in.cdr, cpp));
        });
    EXPECT_EQ(calls.new_, expected_calls);
    EXPECT_EQ(calls.rcutils, 0);
    EXPECT_EQ(cpp.header.frame_id, kLong);
  }
}

TEST(Allocations, ACStringReadAtEveryLengthAroundItsCapacityStaysInsideItsBuffer)
{
  using H = Traits<std_msgs__msg__Header>;
  const size_t capacity = kLong.size() + 1;
  // Up to capacity - 1 bytes the text and its NUL fit; from capacity on, the
  // buffer is enlarged to exactly the room needed, once.
  for (size_t length : {capacity - 1, capacity, capacity + 1}) {
    SCOPED_TRACE(length);
    CMessage<std_msgs__msg__Header> written;
    fill(written.msg, std::string(length, 'T'));
    const Bytes bytes = c_bytes(written.msg);

    CMessage<std_msgs__msg__Header> c;
    fill(c.msg, kLong);
    ASSERT_EQ(c.msg.frame_id.capacity, capacity);
    Stream in(bytes);
    const HeapCalls calls = heap_calls([&] {
          ASSERT_TRUE(callbacks_of(H::c_handle())->cdr_deserialize(in.cdr, &c.msg));
        });
    const rosidl_runtime_c__String & read = c.msg.frame_id;
    EXPECT_EQ(calls.rcutils, length < capacity ? 0 : 1);
    EXPECT_EQ(read.capacity, length < capacity ? capacity : length + 1);
    EXPECT_EQ(read.size, length);
    EXPECT_EQ(std::string(read.data), std::string(length, 'T'));
    EXPECT_EQ(read.data[read.capacity], kGuard) << "a byte written past the buffer";
  }
}

TEST(Allocations, ATruncatedStringInAFittingBufferLeavesTheOldTextInBothFlavours)
{
  CMessage<std_msgs__msg__Header> written;
  fill(written.msg, "abcdef");
  Bytes bytes = c_bytes(written.msg);
  bytes.resize(bytes.size() - 2);  // the length prefix promises two bytes more

  CMessage<std_msgs__msg__Header> c;
  fill(c.msg, kLong);
  Stream c_in(bytes);
  EXPECT_THROW(
    callbacks_of(Traits<std_msgs__msg__Header>::c_handle())->cdr_deserialize(c_in.cdr, &c.msg),
    eprosima::fastcdr::exception::NotEnoughMemoryException);
  EXPECT_EQ(std::string(c.msg.frame_id.data), kLong);
  EXPECT_EQ(c.msg.frame_id.size, kLong.size());
  EXPECT_EQ(c_in.position(), 8u) << "the stream is back at the length prefix";

  std_msgs::msg::Header cpp;
  fill(cpp, kLong);
  Stream cpp_in(bytes);
  EXPECT_THROW(
    std_msgs::msg::typesupport_fastrtps_cpp::cdr_deserialize(cpp_in.cdr, cpp),
    eprosima::fastcdr::exception::NotEnoughMemoryException);
  EXPECT_EQ(cpp.frame_id, kLong);
}

}  // namespace
}  // namespace fastcdr_test
