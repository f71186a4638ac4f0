// Wire bytes of every type, written out by hand: both flavours must write
// exactly these bytes and read them back to the same values.
#include <limits>
#include <sstream>
#include <string>
#include <type_traits>

#include "support.hpp"

namespace fastcdr_test
{
namespace
{

std::string hex(const Bytes & bytes)
{
  std::ostringstream out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    out << (i ? (i % 8 ? " " : " | ") : "") << std::hex;
    out.width(2);
    out.fill('0');
    out << static_cast<unsigned>(bytes[i]);
  }
  return out.str();
}

template<class Header>
void set_header(Header & h, int32_t sec, uint32_t nanosec, const std::string & frame_id)
{
  h.stamp.sec = sec;
  h.stamp.nanosec = nanosec;
  set_string(h.frame_id, frame_id);
}

// `set` gives a C or a C++ message its values (the member names are the same).
template<class C, class Set>
void check_vector(Set && set, const Bytes & expected, Cdr::Endianness e = kLittle)
{
  using Cpp = typename Traits<C>::cpp_type;
  CMessage<C> c;
  set(c.msg);
  Cpp cpp;
  set(cpp);
  EXPECT_EQ(hex(c_bytes(c.msg, 0, e)), hex(expected)) << "written from the C structure";
  EXPECT_EQ(hex(cpp_bytes<C>(cpp, 0, e)), hex(expected)) << "written from the C++ structure";

  CMessage<C> c_read;
  Stream from_c(expected, e);
  ASSERT_TRUE(callbacks_of(Traits<C>::c_handle())->cdr_deserialize(from_c.cdr, &c_read.msg));
  EXPECT_EQ(from_c.position(), expected.size());
  EXPECT_TRUE(Traits<C>::are_equal(&c.msg, &c_read.msg)) << "read into the C structure";

  Cpp cpp_read;
  Stream from_cpp(expected, e);
  ASSERT_TRUE(Traits<C>::cpp_deserialize(from_cpp.cdr, cpp_read));
  EXPECT_EQ(from_cpp.position(), expected.size());
  EXPECT_TRUE(cpp_read == cpp) << "read into the C++ structure";
}

TEST(Vectors, Time)
{
  auto set = [](auto & m) {m.sec = -2; m.nanosec = 0x80000001u;};
  check_vector<builtin_interfaces__msg__Time>(set, {
      0xfe, 0xff, 0xff, 0xff, 0x01, 0x00, 0x00, 0x80});
  check_vector<builtin_interfaces__msg__Time>(set, {
      0xff, 0xff, 0xff, 0xfe, 0x80, 0x00, 0x00, 0x01}, kBig);
}

TEST(Vectors, HeaderFrameIdIsALengthCountingTheNulThenBytesThenNul)
{
  check_vector<std_msgs__msg__Header>([](auto & m) {set_header(m, 1, 2, "");}, {
      0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,
      0x01, 0x00, 0x00, 0x00, 0x00});
  check_vector<std_msgs__msg__Header>([](auto & m) {set_header(m, -1, 999999999, "map");}, {
      0xff, 0xff, 0xff, 0xff, 0xff, 0xc9, 0x9a, 0x3b,
      0x04, 0x00, 0x00, 0x00, 'm', 'a', 'p', 0x00});
  check_vector<std_msgs__msg__Header>([](auto & m) {set_header(m, 1, 2, "ab");}, {
      0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x02,
      0x00, 0x00, 0x00, 0x03, 'a', 'b', 0x00}, kBig);
}

auto set_control = [](auto & m) {
    set_header(m.header, 1, 2, "");
    m.valid = true;
    m.throttle = 0.5;
    m.brake = 0.25;
    m.steer = -1.0;
    m.mode = 3;
    m.gear = -2;
  };

TEST(Vectors, ControlWithHeaderEndingAt13Is48Bytes)
{
  check_vector<velmari_messages__msg__Control>(set_control, {
      0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,  // stamp
      0x01, 0x00, 0x00, 0x00, 0x00,  // frame_id ""
      0x01,  // valid at 13, no gap
      0x00, 0x00,  // gap
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xe0, 0x3f,  // throttle at 16
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xd0, 0x3f,  // brake
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xf0, 0xbf,  // steer
      0x03, 0x00, 0x00, 0x00,  // mode at 40
      0xfe, 0xff, 0xff, 0xff});  // gear at 44
  check_vector<velmari_messages__msg__Control>(set_control, {
      0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x02,
      0x00, 0x00, 0x00, 0x01, 0x00,
      0x01,
      0x00, 0x00,
      0x3f, 0xe0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x3f, 0xd0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0xbf, 0xf0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x03,
      0xff, 0xff, 0xff, 0xfe}, kBig);
}

TEST(Vectors, ControlWithHeaderEndingAt16Is56Bytes)
{
  auto set = [](auto & m) {
      set_header(m.header, 0, 0, "abc");
      m.valid = false;
      m.throttle = 1.5;
      m.gear = 1;
    };
  check_vector<velmari_messages__msg__Control>(set, {
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x04, 0x00, 0x00, 0x00, 'a', 'b', 'c', 0x00,
      0x00,  // valid at 16
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 7-byte gap
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xf8, 0x3f,  // throttle at 24
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00,
      0x01, 0x00, 0x00, 0x00});
}

TEST(Vectors, EgoState)
{
  auto set = [](auto & m) {
      set_header(m.header, -1, 999999999, "map");
      m.x = 1.0;
      m.y = 2.0;
      m.z = -0.0;
      m.yaw = 0.5;
      m.pitch = 0.25;
      m.roll = 1.5;
      m.speed = 10.0;
    };
  check_vector<velmari_messages__msg__EgoState>(set, {
      0xff, 0xff, 0xff, 0xff, 0xff, 0xc9, 0x9a, 0x3b,
      0x04, 0x00, 0x00, 0x00, 'm', 'a', 'p', 0x00,  // header ends at 16: no gap
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xf0, 0x3f,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80,  // -0.0 keeps its sign
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xe0, 0x3f,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xd0, 0x3f,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xf8, 0x3f,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x24, 0x40});
}

TEST(Vectors, NumAndResponseShareTheirWireForm)
{
  auto set = [](auto & m) {m.num = 0x0102030405060708;};
  const Bytes le = {0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01};
  const Bytes be = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
  check_vector<velmari_messages__msg__Num>(set, le);
  check_vector<velmari_messages__msg__Num>(set, be, kBig);
  check_vector<velmari_messages__srv__AddThreeInts_Response>(set, le);
  check_vector<velmari_messages__srv__AddThreeInts_Response>(
    [](auto & m) {m.num = -1;}, {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff});
}

TEST(Vectors, AddThreeIntsRequest)
{
  auto set = [](auto & m) {m.a = 1; m.b = 2; m.c = 3;};
  check_vector<velmari_messages__srv__AddThreeInts_Request>(set, {
      0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
}

TEST(Vectors, VelmariEgoCache)
{
  check_vector<navunit_common_msgs__msg__VelmariEgoCache>([](auto & m) {m.x = 1.0f;}, {
      0x00, 0x00, 0x80, 0x3f, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00});
}

auto set_zodizu = [](auto & m) {
    set_header(m.header, 1, 2, "");
    m.gpsweek = 2200;
    m.gpstime = 0.5;
    m.heading = 1.0f;
    m.pitch = 2.0f;
    m.roll = -1.0f;
    m.gyro_x = 0.5f;
    m.gyro_y = 0.25f;
    m.acc_z = 9.75f;
    m.lat = 1.5;
    m.lon = -2.0;
    m.alt = 100.0;
    m.ve = 1.0f;
    m.vn = -1.0f;
    m.v = 2.0f;
    m.nsv1 = 12;
    m.nsv2 = -3;
    m.status = 255;
    m.age = 258;
    m.warning = -32768;
  };

TEST(Vectors, Zodizu610WithHeaderEndingAt13Is122Bytes)
{
  check_vector<navunit_common_msgs__msg__Zodizu610>(set_zodizu, {
      0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,
      0x01, 0x00, 0x00, 0x00, 0x00,  // header ends at 13
      0x00, 0x00, 0x00,
      0x98, 0x08, 0x00, 0x00,  // gpsweek at 16
      0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xe0, 0x3f,  // gpstime at 24
      0x00, 0x00, 0x80, 0x3f,  // heading at 32
      0x00, 0x00, 0x00, 0x40,  // pitch
      0x00, 0x00, 0x80, 0xbf,  // roll
      0x00, 0x00, 0x00, 0x3f,  // gyro_x
      0x00, 0x00, 0x80, 0x3e,  // gyro_y
      0x00, 0x00, 0x00, 0x00,  // gyro_z
      0x00, 0x00, 0x00, 0x00,  // acc_x
      0x00, 0x00, 0x00, 0x00,  // acc_y
      0x00, 0x00, 0x1c, 0x41,  // acc_z at 64
      0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xf8, 0x3f,  // lat at 72
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xc0,  // lon
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x59, 0x40,  // alt
      0x00, 0x00, 0x80, 0x3f,  // ve at 96
      0x00, 0x00, 0x80, 0xbf,  // vn
      0x00, 0x00, 0x00, 0x00,  // vu
      0x00, 0x00, 0x00, 0x40,  // v
      0x0c, 0x00,  // nsv1 at 112
      0xfd, 0xff,  // nsv2
      0xff,  // status at 116: one octet
      0x00,
      0x02, 0x01,  // age at 118
      0x00, 0x80});  // warning at 120, ends at 122
}

TEST(Wire, BoolByteOtherThanZeroOrOneIsWrittenAsOneAndReadAsTrue)
{
  CMessage<velmari_messages__msg__Control> c;
  set_control(c.msg);
  const unsigned char two = 2;
  std::memcpy(&c.msg.valid, &two, 1);
  velmari_messages::msg::Control cpp;
  set_control(cpp);
  std::memcpy(&cpp.valid, &two, 1);
  const Bytes from_c = c_bytes(c.msg);
  const Bytes from_cpp = cpp_bytes<velmari_messages__msg__Control>(cpp);
  ASSERT_EQ(from_c.size(), 48u);
  EXPECT_EQ(from_c[13], 1);
  EXPECT_EQ(from_c, from_cpp);

  Bytes stream_two = from_c;
  stream_two[13] = 2;
  CMessage<velmari_messages__msg__Control> c_read;
  Stream s1(stream_two);
  ASSERT_TRUE(callbacks_of(Traits<velmari_messages__msg__Control>::c_handle())->cdr_deserialize(
      s1.cdr, &c_read.msg));
  unsigned char stored;
  std::memcpy(&stored, &c_read.msg.valid, 1);
  EXPECT_EQ(stored, 1);
  velmari_messages::msg::Control cpp_read;
  Stream s2(stream_two);
  ASSERT_TRUE(velmari_messages::msg::typesupport_fastrtps_cpp::cdr_deserialize(s2.cdr, cpp_read));
  std::memcpy(&stored, &cpp_read.valid, 1);
  EXPECT_EQ(stored, 1);
}

TEST(Wire, NanAndInfinityPassThroughBitForBit)
{
  const float nan_f = std::numeric_limits<float>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  auto set = [&](auto & m) {
      m.x = nan_f;
      m.y = -std::numeric_limits<float>::infinity();
    };
  CMessage<navunit_common_msgs__msg__VelmariEgoCache> c;
  set(c.msg);
  navunit_common_msgs::msg::VelmariEgoCache cpp;
  set(cpp);
  const Bytes bytes = c_bytes(c.msg);
  EXPECT_EQ(bytes, cpp_bytes<navunit_common_msgs__msg__VelmariEgoCache>(cpp));
  EXPECT_EQ(hex(Bytes(bytes.begin(), bytes.begin() + 8)), hex({0x00, 0x00, 0xc0, 0x7f, 0x00, 0x00, 0x80, 0xff}));

  CMessage<velmari_messages__msg__EgoState> e;
  e.msg.speed = inf;
  e.msg.yaw = -std::numeric_limits<double>::quiet_NaN();
  const Bytes ego = c_bytes(e.msg);
  CMessage<velmari_messages__msg__EgoState> back;
  Stream s(ego);
  ASSERT_TRUE(callbacks_of(Traits<velmari_messages__msg__EgoState>::c_handle())->cdr_deserialize(
      s.cdr, &back.msg));
  EXPECT_EQ(back.msg.speed, inf);
  EXPECT_TRUE(std::isnan(back.msg.yaw));
  EXPECT_TRUE(std::signbit(back.msg.yaw));
}

// Changes the n-th leaf field (in catalogue order, nested fields included) of
// a filled message; leaf counts down to past zero once it has been changed.
template<class M>
void change_leaf(M & msg, int & leaf)
{
  msgdef::for_each(fields_of(msg), [&](const auto & f) {
      auto & member = msg.*f.member;
      using T = std::decay_t<decltype(member)>;
      if constexpr (std::is_same_v<T, bool>) {
        if (leaf-- == 0) {member = !member;}
      } else if constexpr (std::is_arithmetic_v<T>) {
        if (leaf-- == 0) {member = static_cast<T>(member + 1);}
      } else if constexpr (std::is_same_v<T, std::string>) {
        if (leaf-- == 0) {member += "x";}
      } else if constexpr (std::is_same_v<T, rosidl_runtime_c__String>) {
        if (leaf-- == 0) {set_string(member, std::string(member.data) + "x");}
      } else {
        change_leaf(member, leaf);
      }
    });
}

// The deserialization tests lean on equality: a message that differs in any
// one field, nested ones included, must compare unequal, in C and in C++.
TEST(Equality, EveryFieldOfEveryTypeTakesPart)
{
  for_each_type([](auto traits) {
      using Tr = decltype(traits);
      SCOPED_TRACE(Tr::name);
      typename Tr::cpp_type cpp;
      fill(cpp);
      CMessage<typename Tr::c_type> c;
      fill(c.msg);
      int leaves = 0;
      for (bool changed = true; changed; ++leaves) {
        typename Tr::cpp_type cpp_other = cpp;
        int leaf = leaves;
        change_leaf(cpp_other, leaf);
        changed = leaf < 0;
        EXPECT_EQ(cpp == cpp_other, !changed) << "C++, field " << leaves;
        EXPECT_EQ(cpp != cpp_other, changed) << "C++, field " << leaves;

        CMessage<typename Tr::c_type> c_other;
        fill(c_other.msg);
        leaf = leaves;
        change_leaf(c_other.msg, leaf);
        EXPECT_EQ(Tr::are_equal(&c.msg, &c_other.msg), !changed) << "C, field " << leaves;
      }
      EXPECT_GT(leaves, 1);
    });
}

}  // namespace
}  // namespace fastcdr_test
