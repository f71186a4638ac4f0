// Size functions against the bytes actually written, at every start offset
// and frame id length, and the identity of the two flavours' bytes.
#include "support.hpp"

namespace fastcdr_test
{
namespace
{

// True when the type holds a string somewhere (the header's frame id).
template<class M>
bool holds_string(const M & msg)
{
  bool found = false;
  msgdef::for_each(fields_of(msg), [&](const auto & f) {
      using T = std::decay_t<decltype(msg.*f.member)>;
      if constexpr (std::is_same_v<T, rosidl_runtime_c__String>) {
        found = true;
      } else if constexpr (!std::is_arithmetic_v<T>) {
        found = found || holds_string(msg.*f.member);
      }
    });
  return found;
}

TEST(Sizes, MatchTheBytesWrittenAtEveryStartOffsetAndFrameIdLength)
{
  for_each_type([](auto t) {
      using T = decltype(t);
      SCOPED_TRACE(T::name);
      CMessage<typename T::c_type> c;
      const bool unbounded = holds_string(c.msg);
      for (std::size_t length = 0; length <= 16; ++length) {
        const std::string frame_id(length, 'f');
        fill(c.msg, frame_id);
        typename T::cpp_type cpp;
        fill(cpp, frame_id);
        for (std::size_t start = 0; start < 16; ++start) {
          SCOPED_TRACE("start " + std::to_string(start) + ", frame id " + std::to_string(length));
          const Bytes from_c = c_bytes(c.msg, start);
          const Bytes from_cpp = cpp_bytes<typename T::c_type>(cpp, start);
          EXPECT_EQ(from_c, from_cpp);
          EXPECT_EQ(T::c_size(&c.msg, start), from_c.size());
          EXPECT_EQ(T::cpp_size(cpp, start), from_cpp.size());

          // The maximum counts the string as empty and clears the flag.
          for (bool initial : {true, false}) {
            bool c_flag = initial, cpp_flag = initial;
            const std::size_t c_max = T::c_max(c_flag, start);
            EXPECT_EQ(T::cpp_max(cpp_flag, start), c_max);
            EXPECT_EQ(c_flag, unbounded ? false : initial);
            EXPECT_EQ(cpp_flag, c_flag);
            if (length == 0) {
              EXPECT_EQ(c_max, from_c.size());
            } else {
              EXPECT_LE(c_max, from_c.size());
            }
          }
          if (!unbounded) {
            break;  // the frame id length does not matter
          }
        }
        if (!unbounded) {
          break;
        }
      }
    });
}

TEST(Sizes, StartOffsetGapsOfTheTypesWithoutHeader)
{
  EXPECT_EQ(get_serialized_size_navunit_common_msgs__msg__VelmariEgoCache(nullptr, 1), 31u);
  EXPECT_EQ(get_serialized_size_navunit_common_msgs__msg__VelmariEgoCache(nullptr, 0), 28u);
  EXPECT_EQ(get_serialized_size_velmari_messages__msg__Num(nullptr, 1), 15u);
  EXPECT_EQ(get_serialized_size_velmari_messages__srv__AddThreeInts_Request(nullptr, 4), 28u);
  navunit_common_msgs::msg::VelmariEgoCache cache;
  EXPECT_EQ(navunit_common_msgs::msg::typesupport_fastrtps_cpp::get_serialized_size(cache, 2), 30u);
  EXPECT_EQ(callbacks_of(Traits<navunit_common_msgs__msg__VelmariEgoCache>::cpp_handle())
    ->get_serialized_size(&cache), 28u);
}

TEST(CrossFlavour, EachFlavourReadsWhatTheOtherWrote)
{
  for_each_type([](auto t) {
      using T = decltype(t);
      SCOPED_TRACE(T::name);
      CMessage<typename T::c_type> c;
      fill(c.msg, "gnss_antenna");
      typename T::cpp_type cpp;
      fill(cpp, "gnss_antenna");
      const Bytes from_c = c_bytes(c.msg, 5);
      ASSERT_EQ(from_c, cpp_bytes<typename T::c_type>(cpp, 5));

      // C bytes into the C++ structure.
      Stream a(kRoom);
      a.cdr.jump(5);
      ASSERT_TRUE(callbacks_of(T::c_handle())->cdr_serialize(&c.msg, a.cdr));
      Stream a_in(a.written());
      a_in.cdr.jump(5);
      typename T::cpp_type cpp_read;
      ASSERT_TRUE(callbacks_of(T::cpp_handle())->cdr_deserialize(a_in.cdr, &cpp_read));
      EXPECT_TRUE(cpp_read == cpp);
      EXPECT_EQ(a_in.position(), a.position());

      // C++ bytes into the C structure.
      Stream b(kRoom);
      b.cdr.jump(5);
      ASSERT_TRUE(callbacks_of(T::cpp_handle())->cdr_serialize(&cpp, b.cdr));
      Stream b_in(b.written());
      b_in.cdr.jump(5);
      CMessage<typename T::c_type> c_read;
      ASSERT_TRUE(callbacks_of(T::c_handle())->cdr_deserialize(b_in.cdr, &c_read.msg));
      EXPECT_TRUE(T::are_equal(&c_read.msg, &c.msg));
      EXPECT_EQ(b_in.position(), b.position());
    });
}

}  // namespace
}  // namespace fastcdr_test
