// Streams too short for the message, forged string lengths and strings that
// cannot be written: the stream's exception or false, never a read past the
// buffer (the buffers are exactly as long as the test says; run under ASan)
// and never an allocation that the bytes do not back.
#include "new_probe.hpp"
#include "support.hpp"

namespace fastcdr_test
{
namespace
{

using eprosima::fastcdr::exception::NotEnoughMemoryException;

TEST(Truncated, EveryShorterBufferRaisesTheStreamsExceptionInBothFlavours)
{
  for_each_type([](auto t) {
      using T = decltype(t);
      SCOPED_TRACE(T::name);
      CMessage<typename T::c_type> c;
      fill(c.msg, "base_link");
      const Bytes full = c_bytes(c.msg);
      for (std::size_t length = 0; length < full.size(); ++length) {
        SCOPED_TRACE("buffer of " + std::to_string(length) + " bytes");
        const Bytes cut(full.begin(), full.begin() + length);
        CMessage<typename T::c_type> c_read;
        Stream c_in(cut);
        EXPECT_THROW(
          callbacks_of(T::c_handle())->cdr_deserialize(c_in.cdr, &c_read.msg),
          NotEnoughMemoryException);
        typename T::cpp_type cpp_read;
        Stream cpp_in(cut);
        EXPECT_THROW(T::cpp_deserialize(cpp_in.cdr, cpp_read), NotEnoughMemoryException);

        // Writing into a buffer that cannot grow fails the same way.
        Stream c_out(length);
        EXPECT_THROW(
          callbacks_of(T::c_handle())->cdr_serialize(&c.msg, c_out.cdr), NotEnoughMemoryException);
        typename T::cpp_type cpp;
        fill(cpp, "base_link");
        Stream cpp_out(length);
        EXPECT_THROW(T::cpp_serialize(cpp, cpp_out.cdr), NotEnoughMemoryException);
      }
    });
}

TEST(Truncated, FieldsReadBeforeTheEndKeepTheirNewValuesTheRestTheirOld)
{
  CMessage<velmari_messages__msg__Control> written;
  written.msg.valid = true;
  written.msg.throttle = 0.5;
  const Bytes full = c_bytes(written.msg);
  ASSERT_EQ(full.size(), 48u);
  const Bytes cut(full.begin(), full.begin() + 20);  // through valid, throttle cut short

  CMessage<velmari_messages__msg__Control> c;
  c.msg.throttle = -7.0;
  c.msg.gear = 9;
  Stream in(cut);
  EXPECT_THROW(
    callbacks_of(Traits<velmari_messages__msg__Control>::c_handle())->cdr_deserialize(in.cdr, &c.msg),
    NotEnoughMemoryException);
  EXPECT_TRUE(c.msg.valid);
  EXPECT_EQ(c.msg.throttle, -7.0);
  EXPECT_EQ(c.msg.gear, 9);
}

// A header whose frame id length prefix claims `claimed` bytes, followed by `present` bytes.
Bytes forged_header(uint32_t claimed, std::size_t present)
{
  Bytes bytes = {0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00};
  for (int i = 0; i < 4; ++i) {
    bytes.push_back(static_cast<unsigned char>(claimed >> (8 * i)));
  }
  bytes.insert(bytes.end(), present, 'x');
  return bytes;
}

TEST(ForgedLength, RaisesWithoutAllocatingAndKeepsTheFrameId)
{
  {  // The probe sees the libraries' allocations: a real 5000-byte frame id.
    Bytes bytes = forged_header(5001, 5000);
    bytes.push_back(0);
    std_msgs::msg::Header cpp;
    Stream in(bytes);
    new_probe_start();
    ASSERT_TRUE(std_msgs::msg::typesupport_fastrtps_cpp::cdr_deserialize(in.cdr, cpp));
    EXPECT_EQ(cpp.frame_id.size(), 5000u);
    EXPECT_GE(new_probe_stop().largest, 5000u);
  }
  for (const auto & [claimed, present] : {std::pair<uint32_t, std::size_t>{0xfffffff0u, 3},
      {0x7fffffffu, 16}, {5, 4}})
  {
    SCOPED_TRACE("claimed " + std::to_string(claimed));
    const Bytes bytes = forged_header(claimed, present);

    CMessage<std_msgs__msg__Header> c;
    set_string(c.msg.frame_id, "kept");
    Stream c_in(bytes);
    new_probe_start();
    EXPECT_THROW(
      callbacks_of(Traits<std_msgs__msg__Header>::c_handle())->cdr_deserialize(c_in.cdr, &c.msg),
      NotEnoughMemoryException);
    EXPECT_LT(new_probe_stop().largest, 4096u);
    EXPECT_STREQ(c.msg.frame_id.data, "kept");
    EXPECT_EQ(c_in.position(), 8u) << "the stream is back at the length prefix";

    std_msgs::msg::Header cpp;
    cpp.frame_id = "kept";
    Stream cpp_in(bytes);
    new_probe_start();
    EXPECT_THROW(
      std_msgs::msg::typesupport_fastrtps_cpp::cdr_deserialize(cpp_in.cdr, cpp),
      NotEnoughMemoryException);
    EXPECT_LT(new_probe_stop().largest, 4096u);
    EXPECT_EQ(cpp.frame_id, "kept");

    // Through an enclosing message as well.
    CMessage<navunit_common_msgs__msg__Zodizu610> z;
    Stream z_in(bytes);
    EXPECT_THROW(
      callbacks_of(Traits<navunit_common_msgs__msg__Zodizu610>::c_handle())->cdr_deserialize(
        z_in.cdr, &z.msg),
      NotEnoughMemoryException);
  }
}

TEST(ForgedLength, AStringWithoutItsNulReadsAllItsBytes)
{
  // Length 3 and the bytes "abc" with no terminating NUL: taken as they are,
  // into a C string of any buffer (here of 1 byte, and of exactly 3).
  Bytes bytes = forged_header(3, 0);
  bytes.insert(bytes.end(), {'a', 'b', 'c'});
  for (const char * before : {"", "xy"}) {
    CMessage<std_msgs__msg__Header> c;
    set_string(c.msg.frame_id, before);
    Stream c_in(bytes);
    ASSERT_TRUE(
      callbacks_of(Traits<std_msgs__msg__Header>::c_handle())->cdr_deserialize(c_in.cdr, &c.msg));
    EXPECT_STREQ(c.msg.frame_id.data, "abc");
    EXPECT_EQ(c.msg.frame_id.capacity, 4u);
  }
  std_msgs::msg::Header cpp;
  Stream cpp_in(bytes);
  ASSERT_TRUE(std_msgs::msg::typesupport_fastrtps_cpp::cdr_deserialize(cpp_in.cdr, cpp));
  EXPECT_EQ(cpp.frame_id, "abc");
}

TEST(ForgedLength, AnEmbeddedNulKeepsEveryByteAfterIt)
{
  // Length 5: "a", NUL, "bc", then the terminating NUL. The string is all four bytes.
  Bytes bytes = forged_header(5, 0);
  bytes.insert(bytes.end(), {'a', '\0', 'b', 'c', '\0'});
  const std::string expected("a\0bc", 4);
  CMessage<std_msgs__msg__Header> c;
  Stream c_in(bytes);
  ASSERT_TRUE(
    callbacks_of(Traits<std_msgs__msg__Header>::c_handle())->cdr_deserialize(c_in.cdr, &c.msg));
  EXPECT_EQ(std::string(c.msg.frame_id.data, c.msg.frame_id.size), expected);
  EXPECT_EQ(c_in.position(), bytes.size());
  std_msgs::msg::Header cpp;
  Stream cpp_in(bytes);
  ASSERT_TRUE(std_msgs::msg::typesupport_fastrtps_cpp::cdr_deserialize(cpp_in.cdr, cpp));
  EXPECT_EQ(cpp.frame_id, expected);
  // And both write the very bytes back.
  EXPECT_EQ(c_bytes(c.msg), bytes);
  EXPECT_EQ(cpp_bytes<std_msgs__msg__Header>(cpp), bytes);
}

TEST(UnwritableString, HeaderSerializerReturnsFalseAndTheEnclosingMessageStops)
{
  // A C string whose size does not fit the uint32 length prefix (or that
  // claims bytes without a buffer) cannot be written; its bytes are never read.
  char data[] = "x";
  for (const auto & [size, buffer] : {std::pair<std::size_t, char *>{0xffffffffu, data},
      {0x100000000u, data}, {3, nullptr}})
  {
    SCOPED_TRACE(size);
    velmari_messages__msg__Control control{};
    control.header.frame_id.data = buffer;
    control.header.frame_id.size = size;
    control.header.frame_id.capacity = size + 1;
    Stream s(kRoom);
    EXPECT_FALSE(
      callbacks_of(Traits<std_msgs__msg__Header>::c_handle())->cdr_serialize(&control.header, s.cdr));
    EXPECT_EQ(s.position(), 8u) << "only the stamp";
    Stream enclosing(kRoom);
    EXPECT_FALSE(callbacks_of(Traits<velmari_messages__msg__Control>::c_handle())->cdr_serialize(
        &control, enclosing.cdr));
    EXPECT_EQ(enclosing.position(), 8u) << "nothing after the header";
  }
}

TEST(UnwritableString, AnEmptyCStringWithoutBufferIsWrittenAsEmpty)
{
  std_msgs__msg__Header header{};  // zero-filled, never initialised
  Stream s(kRoom);
  ASSERT_TRUE(callbacks_of(Traits<std_msgs__msg__Header>::c_handle())->cdr_serialize(&header, s.cdr));
  EXPECT_EQ(s.written(), (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}));
  EXPECT_EQ(get_serialized_size_std_msgs__msg__Header(&header, 0), 13u);
}

}  // namespace
}  // namespace fastcdr_test
